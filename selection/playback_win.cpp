#include "selection/playback_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "document/document_state.h"
#include "document/win32_platform_win.h"
#include "effects/apply_mask.h"
#include "effects/effects_texts.h"
#include "selection/range_controls_win.h"
#include "selection/sample_range.h"
#include "selection/selection_texts.h"
#include "selection/waveform_strip_win.h"
#include "window/command_ids.h"
#include "window/command_states_win.h"
#include "window/main_window_handles_win.h"
#include "window/message_box_win.h"
#include "window/worker_threads_win.h"

namespace belmo {
namespace {

// How long the thread waits between position polls: fresh enough for the
// display, and a stop is still seen within one poll.
constexpr DWORD kPollPauseMs = 5;

// The range of the playback under way, fixed when it starts.
PlaybackRange Session;
// Where the playing thread last saw the device.
std::atomic<uint32_t> HeardMs{0};

// The end of a playback reaches the main thread as a message, which any
// process can send too; it carries the playback's number, never a
// pointer, and only the number of the playback that has just ended is
// taken. Numbers are given on the main thread; the playing thread records
// its result and number before it sends the message.
uint32_t SessionNumber = 0;
PlaybackResult EndedResult;
std::atomic<uint32_t> EndedNumber{0};
uint32_t HandledNumber = 0;

class InfoBoxView : public PlaybackView {
 public:
  void ShowStatus(const std::string& text) override {
    SetWindowTextA(MainUi.InfoBox, text.c_str());
  }
  void ShowPosition(uint32_t positionMs) override {
    HeardMs.store(positionMs);
    WaveformShowPlayPosition(positionMs);
  }
};

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

DWORD WINAPI PlaybackThread(LPVOID number) {
  MciSoundDevice device;
  InfoBoxView view;
  const PlaybackResult result =
      RunPlayback(Session, device, Playback, view, [] { Sleep(kPollPauseMs); });
  EndedResult = result;
  EndedNumber.store(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(number)));
  // Sent, not posted: the seek is in place before a new playback can start.
  SendMessageA(MainUi.MainWindow, kMsgPlaybackEnded, 0, reinterpret_cast<LPARAM>(number));
  Playback.store(kPlaybackIdle);
  if (result.deviceRefused) ShowProductMessage(text::kPlaybackDeviceRefused, MB_OK | MB_ICONWARNING);
  return 0;
}

}  // namespace

void OnPlaybackEnded(LPARAM number) {
  const uint32_t ended = EndedNumber.load();
  if (number != static_cast<LPARAM>(ended) || ended == HandledNumber) return;
  HandledNumber = ended;
  const PlaybackResult result = EndedResult;
  if (result.stoppedByHand && result.hasPosition && Checked(MainUi.SeekOnStopCheck)) {
    SampleRange seeked = Range;
    SeekRangeTo(result.position, Checked(MainUi.SeekRangeRadio), seeked);
    SetRange(seeked, RangeSource::Program);
  }
  WaveformPlaybackEnded();
  UpdateCommandStates(true);
}

bool HeardPosition(uint32_t* positionMs) {
  if (!IsPlaying(Playback.load())) return false;
  *positionMs = HeardMs.load();
  return true;
}

void OnPlayButton() {
  if (RequestPlaybackStop(Playback)) return;
  if (!Document.IsOpen()) return;
  if (!RangeIsUsable(Range, Document.LengthMs)) {
    ShowProductMessage(text::kRangeInvalid, MB_OK | MB_ICONWARNING);
    return;
  }
  if (!ClaimPlayback(Playback)) return;
  Session = {Document.WorkingCopyPath, Range.start, Range.end};
  HeardMs.store(Range.start);
  UpdateCommandStates();
  if (Workers.Playback) CloseHandle(Workers.Playback);
  ++SessionNumber;
  if (SessionNumber == 0) ++SessionNumber;  // 0 is never a playback's
  Workers.Playback = CreateThread(nullptr, 0, PlaybackThread,
                                  reinterpret_cast<LPVOID>(static_cast<uintptr_t>(SessionNumber)),
                                  0, nullptr);
}

}  // namespace belmo
