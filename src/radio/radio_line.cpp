#include "radio/radio_line.h"

#include "cat/exchange.h"
#include "radio/frequency_reply.h"

namespace keldar {

bool serviceRadioLine(Panel& panel) {
  return readRadioLine(panel,
                       [&panel](const RadioAnswer& answer) { takeRadioNews(panel, answer); });
}

}  // namespace keldar
