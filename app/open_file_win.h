// Opening a file as the document: the Open command and the file named on
// the command line go the same way.
#pragma once

#include <string>

namespace belmo {

// Tells the user why a path given to the program cannot be opened at all.
// False when nothing stands in its way.
bool ShowPathProblem(const std::string& path);

// Offers unsaved changes for saving, then opens handedPath, or the file the
// user chooses in the Open dialog when it is null. A file that is refused
// leaves the open document as it was, name included.
void OpenDocumentFile(const std::string* handedPath);

}  // namespace belmo
