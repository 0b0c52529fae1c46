#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/text.h"

namespace keldar {
namespace {

TEST(BoundedText, AssignmentKeepsFirst254AndReplyBuffer255) {
  const std::string longText = std::string(200, 'a') + std::string(100, 'b');
  BasicString text = longText;
  EXPECT_EQ(text.size(), 254u);
  EXPECT_EQ(text.str(), longText.substr(0, 254));
  ReplyBuffer reply = longText;
  EXPECT_EQ(reply.size(), 255u);
  BasicString small = "FA;";
  EXPECT_EQ(small, "FA;");
}

TEST(PartOperations, MidTextClampsAsTheRuntimeDoes) {
  EXPECT_EQ(midText("ABCDE", 2, 3), "BCD");
  EXPECT_EQ(midText("ABCDE", 4, 9), "DE");
  EXPECT_EQ(midText("ABCDE", 0, 2), "AB");
  EXPECT_EQ(midText("ABCDE", -5, 2), "AB");
  EXPECT_EQ(midText("ABCDE", 7, 1), "");
  EXPECT_EQ(midText("ABCDE", 6, 1), "");
  EXPECT_EQ(midText("ABCDE", 3, -1), "CDE");
  EXPECT_EQ(midText("ABCDE", 3), "CDE");
  EXPECT_EQ(midText("", 1, 3), "");
  EXPECT_EQ(midText("ABCDE", 2, 0), "");
}

TEST(PartOperations, LeftAndRightClamp) {
  EXPECT_EQ(leftText("ABC", -1), "");
  EXPECT_EQ(leftText("ABC", 2), "AB");
  EXPECT_EQ(leftText("ABC", 9), "ABC");
  EXPECT_EQ(rightText("ABC", 5), "ABC");
  EXPECT_EQ(rightText("ABC", 0), "");
  EXPECT_EQ(rightText("ABC", -3), "");
  EXPECT_EQ(rightText("ABC", 2), "BC");
}

TEST(PartOperations, FindTextPositionsAndMisses) {
  EXPECT_EQ(findText("FA007050000;", ";", 1), 12);
  EXPECT_EQ(findText("ABC", "", 1), 0);
  EXPECT_EQ(findText("ABC", "A", 4), 0);
  EXPECT_EQ(findText("", "A", 1), 0);
  EXPECT_EQ(findText("ABCABC", "BC", 0), 2);
  EXPECT_EQ(findText("ABCABC", "BC", 3), 5);
  EXPECT_EQ(findText("FA014250000;SM0120;", "SM0", 1), 13);
  EXPECT_EQ(findText("AB", "ABC", 1), 0);
}

TEST(PartOperations, CharactersAndBlanks) {
  EXPECT_EQ(charCode(""), 0);
  EXPECT_EQ(charCode("A"), 65);
  EXPECT_EQ(charCode("\xff"), 255);
  EXPECT_EQ(charText(65), "A");
  EXPECT_EQ(spaceText(-2), "");
  EXPECT_EQ(spaceText(3), "   ");
  EXPECT_EQ(trimLeft(" \t 12 "), "12 ");
  EXPECT_EQ(charAt("ABC", 3), 'C');
  EXPECT_EQ(charAt("ABC", 4), '\0');
  EXPECT_EQ(charAt("ABC", 0), '\0');
  EXPECT_LT(compareText("4", "5"), 0);
  EXPECT_GT(compareText("5", "4"), 0);
  EXPECT_EQ(compareText("999", "999"), 0);
}

TEST(Numbers, NumberToTextHasTheLeadingBlank) {
  EXPECT_EQ(numberToText(7050000), " 7050000");
  EXPECT_EQ(numberToText(0.5), " 0.50");
  EXPECT_EQ(numberToText(-7), " -7");
  EXPECT_EQ(numberToText(145), " 145");
  EXPECT_EQ(numberToText(0), " 0");
  EXPECT_EQ(numberToText(-0.0), " 0");
  EXPECT_EQ(numberToText(7.5), " 7.50");
  EXPECT_EQ(numberToText(14.074), " 14.07");
  EXPECT_EQ(numberToText(-0.25), " -0.25");
  EXPECT_EQ(digitsOf(250), "250");
  EXPECT_EQ(zeroPadded(8, 3), "008");
  EXPECT_EQ(zeroPadded(1200, 4), "1200");
  EXPECT_EQ(zeroPadded(14250000, 9), "014250000");
}

TEST(Numbers, TextToNumberStopsWhereTheNumberEnds) {
  EXPECT_DOUBLE_EQ(textToNumber("  -12.50;"), -12.5);
  EXPECT_DOUBLE_EQ(textToNumber("+5"), 0);
  EXPECT_DOUBLE_EQ(textToNumber("1e3"), 1);
  EXPECT_DOUBLE_EQ(textToNumber("-"), 0);
  EXPECT_DOUBLE_EQ(textToNumber("  12"), 12);
  EXPECT_DOUBLE_EQ(textToNumber("7050abc"), 7050);
  EXPECT_DOUBLE_EQ(textToNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(textToNumber("1,5"), 1);
  EXPECT_DOUBLE_EQ(textToNumber(""), 0);
  EXPECT_DOUBLE_EQ(textToNumber("\t042"), 42);
}

TEST(Numbers, StoringRoundsHalfToEvenAndSaturates) {
  EXPECT_EQ(toInt32(2.5), 2);
  EXPECT_EQ(toInt32(3.5), 4);
  EXPECT_EQ(toInt32(-2.5), -2);
  EXPECT_EQ(toInt32(-3.5), -4);
  EXPECT_EQ(toInt32(2.4999), 2);
  EXPECT_EQ(toInt32(1e11), INT32_MAX);  // an eleven-digit frequency entry
  EXPECT_EQ(toInt32(-1e11), INT32_MIN);
  EXPECT_EQ(cutToInt32(7.9), 7);
  EXPECT_EQ(cutToInt32(-7.9), -7);
  EXPECT_EQ(cutToInt32(99999999999.0), INT32_MAX);
}

TEST(Clock, DateAndTimeTexts) {
  const LocalTime t{2026, 3, 7, 9, 5, 4};
  EXPECT_EQ(dateText(t, "dd-MM-yyyy"), "07-03-2026");
  EXPECT_EQ(dateText(t, ""), "03-07-2026");
  EXPECT_EQ(timeText(t), "09:05:04");
  const LocalTime late{2026, 12, 31, 23, 59, 59};
  EXPECT_EQ(timeText(late), "23:59:59");
}

TEST(Random, GeneratorFollowsTheLinearCongruence) {
  RandomSource random;
  // Seed 1000 / 2 = 500; first state = 500 * 214013 + 2531011.
  const uint32_t state = 500u * 214013u + 2531011u;
  const float r = static_cast<float>((state >> 16) & 0x7FFF) / 32768.0f;
  EXPECT_FLOAT_EQ(static_cast<float>(random.next(80, 0, 1000)), 80.0f * r);
  for (int i = 0; i < 1000; ++i) {
    const int32_t value = toInt32(random.next(80, 0, 0));
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 80);
  }
  EXPECT_GE(random.next(10, 20, 0), 10.0);
}

}  // namespace
}  // namespace keldar
