#include "selection/time_text.h"

#include "numtext/number_text.h"

namespace belmo {

std::string TimeText(int64_t ms) {
  std::string text = NumberToText(static_cast<double>(ms) / 1000);
  // NumberToText drops trailing zeros; put back as many as make three decimals.
  if (ms % 1000 == 0) {
    text += ".000";
  } else if (ms % 100 == 0) {
    text += "00";
  } else if (ms % 10 == 0) {
    text += "0";
  }
  return text;
}

}  // namespace belmo
