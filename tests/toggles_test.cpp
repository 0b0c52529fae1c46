// Scenario tests for this area are added with its issue.
