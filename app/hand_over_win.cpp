#include "app/hand_over_win.h"

#include <cstring>
#include <utility>

#include "app/app_state.h"
#include "app/app_texts.h"
#include "app/main_window_win.h"
#include "app/open_file_win.h"
#include "launch/program_folder.h"
#include "window/command_ids.h"
#include "window/message_box_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

constexpr char kMainWindowClass[] = "NORMAL";
// A path in code page 932, as earlier versions send it, and one in UTF-8.
constexpr ULONG_PTR kHandedFileTag = 0x424C4D46;
constexpr ULONG_PTR kHandedUtf8FileTag = 0x424C4D55;
// Long enough for a program that is in the middle of a mask on a long
// recording to come back to its message loop.
constexpr UINT kAnswerWaitMs = 5000;
constexpr ULONGLONG kGiveUpMs = 15000;
constexpr DWORD kRetryPauseMs = 100;

// Both programs must key the folder alike however each was started: a
// relative or short (8.3) spelling becomes the full long one.
std::string CanonicalFolder(const std::string& directory) {
  std::wstring path = WideOf(directory + "\\");
  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (length > 0 && length < MAX_PATH) path.assign(full, length);
  wchar_t longPath[MAX_PATH];
  length = GetLongPathNameW(path.c_str(), longPath, MAX_PATH);
  if (length > 0 && length < MAX_PATH) path.assign(longPath, length);
  return Utf8Of(path);
}

// Any program may make a window of the class and give the answer, so the
// answer counts only from a window whose process runs a program file of
// this very folder: the one place a hand-over may go.
bool RunsFromFolder(HWND window, uint64_t folderKey) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  wchar_t image[MAX_PATH];
  DWORD length = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(process, 0, image, &length) != 0;
  CloseHandle(process);
  if (!named) return false;
  const std::string path = Utf8Of(std::wstring_view(image, length));
  const size_t slash = path.find_last_of('\\');
  return slash != std::string::npos &&
         ProgramFolderKey(CanonicalFolder(path.substr(0, slash))) == folderKey;
}

HWND FindProgramOfFolder(uint64_t folderKey) {
  for (HWND window = FindWindowExA(nullptr, nullptr, kMainWindowClass, nullptr); window;
       window = FindWindowExA(nullptr, window, kMainWindowClass, nullptr)) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, kMsgQueryProgramFolder, 0, static_cast<LPARAM>(folderKey),
                            SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer) &&
        answer == static_cast<DWORD_PTR>(kSameFolderAnswer) && RunsFromFolder(window, folderKey)) {
      return window;
    }
  }
  return nullptr;
}

bool HandOver(HWND first, const std::string& file) {
  DWORD firstProcess = 0;
  GetWindowThreadProcessId(first, &firstProcess);
  // This start came from the user, so it may let the first come forward.
  AllowSetForegroundWindow(firstProcess);
  COPYDATASTRUCT data = {kHandedUtf8FileTag, static_cast<DWORD>(file.size()),
                         const_cast<char*>(file.data())};
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kAnswerWaitMs, &answer) &&
         answer == TRUE;
}

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// A message box or file dialog of the main thread that waits for the user.
// (The settings window's boxes live on its own thread and hold nothing of
// the main window up.)
HWND MainThreadDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetWindowThreadProcessId(MainUi.MainWindow, nullptr), FindShownDialog,
                    reinterpret_cast<LPARAM>(&found));
  return found;
}

// What the user must answer first comes forward, else the main window.
void BringProgramForward() {
  if (IsIconic(MainUi.MainWindow)) ShowWindow(MainUi.MainWindow, SW_RESTORE);
  HWND dialog = MainThreadDialog();
  SetForegroundWindow(dialog ? dialog : MainUi.MainWindow);
}

}  // namespace

// The first program also resolves a handed path against its own current
// folder, which is not the second start's.
std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring wide = WideOf(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  return length > 0 && length < needed ? Utf8Of(std::wstring_view(full.data(), length)) : path;
}

bool HandOffToRunningProgram(const std::string& programDirectory, const std::string& file) {
  App.FolderKey = ProgramFolderKey(CanonicalFolder(programDirectory));
  const std::string mutexName = ProgramMutexName(App.FolderKey);
  const std::string handed = AbsolutePath(file);
  const ULONGLONG started = GetTickCount64();
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    // Left open for the life of the program: while it is, the folder is
    // taken. The system closes it however the program ends, so a crashed
    // run leaves its working copy to the next start.
    HANDLE guard = CreateMutexA(nullptr, FALSE, mutexName.c_str());
    if (guard && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // The first program may still be building its window, or be ending.
    HWND first = FindProgramOfFolder(App.FolderKey);
    const bool handedOver = first && HandOver(first, handed);
    if (guard) CloseHandle(guard);
    if (handedOver) return true;
    if (GetTickCount64() - started > kGiveUpMs) {
      ShowProductMessage(text::kRunningProgramNotAnswering, MB_OK | MB_ICONWARNING);
      return true;
    }
    Sleep(kRetryPauseMs);
  }
}

// A second start asks whether this is the program of its folder.
LRESULT OnQueryProgramFolder(LPARAM folderKey) {
  return static_cast<uint64_t>(folderKey) == App.FolderKey ? kSameFolderAnswer : 0;
}

// A second start handed over its file, or none and only wants this program
// shown. The file waits for the program's own loop: the sender waits for
// this answer, and opening may ask the user questions.
LRESULT OnCopyData(const COPYDATASTRUCT* data) {
  if (data == nullptr || (data->dwData != kHandedFileTag && data->dwData != kHandedUtf8FileTag)) {
    return FALSE;
  }
  const char* bytes = static_cast<const char*>(data->lpData);
  std::string path;
  if (bytes != nullptr) path.assign(bytes, strnlen(bytes, data->cbData));
  if (data->dwData == kHandedFileTag) path = Utf8Of(WideOfCp932(path));
  BringProgramForward();
  if (path.empty()) return TRUE;
  App.HandedFiles.push_back(std::move(path));
  if (!PostMessageA(MainUi.MainWindow, kMsgOpenHandedFile, 0, 0)) {
    App.HandedFiles.pop_back();
    return FALSE;
  }
  return TRUE;
}

// Opens a handed file as the Open command would now, or says why not: a
// file handed over is never dropped without a word, and never opened from
// under a dialog that is waiting for the user.
void OnOpenHandedFile() {
  if (App.HandedFiles.empty()) return;
  const std::string path = std::move(App.HandedFiles.front());
  App.HandedFiles.pop_front();
  HandedFileSituation situation;
  situation.dialogShown = MainThreadDialog() != nullptr;
  situation.openEnabled =
      (GetMenuState(MainUi.MenuBar, kCmdOpen, MF_BYCOMMAND) & MF_GRAYED) == 0;
  situation.ending = App.Ending;
  situation.longPathsAllowed = SystemTakesLongPaths();
  const HandedFileAction action = DecideHandedFile(path, situation);
  if (action == HandedFileAction::Open) {
    OpenDocumentFile(&path);
    return;
  }
  // The path follows the program's own text, in characters of its own.
  std::string refusal = HandedFileRefusal(action, std::string());
  if (refusal.empty()) return;
  if (refusal.back() == '\n') {
    refusal.pop_back();
    ShowProductMessageWithName(nullptr, refusal.c_str(), path, MB_OK | MB_ICONWARNING);
  } else {
    ShowProductMessage(refusal.c_str(), MB_OK | MB_ICONWARNING);
  }
}

void RefuseHandedFilesFromNowOn() {
  App.Ending = true;
  while (!App.HandedFiles.empty()) OnOpenHandedFile();
}

}  // namespace belmo
