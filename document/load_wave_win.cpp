#include "document/load_wave_win.h"

#include <windows.h>

#include <mutex>

#include "document/document_state.h"
#include "document/document_texts.h"
#include "document/win32_platform_win.h"
#include "places/places_window_win.h"
#include "selection/range_controls_win.h"
#include "selection/waveform_strip_win.h"
#include "window/command_states_win.h"
#include "window/main_window_handles_win.h"
#include "window/message_box_win.h"
#include "window/wide_text_win.h"
#include "window/window_texts.h"

namespace belmo {
namespace {

void ShowOpenDocumentState() {
  SetWindowTextUtf8(MainUi.FileNameBox, Document.Title);
  SetWindowTextA(MainUi.InfoBox, text::kInfoStopped);
  ResetRangeControls(Document.LengthMs);
  WaveformAfterLoad();
  PlacesAfterLoad();
  UpdateCommandStates();
}

}  // namespace

int LoadWave(const char* path) {
  Win32FileStore files;
  MciSoundDevice device;
  LoadOutcome outcome;
  FormatClaim claim;
  {
    std::lock_guard<std::mutex> guard(DocumentLock);
    outcome = LoadWaveImage(path, files, device, Document, &claim);
  }
  if (outcome != LoadOutcome::Loaded) {
    ShowProductMessage(LoadRefusalText(outcome, claim).c_str(), MB_OK | MB_ICONWARNING);
    return -1;
  }
  // Nothing of the previous image may be exchanged into this one.
  ClearUndo(Undo);
  ShowOpenDocumentState();
  return 0;
}

}  // namespace belmo
