#include "window/message_box_win.h"

#include "window/window_texts.h"

namespace belmo {

int ShowProductMessage(const char* text, UINT style) {
  return MessageBoxA(nullptr, text, text::kProductName, style);
}

}  // namespace belmo
