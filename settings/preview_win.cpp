// The pages of the settings window: their preview buttons, "参照", and the
// wave-out device that plays the previews and reports each returned
// buffer to the page that started it.
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>

#include <cstring>
#include <mutex>

#include "document/document_state.h"
#include "document/win32_platform_win.h"
#include "selection/control_hooks_win.h"
#include "settings/preview_player.h"
#include "settings/settings_messages.h"
#include "settings/settings_texts.h"
#include "settings/settings_ui_win.h"
#include "window/message_box_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

// The format tag a device is opened with: the file's own samples, which
// the system converts where the device wants others.
WORD DeviceTagOf(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Float32: return kTagFloat;
    case SampleEncoding::MuLaw: return kTagMuLaw;
    case SampleEncoding::ALaw: return kTagALaw;
    default: return kTagPcm;
  }
}

class WaveOutDevice final : public PreviewDevice {
 public:
  // The page whose click starts the next preview gets its notifications.
  void NotifyTo(HWND page) { page_ = page; }

  bool Open(const WaveFormat& format) override {
    WAVEFORMATEX wave = {};
    wave.wFormatTag = DeviceTagOf(format.Encoding);
    wave.nChannels = format.Channels;
    wave.nSamplesPerSec = format.SampleRate;
    wave.nAvgBytesPerSec = format.AvgBytesPerSec();
    wave.nBlockAlign = format.BlockAlign();
    wave.wBitsPerSample = format.BitsPerSample;
    HWAVEOUT handle = nullptr;
    if (waveOutOpen(&handle, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(page_), 0,
                    CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
      return false;
    }
    handle_ = handle;
    return true;
  }

  // Each buffer plays once: a loop of one pass.
  void Prepare(int header, uint8_t* data, uint32_t length) override {
    WAVEHDR& h = headers_[header];
    h = WAVEHDR{};
    h.lpData = reinterpret_cast<LPSTR>(data);
    h.dwBufferLength = length;
    h.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    h.dwLoops = 1;
    waveOutPrepareHeader(handle_, &h, sizeof h);
    prepared_[header] = length;
  }

  // A short last block is prepared anew for its length: a driver may have
  // sized its own conversion buffers at preparation.
  void Write(int header, uint32_t length) override {
    WAVEHDR& h = headers_[header];
    if (length != prepared_[header]) {
      waveOutUnprepareHeader(handle_, &h, sizeof h);
      Prepare(header, reinterpret_cast<uint8_t*>(h.lpData), length);
    }
    waveOutWrite(handle_, &h, sizeof h);
  }

  void Unprepare(int header) override {
    waveOutUnprepareHeader(handle_, &headers_[header], sizeof(WAVEHDR));
  }

  void Reset() override { waveOutReset(handle_); }

  // Notifications the device posted before it closed (a reset returns
  // every buffer at once) must not reach the next preview, which may get a
  // device with the same handle.
  void Close() override {
    waveOutClose(handle_);
    handle_ = nullptr;
    MSG stale;
    while (PeekMessageA(&stale, nullptr, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) {
    }
  }

  // Which header a buffer-returned notification names; -1 for one that
  // does not belong to the open device.
  int HeaderOf(WPARAM device, LPARAM header) const {
    if (!handle_ || reinterpret_cast<HWAVEOUT>(device) != handle_) return -1;
    for (int index = 0; index < 2; ++index) {
      if (reinterpret_cast<const WAVEHDR*>(header) == &headers_[index]) return index;
    }
    return -1;
  }

 private:
  HWND page_ = nullptr;
  HWAVEOUT handle_ = nullptr;
  WAVEHDR headers_[2] = {};
  uint32_t prepared_[2] = {};
};

// The open document as the voice previews read it: the whole frames of its
// data chunk. The main thread replaces or rewrites the image under
// DocumentLock; a block is copied under it too, and measured against the
// document as it is at that moment.
class DocumentSamples final : public PreviewSource {
 public:
  int64_t CopySamples(int64_t offset, uint8_t* dest, int64_t length) override {
    std::lock_guard<std::mutex> guard(DocumentLock);
    const int64_t start = Document.Format.DataStart();
    const int64_t remaining = Document.Format.WholeFramesEnd() - start - offset;
    if (remaining > 0 && length > 0 && offset >= 0) {
      std::memcpy(dest, Document.Image.data() + start + offset,
                  static_cast<size_t>(remaining < length ? remaining : length));
    }
    return remaining;
  }
};

// The player and what it plays through; program-wide, so that the state
// of a preview does not depend on which settings window started it.
struct PreviewShell {
  WaveOutDevice Device;
  DocumentSamples Source;
  Win32FileStore Files;
  PreviewPlayer Player{Device, Source, Files};
};

PreviewShell& Preview() {
  static PreviewShell shell;
  return shell;
}

// The overwrite-source dialog's buffers keep the last chosen file, which
// the next dialog offers as its initial name.
struct OverwriteDialogBuffers {
  wchar_t File[1024] = {};
  wchar_t Title[1024] = {};
};

OverwriteDialogBuffers OverwriteDialog;

// With no document the format has no rate, and the preview plays nothing.
WaveFormat OpenDocumentFormat() {
  std::lock_guard<std::mutex> guard(DocumentLock);
  return Document.IsOpen() ? Document.Format : WaveFormat{};
}

void OnPreviewButton(HWND page, PreviewPage which) {
  const WaveFormat format = OpenDocumentFormat();
  Preview().Device.NotifyTo(page);
  const PressOutcome outcome = Preview().Player.Press(which, PreviewValuesOf(ReadSettingsForm()),
                                                      format);
  if (const char* refusal = PreviewRefusalText(outcome)) {
    // The missing file is a reminder, not a fault: no icon.
    const UINT icon = outcome.result == PreviewResult::NoOverwriteFile ? 0 : MB_ICONWARNING;
    ShowProductMessage(refusal, MB_OK | icon);
  }
}

// A Save-type dialog that insists on an existing file. The choice lands in
// the path box only; MaskSettings changes with OK.
void OnBrowse() {
  // Wide, so that a source of any name can be chosen.
  const std::wstring filter =
      WideOfCp932(std::string_view(text::kOverwriteFilter, sizeof text::kOverwriteFilter));
  const std::wstring extension = WideOfCp932(text::kOverwriteDefaultExtension);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = OverwriteDialog.File;
  dialog.nMaxFile = sizeof OverwriteDialog.File / sizeof OverwriteDialog.File[0];
  dialog.lpstrFileTitle = OverwriteDialog.Title;
  dialog.nMaxFileTitle = sizeof OverwriteDialog.Title / sizeof OverwriteDialog.Title[0];
  dialog.lpstrDefExt = extension.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (GetSaveFileNameW(&dialog)) SetWindowTextW(SettingsUi.PathBox, OverwriteDialog.File);
}

bool OnPageButton(HWND page, HWND button) {
  const SettingsWindowUi& ui = SettingsUi;
  if (!button) return false;
  if (button == ui.SinePreviewButton) {
    OnPreviewButton(page, PreviewPage::Sine);
  } else if (button == ui.VoicePreviewButton) {
    OnPreviewButton(page, PreviewPage::Voice);
  } else if (button == ui.FilePreviewButton) {
    OnPreviewButton(page, PreviewPage::File);
  } else if (button == ui.BrowseButton) {
    OnBrowse();
  } else {
    return false;
  }
  return true;
}

void OnBufferReturned(WPARAM device, LPARAM header) {
  const int index = Preview().Device.HeaderOf(device, header);
  if (index >= 0) Preview().Player.OnBufferDone(index);
}

LRESULT PreviewStatus() {
  const PreviewPlayer& player = Preview().Player;
  return static_cast<LRESULT>(player.State()) | (static_cast<LRESULT>(player.Kind()) << 4) |
         (static_cast<LRESULT>(player.BlockCounter()) << 8);
}

}  // namespace

LRESULT CALLBACK PageWindowProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && OnPageButton(page, reinterpret_cast<HWND>(lParam))) {
        return 0;
      }
      break;
    case MM_WOM_DONE:
      OnBufferReturned(wParam, lParam);
      return 0;
    case kMsgQueryPreview:
      return PreviewStatus();
    default:
      break;
  }
  return CallPrevious(page, message, wParam, lParam);
}

void StopPreview() { Preview().Player.StopNow(); }

}  // namespace belmo
