#include "effects/apply_mask_win.h"

#include <windows.h>

#include <mutex>

#include "document/change_count.h"
#include "document/document_commands_win.h"
#include "document/document_state.h"
#include "document/win32_platform_win.h"
#include "effects/effects_state.h"
#include "effects/effects_texts.h"
#include "places/places_window_win.h"
#include "selection/sample_range.h"
#include "selection/waveform_strip_win.h"
#include "settings/settings_state_win.h"
#include "window/command_states_win.h"
#include "window/main_window_handles_win.h"
#include "window/message_box_win.h"

namespace belmo {

int ApplyMask(MaskKind kind) {
  Win32FileStore files;
  MaskSettings settings = CurrentSettings();
  MaskOutcome outcome;
  ByteSpan changed;
  {
    // A preview on the settings thread may be copying from the image.
    std::lock_guard<std::mutex> guard(DocumentLock);
    outcome = RunMask(kind, Range, settings, Document, Undo, files, Effects.MainTables, &changed);
  }
  if (outcome != MaskOutcome::Applied) {
    if (const char* refusal = MaskRefusalText(outcome)) {
      ShowProductMessage(refusal, MB_OK | MB_ICONWARNING);
    }
    return 0;
  }
  // The working copy holds the masked image before the user is told. The
  // message has no owner, so the main window stays usable while it waits:
  // the edit is counted and the commands updated first, or an Undo or Exit
  // given meanwhile would see the mask uncounted and lose it.
  UpdateWorkingCopyAfterEdit(changed.start, changed.end);
  CountMask(Document, Undo);
  WaveformAfterMask();
  UpdateCommandStates();
  PlacesAfterMask({Range}, kind);
  ShowProductMessage(text::kMaskFinished, MB_OK | MB_ICONINFORMATION);
  return 0;
}

size_t ApplyMaskToRanges(MaskKind kind, const std::vector<SampleRange>& ranges) {
  Win32FileStore files;
  MaskSettings settings = CurrentSettings();
  MaskOutcome outcome;
  size_t done = 0;
  {
    std::lock_guard<std::mutex> guard(DocumentLock);
    outcome = RunMaskOverRanges(kind, ranges, settings, Document, Undo, files,
                                Effects.MainTables, &done);
  }
  if (done > 0) {
    UpdateWorkingCopyAfterEdits(UndoSpans(Undo));
    CountMask(Document, Undo);
    WaveformAfterMask();
    UpdateCommandStates();
    PlacesAfterMask(std::vector<SampleRange>(ranges.begin(), ranges.begin() + done), kind);
  }
  if (outcome != MaskOutcome::Applied) {
    if (const char* refusal = MaskRefusalText(outcome)) {
      ShowProductMessage(refusal, MB_OK | MB_ICONWARNING);
    }
  }
  return done;
}

}  // namespace belmo
