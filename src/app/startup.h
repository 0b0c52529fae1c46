// Start-up, configuration file and shutdown.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

int startUp(Panel& panel);
void initialisePanel(Panel& panel);

}  // namespace keldar
