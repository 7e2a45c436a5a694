#include "settings/mask_settings.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "numtext/number_text.h"

namespace belmo {

namespace {

constexpr int kKeyCount = 8;
// The tenth value is the waveform choice, the eleventh the UTF-8 path.
constexpr int kUtf8PathValue = kKeyCount + 1;
// A path the system takes with its long-path prefix, in UTF-8.
constexpr size_t kMaxUtf8PathBytes = 32767 * 3;

// Low bits of the rounded value: out-of-range numbers wrap instead of
// saturating, so "-1" becomes 255 for a byte.
uint64_t RoundedBits(std::string_view value) {
  return static_cast<uint64_t>(RoundHalfEven(TextToNumber(value)));
}

void Store(MaskSettings& s, int key, const std::string& value) {
  switch (key) {
    case 0: s.SinHz = TextToNumber(value); break;
    case 1: s.SindB = TextToNumber(value); break;
    case 2: s.PitchUpType = static_cast<uint8_t>(RoundedBits(value) & 0xFFu); break;
    case 3: s.VoicePitch = TextToNumber(value); break;
    case 4: s.VoiceSample = TextToNumber(value); break;
    case 5: s.FFTSample = static_cast<uint16_t>(RoundedBits(value) & 0xFFFFu); break;
    case 6: s.OverWriteFilePath = value.substr(0, kMaxPathBytes); break;
    case 7: s.OverWriteType = static_cast<uint8_t>(RoundedBits(value) & 0xFFu); break;
  }
}

// The value texts of the first count keys, by position: the k-th "=" after
// "[Settings]" is the k-th key, whatever name stands before it, so
// hand-edited names do not matter. A key without its "=" has no value.
std::vector<std::optional<std::string>> ValuesByPosition(std::string_view text, int count) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);

  std::vector<std::optional<std::string>> values(static_cast<size_t>(count));
  int p = 11;
  for (auto& value : values) {
    const int e = FindText(p, text, "=");
    if (e == 0) {
      // p = 0 makes every later search fail too: the rest keep defaults.
      p = 0;
      continue;
    }
    const int c = FindText(e, text, "\r\n");
    if (c == 0) {
      // A last line without its line end: take what is left, and stop here
      // instead of searching again from the start of the text.
      value = SubText(text, e + 1, 0);
      p = 0;
      continue;
    }
    value = c - e - 1 != 0 ? SubText(text, e + 1, c - e - 1) : std::string();
    p = c + 2;
  }
  return values;
}

}  // namespace

MaskSettings ParseSettingsText(std::string_view text, const PathLineForm& form) {
  MaskSettings s;
  const bool wide = form.FromLine != nullptr;
  const auto values = ValuesByPosition(text, wide ? kUtf8PathValue + 1 : kKeyCount);
  for (int key = 0; key < kKeyCount; ++key) {
    if (values[key]) Store(s, key, *values[key]);
  }
  if (!wide) return s;
  const auto& utf8 = values[kUtf8PathValue];
  if (utf8 && !utf8->empty()) {
    s.OverWriteFilePath = utf8->substr(0, kMaxUtf8PathBytes);
  } else {
    s.OverWriteFilePath = form.FromLine(s.OverWriteFilePath);
  }
  return s;
}

DisplaySettings ParseDisplaySettings(std::string_view text) {
  DisplaySettings display;
  const auto values = ValuesByPosition(text, kKeyCount + 1);
  if (values[kKeyCount]) display.ShowWaveform = RoundedBits(*values[kKeyCount]) != 0;
  return display;
}

std::string FormatSettingsText(const MaskSettings& s, const DisplaySettings& display,
                               const PathLineForm& form) {
  std::string line = s.OverWriteFilePath;
  const bool fits = form.ToLine == nullptr || form.ToLine(s.OverWriteFilePath, &line);
  if (!fits) line.clear();
  std::string text = "[Settings]\r\n";
  text += "SinHz=" + NumberToText(s.SinHz) + "\r\n";
  text += "SindB=" + NumberToText(s.SindB) + "\r\n";
  text += "PitchUpType=" + NumberToText(static_cast<double>(s.PitchUpType)) + "\r\n";
  text += "VoicePitch=" + NumberToText(s.VoicePitch) + "\r\n";
  text += "VoiceSample=" + NumberToText(s.VoiceSample) + "\r\n";
  text += "FFTSample=" + NumberToText(static_cast<double>(s.FFTSample)) + "\r\n";
  text += "OverWriteFilePath=" + line + "\r\n";
  text += "OverWriteType=" + NumberToText(static_cast<double>(s.OverWriteType)) + "\r\n";
  if (!fits) {
    text += display.ShowWaveform ? "ShowWaveform=1\r\n" : "ShowWaveform=0\r\n";
    text += "OverWriteFileUTF8=" + s.OverWriteFilePath + "\r\n";
  } else if (display.ShowWaveform) {
    text += "ShowWaveform=1\r\n";
  }
  return text;
}

SettingsFile ReadSettingsFileWithDisplay(const std::string& path, const PathLineForm& form) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return SettingsFile();

  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  // Half a file could shift every key; defaults are the safer guess.
  if (failed) return SettingsFile();
  return {ParseSettingsText(text, form), ParseDisplaySettings(text)};
}

MaskSettings ReadSettingsFile(const std::string& path) {
  return ReadSettingsFileWithDisplay(path).Masks;
}

bool WriteSettingsFile(const MaskSettings& settings, const std::string& path,
                       const DisplaySettings& display, const PathLineForm& form) {
  const std::string text = FormatSettingsText(settings, display, form);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace belmo
