// The windows on a display of 150 % scaling (144 DPI): every window and
// control at the position and size of its layout times 1.5 (rounded as
// MulDiv rounds), the shared font 18 pixels high. Runs in the e2e_144dpi
// test's Wine prefix, whose display is set to 144 DPI; skipped at any other.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

constexpr UINT kDpi = 144;

int At144(int pixels) { return MulDiv(pixels, kDpi, 96); }

class HighDpi : public ::testing::Test {
 protected:
  // The run made for this display must have it: a setting that did not
  // take would otherwise skip every check and pass.
  void SetUp() override {
    const char* wanted = std::getenv("BELMO_E2E_DPI");
    if (wanted != nullptr && std::atoi(wanted) == static_cast<int>(kDpi)) {
      ASSERT_EQ(DisplayDpi(), kDpi) << "the 144-DPI run's display";
    }
    if (DisplayDpi() != kDpi) GTEST_SKIP() << "the display has " << DisplayDpi() << " DPI";
  }
};

// Position in the parent's client area and size, against the layout's
// 96-DPI rectangle.
void ExpectPlaced(HWND control, int x, int y, int w, int h) {
  ASSERT_NE(control, nullptr) << x << "," << y;
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, At144(x)) << ClassOf(control) << " " << Text(control);
  EXPECT_EQ(rect.top, At144(y)) << ClassOf(control) << " " << Text(control);
  EXPECT_EQ(rect.right - rect.left, At144(w)) << ClassOf(control) << " " << Text(control);
  EXPECT_EQ(rect.bottom - rect.top, At144(h)) << ClassOf(control) << " " << Text(control);
}

void ExpectClient(HWND window, int w, int h) {
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, At144(w)) << Text(window);
  EXPECT_EQ(client.bottom, At144(h)) << Text(window);
}

// The height of the font a control draws with, as the program reads it:
// its font handle means nothing in this process.
LONG FontHeight(const Belmo& belmo, HWND control) {
  return static_cast<LONG>(
      Send(belmo.Main(), kMsgQueryFontHeight, reinterpret_cast<WPARAM>(control)));
}

HWND ChildWithText(HWND parent, const char* className, const std::string& text) {
  struct Search {
    const char* className;
    const std::string& text;
    HWND found;
  } search = {className, text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (ClassOf(child) != s->className || Text(child) != s->text) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitWindow(const char* className, const char* caption) {
  for (int waited = 0; waited < 10000; waited += 20) {
    HWND window = FindWindowA(className, caption);
    if (window && IsWindowVisible(window)) return window;
    Sleep(20);
  }
  return nullptr;
}

}  // namespace

TEST_F(HighDpi, MainWindowAndItsStripAreHalfAsLargeAgain) {
  Sandbox sandbox("high-dpi-main");
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("one second.wav"), OneSecondWave()));
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("one second.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());

  RECT client;
  GetClientRect(belmo.Main(), &client);
  EXPECT_EQ(client.right, At144(300));
  const LONG height = client.bottom;
  // Every control of the main window, by the layout's rectangle.
  const struct {
    const char* className;
    int x, y, w, h;
    bool inGroup;
  } layout[] = {
      {"Static", 10, 14, 60, 12, false},   {"Edit", 70, 10, 220, 20, false},
      {"Button", 10, 40, 280, 110, false}, {"Static", 10, 25, 50, 12, true},
      {"msctls_trackbar32", 60, 20, 210, 30, true},
      {"Static", 10, 55, 50, 12, true},
      {"msctls_trackbar32", 60, 50, 210, 30, true},
      {"Static", 10, 84, 60, 12, true},    {"Edit", 80, 80, 50, 20, true},
      {"Static", 140, 84, 30, 12, true},   {"Edit", 180, 80, 50, 20, true},
      {"Static", 240, 84, 20, 12, true},   {"Static", 10, 164, 30, 12, false},
      {"Edit", 40, 160, 250, 20, false},   {"Button", 10, 190, 100, 30, false},
      {"Button", 120, 185, 170, 20, false}, {"Button", 120, 205, 90, 20, false},
      {"Button", 220, 205, 70, 20, false}, {"Button", 10, 230, 85, 30, false},
      {"Button", 105, 230, 85, 30, false}, {"Button", 200, 230, 85, 30, false},
  };
  for (const auto& c : layout) {
    HWND control = belmo.Control(c.className, c.x, c.y, c.inGroup);
    ExpectPlaced(control, c.x, c.y, c.w, c.h);
    if (control && std::string(c.className) != "msctls_trackbar32") {
      EXPECT_EQ(FontHeight(belmo, control), -18) << Text(control);
    }
  }
  MainControls c(belmo);
  EXPECT_EQ(Text(c.endSeconds), "1.000");
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETRANGEMAX), 1000);
  Screenshot(belmo.Main(), "main-window-144dpi");

  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush());
  HWND strip = FindWindowExA(belmo.Main(), nullptr, "WAVEFORM", nullptr);
  ExpectPlaced(strip, 10, 270, 280, 90);
  GetClientRect(belmo.Main(), &client);
  EXPECT_EQ(client.bottom, height + At144(100));
  Screenshot(belmo.Main(), "main-window-waveform-144dpi");
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush());

  // The list of places, from its own layout table.
  belmo.Command(kCmdPlaces);
  ASSERT_TRUE(belmo.Flush());
  HWND places = WaitWindow("PLACES", "マスク箇所");
  ASSERT_NE(places, nullptr);
  ExpectClient(places, 480, 300);
  ExpectPlaced(FindWindowExA(places, nullptr, "SysListView32", nullptr), 10, 10, 330, 280);
  ExpectPlaced(ChildWithText(places, "Button", "すべてマスク(&S)"), 350, 222, 120, 30);
  EXPECT_EQ(FontHeight(belmo, ChildWithText(places, "Button", "すべてマスク(&S)")), -18);
  Screenshot(places, "places-144dpi");
  PostMessageA(places, WM_CLOSE, 0, 0);
  ASSERT_TRUE(belmo.Flush());
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}

TEST_F(HighDpi, SettingsAboutAndVersionCheckWindowsScaleToo) {
  Sandbox sandbox("high-dpi-windows");
  Belmo belmo;
  // Nothing listens there: the version check stops at its connection.
  SetEnvironmentVariableA("BELMO_UPDATE_SERVER", "127.0.0.1:9");
  const bool started = belmo.Start(sandbox, "");
  SetEnvironmentVariableA("BELMO_UPDATE_SERVER", nullptr);
  ASSERT_TRUE(started);
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);

  belmo.Command(kCmdSettings);
  HWND settings = WaitWindow("SETWINDOW", "設定");
  ASSERT_NE(settings, nullptr);
  ExpectClient(settings, 200, 260);
  ExpectPlaced(ChildWithText(settings, "SysTabControl32", ""), 0, 0, 200, 230);
  HWND ok = ChildWithText(settings, "Button", "OK");
  ExpectPlaced(ok, 10, 235, 85, 20);
  ExpectPlaced(ChildWithText(settings, "Button", "キャンセル"), 105, 235, 85, 20);
  ExpectPlaced(ChildWithText(settings, "Button", "正弦波の試聴"), 50, 83, 100, 20);
  EXPECT_EQ(FontHeight(belmo, ok), -18);
  Screenshot(settings, "settings-144dpi");
  PostMessageA(ChildWithText(settings, "Button", "キャンセル"), BM_CLICK, 0, 0);
  ASSERT_TRUE(Belmo::WaitGone(settings));

  belmo.Command(kCmdAbout);
  HWND about = WaitWindow("SETWINDOW", "バージョン情報");
  ASSERT_NE(about, nullptr);
  ExpectClient(about, 300, 130);
  HWND name = ChildWithText(about, "Static", "ソフト名 : ベルモ");
  ExpectPlaced(name, 10, 13, 180, 14);
  EXPECT_EQ(FontHeight(belmo, name), -18);
  Screenshot(about, "about-144dpi");
  PostMessageA(about, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Belmo::WaitGone(about));

  belmo.Command(kCmdVersionCheck);
  HWND check = WaitWindow("VERCHECK", nullptr);
  ASSERT_NE(check, nullptr);
  ExpectClient(check, 300, 60);
  HWND status = FindWindowExA(check, nullptr, "Static", nullptr);
  ExpectPlaced(status, 10, 13, 280, 14);
  ExpectPlaced(FindWindowExA(check, nullptr, "msctls_progress32", nullptr), 10, 30, 280, 20);
  EXPECT_EQ(FontHeight(belmo, status), -18);
  PostMessageA(check, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Belmo::WaitGone(check));

  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}

// Moved to a monitor of another scaling, a window is sent WM_DPICHANGED
// with the rectangle the system suggests (its own scaled by the ratio of
// the two DPIs). Wine never sends it, so the test does, on the display of
// either run, and the main window must come out as if started at that DPI.
TEST(RunTimeDpi, MainWindowTakesEachNewDpiWholeUpAndDown) {
  Sandbox sandbox("run-time-dpi");
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("one second.wav"), OneSecondWave()));
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("one second.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush());

  // Every child of the main window and of its range group, with its
  // rectangle at the display's DPI, as created.
  struct Placed {
    HWND control;
    RECT at96;
  };
  std::vector<Placed> children;
  const UINT startDpi = DisplayDpi();
  auto collect = [&](HWND parent) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
      // Back to the layout's 96-DPI pixels (exact at 96 and 144).
      children.push_back({child, {MulDiv(r.left, 96, startDpi), MulDiv(r.top, 96, startDpi),
                                  MulDiv(r.right - r.left, 96, startDpi),
                                  MulDiv(r.bottom - r.top, 96, startDpi)}});
    }
  };
  collect(belmo.Main());
  collect(MainControls(belmo).rangeGroup);
  ASSERT_GE(children.size(), 22u);

  // The system hands the suggested rectangle over as a pointer into the
  // receiving program, so the test puts it there.
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, belmo.Pid());
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);

  UINT dpi = startDpi;
  for (UINT next : {144u, 120u, 96u, 144u, 96u}) {
    SCOPED_TRACE(std::to_string(dpi) + " to " + std::to_string(next) + " DPI");
    RECT window;
    GetWindowRect(belmo.Main(), &window);
    RECT suggested = {window.left, window.top,
                      window.left + MulDiv(window.right - window.left, next, dpi),
                      window.top + MulDiv(window.bottom - window.top, next, dpi)};
    ASSERT_TRUE(WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr));
    // Sent: handled once it returns (Flush finds its box by the layout at
    // the display's DPI, which no longer holds).
    Send(belmo.Main(), WM_DPICHANGED, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(remote));
    dpi = next;
    if (dpi == 120) Screenshot(belmo.Main(), "main-window-run-time-120dpi");

    RECT client;
    GetClientRect(belmo.Main(), &client);
    EXPECT_EQ(client.right, MulDiv(300, dpi, 96)) << "client width";
    EXPECT_EQ(client.bottom, MulDiv(370, dpi, 96)) << "client height";
    for (const Placed& p : children) {
      RECT r;
      GetWindowRect(p.control, &r);
      HWND parent = GetParent(p.control);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
      const std::string name = ClassOf(p.control) + " " + Text(p.control);
      EXPECT_EQ(r.left, MulDiv(p.at96.left, dpi, 96)) << name;
      EXPECT_EQ(r.top, MulDiv(p.at96.top, dpi, 96)) << name;
      EXPECT_EQ(r.right - r.left, MulDiv(p.at96.right, dpi, 96)) << name;
      EXPECT_EQ(r.bottom - r.top, MulDiv(p.at96.bottom, dpi, 96)) << name;
      RECT inside;
      GetClientRect(parent, &inside);
      EXPECT_TRUE(r.right <= inside.right && r.bottom <= inside.bottom) << name << " is clipped";
      if (ClassOf(p.control) != "msctls_trackbar32" && ClassOf(p.control) != "WAVEFORM") {
        EXPECT_EQ(FontHeight(belmo, p.control), -MulDiv(12, dpi, 96)) << name;
      }
    }
  }
  CloseHandle(process);
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}
