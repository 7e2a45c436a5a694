#include "window/main_window_handles_win.h"

#include "window/window_layout_win.h"

namespace belmo {
namespace {

constexpr int kClientHeight = 270;
constexpr int kWaveformRowHeight = 100;

}  // namespace

int MainClientHeight(bool withWaveform) {
  return kClientHeight + (withWaveform ? kWaveformRowHeight : 0);
}

void SizeMainWindow(bool withWaveform) {
  ResizeScaledWindow(MainUi.MainWindow, kMainClientWidth, MainClientHeight(withWaveform), true);
}

}  // namespace belmo
