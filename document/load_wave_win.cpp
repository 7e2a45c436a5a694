#include "document/load_wave_win.h"

#include <windows.h>
#include <initializer_list>

#include "app/app_texts.h"
#include "app/command_ids.h"
#include "app/main_window_win.h"
#include "app/message_box_win.h"
#include "document/document_state.h"
#include "document/document_texts.h"
#include "document/win32_platform_win.h"
#include "selection/range_controls_win.h"

namespace belmo {
namespace {

const char* RefusalText(LoadOutcome outcome) {
  switch (outcome) {
    case LoadOutcome::NotPcm: return text::kNotPcmWave;
    case LoadOutcome::Unreadable: return text::kCannotReadFile;
    case LoadOutcome::TooShort: return text::kFileTooShort;
    case LoadOutcome::UnsupportedFormat: return text::kUnsupportedFormat;
    case LoadOutcome::NoDataTag: return text::kNoSampleData;
    case LoadOutcome::TooLarge: return text::kFileTooLarge;
    case LoadOutcome::WorkingCopyFailed: return text::kWorkingCopyWriteFailed;
    case LoadOutcome::LengthUnknown: return text::kLengthUnknown;
    case LoadOutcome::Loaded: break;
  }
  return text::kNotPcmWave;
}

void ShowOpenDocumentState() {
  SetWindowTextA(MainUi.FileNameBox, Document.Title);
  SetWindowTextA(MainUi.InfoBox, text::kInfoStopped);
  ResetRangeControls(Document.LengthMs);
  EnableMenuCommand(kCmdRevert, false);
  EnableMenuCommand(kCmdUndo, false);
  for (UINT id : {kCmdSine, kCmdVoiceChange, kCmdFileOverwrite}) EnableMenuCommand(id, true);
  for (HWND control : {MainUi.StartTrackbar, MainUi.EndTrackbar, MainUi.PlayButton,
                       MainUi.SineButton, MainUi.VoiceChangeButton, MainUi.FileOverwriteButton}) {
    EnableWindow(control, TRUE);
  }
}

}  // namespace

int LoadWave(const char* path) {
  Win32FileStore files;
  MciSoundDevice device;
  LoadOutcome outcome = LoadWaveImage(path, files, device, Document);
  if (outcome != LoadOutcome::Loaded) {
    ShowProductMessage(RefusalText(outcome), MB_OK | MB_ICONWARNING);
    return -1;
  }
  ShowOpenDocumentState();
  return 0;
}

}  // namespace belmo
