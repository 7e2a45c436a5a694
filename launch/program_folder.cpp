#include "launch/program_folder.h"

#include <cstdio>

#include "document/wav_document.h"
#include "launch/command_line.h"
#include "launch/launch_texts.h"

namespace belmo {

// FNV-1a over the folded bytes: no table, and 64 bits make two folders of
// one machine meet by chance practically never.
uint64_t ProgramFolderKey(std::string_view folder) {
  uint64_t key = 14695981039346656037ull;
  for (size_t i = 0; i < folder.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(folder[i]);
    if (IsCp932LeadByte(c) && i + 1 < folder.size()) {
      key = (key ^ c) * 1099511628211ull;
      c = static_cast<unsigned char>(folder[++i]);
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>(c - 'a' + 'A');
    }
    key = (key ^ c) * 1099511628211ull;
  }
  return key;
}

std::string ProgramMutexName(uint64_t folderKey) {
  char name[48];
  std::snprintf(name, sizeof name, "Belmo.ProgramFolder.%016llx",
                static_cast<unsigned long long>(folderKey));
  return name;
}

// A path that can never be opened is refused whatever the program is doing;
// then the program's own state decides, as it would for Open.
HandedFileAction DecideHandedFile(std::string_view path, const HandedFileSituation& situation) {
  if (path.empty()) return HandedFileAction::ComeForward;
  switch (FindPathProblem(path, situation.longPathsAllowed)) {
    case PathProblem::TooLong: return HandedFileAction::RefuseTooLong;
    case PathProblem::UnusableCharacter: return HandedFileAction::RefuseUnusableCharacter;
    case PathProblem::None: break;
  }
  if (situation.ending) return HandedFileAction::RefuseWhileEnding;
  if (situation.dialogShown) return HandedFileAction::RefuseWhileDialogShown;
  if (!situation.openEnabled) return HandedFileAction::RefuseWhileOpenGrayed;
  return HandedFileAction::Open;
}

std::string HandedFileRefusal(HandedFileAction action, const std::string& path) {
  switch (action) {
    case HandedFileAction::RefuseTooLong: return FileProblemText(PathProblem::TooLong);
    case HandedFileAction::RefuseUnusableCharacter:
      return FileProblemText(PathProblem::UnusableCharacter);
    case HandedFileAction::RefuseWhileDialogShown:
      return std::string(text::kCannotOpenWhileDialogShown) + "\n" + path;
    case HandedFileAction::RefuseWhileOpenGrayed:
      return std::string(text::kCannotOpenWhilePlaying) + "\n" + path;
    case HandedFileAction::RefuseWhileEnding:
      return std::string(text::kNotOpenedWhileEnding) + "\n" + path;
    case HandedFileAction::ComeForward:
    case HandedFileAction::Open: break;
  }
  return std::string();
}

}  // namespace belmo
