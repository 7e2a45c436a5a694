// The question a transcript read into the list of places asks: which words
// to look for (one a line), whether runs of digits too, and how much to
// add on each side; it shows how many places each word found before they
// are added.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "transcript/transcript.h"
#include "transcript/transcript_search.h"

namespace belmo {

// Modal to owner. False when the user cancelled; else *places holds what
// was found, padded and merged, each with the words found in it.
bool AskTranscriptPlaces(HWND owner, const Transcript& transcript, const std::string& path,
                         int32_t lengthMs, std::vector<LabeledRange>* places);

}  // namespace belmo
