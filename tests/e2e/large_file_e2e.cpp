// A recording of an hour through the program's own window: it opens, each
// mask runs over its whole length, Undo takes the edit out and puts it back,
// and Save As writes exactly what belmo-mask wrote natively for the same
// settings. Needs files hundreds of megabytes long, so it runs only when
// bench/large_file_check.sh --wine prepares them and names their directory
// in BELMO_E2E_LARGE_DIR; otherwise it is skipped.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

constexpr int kLongWaitMs = 10 * 60 * 1000;

// Each job's settings.ini (with the source as Windows sees it) is
// NAME-win.ini and belmo-mask's output for the same settings is NAME.wav.
struct Job {
  const char* name;
  HWND MainControls::*button;
};

const Job kJobs[] = {
    {"sine", &MainControls::sineButton},        {"simple2", &MainControls::voiceButton},
    {"simple05", &MainControls::voiceButton},   {"fft", &MainControls::voiceButton},
    {"loop", &MainControls::fileButton},        {"once", &MainControls::fileButton},
};

void PrintTo(const Job& job, std::ostream* out) { *out << job.name; }

std::string LargeDir() {
  const char* dir = std::getenv("BELMO_E2E_LARGE_DIR");
  return dir ? dir : "";
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// "" when the two files hold the same bytes, else where they part. Reads a
// piece at a time: the files are far larger than what a test should hold.
std::string FileDifference(const std::string& got, const std::string& want) {
  HANDLE a = CreateFileA(got.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  HANDLE b = CreateFileA(want.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  std::string difference;
  if (a == INVALID_HANDLE_VALUE || b == INVALID_HANDLE_VALUE) {
    difference = "cannot open " + (a == INVALID_HANDLE_VALUE ? got : want);
  } else if (FileSize(got) != FileSize(want)) {
    difference = got + " has " + std::to_string(FileSize(got)) + " bytes, " + want + " has " +
                 std::to_string(FileSize(want));
  } else {
    std::vector<char> pieceA(8 << 20), pieceB(8 << 20);
    for (uint64_t offset = 0; difference.empty();) {
      DWORD readA = 0, readB = 0;
      if (!ReadFile(a, pieceA.data(), static_cast<DWORD>(pieceA.size()), &readA, nullptr) ||
          !ReadFile(b, pieceB.data(), static_cast<DWORD>(pieceB.size()), &readB, nullptr) ||
          readA != readB) {
        difference = "read failed at byte " + std::to_string(offset);
        break;
      }
      if (readA == 0) break;
      for (DWORD i = 0; i < readA; ++i) {
        if (pieceA[i] != pieceB[i]) {
          difference = got + " differs from " + want + " at byte " + std::to_string(offset + i);
          break;
        }
      }
      offset += readA;
    }
  }
  if (a != INVALID_HANDLE_VALUE) CloseHandle(a);
  if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  return difference;
}

double SecondsSince(ULONGLONG started) { return (GetTickCount64() - started) / 1000.0; }

class LargeFile : public ::testing::TestWithParam<Job> {
 protected:
  void SetUp() override {
    dir_ = LargeDir();
    if (dir_.empty()) GTEST_SKIP() << "BELMO_E2E_LARGE_DIR is not set";
    if (!FileExists(Reference())) GTEST_SKIP() << "no " << Reference();
  }

  std::string Input() const { return dir_ + "\\in.wav"; }
  std::string Reference() const { return dir_ + "\\" + GetParam().name + ".wav"; }
  std::string Settings() const { return dir_ + "\\" + GetParam().name + "-win.ini"; }

  std::string dir_;
};

// Figures go to standard output as a table row for the script to show.
TEST_P(LargeFile, MasksUndoesAndSavesTheWholeHour) {
  Sandbox sandbox(std::string("large-") + GetParam().name);
  ASSERT_TRUE(CopyFileA(Settings().c_str(), sandbox.Path("settings.ini").c_str(), FALSE));
  const std::string workingCopy = sandbox.Path("temp.tmp");
  const std::string saved = sandbox.Path("saved.wav");
  const double fileMb = FileSize(Input()) / 1e6;

  Belmo belmo;
  ULONGLONG started = GetTickCount64();
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + Input() + "\""));
  ASSERT_NE(belmo.WaitMainWindow(kLongWaitMs), nullptr);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  const double loadSeconds = SecondsSince(started);
  ASSERT_EQ(belmo.WaitMessageBox(0), nullptr) << Belmo::BoxText(belmo.WaitMessageBox(0));
  MainControls controls(belmo);
  EXPECT_EQ(Text(controls.startSeconds), "0.000");
  // 44.1 kHz 16-bit stereo behind a 44-byte header: 176.4 bytes a millisecond.
  const uint64_t lengthMs = (FileSize(Input()) - 44) * 10 / 1764;
  char endText[32];
  std::snprintf(endText, sizeof endText, "%llu.%03llu", lengthMs / 1000, lengthMs % 1000);
  EXPECT_EQ(Text(controls.endSeconds), endText);

  started = GetTickCount64();
  PostMessageA(controls.*GetParam().button, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox(kLongWaitMs);
  ASSERT_NE(box, nullptr);
  const double maskSeconds = SecondsSince(started);
  EXPECT_EQ(Belmo::BoxText(box), "処理が終了しました。");
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  EXPECT_EQ(FileDifference(workingCopy, Reference()), "");

  started = GetTickCount64();
  belmo.Command(kCmdUndo);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  const double undoSeconds = SecondsSince(started);
  EXPECT_EQ(FileDifference(workingCopy, Input()), "");
  belmo.Command(kCmdUndo);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  EXPECT_EQ(FileDifference(workingCopy, Reference()), "");

  belmo.Command(kCmdSaveAs);
  HWND dialog = belmo.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  started = GetTickCount64();
  Belmo::ChooseFile(dialog, saved);
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  const double saveSeconds = SecondsSince(started);
  EXPECT_EQ(belmo.WaitMessageBox(0), nullptr);
  EXPECT_EQ(FileDifference(saved, Reference()), "");

  const double peakMb = belmo.PeakMemoryBytes() / 1e6;
  belmo.Close();
  EXPECT_EQ(belmo.WaitMessageBox(2000), nullptr) << "a saved recording asks nothing at exit";
  EXPECT_TRUE(belmo.WaitExit(kLongWaitMs));
  // The image and its undo copy, and little else: the program and Wine
  // themselves take some 75 MB whatever the recording.
  EXPECT_LT(peakMb, 2.1 * fileMb + 150);
  std::printf("| %-9s | %6.1f | %6.1f | %6.1f | %6.1f | %7.0f | %6.2f |\n", GetParam().name,
              loadSeconds, maskSeconds, undoSeconds, saveSeconds, peakMb, peakMb / fileMb);
  std::fflush(stdout);
  DeleteFileA(saved.c_str());
}

INSTANTIATE_TEST_SUITE_P(EveryMask, LargeFile, ::testing::ValuesIn(kJobs),
                         [](const ::testing::TestParamInfo<Job>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
