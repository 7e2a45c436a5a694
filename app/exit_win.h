#pragma once

namespace belmo {

// Ends the program normally: the working copy is deleted and settings.ini
// written, which is how the next start knows this run ended well.
void ExitApplication();

}  // namespace belmo
