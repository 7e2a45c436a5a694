// A second start from the folder of a running program (double-clicking
// another recording does exactly this) hands its file to the running one
// and ends: it never takes the first one's working copy for a crashed
// run's, and never deletes it.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "launch/launch_texts.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

std::vector<uint8_t> Seconds(int seconds, uint8_t level) {
  return PcmWave(1, 8000, 8, std::vector<uint8_t>(8000 * seconds, level));
}

class SecondStart : public ::testing::Test {
 protected:
  SecondStart()
      : sandbox_(std::string("second-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void StartFirst(int seconds) {
    first_ = Seconds(seconds, 100);
    ASSERT_TRUE(WriteFileBytes(sandbox_.Path("first.wav"), first_));
    ASSERT_TRUE(WriteFileBytes(sandbox_.Path("second.wav"), Seconds(2, 150)));
    ASSERT_TRUE(belmo_.Start(sandbox_, " \"" + sandbox_.Path("first.wav") + "\""));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    ASSERT_TRUE(belmo_.Flush());
    c_ = std::make_unique<MainControls>(belmo_);
  }

  // Starts the program again in the same folder; it must end by itself,
  // having shown nothing of its own.
  void StartSecond(const std::string& commandTail) {
    Belmo second;
    ASSERT_TRUE(second.Start(sandbox_, commandTail));
    ASSERT_TRUE(second.WaitExit()) << "the second start did not end";
    EXPECT_EQ(second.ExitCode(), 0u);
    belmo_.Flush();
  }

  std::vector<uint8_t> WorkingCopy() const {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadFileBytes(sandbox_.Path("temp.tmp"), &bytes));
    return bytes;
  }

  std::vector<uint8_t> Sine() {
    PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
    HWND done = belmo_.WaitMessageBox();
    EXPECT_NE(done, nullptr);
    Belmo::Answer(done, IDOK);
    belmo_.Flush();
    return WorkingCopy();
  }

  // The first program leaves as it always does: its working copy goes.
  void CloseFirst(bool askedToSave) {
    belmo_.Close();
    if (askedToSave) {
      HWND question = belmo_.WaitMessageBox();
      ASSERT_NE(question, nullptr);
      Belmo::Answer(question, IDNO);
    }
    EXPECT_TRUE(belmo_.WaitExit());
    EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp")));
  }

  Sandbox sandbox_;
  Belmo belmo_;
  std::vector<uint8_t> first_;
  std::unique_ptr<MainControls> c_;
};

// Another program's window of the main window's class that says yes to
// every folder and takes every file handed to it, on a thread of its own
// so it answers while the test waits.
class Impostor {
 public:
  Impostor() {
    thread_ = std::thread([this] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "NORMAL";
      RegisterClassA(&wc);
      window_ = CreateWindowExA(0, "NORMAL", "impostor", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                nullptr, wc.hInstance, nullptr);
      SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      ready_ = true;
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
      DestroyWindow(window_);
    });
    while (!ready_) Sleep(5);
  }
  ~Impostor() {
    PostThreadMessageA(GetWindowThreadProcessId(window_, nullptr), WM_QUIT, 0, 0);
    thread_.join();
  }
  int FilesTaken() const { return filesTaken_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Impostor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == kMsgQueryProgramFolder) return kSameFolderAnswer;
    if (message == WM_COPYDATA && self) {
      ++self->filesTaken_;
      return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<int> filesTaken_{0};
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(SecondStart, WithoutAFileLeavesTheFirstAndItsWorkingCopyAlone) {
  ASSERT_NO_FATAL_FAILURE(StartFirst(1));
  const std::vector<uint8_t> masked = Sine();
  ASSERT_TRUE(masked != first_);

  ASSERT_NO_FATAL_FAILURE(StartSecond(""));
  EXPECT_EQ(belmo_.WaitMessageBox(500), nullptr) << "no recovery notice, no question";
  EXPECT_EQ(Text(c_->fileNameBox), "first.wav");
  EXPECT_FALSE(belmo_.MenuGrayed(kCmdUndo)) << "the edit is still the document's";
  EXPECT_TRUE(WorkingCopy() == masked);
  EXPECT_TRUE(IsHidden(sandbox_.Path("temp.tmp")));
  CloseFirst(true);
}

TEST_F(SecondStart, HandsItsFileToTheFirstWhichAsksAboutUnsavedChangesFirst) {
  ASSERT_NO_FATAL_FAILURE(StartFirst(1));
  Sine();

  ASSERT_NO_FATAL_FAILURE(StartSecond(" \"" + sandbox_.Path("second.wav") + "\""));
  HWND question = belmo_.WaitMessageBox();
  ASSERT_NE(question, nullptr) << "the first program's edit is unsaved";
  EXPECT_EQ(Belmo::BoxText(question), "ファイルの内容が変更されています。保存しますか？");
  Belmo::Answer(question, IDNO);
  belmo_.Flush();
  EXPECT_EQ(Text(c_->fileNameBox), "second.wav");
  EXPECT_EQ(Text(c_->endSeconds), "2.000");
  EXPECT_TRUE(WorkingCopy() == Seconds(2, 150));
  std::vector<uint8_t> firstFile;
  ASSERT_TRUE(ReadFileBytes(sandbox_.Path("first.wav"), &firstFile));
  EXPECT_TRUE(firstFile == first_) << "answered No: the first file was not saved";

  // Unchanged now: a file handed over opens without a question.
  ASSERT_TRUE(WriteFileBytes(sandbox_.Path("third.wav"), Seconds(3, 200)));
  ASSERT_NO_FATAL_FAILURE(StartSecond(" " + sandbox_.Path("third.wav")));
  EXPECT_EQ(belmo_.WaitMessageBox(500), nullptr);
  EXPECT_EQ(Text(c_->fileNameBox), "third.wav");
  EXPECT_TRUE(WorkingCopy() == Seconds(3, 200));
  CloseFirst(false);
}

// The first program cannot open a file while a message box waits for the
// user, nor while it plays (Open is grayed then): it says so and names the
// file, and its document stays as it was.
TEST_F(SecondStart, FileIsRefusedWithAWordWhileADialogWaitsOrPlaybackRuns) {
  ASSERT_NO_FATAL_FAILURE(StartFirst(10));
  const std::string handed = sandbox_.Path("second.wav");

  PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
  HWND done = belmo_.WaitMessageBox();
  ASSERT_NE(done, nullptr);
  const std::vector<uint8_t> masked = WorkingCopy();
  ASSERT_NO_FATAL_FAILURE(StartSecond(" \"" + handed + "\""));
  HWND refusal = belmo_.WaitMessageBox(5000, done);
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(Text(refusal), "ベルモ");
  EXPECT_EQ(Belmo::BoxText(refusal),
            std::string(text::kCannotOpenWhileDialogShown) + "\n" + handed);
  Screenshot(refusal, "handed-file-while-dialog");
  Belmo::Answer(refusal, IDOK);
  EXPECT_TRUE(Belmo::WaitGone(refusal));
  EXPECT_TRUE(IsWindowVisible(done)) << "the box that was waiting still waits";
  Belmo::Answer(done, IDOK);
  belmo_.Flush();
  EXPECT_EQ(Text(c_->fileNameBox), "first.wav");
  EXPECT_TRUE(WorkingCopy() == masked);

  PostMessageA(c_->playButton, BM_CLICK, 0, 0);
  belmo_.Flush();
  ASSERT_TRUE(belmo_.MenuGrayed(kCmdOpen)) << "playback grays Open";
  ASSERT_NO_FATAL_FAILURE(StartSecond(" \"" + handed + "\""));
  refusal = belmo_.WaitMessageBox();
  ASSERT_NE(refusal, nullptr);
  EXPECT_EQ(Belmo::BoxText(refusal), std::string(text::kCannotOpenWhilePlaying) + "\n" + handed);
  Screenshot(refusal, "handed-file-while-playing");
  Belmo::Answer(refusal, IDOK);
  belmo_.Flush();
  EXPECT_EQ(Text(c_->fileNameBox), "first.wav");
  EXPECT_TRUE(WorkingCopy() == masked);
  CloseFirst(true);
}

TEST_F(SecondStart, HandsItsFileOnlyToTheProgramOfItsFolderNotToAWindowThatSaysSo) {
  ASSERT_NO_FATAL_FAILURE(StartFirst(1));
  Impostor impostor;
  ASSERT_NO_FATAL_FAILURE(StartSecond(" \"" + sandbox_.Path("second.wav") + "\""));
  EXPECT_EQ(impostor.FilesTaken(), 0);
  EXPECT_EQ(Text(c_->fileNameBox), "second.wav");
  CloseFirst(false);
}
