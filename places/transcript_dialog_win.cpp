#include "places/transcript_dialog_win.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "cli/cli_values.h"
#include "document/win32_platform_win.h"
#include "numtext/number_text.h"
#include "numtext/text_lines.h"
#include "places/places_texts.h"
#include "transcript/text_fold.h"
#include "window/dpi_win.h"
#include "window/window_layout_win.h"
#include "window/window_texts.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

// A recording's transcript may run a little past its end; more than this
// and it belongs to another recording.
constexpr int64_t kPastEndToleranceMs = 1000;
constexpr int kMostDigits = 100;
constexpr double kLongestPadSeconds = 60;

struct FindHandles {
  HWND Window = nullptr;
  HWND Words = nullptr;
  HWND DigitsCheck = nullptr;
  HWND Digits = nullptr;
  HWND Pad = nullptr;
  HWND Search = nullptr;
  HWND Results = nullptr;
  HWND Add = nullptr;
  HWND Cancel = nullptr;
};

// The one question open, and what it asks about.
struct FindQuestion {
  FindHandles Ui;
  const Transcript* Source = nullptr;
  std::string Path;
  int32_t LengthMs = 0;
  std::vector<LabeledRange> Found;
  bool Added = false;
};
FindQuestion Question;

using Row = ControlRow<FindHandles>;
using H = FindHandles;

constexpr int kClientWidth = 370;
constexpr int kClientHeight = 262;

const Row kLayout[] = {
    {nullptr, nullptr, "STATIC", text::kFindWordsLabel, 0, 0, {10, 10, 200, 12}},
    {&H::Words, nullptr, "EDIT", "", WS_EX_CLIENTEDGE,
     WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, {10, 26, 200, 226}},
    {&H::DigitsCheck, nullptr, "BUTTON", text::kFindDigitsCheck, 0, WS_TABSTOP | BS_AUTOCHECKBOX,
     {222, 24, 140, 20}},
    {nullptr, nullptr, "STATIC", text::kFindDigitsLabel, 0, 0, {238, 50, 50, 12}},
    {&H::Digits, nullptr, "EDIT", "4", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_RIGHT,
     {292, 46, 40, 20}},
    {nullptr, nullptr, "STATIC", text::kFindPadLabel, 0, 0, {222, 78, 110, 12}},
    {&H::Pad, nullptr, "EDIT", "0.2", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_RIGHT,
     {292, 94, 40, 20}},
    {&H::Search, nullptr, "BUTTON", text::kFindSearchButton, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {222, 122, 140, 26}},
    {&H::Results, nullptr, "EDIT", "", WS_EX_CLIENTEDGE,
     WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, {222, 154, 140, 66}},
    {&H::Add, nullptr, "BUTTON", text::kFindAddButton, 0, WS_TABSTOP | BS_DEFPUSHBUTTON,
     {222, 226, 68, 26}},
    {&H::Cancel, nullptr, "BUTTON", text::kFindCancelButton, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {294, 226, 68, 26}},
};

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
  GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

void Tell(const char* message) {
  MessageBoxA(Question.Ui.Window, message, text::kProductName, MB_OK | MB_ICONWARNING);
}

struct Asked {
  std::vector<std::string> shown;  // code page 932, as typed
  TranscriptQuery query;
  int64_t padMs = 0;
};

// The words typed, one a line, each once; false (after telling the user)
// when a value cannot be used or nothing is asked.
bool ReadQuestion(Asked* asked) {
  const std::string typed = TextOf(Question.Ui.Words);
  std::string_view rest = typed;
  while (!rest.empty()) {
    std::string line(TakeLine(&rest));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    std::u32string folded = FoldWord(Recode(line, 932, CP_UTF8));
    if (folded.empty() || std::find(asked->query.words.begin(), asked->query.words.end(),
                                    folded) != asked->query.words.end()) {
      continue;
    }
    asked->query.words.push_back(std::move(folded));
    asked->shown.push_back(line);
  }
  if (SendMessageA(Question.Ui.DigitsCheck, BM_GETCHECK, 0, 0) == BST_CHECKED) {
    double digits = 0;
    if (!ReadNumber(TextOf(Question.Ui.Digits), &digits) || digits != std::trunc(digits) ||
        digits < 1 || digits > kMostDigits) {
      Tell(text::kFindBadDigits);
      return false;
    }
    asked->query.leastDigits = static_cast<int>(digits);
  }
  double pad = 0;
  if (!ReadNumber(TextOf(Question.Ui.Pad), &pad) || !(pad >= 0 && pad <= kLongestPadSeconds)) {
    Tell(text::kFindBadPad);
    return false;
  }
  asked->padMs = RoundHalfEven(pad * 1000);
  if (asked->query.words.empty() && asked->query.leastDigits == 0) {
    Tell(text::kFindNothingAsked);
    return false;
  }
  return true;
}

// Looks, shows how many places each word found, and keeps them; false when
// there is nothing to add.
bool Search() {
  Asked asked;
  if (!ReadQuestion(&asked)) return false;
  const TranscriptFindings findings = FindInTranscript(*Question.Source, asked.query);
  std::string shown;
  for (size_t i = 0; i < findings.perTerm.size(); ++i) {
    const std::string name = i < asked.shown.size() ? asked.shown[i] : text::kFindDigitsRun;
    shown += name + ": " + std::to_string(findings.perTerm[i]) + text::kFindPlacesSuffix + "\r\n";
  }
  SetWindowTextA(Question.Ui.Results, shown.c_str());
  int64_t latest = 0;
  for (const TranscriptMatch& match : findings.matches) latest = std::max(latest, match.endMs);
  if (latest > Question.LengthMs + kPastEndToleranceMs) {
    ShowProductMessageWithName(Question.Ui.Window, text::kFindPastEnd, Question.Path,
                               MB_OK | MB_ICONWARNING);
    return false;
  }
  Question.Found =
      LabelMatches(*Question.Source, findings.matches, asked.padMs, Question.LengthMs);
  if (Question.Found.empty()) {
    Tell(text::kFindNothingFound);
    return false;
  }
  return true;
}

LRESULT CALLBACK FindWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      const UINT id = LOWORD(wParam);
      if (control == Question.Ui.Search) {
        Search();
      } else if (control == Question.Ui.Add || (id == IDOK && !control)) {
        if (GetFocus() == Question.Ui.Words && !control) return 0;
        if (Search()) {
          Question.Added = true;
          DestroyWindow(window);
        }
      } else if (control == Question.Ui.Cancel || (id == IDCANCEL && !control)) {
        DestroyWindow(window);
      }
      return 0;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY: Question.Ui.Window = nullptr; return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterFindClass() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(GetModuleHandleA(nullptr), "PLACESFIND", &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FindWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "PLACESFIND";
  RegisterClassExA(&wc);
}

}  // namespace

bool AskTranscriptPlaces(HWND owner, const Transcript& transcript, const std::string& path,
                         int32_t lengthMs, std::vector<LabeledRange>* places) {
  if (Question.Ui.Window) return false;
  RegisterFindClass();
  Question = FindQuestion{};
  Question.Source = &transcript;
  Question.Path = path;
  Question.LengthMs = lengthMs;
  HWND window = CreateScaledWindow(0, "PLACESFIND", text::kFindCaption, WS_CAPTION | WS_SYSMENU,
                                   kClientWidth, kClientHeight, false, owner);
  if (!window) return false;
  Question.Ui.Window = window;
  CreateControls(window, kLayout, Question.Ui, DpiOfWindow(window));
  RECT area;
  GetWindowRect(owner, &area);
  SetWindowPos(window, nullptr, area.left + 40, area.top + 40, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOWNORMAL);
  SetFocus(Question.Ui.Words);
  // Modal: the owner waits until the question is answered.
  EnableWindow(owner, FALSE);
  MSG message = {};
  while (Question.Ui.Window && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(Question.Ui.Window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (message.message == WM_QUIT) PostQuitMessage(static_cast<int>(message.wParam));
  EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  if (!Question.Added) return false;
  *places = std::move(Question.Found);
  return true;
}

}  // namespace belmo
