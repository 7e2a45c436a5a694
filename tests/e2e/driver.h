// Works the real belmo.exe from outside, as a person would: starts it in a
// directory of its own, reads its windows, presses its buttons and answers
// its message boxes. Everything goes through public window messages, the
// way another process sees the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// A fresh directory holding a copy of belmo.exe; the program's working copy
// and settings.ini land here.
class Sandbox {
 public:
  explicit Sandbox(const std::string& name);
  const std::string& Dir() const { return dir_; }
  std::string Path(const std::string& fileName) const { return dir_ + "\\" + fileName; }
  std::string ExePath() const { return Path("belmo.exe"); }

 private:
  std::string dir_;
};

// Where screenshots are kept for people to look at.
std::string ScreenshotDir();
// The repository, as seen from inside Wine.
std::string SourceDir();
// The bundled sample recording copied into folder as sample.wav, since the
// clone may lie deeper than the program takes paths; that path, or empty
// when the copy failed.
std::string CopyOfSample(const std::string& folder);

class Belmo {
 public:
  ~Belmo();
  // Starts "exe" + commandTail; currentDir empty means the sandbox itself.
  bool Start(const Sandbox& sandbox, const std::string& commandTail,
             const std::string& currentDir = "");
  // Starts with an exact command line (for the command-line parsing cases).
  bool StartRaw(const std::string& commandLine, const std::string& currentDir);
  // The same through the wide function, for names outside code page 932.
  bool StartRaw(const std::wstring& commandLine, const std::wstring& currentDir);

  HWND WaitMainWindow(int timeoutMs = 10000);
  HWND Main() const { return main_; }
  DWORD Pid() const { return process_.dwProcessId; }

  // A visible message box (#32770) of the program, or nullptr after timeout.
  // File dialogs are not message boxes and are never returned here, nor is
  // `except` (a box already seen, when a second one is awaited).
  HWND WaitMessageBox(int timeoutMs = 5000, HWND except = nullptr);
  // A visible Open or Save dialog of the program (it has the file-name field).
  HWND WaitFileDialog(int timeoutMs = 10000);
  // Types a path into a file dialog and confirms it.
  static void ChooseFile(HWND dialog, const std::string& path);
  static void CancelDialog(HWND dialog) { Answer(dialog, IDCANCEL); }
  static bool WaitGone(HWND window, int timeoutMs = 5000);
  // Asserts nothing: returns the box's caption and text for the test to check.
  static std::string BoxText(HWND box);
  static void Answer(HWND box, int buttonId);

  // Child control of the main window (or of the range group) by class and
  // position relative to its parent's client area, as the layout places it
  // in 96-DPI pixels (scaled to the display's DPI, as the program scales it).
  HWND Control(const char* className, int x, int y, bool inRangeGroup = false) const;

  // Posted, as a menu choice is: many commands open a modal box.
  void Command(UINT id) const { PostMessageA(main_, WM_COMMAND, id, 0); }
  // Returns once the program has handled everything posted to it so far.
  // pollMs is how often it looks: finer for timings, where a 5 ms step
  // would be most of what is measured.
  bool Flush(int timeoutMs = 10000, int pollMs = 5) const;
  // The control that has the keyboard focus inside the program.
  HWND Focused() const;

  UINT MenuState(UINT id) const;
  bool MenuGrayed(UINT id) const;

  void Close();
  bool WaitExit(int timeoutMs = 10000);
  void Kill();
  bool Running() const;
  // The exit code of a program that has ended.
  DWORD ExitCode() const;
  // The largest memory the program has had resident so far, in bytes.
  uint64_t PeakMemoryBytes() const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
};

// The main window's controls, found where the layout puts them.
struct MainControls {
  HWND fileNameBox, rangeGroup, startTrackbar, endTrackbar, startSeconds, endSeconds, infoBox,
      playButton, seekCheck, seekStartRadio, seekRangeRadio, sineButton, voiceButton,
      fileButton;

  explicit MainControls(const Belmo& belmo)
      : fileNameBox(belmo.Control("Edit", 70, 10)),
        rangeGroup(belmo.Control("Button", 10, 40)),
        startTrackbar(belmo.Control("msctls_trackbar32", 60, 20, true)),
        endTrackbar(belmo.Control("msctls_trackbar32", 60, 50, true)),
        startSeconds(belmo.Control("Edit", 80, 80, true)),
        endSeconds(belmo.Control("Edit", 180, 80, true)),
        infoBox(belmo.Control("Edit", 40, 160)),
        playButton(belmo.Control("Button", 10, 190)),
        seekCheck(belmo.Control("Button", 120, 185)),
        seekStartRadio(belmo.Control("Button", 120, 205)),
        seekRangeRadio(belmo.Control("Button", 220, 205)),
        sineButton(belmo.Control("Button", 10, 230)),
        voiceButton(belmo.Control("Button", 105, 230)),
        fileButton(belmo.Control("Button", 200, 230)) {}
};

std::string Text(HWND window);
bool Enabled(HWND window);
// The display's DPI (96 unless the Wine prefix says otherwise), and a
// 96-DPI length at it, rounded as the program rounds.
UINT DisplayDpi();
int AtDisplayDpi(int pixels);
std::string ClassOf(HWND window);
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Saves the window (with its frame) as a BMP under ScreenshotDir().
bool Screenshot(HWND window, const std::string& name);

// Runs belmo-mask.exe, beside the driver, as a Windows user runs it, with
// its standard streams on files when they are named (as a pipeline hands
// them over); its exit code, or -1 when it did not start.
int RunMaskTool(const std::string& arguments, const std::string& in = "",
                const std::string& out = "", const std::string& err = "");
// The same through the wide command line, for names outside code page 932,
// with both output streams on the file messages.
int RunMaskTool(const std::wstring& arguments, const std::wstring& messages);

// Files.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);
bool FileExists(const std::string& path);
bool IsHidden(const std::string& path);

// A canonical PCM WAVE image: 44-byte header and the given sample bytes.
std::vector<uint8_t> PcmWave(int channels, int sampleRate, int bits,
                             const std::vector<uint8_t>& samples);
// One second of a quiet ramp at 8 kHz, 16-bit mono: measures exactly 1000 ms.
std::vector<uint8_t> OneSecondWave();

}  // namespace e2e
