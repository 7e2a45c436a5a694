// Start-up: hands the file to a program of the same folder that already
// runs, or else builds the main window, opens the left-over working copy or
// the file named on the command line, reads the settings and runs the
// message loop until the exit sequence posts the quit message.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/app_state.h"
#include "app/app_texts.h"
#include "app/hand_over_win.h"
#include "app/main_window_win.h"
#include "app/open_file_win.h"
#include "app/program_situation_win.h"
#include "document/document_state.h"
#include "document/document_texts.h"
#include "document/load_wave_win.h"
#include "launch/command_line.h"
#include "places/places_window_win.h"
#include "selection/range_controls_win.h"
#include "selection/waveform_strip_win.h"
#include "settings/settings_state_win.h"
#include "window/command_states_win.h"
#include "window/message_box_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

void LoadCommonControls() {
  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                   ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

// Argument 0 normally carries the program's full path; when it does not (a
// bare relative name), the module's own path is asked for instead.
std::string FindProgramDirectory(const CommandLineArgs& args) {
  if (args.ProgramLastBackslash >= 0) return args.Program.substr(0, args.ProgramLastBackslash);
  wchar_t modulePath[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
  std::string path = Utf8Of(std::wstring_view(modulePath, length < MAX_PATH ? length : 0));
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ShowProgramFolderProblem(const std::string& programDirectory) {
  const char* problem = ProgramFolderProblemText(FindProgramFolderProblem(programDirectory));
  if (problem) ShowProductMessage(problem, MB_OK | MB_ICONWARNING);
  return problem != nullptr;
}

// The working copy is played by the sound device, which under Wine opens
// only names code page 932 can spell, wide command or not. A folder with
// any other character is named by its short (8.3) name, plain ASCII;
// Windows takes either.
std::string WorkingCopyFolder(const std::string& programDirectory) {
  std::string cp932;
  if (ExactCp932Of(programDirectory, &cp932)) return programDirectory;
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(WideOf(programDirectory).c_str(), shortPath, MAX_PATH);
  return length > 0 && length < MAX_PATH ? Utf8Of(std::wstring_view(shortPath, length))
                                         : programDirectory;
}

void ShowNoDocument() { SetWindowTextA(MainUi.InfoBox, text::kInfoNoFile); }

void RecoverWorkingCopy() {
  ShowProductMessage(text::kRecoveringWorkingCopy, MB_OK);
  CopyToBuffer(Document.WorkingCopyPath, Document.Path);
  CopyToBuffer(text::kWorkingCopyName, Document.Title);
  if (LoadWave(Document.Path) != 0) ShowNoDocument();
}

void OpenStartupDocument(const CommandLineArgs& args) {
  const std::wstring workingCopy = SystemPathOf(Document.WorkingCopyPath);
  if (GetFileAttributesW(workingCopy.c_str()) != INVALID_FILE_ATTRIBUTES) {
    RecoverWorkingCopy();
  } else if (!args.File.empty()) {
    OpenDocumentFile(&args.File);
  } else {
    ShowNoDocument();
  }
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // The list of places is a plain window: Tab, access keys and Enter
    // work there as in a dialog.
    HWND places = PlacesWindow();
    if (places && IsDialogMessageA(places, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace
}  // namespace belmo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace belmo;
  // The wide line: the ANSI one has "?" for every character code page 932
  // cannot show. In UTF-8 no byte of a character is a quote or a blank, so
  // the line splits as it always did.
  CommandLineArgs args = ParseCommandLine(Utf8Of(GetCommandLineW()));
  // Both made full before anything is opened: the current folder moves to
  // the program's below, and a recording named relative to it would
  // otherwise be saved into the program's folder.
  App.ProgramDirectory = AbsolutePath(FindProgramDirectory(args));
  args.File = AbsolutePath(args.File);
  if (ShowProgramFolderProblem(App.ProgramDirectory)) return 0;
  if (HandOffToRunningProgram(App.ProgramDirectory, args.File)) return 0;

  SetProgramSituationSource(CurrentProgramSituation);
  SetCommandStatesFollower(FollowCommandStates);
  LoadCommonControls();
  RegisterWindowClasses(instance);
  CreateMainWindow(instance);
  CreateMainControls(instance);
  ShowWindow(MainUi.MainWindow, SW_SHOWNORMAL);
  BuildMenus();
  SetStartupControlStates();

  CopyToBuffer(WorkingCopyFolder(App.ProgramDirectory) + "\\" + text::kWorkingCopyName,
               Document.WorkingCopyPath);
  OpenStartupDocument(args);

  SetCurrentDirectoryW(WideOf(App.ProgramDirectory).c_str());
  ReadSettings();
  ApplyWaveformChoice();
  InstallControlHooks();
  return RunMessageLoop();
}
