// The phrase player: one recorded phrase per name.
#pragma once

#include <string_view>

#include "app/panel.h"

namespace keldar {

void playPhrase(Panel& panel, std::string_view name);
void playDelay(Panel& panel);

}  // namespace keldar
