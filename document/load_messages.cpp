#include <string>

#include "document/document_texts.h"

namespace belmo {
namespace {

// The format in words: "24ビット", "32ビット浮動小数点", "μ-law".
std::string FormatName(const FormatClaim& claim) {
  if (claim.FormatTag == kTagMuLaw) return text::kMuLawName;
  if (claim.FormatTag == kTagALaw) return text::kALawName;
  std::string name = std::to_string(claim.BitsPerSample) + text::kBitsUnit;
  if (claim.FormatTag == kTagFloat) name += text::kFloatName;
  return name;
}

// Compressed formats people meet in WAVE files, by their format tag.
const char* CompressedName(uint16_t tag) {
  switch (tag) {
    case 0x0002: return "ADPCM";
    case 0x0011: return "IMA ADPCM";
    case 0x0031: return "GSM 6.10";
    case 0x0050: return "MPEG";
    case 0x0055: return "MP3";
    case 0x00FF:
    case 0x1610: return "AAC";
    case 0x0161:
    case 0x0162:
    case 0x0163: return "WMA";
    default: return text::kCompressedUnknown;
  }
}

// A file of a readable kind with too many channels, or a sample width no
// mask takes, is told what it is and what to turn it into.
std::string UnsupportedText(const FormatClaim& claim) {
  SampleEncoding encoding;
  const bool readable = EncodingOfClaim(claim, &encoding);
  const bool widthTaken = encoding != SampleEncoding::Other;
  if (readable && widthTaken && claim.Channels > 2) {
    return FormatName(claim) + text::kJoin + std::to_string(claim.Channels) +
           text::kChannelsUnit + text::kTooManyChannels;
  }
  if ((claim.FormatTag == kTagPcm || claim.FormatTag == kTagFloat) && !widthTaken &&
      claim.BitsPerSample > 0) {
    return std::to_string(claim.BitsPerSample) + text::kBitsUnit +
           (claim.FormatTag == kTagFloat ? text::kFloatWidth : text::kPcmWidth) +
           text::kUnsupportedWidth;
  }
  return text::kUnsupportedFormat;
}

}  // namespace

std::string LoadRefusalText(LoadOutcome outcome, const FormatClaim& claim) {
  switch (outcome) {
    case LoadOutcome::NotPcm: return text::kNotPcmWave;
    case LoadOutcome::Compressed:
      return std::string(CompressedName(claim.FormatTag)) + text::kCompressedFormat;
    case LoadOutcome::Rf64: return text::kRf64Format;
    case LoadOutcome::Unreadable: return text::kCannotReadFile;
    case LoadOutcome::TooShort: return text::kFileTooShort;
    case LoadOutcome::UnsupportedFormat: return UnsupportedText(claim);
    case LoadOutcome::NoDataTag: return text::kNoSampleData;
    case LoadOutcome::TooLarge: return text::kFileTooLarge;
    case LoadOutcome::WorkingCopyFailed: return text::kWorkingCopyWriteFailed;
    case LoadOutcome::LengthUnknown: return text::kLengthUnknown;
    case LoadOutcome::Loaded: break;
  }
  return text::kNotPcmWave;
}

}  // namespace belmo
