// How long one-second edits take in a minute-long and in an hour-long
// recording, through the program's window: open, each mask, Undo and redo
// after each, save. A measurement, not a test of speed: it fails only when
// the program does something wrong, and prints its times for
// bench/edit_times.sh, which makes the recordings and names their folder
// in BELMO_E2E_EDIT_TIMES_DIR. Skipped without it.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "settings/mask_settings.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

constexpr int kLongWaitMs = 10 * 60 * 1000;

std::string TimesDir() {
  const char* dir = std::getenv("BELMO_E2E_EDIT_TIMES_DIR");
  return dir ? dir : "";
}

class Stopwatch {
 public:
  Stopwatch() { QueryPerformanceCounter(&start_); }
  double Ms() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  }

 private:
  LARGE_INTEGER start_;
};

void Report(const std::string& recording, const char* step, double ms) {
  std::printf("EDIT_TIME %s %s %.0f\n", recording.c_str(), step, ms);
  std::fflush(stdout);
}

void FlushToDisk(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  FlushFileBuffers(file);
  CloseHandle(file);
}

// One run of the program over one recording with one voice method: open it,
// select one second in its middle, then each mask with its Undo and redo.
class EditRun {
 public:
  EditRun(const std::string& recording, bool fft) : recording_(recording), fft_(fft) {}

  void Run() {
    const std::string name = recording_ + (fft_ ? "" : "-simple");
    Sandbox sandbox("times-" + name);
    MaskSettings settings;
    settings.PitchUpType = fft_ ? 1 : 0;
    settings.OverWriteFilePath = TimesDir() + "\\source.wav";
    settings.OverWriteType = 1;
    const std::string text = FormatSettingsText(settings);
    ASSERT_TRUE(WriteFileBytes(sandbox.Path("settings.ini"),
                               std::vector<uint8_t>(text.begin(), text.end())));
    ASSERT_TRUE(belmo_.Start(sandbox, ""));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    controls_ = std::make_unique<MainControls>(belmo_);

    belmo_.Command(kCmdOpen);
    HWND dialog = belmo_.WaitFileDialog();
    ASSERT_NE(dialog, nullptr);
    Stopwatch open;
    Belmo::ChooseFile(dialog, TimesDir() + "\\" + recording_ + ".wav");
    ASSERT_TRUE(Belmo::WaitGone(dialog, kLongWaitMs));
    ASSERT_TRUE(belmo_.Flush(kLongWaitMs, 1));
    if (fft_) Report(name, "open", open.Ms());
    ASSERT_EQ(Text(controls_->infoBox), "停止中");
    if (fft_) {
      // Saved at once, while the system may still be writing the open's
      // working copy out.
      Stopwatch save;
      belmo_.Command(kCmdSave);
      ASSERT_TRUE(belmo_.Flush(kLongWaitMs, 1));
      Report(name, "save_open", save.Ms());
    }
    // A person takes a moment to choose a range; meanwhile the system
    // writes the new working copy out, which would otherwise slow the
    // first edits of a long recording by what it has left to write.
    Sleep(3000);

    const double middle = std::atof(Text(controls_->endSeconds).c_str()) / 2;
    Type(controls_->startSeconds, std::to_string(static_cast<int>(middle)));
    Type(controls_->endSeconds, std::to_string(static_cast<int>(middle) + 1));
    if (fft_) {
      Edit(name, "sine", &MainControls::sineButton);
      Edit(name, "fft", &MainControls::voiceButton);
      Edit(name, "file", &MainControls::fileButton);
      // What the system has left to write of the open's working copy and
      // of the first save goes out first, as it would within half a
      // minute: this save pays for itself alone.
      FlushToDisk(sandbox.Path("temp.tmp"));
      FlushToDisk(TimesDir() + "\\" + recording_ + ".wav");
      Stopwatch save;
      belmo_.Command(kCmdSave);
      ASSERT_TRUE(belmo_.Flush(kLongWaitMs, 1));
      Report(name, "save", save.Ms());
      Report(name, "peak_mb", belmo_.PeakMemoryBytes() / 1e6);
      ManyPlaces(name, 2 * middle);
    } else {
      Edit(name, "simple", &MainControls::voiceButton);
    }
    belmo_.Close();
    // Not saved: no. The list of places, if asked: it may go.
    for (int box = 0; box < 2; ++box) {
      HWND question = belmo_.WaitMessageBox(2000);
      if (!question) break;
      const bool save = Belmo::BoxText(question).rfind("ファイルの内容", 0) == 0;
      Belmo::Answer(question, save ? IDNO : IDYES);
      Belmo::WaitGone(question);
    }
    EXPECT_TRUE(belmo_.WaitExit(kLongWaitMs));
  }

 private:
  void Type(HWND box, const std::string& text) {
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
    ASSERT_TRUE(belmo_.Flush());
  }

  // The mask until its message shows (the working copy is written by
  // then), then Undo and Undo again; five times, each figure the median,
  // since a few milliseconds swing with what else the machine does.
  void Edit(const std::string& name, const char* mask, HWND MainControls::*button) {
    std::vector<double> times[3];
    for (int round = 0; round < 5; ++round) {
      Stopwatch edit;
      PostMessageA(controls_.get()->*button, BM_CLICK, 0, 0);
      HWND box = belmo_.WaitMessageBox(kLongWaitMs);
      ASSERT_NE(box, nullptr);
      times[0].push_back(edit.Ms());
      ASSERT_EQ(Belmo::BoxText(box), "処理が終了しました。");
      Belmo::Answer(box, IDOK);
      ASSERT_TRUE(belmo_.Flush(kLongWaitMs));
      for (int step = 1; step <= 2; ++step) {
        Stopwatch undo;
        belmo_.Command(kCmdUndo);
        ASSERT_TRUE(belmo_.Flush(kLongWaitMs, 1));
        times[step].push_back(undo.Ms());
      }
    }
    const char* suffixes[3] = {"", "_undo", "_redo"};
    for (int i = 0; i < 3; ++i) {
      std::sort(times[i].begin(), times[i].end());
      Report(name, (std::string(mask) + suffixes[i]).c_str(), times[i][2]);
    }
  }

  // 100 one-second places spread over the recording: masked one by one
  // from the main window (the times of the masks added up), then all at
  // once from the list of places, and that batch's Undo.
  void ManyPlaces(const std::string& name, double lengthSeconds) {
    constexpr int kPlaces = 100;
    std::string labels;
    std::vector<std::pair<std::string, std::string>> places;
    for (int i = 0; i < kPlaces; ++i) {
      const int startMs = static_cast<int>((lengthSeconds - 1) * 1000 * i / kPlaces);
      char start[32];
      char end[32];
      std::snprintf(start, sizeof start, "%.3f", startMs / 1000.0);
      std::snprintf(end, sizeof end, "%.3f", startMs / 1000.0 + 1);
      places.emplace_back(start, end);
      labels += std::string(start) + "\t" + end + "\n";
    }
    const std::string labelFile = TimesDir() + "\\places-" + name + ".txt";
    ASSERT_TRUE(WriteFileBytes(labelFile, std::vector<uint8_t>(labels.begin(), labels.end())));

    double singles = 0;
    for (const auto& [start, end] : places) {
      Type(controls_->startSeconds, start);
      Type(controls_->endSeconds, end);
      Stopwatch edit;
      PostMessageA(controls_->sineButton, BM_CLICK, 0, 0);
      HWND box = belmo_.WaitMessageBox(kLongWaitMs);
      ASSERT_NE(box, nullptr);
      singles += edit.Ms();
      Belmo::Answer(box, IDOK);
      ASSERT_TRUE(belmo_.Flush(kLongWaitMs));
    }
    Report(name, "singles100", singles);

    belmo_.Command(kCmdPlaces);
    ASSERT_TRUE(belmo_.Flush());
    HWND list = FindWindowA("PLACES", nullptr);
    ASSERT_NE(list, nullptr);
    PostMessageA(FindWindowExA(list, nullptr, "Button", "読み込み(&I)..."), BM_CLICK, 0, 0);
    HWND dialog = belmo_.WaitFileDialog();
    ASSERT_NE(dialog, nullptr);
    Belmo::ChooseFile(dialog, labelFile);
    ASSERT_TRUE(Belmo::WaitGone(dialog));
    ASSERT_TRUE(belmo_.Flush());
    Stopwatch batch;
    PostMessageA(FindWindowExA(list, nullptr, "Button", "すべてマスク(&S)"), BM_CLICK, 0, 0);
    HWND box = belmo_.WaitMessageBox(kLongWaitMs);
    ASSERT_NE(box, nullptr);
    Report(name, "batch100", batch.Ms());
    Belmo::Answer(box, IDOK);
    ASSERT_TRUE(belmo_.Flush(kLongWaitMs));
    Stopwatch undo;
    belmo_.Command(kCmdUndo);
    ASSERT_TRUE(belmo_.Flush(kLongWaitMs, 1));
    Report(name, "batch100_undo", undo.Ms());
  }

  std::string recording_;
  bool fft_;
  Belmo belmo_;
  std::unique_ptr<MainControls> controls_;
};

class EditTimes : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (TimesDir().empty()) GTEST_SKIP() << "BELMO_E2E_EDIT_TIMES_DIR is not set";
  }
};

TEST_P(EditTimes, OneSecondEditsOpenUndoAndSave) {
  // The least an open can cost here: it makes a working copy of the file,
  // and this is the system's own copy of it, doing nothing else.
  const std::string recording = TimesDir() + "\\" + GetParam() + ".wav";
  const std::string copy = TimesDir() + "\\copyfile.tmp";
  Stopwatch copyFile;
  ASSERT_TRUE(CopyFileA(recording.c_str(), copy.c_str(), FALSE));
  Report(GetParam(), "copyfile", copyFile.Ms());
  DeleteFileA(copy.c_str());
  for (bool fft : {true, false}) {
    SCOPED_TRACE(fft ? "fft" : "simple");
    EditRun(GetParam(), fft).Run();
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Recordings, EditTimes, ::testing::Values("minute", "hour"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
