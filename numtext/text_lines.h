// Text files read a line at a time, whichever line end they were written
// with.
#pragma once

#include <string_view>

namespace belmo {

// The first line of *text, without its line end ("\n" or "\r\n"); the
// line and its end are taken off *text.
inline std::string_view TakeLine(std::string_view* text) {
  const size_t newline = text->find('\n');
  std::string_view line = text->substr(0, newline);
  text->remove_prefix(newline == std::string_view::npos ? text->size() : newline + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace belmo
