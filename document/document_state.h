// The program's one open document.
#pragma once

#include "document/wav_document.h"

namespace belmo {

inline WavDocument Document;

}  // namespace belmo
