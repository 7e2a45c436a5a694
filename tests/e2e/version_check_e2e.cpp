// The version check against a real HTTP server on 127.0.0.1 (nginx, set up
// by update_server.sh): every answer the server gives, as the user sees it
// in the window, its message boxes and the Save dialog.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;

namespace {

constexpr char kCaption[] = "最新バージョンのチェック";
// Wine's file browser, as "explorer FOLDER" opens it.
constexpr char kFileBrowserClass[] = "ExplorerWClass";

// update_server.sh: one site per port offset.
enum Site {
  kNewer = 0,
  kSame = 1,
  kOlder = 2,
  kNoVersionFile = 3,
  kClosesAfterRedirect = 4,
  kNothingListens = 9
};

std::string Env(const char* name) {
  char value[1024] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? value : "";
}

struct WindowSearch {
  DWORD pid;
  bool samePid;
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((pid == search->pid) == search->samePid && IsWindowVisible(window) &&
      (!search->className || ClassOf(window) == search->className)) {
    search->found.push_back(window);
  }
  return TRUE;
}

std::vector<HWND> Windows(DWORD pid, bool samePid, const char* className) {
  WindowSearch search = {pid, samePid, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildOfClass(HWND parent, const char* className) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == className) return child;
  }
  return nullptr;
}

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = std::atoi(Env("BELMO_E2E_HTTP_PORT").c_str());
    ASSERT_NE(port_, 0) << "no update server: run_e2e.sh starts one with update_server.sh";
  }

  void TearDown() override {
    for (HWND browser : Windows(belmo_.Pid(), false, kFileBrowserClass)) CloseAndWait(browser);
    belmo_.Close();
    if (!belmo_.WaitExit()) belmo_.Kill();
  }

  static void CloseAndWait(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    Belmo::WaitGone(window);
  }

  // The file browser the download opens on the archive's folder. It must
  // be closed again: a window left open keeps Wine from ending.
  void ExpectFolderOpened(const std::string& folderName) {
    HWND browser = nullptr;
    for (int waited = 0; waited < 15000 && !browser; waited += 50) {
      std::vector<HWND> found = Windows(belmo_.Pid(), false, kFileBrowserClass);
      if (!found.empty()) browser = found[0];
      Sleep(50);
    }
    ASSERT_NE(browser, nullptr) << "the archive's folder was not opened";
    EXPECT_EQ(Text(browser), folderName);
    CloseAndWait(browser);
  }

  std::string Server(Site site) const { return "127.0.0.1:" + std::to_string(port_ + site); }

  // Starts Belmo with BELMO_UPDATE_SERVER = server, chooses
  // "最新バージョンの確認" and finds the window that opens.
  void Open(const std::string& server) {
    sandbox_ = std::make_unique<Sandbox>(
        std::string("vc-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    SetEnvironmentVariableA("BELMO_UPDATE_SERVER", server.c_str());
    bool started = belmo_.Start(*sandbox_, "");
    SetEnvironmentVariableA("BELMO_UPDATE_SERVER", nullptr);
    ASSERT_TRUE(started);
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    belmo_.Command(belmo::kCmdVersionCheck);
    for (int waited = 0; waited < 5000 && !window_; waited += 20) {
      std::vector<HWND> found = Windows(belmo_.Pid(), true, "VERCHECK");
      if (!found.empty()) window_ = found[0];
      Sleep(20);
    }
    ASSERT_NE(window_, nullptr) << "no version-check window";
    EXPECT_EQ(Text(window_), kCaption);
    status_ = ChildOfClass(window_, "Static");
    progress_ = ChildOfClass(window_, "msctls_progress32");
    ASSERT_NE(status_, nullptr);
    ASSERT_NE(progress_, nullptr);
  }

  // Waits for the status line to read `expected`; returns what it reads.
  std::string WaitStatus(const std::string& expected, int timeoutMs = 15000) const {
    std::string now;
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
      now = Text(status_);
      if (now == expected) break;
      Sleep(20);
    }
    return now;
  }

  int Progress() const { return static_cast<int>(Send(progress_, PBM_GETPOS)); }

  // The next message box of the check: its text, after checking its caption.
  HWND WaitBox(std::string* text) {
    HWND box = belmo_.WaitMessageBox(15000);
    if (!box) return nullptr;
    EXPECT_EQ(Text(box), kCaption);
    *text = Belmo::BoxText(box);
    return box;
  }

  // Answers Yes to the update question and returns the Save dialog.
  HWND AcceptUpdate() {
    std::string question;
    HWND box = WaitBox(&question);
    if (!box) return nullptr;
    EXPECT_EQ(question,
              "このソフトは最新バージョンではありません。現在の最新バージョンは1.1.4.0です。"
              "最新バージョンにアップデートしますか。");
    Belmo::Answer(box, IDYES);
    return belmo_.WaitFileDialog(15000);
  }

  void ExpectArchiveSavedAs(const std::string& path) {
    std::vector<uint8_t> served, saved;
    ASSERT_TRUE(ReadFileBytes(Env("BELMO_E2E_HTTP_ROOT") + "\\belmo-1.1.4.0.zip", &served));
    ASSERT_TRUE(ReadFileBytes(path, &saved)) << path;
    EXPECT_EQ(saved.size(), served.size());
    EXPECT_TRUE(saved == served) << "the saved archive differs from the server's";
  }

  int port_ = 0;
  std::unique_ptr<Sandbox> sandbox_;
  Belmo belmo_;
  HWND window_ = nullptr;
  HWND status_ = nullptr;
  HWND progress_ = nullptr;
};

TEST_F(VersionCheck, SameVersionSaysSoAndCloses) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kSame)));
  std::string text;
  HWND box = WaitBox(&text);
  ASSERT_NE(box, nullptr) << Text(status_);
  EXPECT_EQ(text, "このソフトは最新バージョンです。");
  EXPECT_EQ(Text(status_), "状態 : 確認作業が終了しました。");
  EXPECT_EQ(Progress(), 100);
  Belmo::Answer(box, IDOK);
  EXPECT_TRUE(Belmo::WaitGone(window_));
}

TEST_F(VersionCheck, OlderServerVersionSaysUnreleasedAndCloses) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kOlder)));
  std::string text;
  HWND box = WaitBox(&text);
  ASSERT_NE(box, nullptr) << Text(status_);
  EXPECT_EQ(text,
            "このソフトは現在公式リリースされていません。現在の公式最新バージョンは1.1.2.0です。");
  Belmo::Answer(box, IDOK);
  EXPECT_TRUE(Belmo::WaitGone(window_));
}

TEST_F(VersionCheck, NewerVersionAnsweredNoCloses) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kNewer)));
  std::string text;
  HWND box = WaitBox(&text);
  ASSERT_NE(box, nullptr) << Text(status_);
  // Asked again while the window is open: the same window, no second one.
  belmo_.Command(belmo::kCmdVersionCheck);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Windows(belmo_.Pid(), true, "VERCHECK").size(), 1u);
  Belmo::Answer(box, IDNO);
  EXPECT_TRUE(Belmo::WaitGone(window_));
}

TEST_F(VersionCheck, NewerVersionAnsweredYesDownloadsTheArchive) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kNewer)));
  HWND dialog = AcceptUpdate();
  ASSERT_NE(dialog, nullptr) << Text(status_);
  EXPECT_EQ(Text(GetDlgItem(dialog, 0x47C)), "Belmo1140.zip");
  std::string path = sandbox_->Path("Belmo1140.zip");
  Belmo::ChooseFile(dialog, path);
  EXPECT_EQ(WaitStatus("状態 : 最新バージョンをダウンロードしました。"),
            "状態 : 最新バージョンをダウンロードしました。");
  EXPECT_EQ(Progress(), 100);
  EXPECT_TRUE(IsWindowVisible(window_)) << "the window stays open";
  ExpectArchiveSavedAs(path);
  Screenshot(window_, "version_check_downloaded");
  ExpectFolderOpened("vc-NewerVersionAnsweredYesDownloadsTheArchive");
}

TEST_F(VersionCheck, ServerClosingAfterItsRedirectStillGivesTheArchive) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kClosesAfterRedirect)));
  HWND dialog = AcceptUpdate();
  ASSERT_NE(dialog, nullptr) << Text(status_);
  Sleep(300);  // the server's close arrives while the dialog is open
  std::string path = sandbox_->Path("from closing server.zip");
  Belmo::ChooseFile(dialog, path);
  EXPECT_EQ(WaitStatus("状態 : 最新バージョンをダウンロードしました。"),
            "状態 : 最新バージョンをダウンロードしました。");
  ExpectArchiveSavedAs(path);
  ExpectFolderOpened("vc-ServerClosingAfterItsRedirectStillGivesTheArchive");
}

TEST_F(VersionCheck, CancellingTheArchiveDialogKeepsTheWindowOpen) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kNewer)));
  HWND dialog = AcceptUpdate();
  ASSERT_NE(dialog, nullptr) << Text(status_);
  Belmo::CancelDialog(dialog);
  EXPECT_EQ(WaitStatus("状態 : キャンセルされました。"), "状態 : キャンセルされました。");
  EXPECT_EQ(Progress(), 100);
  EXPECT_TRUE(IsWindowVisible(window_));
  PostMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(Belmo::WaitGone(window_));
}

TEST_F(VersionCheck, MissingVersionFileFailsAndLeavesTheWindowOpen) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kNoVersionFile)));
  EXPECT_EQ(WaitStatus("状態 : バージョン情報ファイルを呼び出しに失敗しました。"),
            "状態 : バージョン情報ファイルを呼び出しに失敗しました。");
  EXPECT_EQ(Progress(), 100);
  EXPECT_EQ(belmo_.WaitMessageBox(500), nullptr);
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(VersionCheck, UnknownHostSaysTheAddressWasNotFound) {
  ASSERT_NO_FATAL_FAILURE(Open("nosuchhost.invalid"));
  EXPECT_EQ(WaitStatus("状態 : \"nosuchhost.invalid\"のIPアドレスの取得に失敗しました。"),
            "状態 : \"nosuchhost.invalid\"のIPアドレスの取得に失敗しました。");
  EXPECT_EQ(Progress(), 100);
}

TEST_F(VersionCheck, ClosedPortSaysTheConnectionFailed) {
  ASSERT_NO_FATAL_FAILURE(Open(Server(kNothingListens)));
  std::string expected = "状態 : \"" + Server(kNothingListens) + "\"への接続に失敗しました。";
  EXPECT_EQ(WaitStatus(expected), expected);
  EXPECT_EQ(Progress(), 100);
}

}  // namespace
