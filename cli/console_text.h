// belmo-mask's texts are code page 932 like the program's; the console
// wants its own encoding (UTF-8 on Linux, the console code page on Windows).
#pragma once

#include <string>

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932);

}  // namespace belmo
