#include "app/message_box_win.h"

#include "app/app_texts.h"

namespace belmo {

int ShowProductMessage(const char* text, UINT style) {
  return MessageBoxA(nullptr, text, text::kProductName, style);
}

}  // namespace belmo
