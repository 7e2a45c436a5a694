#pragma once

#include <windows.h>

namespace belmo {

// A message box without an owner window, captioned with the product name.
int ShowProductMessage(const char* text, UINT style);

}  // namespace belmo
