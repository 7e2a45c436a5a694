// A run that dies after an edit loses nothing: the next start opens the
// working copy it left, with the edit in it, and treats it as unsaved. Nor
// does a run that dies in the middle of one leave files behind for good.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

TEST(Recovery, MaskedWorkingCopySurvivesAKilledProgram) {
  Sandbox sandbox("recovery");
  const std::vector<uint8_t> original = OneSecondWave();
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), original));

  std::vector<uint8_t> masked;
  {
    Belmo belmo;
    ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    MainControls controls(belmo);
    PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
    HWND done = belmo.WaitMessageBox();
    ASSERT_NE(done, nullptr);
    Belmo::Answer(done, IDOK);
    belmo.Flush();
    ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &masked));
    ASSERT_TRUE(masked != original);
    belmo.Kill();  // no normal exit: the working copy stays behind
  }
  ASSERT_TRUE(FileExists(sandbox.Path("temp.tmp")));

  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  HWND notice = belmo.WaitMessageBox();
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(Belmo::BoxText(notice),
            "前回正常終了しなかったため削除されなかった一時ファイルを開きます。");
  Belmo::Answer(notice, IDOK);
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  belmo.Flush();
  MainControls controls(belmo);
  EXPECT_EQ(Text(controls.fileNameBox), "temp.tmp");
  std::vector<uint8_t> reopened;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &reopened));
  EXPECT_TRUE(reopened == masked) << "the recovered document holds the masked image";
  std::vector<uint8_t> saved;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("take.wav"), &saved));
  EXPECT_TRUE(saved == original) << "the file itself was never saved";

  belmo.Close();
  HWND question = belmo.WaitMessageBox();
  ASSERT_NE(question, nullptr) << "a recovered edit counts as unsaved";
  EXPECT_EQ(Belmo::BoxText(question), "ファイルの内容が変更されています。保存しますか？");
  Belmo::Answer(question, IDYES);
  HWND dialog = belmo.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, sandbox.Path("recovered.wav"));
  EXPECT_TRUE(belmo.WaitExit());
  std::vector<uint8_t> kept;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("recovered.wav"), &kept));
  EXPECT_TRUE(kept == masked);
  EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
}

namespace {

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Files of the user's at names the working copy's writes could take, one
// of them hidden as the program's own are: none of them is ever touched.
const char* const kUsersFiles[] = {"temp.tmp.belmo-new", "temp.tmp.journal.belmo-new",
                                   "temp.tmp.belmo-new.bak"};

// Two minutes of 44.1 kHz 16-bit stereo (21 MB): long enough that each
// write of an edit is seen under way.
std::vector<uint8_t> LongWave() {
  std::vector<uint8_t> samples(120 * 44100 * 4);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7 / 3);
  return PcmWave(2, 44100, 16, samples);
}

enum class Moment {
  AtOnce,       // as soon as the command is given
  HalfWritten,  // while a file of the edit is written beside its place
  // With the journal in place and the copy without the span: another
  // program holds the copy, so the patch cannot be written, and the
  // program is killed while it says so.
  JournalKept,
};

// A file of the program's being written beside the copy or the journal.
bool PendingFileThere(const Sandbox& sandbox) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(sandbox.Path("temp.tmp*.belmo-new?*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool there = false;
  do {
    const std::string name = found.cFileName;
    there = there || std::find(std::begin(kUsersFiles), std::end(kUsersFiles), name) ==
                         std::end(kUsersFiles);
  } while (!there && FindNextFileA(search, &found));
  FindClose(search);
  return there;
}

// Waits for the moment and kills the program there; false when the edit
// ended before the moment was seen. The files are looked at as often as
// can be, the windows now and then.
bool KillAt(Belmo& belmo, const Sandbox& sandbox, Moment moment) {
  if (moment == Moment::JournalKept) {
    const bool told = belmo.WaitMessageBox(10000) != nullptr;
    const bool kept = FileExists(sandbox.Path("temp.tmp.journal"));
    belmo.Kill();
    return told && kept;
  }
  DWORD lookedAtWindows = GetTickCount();
  for (const DWORD until = lookedAtWindows + 10000; moment == Moment::HalfWritten;) {
    if (PendingFileThere(sandbox)) break;
    const DWORD now = GetTickCount();
    if (now - lookedAtWindows >= 250) {
      lookedAtWindows = now;
      if (now > until || belmo.WaitMessageBox(0) != nullptr || !belmo.Running()) {
        belmo.Kill();
        return false;
      }
    }
  }
  belmo.Kill();
  return true;
}

// Typed into a seconds box as a person types.
void Type(const Belmo& belmo, HWND box, const std::string& text) {
  Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
  belmo.Flush();
}

struct KilledEdit {
  const char* name;
  bool undo;
  bool wholeRecording;  // a span this long is written whole, not journaled
  Moment moment;
};

// The program on take.wav, the edit given and the program killed at its
// moment; *seen is false when the edit ended before the moment was seen.
void EditAndKill(const Sandbox& sandbox, const KilledEdit& edit, bool* seen) {
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  MainControls controls(belmo);
  if (!edit.wholeRecording) {
    Type(belmo, controls.startSeconds, "2");
    Type(belmo, controls.endSeconds, "58");
  }
  if (edit.undo) {
    PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
    HWND done = belmo.WaitMessageBox(10000);
    ASSERT_NE(done, nullptr);
    Belmo::Answer(done, IDOK);
    ASSERT_TRUE(Belmo::WaitGone(done));
    ASSERT_TRUE(belmo.Flush());
  }
  HANDLE held = INVALID_HANDLE_VALUE;
  if (edit.moment == Moment::JournalKept) {
    held = CreateFileA(sandbox.Path("temp.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
  }
  if (edit.undo) {
    belmo.Command(kCmdUndo);
  } else {
    PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
  }
  *seen = KillAt(belmo, sandbox, edit.moment);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
}

// The next start recovers the working copy; the user leaves without saving.
void RecoverAndLeave(const Sandbox& sandbox) {
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  HWND notice = belmo.WaitMessageBox(10000);
  ASSERT_NE(notice, nullptr) << "the working copy is recovered";
  Belmo::Answer(notice, IDOK);
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  belmo.Close();
  for (DWORD until = GetTickCount() + 10000; belmo.Running() && GetTickCount() < until;) {
    if (HWND question = belmo.WaitMessageBox(50)) Belmo::Answer(question, IDNO);
  }
  ASSERT_TRUE(belmo.WaitExit());
}

}  // namespace

// Killed (as the Task Manager ends it) at moments of a mask and of an Undo,
// written whole or through the journal, the program leaves the working
// copy and maybe a journal or a file half written beside either. The next
// start recovers, and after it and a normal exit only the program's own
// files and the user's are in its folder: nothing a killed run left stays
// for good, and no file of the user's at such a name is touched.
TEST(Recovery, KilledInTheMiddleOfAnEditLeavesNothingBehindForGood) {
  Sandbox sandbox("recovery-killed");
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), LongWave()));
  const std::vector<uint8_t> users = OneSecondWave();
  for (const char* name : kUsersFiles) ASSERT_TRUE(WriteFileBytes(sandbox.Path(name), users));
  ASSERT_TRUE(SetFileAttributesA(sandbox.Path(kUsersFiles[2]).c_str(), FILE_ATTRIBUTE_HIDDEN));
  std::vector<std::string> expected = FilesIn(sandbox.Dir());
  expected.push_back("settings.ini");
  std::sort(expected.begin(), expected.end());

  const KilledEdit edits[] = {
      {"mask, whole, half written", false, true, Moment::HalfWritten},
      {"mask, journal half written", false, false, Moment::HalfWritten},
      {"mask, journal kept", false, false, Moment::JournalKept},
      {"mask, at once", false, false, Moment::AtOnce},
      {"undo, whole, half written", true, true, Moment::HalfWritten},
      {"undo, journal half written", true, false, Moment::HalfWritten},
      {"undo, journal kept", true, false, Moment::JournalKept},
  };
  for (const KilledEdit& edit : edits) {
    SCOPED_TRACE(edit.name);
    // A moment can pass between two looks; the edit is then made again.
    // Every run is a kill at some moment all the same, and is checked.
    bool seen = false;
    for (int attempt = 0; attempt < 3 && !seen; ++attempt) {
      ASSERT_NO_FATAL_FAILURE(EditAndKill(sandbox, edit, &seen));
      ASSERT_NO_FATAL_FAILURE(RecoverAndLeave(sandbox));
      EXPECT_EQ(FilesIn(sandbox.Dir()), expected);
      for (const char* name : kUsersFiles) {
        std::vector<uint8_t> kept;
        EXPECT_TRUE(ReadFileBytes(sandbox.Path(name), &kept) && kept == users) << name;
      }
    }
    EXPECT_TRUE(seen) << "the edit ended before the moment, every time";
  }
}
