// settings.ini's ninth line on Windows: code page 932, as every version
// wrote and reads it (settings/mask_settings.h).
#pragma once

#include <string>

#include "settings/mask_settings.h"
#include "window/wide_text_win.h"

namespace belmo {

inline PathLineForm Cp932PathLine() {
  PathLineForm form;
  form.ToLine = [](const std::string& path, std::string* line) {
    return ExactCp932Of(path, line) && line->size() <= static_cast<size_t>(kMaxPathBytes);
  };
  form.FromLine = [](const std::string& line) { return Utf8Of(WideOfCp932(line)); };
  return form;
}

}  // namespace belmo
