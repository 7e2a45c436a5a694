#include "app/about_window_win.h"

namespace belmo {

void OpenAboutWindow() {}

}  // namespace belmo
