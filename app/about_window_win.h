#pragma once

namespace belmo {

// Menu command 8242: the About window, on a thread of its own.
void OpenAboutWindow();

}  // namespace belmo
