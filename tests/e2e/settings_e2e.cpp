// The settings window and the About window as the user works them: the
// three pages, OK with its checks, キャンセル, the close button, the keyboard,
// the previews through the sound device, "参照", and what reaches
// settings.ini and the masks.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_messages.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const std::string kSineInvalid = "正弦波の設定値が異常です。";
const std::string kVoiceInvalid = "ボイスチェンジの設定値が異常です。";
const std::string kSettingsInvalid = "設定値が異常です。";
const std::string kNoOverwriteFile = "上書き用ファイルが選択されていません。";

std::string FileText(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes)) return "<missing>";
  return std::string(bytes.begin(), bytes.end());
}

bool WriteText(const std::string& path, const std::string& text) {
  return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// settings.ini with these eight values, in the order of its keys.
std::string SettingsText(std::initializer_list<std::string> values) {
  const char* keys[] = {"SinHz",       "SindB",     "PitchUpType",       "VoicePitch",
                        "VoiceSample", "FFTSample", "OverWriteFilePath", "OverWriteType"};
  std::string text = "[Settings]\r\n";
  const char** key = keys;
  for (const std::string& value : values) text += std::string(*key++) + "=" + value + "\r\n";
  return text;
}

struct TopSearch {
  DWORD pid;
  const char* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && ClassOf(window) == "SETWINDOW" && IsWindowVisible(window) &&
      Text(window) == search->caption) {
    search->found.push_back(window);
  }
  return TRUE;
}

// The program's visible SETWINDOW windows with this caption.
std::vector<HWND> TopWindows(const Belmo& belmo, const char* caption) {
  TopSearch search = {belmo.Pid(), caption, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitTopWindow(const Belmo& belmo, const char* caption, size_t count = 1) {
  for (int waited = 0; waited < 10000; waited += 20) {
    std::vector<HWND> found = TopWindows(belmo, caption);
    if (found.size() >= count) return found.back();
    Sleep(20);
  }
  return nullptr;
}

struct ChildSearch {
  HWND parent;
  std::string className;
  POINT origin;
  std::string text;  // matched instead of the position when not empty
  HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ChildSearch*>(param);
  if (ClassOf(window) != search->className) return TRUE;
  if (!search->text.empty()) {
    if (Text(window) != search->text) return TRUE;
  } else {
    if (GetParent(window) != search->parent) return TRUE;
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, search->parent, reinterpret_cast<POINT*>(&rect), 2);
    if (rect.left != search->origin.x || rect.top != search->origin.y) return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND ChildAt(HWND top, HWND parent, const char* className, int x, int y) {
  ChildSearch search = {parent, className, {x, y}, "", nullptr};
  EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildWithText(HWND top, const char* className, const std::string& text) {
  ChildSearch search = {nullptr, className, {0, 0}, text, nullptr};
  EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectText(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<std::string>*>(param)->push_back(Text(window));
  return TRUE;
}

std::vector<std::string> ChildTexts(HWND top) {
  std::vector<std::string> texts;
  EnumChildWindows(top, CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// The settings window's controls, found where the layout puts them. The
// three pages sit on top of each other; each is known by its preview
// button.
struct SettingsControls {
  HWND top, tab, ok, cancel, pages[3];
  HWND sinHz, sindB, sinePreview;
  HWND methodGroup, fftRadio, simpleRadio, voicePitch, sampleWaveforms, fftList, voicePreview;
  HWND pathBox, browse, modeGroup, onceRadio, continuousRadio, filePreview;

  explicit SettingsControls(HWND window) : top(window) {
    tab = ChildAt(top, top, "SysTabControl32", 0, 0);
    ok = ChildAt(top, top, "Button", 10, 235);
    cancel = ChildAt(top, top, "Button", 105, 235);
    sinePreview = ChildWithText(top, "Button", "正弦波の試聴");
    voicePreview = ChildWithText(top, "Button", "ボイスチェンジの試聴");
    filePreview = ChildWithText(top, "Button", "上書きファイルの試聴");
    pages[0] = GetParent(sinePreview);
    pages[1] = GetParent(voicePreview);
    pages[2] = GetParent(filePreview);
    sinHz = ChildAt(top, pages[0], "Edit", 110, 10);
    sindB = ChildAt(top, pages[0], "Edit", 110, 40);
    methodGroup = ChildAt(top, pages[1], "Button", 10, 10);
    fftRadio = ChildAt(top, methodGroup, "Button", 10, 20);
    simpleRadio = ChildAt(top, methodGroup, "Button", 90, 20);
    voicePitch = ChildAt(top, pages[1], "Edit", 110, 70);
    sampleWaveforms = ChildAt(top, pages[1], "Edit", 110, 100);
    fftList = ChildAt(top, pages[1], "ComboBox", 110, 133);
    pathBox = ChildAt(top, pages[2], "Edit", 10, 40);
    browse = ChildAt(top, pages[2], "Button", 160, 40);
    modeGroup = ChildAt(top, pages[2], "Button", 10, 70);
    onceRadio = ChildAt(top, modeGroup, "Button", 10, 20);
    continuousRadio = ChildAt(top, modeGroup, "Button", 90, 20);
  }

  // For failure messages: the class and the text say which control it is.
  static std::string Name(HWND window) {
    return window ? ClassOf(window) + " \"" + Text(window) + "\"" : "nothing";
  }
};

bool Checked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

// The tab's rectangle comes from the program's own memory: the message
// carries a pointer, so the rectangle is placed there and read back.
RECT TabItemRect(HWND tab, int index) {
  RECT rect = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(tab, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return rect;
  void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    Send(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return rect;
}

bool ThreadEnds(DWORD threadId, int timeoutMs = 5000) {
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
  if (!thread) return true;  // already gone
  bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

struct PreviewStatus {
  int state;  // 0 idle, 1 playing, 2 draining
  int kind;
  int block;
};

constexpr int kIdle = 0, kPlaying = 1, kDraining = 2;
constexpr int kSineKind = 0, kSimpleKind = 1;

// The program on an optional document, in a sandbox of the test's name.
class Settings : public ::testing::Test {
 protected:
  Settings()
      : sandbox_(std::string("settings-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void Start(bool withDocument, const std::string& settingsIni = "") {
    if (!settingsIni.empty()) {
      ASSERT_TRUE(WriteText(sandbox_.Path("settings.ini"), settingsIni));
    }
    std::string tail;
    if (withDocument) {
      ASSERT_TRUE(WriteFileBytes(sandbox_.Path("take.wav"), OneSecondWave()));
      tail = " \"" + sandbox_.Path("take.wav") + "\"";
    }
    ASSERT_TRUE(belmo_.Start(sandbox_, tail));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
  }

  void OpenSettings() {
    belmo_.Command(kCmdSettings);
    HWND window = WaitTopWindow(belmo_, "設定");
    ASSERT_NE(window, nullptr) << "no settings window";
    c_ = std::make_unique<SettingsControls>(window);
    ASSERT_NE(c_->filePreview, nullptr);
    ASSERT_NE(c_->continuousRadio, nullptr);
    ASSERT_TRUE(Flush());
  }

  // As Belmo::Flush, but through the settings thread's queue: a marker
  // posted to the read-only path box, read back once handled.
  bool Flush() {
    static WPARAM marker = 200000;
    for (int round = 0; round < 2; ++round) {
      ++marker;
      PostMessageA(c_->pathBox, EM_SETLIMITTEXT, marker, 0);
      for (int waited = 0; Send(c_->pathBox, EM_GETLIMITTEXT) != static_cast<LRESULT>(marker);
           waited += 5) {
        if (waited > 10000 || !IsWindow(c_->pathBox)) return false;
        Sleep(5);
      }
    }
    return true;
  }

  HWND Focused() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(c_->top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
  }

  // Another window of the shared display taking the activation for a
  // moment (a program of an earlier test ending) leaves no control of the
  // settings window focused; a key posted then would go nowhere. Active
  // again, the window gives the focus back to the control that had it.
  void FocusBackInside() {
    for (int waited = 0; waited < 2000; waited += 20) {
      HWND focus = Focused();
      if (focus && IsChild(c_->top, focus)) return;
      SetForegroundWindow(c_->top);
      Sleep(20);
    }
    FAIL() << "the settings window did not take the focus back";
  }

  void Type(HWND box, const std::string& text) {
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
    ASSERT_TRUE(Flush());
  }

  void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

  // A click into an edit box gives it the focus.
  void ClickInto(HWND box) {
    PostMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(Flush());
    ASSERT_EQ(Focused(), box);
  }

  void ClickTab(int index) {
    RECT rect = TabItemRect(c_->tab, index);
    ASSERT_GT(rect.right, rect.left) << "tab " << index << " has no rectangle";
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(c_->tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(c_->tab, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(Flush());
  }

  void ExpectPageOnShow(int index) {
    for (int page = 0; page < 3; ++page) {
      EXPECT_EQ(IsWindowVisible(c_->pages[page]) != 0, page == index)
          << "page " << page << " with tab " << index;
    }
    EXPECT_EQ(Send(c_->tab, TCM_GETCURSEL), index);
  }

  // Expects a box of the program's with exactly this text and closes it.
  void ExpectBox(const std::string& text) {
    HWND box = belmo_.WaitMessageBox();
    ASSERT_NE(box, nullptr) << "no box for: " << text;
    EXPECT_EQ(Text(box), "ベルモ");
    EXPECT_EQ(Belmo::BoxText(box), text);
    Belmo::Answer(box, IDOK);
    ASSERT_TRUE(Belmo::WaitGone(box));
  }

  void ExpectNoBox() { EXPECT_EQ(belmo_.WaitMessageBox(300), nullptr); }

  PreviewStatus Preview() const {
    auto status = static_cast<unsigned long long>(Send(c_->pages[0], kMsgQueryPreview));
    return {static_cast<int>(status & 0xF), static_cast<int>((status >> 4) & 0xF),
            static_cast<int>(status >> 8)};
  }

  bool WaitPreview(int state, int minimumBlock = 0, int timeoutMs = 10000) const {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      PreviewStatus now = Preview();
      if (now.state == state && now.block >= minimumBlock) return true;
      Sleep(50);
    }
    return false;
  }

  // Closes the window with キャンセル and waits for its thread to end.
  void Cancel() {
    DWORD thread = GetWindowThreadProcessId(c_->top, nullptr);
    Click(c_->cancel);
    EXPECT_TRUE(Belmo::WaitGone(c_->top));
    EXPECT_TRUE(ThreadEnds(thread)) << "the settings thread outlived its window";
  }

  std::string ExitAndReadSettings() {
    belmo_.Close();
    EXPECT_TRUE(belmo_.WaitExit()) << "the program did not end";
    return FileText(sandbox_.Path("settings.ini"));
  }

  Sandbox sandbox_;
  Belmo belmo_;
  std::unique_ptr<SettingsControls> c_;
};

}  // namespace

TEST_F(Settings, ShowsTheStoredValuesOnThreePagesAndCancelKeepsThem) {
  // Values the window has to translate: an FFT method other than 1, half of
  // an odd VoiceSample, an FFT index the list does not have, a mode above 1.
  const std::string stored =
      SettingsText({"440", "-3.5", "5", "1.5", "101", "7", "C:\\noise.wav", "2"});
  ASSERT_NO_FATAL_FAILURE(Start(false, stored));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  SettingsControls& c = *c_;

  RECT client;
  GetClientRect(c.top, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 260);
  EXPECT_EQ(Text(c.ok), "OK");
  EXPECT_EQ(Text(c.cancel), "キャンセル");

  EXPECT_EQ(Text(c.sinHz), "440");
  EXPECT_EQ(Text(c.sindB), "-3.5");
  EXPECT_EQ(Text(c.voicePitch), "1.5");
  EXPECT_EQ(Text(c.sampleWaveforms), "50.5");
  EXPECT_TRUE(Checked(c.fftRadio));
  EXPECT_FALSE(Checked(c.simpleRadio));
  EXPECT_EQ(Send(c.fftList, CB_GETCOUNT), 5);
  EXPECT_EQ(Send(c.fftList, CB_GETCURSEL), 3);
  EXPECT_EQ(Text(c.fftList), "4096");
  EXPECT_EQ(Text(c.pathBox), "C:\\noise.wav");
  EXPECT_TRUE(Checked(c.continuousRadio));
  EXPECT_FALSE(Checked(c.onceRadio));

  const std::vector<std::string> texts = ChildTexts(c.top);
  for (const char* label :
       {"正弦波の周波数:", "Hz", "正弦波の音量:", "dB", "音程比:", "ボイスチェンジの方法", "FFT",
        "単純型", "倍", "サンプル波形数:", "回", "FFTサンプル数:", "上書きファイル:", "参照",
        "上書き方法", "一回", "連続"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
  }
  // Without a document there is nothing to preview, for the whole life of
  // the window.
  for (HWND button : {c.sinePreview, c.voicePreview, c.filePreview}) {
    EXPECT_FALSE(Enabled(button)) << Text(button);
  }

  ExpectPageOnShow(0);
  Screenshot(c.top, "settings-stored-sine");
  ASSERT_NO_FATAL_FAILURE(ClickTab(1));
  ExpectPageOnShow(1);
  Screenshot(c.top, "settings-stored-voice");
  ASSERT_NO_FATAL_FAILURE(ClickTab(2));
  ExpectPageOnShow(2);
  Screenshot(c.top, "settings-stored-file");
  ASSERT_NO_FATAL_FAILURE(ClickTab(0));
  ExpectPageOnShow(0);

  // Edits that キャンセル throws away.
  ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, "880"));
  Click(c.simpleRadio);
  ASSERT_TRUE(Flush());
  EXPECT_FALSE(Checked(c.fftRadio)) << "the pair unchecks its other button";
  ASSERT_NO_FATAL_FAILURE(Cancel());

  // A second command while one window is open brings that one forward.
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  EXPECT_EQ(Text(c_->sinHz), "440");
  belmo_.Command(kCmdSettings);
  ASSERT_TRUE(belmo_.Flush());
  Sleep(300);
  EXPECT_EQ(TopWindows(belmo_, "設定").size(), 1u);
  ASSERT_NO_FATAL_FAILURE(Cancel());

  EXPECT_EQ(ExitAndReadSettings(), stored) << "キャンセル must leave every value as it was";
}

TEST_F(Settings, OkStoresAllValuesForTheMasksAndForSettingsIni) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  SettingsControls& c = *c_;
  // The pages as a first use shows them, for the help: the defaults, with
  // a file open to preview.
  Screenshot(c.top, "settings-page-sine");
  ASSERT_NO_FATAL_FAILURE(ClickTab(1));
  Screenshot(c.top, "settings-page-voice");
  ASSERT_NO_FATAL_FAILURE(ClickTab(2));
  Screenshot(c.top, "settings-page-file");
  ASSERT_NO_FATAL_FAILURE(ClickTab(0));
  ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, "500"));
  ASSERT_NO_FATAL_FAILURE(Type(c.sindB, "0"));
  ASSERT_NO_FATAL_FAILURE(Type(c.voicePitch, "3"));
  ASSERT_NO_FATAL_FAILURE(Type(c.sampleWaveforms, "50.7"));
  Click(c.fftRadio);
  Send(c.fftList, CB_SETCURSEL, 1);
  Click(c.continuousRadio);
  ASSERT_TRUE(Flush());
  Click(c.ok);
  ASSERT_TRUE(Belmo::WaitGone(c.top));
  ExpectNoBox();

  // The next sine mask writes the new tone over the whole second: 500 Hz
  // at 8 kHz is a period of 16 samples, at full scale.
  HWND sineButton = belmo_.Control("Button", 10, 230);
  PostMessageA(sineButton, BM_CLICK, 0, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectBox("処理が終了しました。"));
  ASSERT_TRUE(belmo_.Flush());
  std::vector<uint8_t> expected = OneSecondWave();
  for (size_t k = 0; k < 8000; ++k) {
    const double theta = (static_cast<double>(2 * k % 32) / 32.0) * 6.283185307179586;
    const auto sample = static_cast<int16_t>(std::floor(1.0 * (std::sin(theta) * 32767)));
    expected[44 + 2 * k] = static_cast<uint8_t>(sample & 0xFF);
    expected[45 + 2 * k] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
  }
  std::vector<uint8_t> workingCopy;
  ASSERT_TRUE(ReadFileBytes(sandbox_.Path("temp.tmp"), &workingCopy));
  EXPECT_TRUE(workingCopy == expected) << "the mask did not use the tone set with OK";

  // 50.7 waveforms were stored as 100 and show as 50.
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  EXPECT_EQ(Text(c_->sampleWaveforms), "50");
  EXPECT_TRUE(Checked(c_->fftRadio));
  EXPECT_EQ(Text(c_->fftList), "1024");
  ASSERT_NO_FATAL_FAILURE(Cancel());

  // The document has changed: the exit asks, and "no" leaves it unsaved.
  belmo_.Close();
  HWND question = belmo_.WaitMessageBox();
  ASSERT_NE(question, nullptr);
  Belmo::Answer(question, IDNO);
  ASSERT_TRUE(belmo_.WaitExit());
  EXPECT_EQ(FileText(sandbox_.Path("settings.ini")),
            SettingsText({"500", "0", "1", "3", "100", "1", "", "1"}));
}

TEST_F(Settings, OkRefusesInvalidValuesInOrderAndTheCloseButtonJudgesWhatIsStored) {
  ASSERT_NO_FATAL_FAILURE(Start(false));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  SettingsControls& c = *c_;

  // The frequency 0: refused by OK, and then stored, so the title bar's
  // close button refuses as well.
  ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, "0"));
  Click(c.ok);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kSineInvalid));
  PostMessageA(c.top, WM_CLOSE, 0, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kSettingsInvalid));
  EXPECT_TRUE(IsWindowVisible(c.top));

  // The About window shares the close check.
  belmo_.Command(kCmdAbout);
  HWND about = WaitTopWindow(belmo_, "バージョン情報");
  ASSERT_NE(about, nullptr);
  PostMessageA(about, WM_CLOSE, 0, 0);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kSettingsInvalid));
  EXPECT_TRUE(IsWindowVisible(about));

  const struct {
    const char *hz, *db, *pitch, *waveforms;
    const std::string* message;
  } cases[] = {
      {"1000", "0.5", "2", "50", &kSineInvalid},
      {"1000", "0", "0", "50", &kVoiceInvalid},
      {"1000", "0", "2", "0.9", &kVoiceInvalid},
      {"abc", "0", "-1", "50", &kSineInvalid},  // both pages wrong: only the first message
      {"1000", "-10", "abc", "50", &kVoiceInvalid},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(std::string(each.hz) + " " + each.db + " " + each.pitch + " " + each.waveforms);
    ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, each.hz));
    ASSERT_NO_FATAL_FAILURE(Type(c.sindB, each.db));
    ASSERT_NO_FATAL_FAILURE(Type(c.voicePitch, each.pitch));
    ASSERT_NO_FATAL_FAILURE(Type(c.sampleWaveforms, each.waveforms));
    Click(c.ok);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(*each.message));
    EXPECT_TRUE(IsWindowVisible(c.top));
    EXPECT_EQ(Text(c.sinHz), each.hz) << "a refusal keeps what was typed";
  }

  // キャンセル closes whatever is stored; the refused values stay stored.
  ASSERT_NO_FATAL_FAILURE(Cancel());
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_EQ(ExitAndReadSettings(), SettingsText({"1000", "-10", "0", "0", "100", "3", "", "0"}))
      << "the exit also ends the About window that could not be closed";
}

// Posted key messages stand in for most keys. Shift+Tab is typed for real
// (SendInput), since the program asks for the Shift key's own state.
TEST_F(Settings, KeyboardChainsFollowThePageOnShowAndArrowsMoveTheRadioChoice) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  SettingsControls& c = *c_;

  auto key = [&](UINT message, WPARAM code) {
    ASSERT_NO_FATAL_FAILURE(FocusBackInside());
    PostMessageA(Focused(), message, code, 1);
    ASSERT_TRUE(Flush());
  };
  auto tabs = [&](std::initializer_list<HWND> chain) {
    for (HWND next : chain) {
      ASSERT_NO_FATAL_FAILURE(FocusBackInside());
      HWND from = Focused();
      key(WM_CHAR, VK_TAB);
      EXPECT_EQ(c.Name(Focused()), c.Name(next)) << "Tab from " << c.Name(from);
    }
  };
  auto shiftTab = [&](HWND expected) {
    HWND from = Focused();
    INPUT input[4] = {};
    const WORD keys[4] = {VK_SHIFT, VK_TAB, VK_TAB, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
      input[i].type = INPUT_KEYBOARD;
      input[i].ki.wVk = keys[i];
      input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, input, sizeof(INPUT));
    for (int waited = 0; waited < 2000 && Focused() == from; waited += 10) Sleep(10);
    EXPECT_EQ(c.Name(Focused()), c.Name(expected)) << "Shift+Tab from " << c.Name(from);
  };

  ASSERT_NO_FATAL_FAILURE(ClickInto(c.sinHz));
  tabs({c.sindB, c.sinePreview, c.ok, c.cancel, c.sinHz});
  shiftTab(c.cancel);
  shiftTab(c.ok);
  shiftTab(c.sinePreview);

  // Page 1 with "単純型" checked: after キャンセル the chain enters the pair
  // at its checked button.
  ASSERT_NO_FATAL_FAILURE(ClickTab(1));
  ASSERT_TRUE(Checked(c.simpleRadio));
  ASSERT_NO_FATAL_FAILURE(ClickInto(c.voicePitch));
  tabs({c.sampleWaveforms, c.fftList, c.voicePreview, c.ok, c.cancel, c.simpleRadio,
        c.voicePitch});
  shiftTab(c.simpleRadio);
  key(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(c.Name(Focused()), c.Name(c.fftRadio));
  EXPECT_TRUE(Checked(c.fftRadio));
  EXPECT_FALSE(Checked(c.simpleRadio));
  tabs({c.voicePitch});
  shiftTab(c.fftRadio);
  shiftTab(c.cancel);

  // Page 2: the arrows hand the choice between "一回" and "連続".
  ASSERT_NO_FATAL_FAILURE(ClickTab(2));
  ASSERT_NO_FATAL_FAILURE(ClickInto(c.pathBox));
  tabs({c.browse, c.onceRadio});
  key(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(c.Name(Focused()), c.Name(c.continuousRadio));
  EXPECT_TRUE(Checked(c.continuousRadio));
  EXPECT_FALSE(Checked(c.onceRadio));
  key(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(c.Name(Focused()), c.Name(c.onceRadio));
  EXPECT_TRUE(Checked(c.onceRadio));
  tabs({c.filePreview, c.ok});
  shiftTab(c.filePreview);

  // Enter presses the focused button: "上書きファイルの試聴" without a file,
  // then キャンセル.
  key(WM_KEYDOWN, VK_RETURN);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kNoOverwriteFile));
  tabs({c.ok, c.cancel});
  DWORD thread = GetWindowThreadProcessId(c.top, nullptr);
  PostMessageA(Focused(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(Belmo::WaitGone(c.top));
  EXPECT_TRUE(ThreadEnds(thread));
  ExpectNoBox();
}

TEST_F(Settings, PreviewsPlayStopAndRefuseWhatNoMaskCanUse) {
  ASSERT_NO_FATAL_FAILURE(Start(true));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  SettingsControls& c = *c_;
  for (HWND button : {c.sinePreview, c.voicePreview, c.filePreview}) {
    EXPECT_TRUE(Enabled(button)) << Text(button);
  }
  ASSERT_EQ(Preview().state, kIdle);

  // The sine tone runs until its button is pressed again; the buffers come
  // back and are refilled meanwhile, and after the stop the queued ones
  // play out before the device is closed.
  Click(c.sinePreview);
  ASSERT_TRUE(Flush());
  EXPECT_EQ(Preview().kind, kSineKind);
  ASSERT_TRUE(WaitPreview(kPlaying, 3)) << "no buffer came back from the sound device";
  Click(c.sinePreview);
  ASSERT_TRUE(Flush());
  EXPECT_EQ(Preview().state, kDraining);
  EXPECT_TRUE(WaitPreview(kIdle, 0, 5000)) << "the device was not closed after the stop";

  // A press on another page's button ends the playing preview at once and
  // starts its own. The voice preview plays the one-second document in two
  // half-second blocks and ends by itself.
  Click(c.sinePreview);
  ASSERT_TRUE(Flush());
  ASSERT_EQ(Preview().state, kPlaying);
  ASSERT_NO_FATAL_FAILURE(ClickTab(1));
  Click(c.voicePreview);
  ASSERT_TRUE(Flush());
  EXPECT_EQ(Preview().kind, kSimpleKind);
  EXPECT_TRUE(WaitPreview(kIdle, 1, 5000)) << "the voice preview did not end with its source";

  // Values no mask can use play nothing and say why, as OK would.
  ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, "9000"));  // a period under 2 bytes at 8 kHz
  Click(c.sinePreview);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kSineInvalid));
  EXPECT_EQ(Preview().state, kIdle);
  ASSERT_NO_FATAL_FAILURE(Type(c.sinHz, "1000"));
  ASSERT_NO_FATAL_FAILURE(Type(c.voicePitch, "0"));
  Click(c.voicePreview);
  ASSERT_NO_FATAL_FAILURE(ExpectBox(kVoiceInvalid));
  EXPECT_EQ(Preview().state, kIdle);

  // Without a file the file preview only reminds, every time.
  for (int press = 0; press < 2; ++press) {
    Click(c.filePreview);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kNoOverwriteFile));
  }

  // Closing the window stops a playing preview; the next window starts
  // clean, so its first press starts rather than stops.
  Click(c.sinePreview);
  ASSERT_TRUE(Flush());
  ASSERT_EQ(Preview().state, kPlaying);
  ASSERT_NO_FATAL_FAILURE(Cancel());
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  EXPECT_EQ(Preview().state, kIdle);
  Click(c_->sinePreview);
  ASSERT_TRUE(Flush());
  EXPECT_EQ(Preview().state, kPlaying);

  // The exit ends the settings thread with its preview still playing.
  belmo_.Close();
  EXPECT_TRUE(belmo_.WaitExit()) << "the program did not end with a preview playing";
}

TEST_F(Settings, BrowseFillsOnlyThePathBox) {
  ASSERT_NO_FATAL_FAILURE(Start(false));
  const std::string noise = sandbox_.Path("noise.wav");
  ASSERT_TRUE(WriteFileBytes(noise, OneSecondWave()));
  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  ASSERT_NO_FATAL_FAILURE(ClickTab(2));
  Click(c_->browse);
  HWND dialog = belmo_.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, noise);
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  ASSERT_TRUE(Flush());
  EXPECT_EQ(Text(c_->pathBox), noise);
  ASSERT_NO_FATAL_FAILURE(Cancel());

  ASSERT_NO_FATAL_FAILURE(OpenSettings());
  EXPECT_EQ(Text(c_->pathBox), "") << "only OK stores the chosen file";
  ASSERT_NO_FATAL_FAILURE(ClickTab(2));
  Click(c_->browse);
  dialog = belmo_.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, noise);
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  ASSERT_TRUE(Flush());
  Click(c_->ok);
  ASSERT_TRUE(Belmo::WaitGone(c_->top));
  EXPECT_EQ(ExitAndReadSettings(), SettingsText({"1000", "-10", "0", "2", "100", "3", noise, "0"}));
}

TEST(About, OpensTwiceAndEachWindowClosesOnItsOwn) {
  Sandbox sandbox("about-twice");
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);

  belmo.Command(kCmdAbout);
  HWND first = WaitTopWindow(belmo, "バージョン情報");
  ASSERT_NE(first, nullptr);
  belmo.Command(kCmdAbout);
  ASSERT_NE(WaitTopWindow(belmo, "バージョン情報", 2), nullptr);
  std::vector<HWND> windows = TopWindows(belmo, "バージョン情報");
  ASSERT_EQ(windows.size(), 2u);
  HWND second = windows[0] == first ? windows[1] : windows[0];
  EXPECT_NE(GetWindowThreadProcessId(first, nullptr), GetWindowThreadProcessId(second, nullptr));

  RECT client;
  GetClientRect(first, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 130);
  EXPECT_EQ(ChildTexts(first),
            (std::vector<std::string>{"ソフト名 : ベルモ", "バージョン : 1.1.3.0",
                                      "リリース : 2004年08月15日"}));
  Screenshot(first, "about");
  EXPECT_TRUE(belmo.Flush()) << "the main window stopped answering";

  DWORD firstThread = GetWindowThreadProcessId(first, nullptr);
  PostMessageA(first, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Belmo::WaitGone(first));
  EXPECT_TRUE(ThreadEnds(firstThread));
  EXPECT_TRUE(IsWindowVisible(second));

  DWORD secondThread = GetWindowThreadProcessId(second, nullptr);
  PostMessageA(second, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Belmo::WaitGone(second));
  EXPECT_TRUE(ThreadEnds(secondThread));

  belmo.Close();
  EXPECT_TRUE(belmo.WaitExit());
}
