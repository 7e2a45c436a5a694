// The file overwrite: another WAVE file, converted to the document's sample
// width, channel count and rate (nearest earlier frame, no interpolation),
// copied over the range once (the rest cleared) or repeated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/platform.h"
#include "document/undo_record.h"
#include "document/wave_format.h"
#include "effects/mask.h"

namespace belmo {

constexpr uint8_t kOverwriteContinuous = 1;  // any other mode plays the file once

// Reads the overwrite file and converts its samples to the target format.
// Returns Applied with the converted bytes, or the reason it is refused:
// SourceUnreadable, SourceTooShort (under 40 bytes), SourceNotPcm, SourceNoData,
// SourceEmpty (nothing left after conversion), OutOfMemory.
MaskOutcome LoadOverwriteSource(const std::string& path, const WaveFormat& target,
                                FileStore& files, std::vector<uint8_t>* converted);

// Copies converted data into dest[0, length) from the source position,
// which is read and advanced. Continuous mode wraps around; once mode
// fills what the data does not cover with silence of the target's
// encoding (128 for 8-bit, not the loud step byte 0 would be). Returns 1
// when, in once mode, the data ended within this block, else 0. converted
// must not be empty.
int CopyOverwriteData(const std::vector<uint8_t>& converted, uint8_t mode, SampleEncoding target,
                      uint8_t* dest, int64_t length, uint32_t& position);

// Both steps, as a block routine: 1 when the file was refused (dest and
// position unchanged; *refusal says why) or once-mode data ended, else 0.
int OverwriteFromFile(uint8_t* dest, const WaveFormat& target, const std::string& path,
                      uint8_t mode, int64_t length, uint32_t& position, FileStore& files,
                      MaskOutcome* refusal);

// The range entry: the source is read and converted before anything
// changes, so a refused file leaves the image and the undo record as they
// were.
MaskOutcome ApplyFileOverwrite(ImageSpan image, const WaveFormat& format,
                               double startSeconds, double endSeconds, const std::string& path,
                               uint8_t overwriteType, FileStore& files, UndoRecord& undo);

}  // namespace belmo
