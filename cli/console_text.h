// belmo-mask's texts are code page 932 like the program's; the console
// wants its own encoding (UTF-8 on Linux, the console code page on Windows).
#pragma once

#include <string>

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932);

// Text in the system's encoding (an argument, a file saved in it) as
// UTF-8; false when it is not text in it. Linux takes UTF-8; Windows the
// ANSI code page its arguments come in.
bool LocalTextToUtf8(const std::string& local, std::string* utf8);

// UTF-8 as the console shows it.
std::string Utf8ToConsoleEncoding(const std::string& utf8);

}  // namespace belmo
