#include <gtest/gtest.h>

#include <string>

#include "launch/launch_texts.h"
#include "launch/program_folder.h"

namespace belmo {
namespace {

// Two starts of one folder must meet; two folders must not, or a start
// would hand its file to a program whose working copy lies elsewhere.
TEST(ProgramFolderKey, SameForOneFolderDifferentForTwo) {
  EXPECT_EQ(ProgramFolderKey("C:\\Tools\\Belmo\\"), ProgramFolderKey("c:\\TOOLS\\belmo\\"));
  const std::pair<const char*, const char*> different[] = {
      {"C:\\Tools\\Belmo\\", "C:\\Tools\\Belmo2\\"},
      {"C:\\Tools\\Belmo\\", "D:\\Tools\\Belmo\\"},
      // 0x83 0x41 and 0x83 0x61: folding the second byte would merge them.
      {"C:\\ア\\", "C:\\ャ\\"},
  };
  for (const auto& [a, b] : different) {
    EXPECT_NE(ProgramFolderKey(a), ProgramFolderKey(b)) << a << " " << b;
  }
}

TEST(ProgramMutexName, IsAFixedFormWithoutBackslash) {
  const std::string name = ProgramMutexName(ProgramFolderKey("C:\\Tools\\Belmo\\"));
  EXPECT_EQ(name.rfind("Belmo.ProgramFolder.", 0), 0u);
  EXPECT_EQ(name.size(), 20u + 16u);
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_EQ(ProgramMutexName(0x0123456789abcdefull), "Belmo.ProgramFolder.0123456789abcdef");
}

TEST(DecideHandedFile, OpensOnlyWhenOpenWouldAndSaysWhyNotOtherwise) {
  const std::string file = "C:\\録音\\take.wav";
  const struct {
    const char* name;
    std::string path;
    bool dialogShown;
    bool openEnabled;
    bool ending;
    HandedFileAction action;
    std::string refusal;
  } cases[] = {
      {"idle", file, false, true, false, HandedFileAction::Open, ""},
      {"no file", "", true, false, true, HandedFileAction::ComeForward, ""},
      {"dialog waits", file, true, true, false, HandedFileAction::RefuseWhileDialogShown,
       std::string(text::kCannotOpenWhileDialogShown) + "\n" + file},
      {"playing", file, false, false, false, HandedFileAction::RefuseWhileOpenGrayed,
       std::string(text::kCannotOpenWhilePlaying) + "\n" + file},
      {"ending", file, true, false, true, HandedFileAction::RefuseWhileEnding,
       std::string(text::kNotOpenedWhileEnding) + "\n" + file},
      // A path that can never be opened is refused for what it is.
      {"too long", "C:\\" + std::string(300, 'a'), true, false, true,
       HandedFileAction::RefuseTooLong, text::kPathTooLong},
      {"unusable", "C:\\??.wav", false, true, false, HandedFileAction::RefuseUnusableCharacter,
       text::kPathHasUnusableCharacters},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HandedFileSituation situation;
    situation.dialogShown = c.dialogShown;
    situation.openEnabled = c.openEnabled;
    situation.ending = c.ending;
    const HandedFileAction action = DecideHandedFile(c.path, situation);
    EXPECT_EQ(action, c.action);
    EXPECT_EQ(HandedFileRefusal(action, c.path), c.refusal);
  }
}

}  // namespace
}  // namespace belmo
