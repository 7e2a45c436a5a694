// The texts of the exchange with the update server: which server, the three
// requests, what is read from a response header, and the base-64 version
// codes of the version file. Everything here takes untrusted server bytes
// and never reads past what it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace belmo {

// The name the server lists this program under, sends to the download
// script and proposes as the start of the archive's file name.
inline constexpr char kSoftName[] = "Belmo";

// The server a build asks; a site can rebuild with -DBELMO_UPDATE_HOST=...
// or set BELMO_UPDATE_SERVER at run time.
#ifndef BELMO_UPDATE_HOST
#define BELMO_UPDATE_HOST "update.belmo.example"
#endif
inline constexpr char kDefaultUpdateHost[] = BELMO_UPDATE_HOST;
inline constexpr uint16_t kDefaultUpdatePort = 80;
inline constexpr char kUpdateServerVariable[] = "BELMO_UPDATE_SERVER";

// The download-script and archive requests are assembled in a text of this
// size (terminator included), so a longer one is refused, not cut.
inline constexpr size_t kWorkTextSize = 260;

struct UpdateServer {
  // Exactly as given ("host" or "host:port"): the Host header, the status
  // lines, the redirect target and the release page all carry this text.
  std::string Authority;
  std::string HostName;  // what is looked up
  uint16_t Port = kDefaultUpdatePort;
};

// The built-in server when the setting is missing or empty; nothing when
// the setting is not a host name with an optional port 1 to 65535.
std::optional<UpdateServer> UpdateServerFromSetting(const char* settingOrNull);

// "http://" + server + "/softs/ab/"
std::string ReleasePageAddress(const UpdateServer& server);

std::string VersionFileRequest(const UpdateServer& server);
// Characters of the code that would break the request line (blanks,
// controls, '&', '%' and the like) are sent percent-encoded.
std::string CountLogRequest(const UpdateServer& server, std::string_view versionCode);
std::string ArchiveRequest(const UpdateServer& server, std::string_view downloadPath);

// A version of four digits 0..63, "d0.d1.d2.d3", as the build defines it.
struct FourDigitVersion {
  int Digits[4] = {0, 0, 0, 0};
  bool Valid = false;
};

constexpr FourDigitVersion ParseFourDigitVersion(std::string_view text) {
  FourDigitVersion version;
  int part = 0;
  int value = 0;
  int digitsInPart = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (++digitsInPart > 2 || value > 63) return FourDigitVersion{};
    } else if (c == '.' && digitsInPart > 0 && part < 3) {
      version.Digits[part++] = value;
      value = 0;
      digitsInPart = 0;
    } else {
      return FourDigitVersion{};
    }
  }
  if (part != 3 || digitsInPart == 0) return FourDigitVersion{};
  version.Digits[3] = value;
  version.Valid = true;
  return version;
}

constexpr uint32_t VersionValue(const FourDigitVersion& version) {
  uint32_t value = 0;
  for (int digit : version.Digits) value = value * 64 + static_cast<uint32_t>(digit);
  return value;
}

// This build's version (BELMO_VERSION) as the comparison sees it.
uint32_t OwnVersionValue();

// A four-character code of the version file: its value and its display
// text. Characters that are no base-64 digit add nothing to either.
struct ServerVersion {
  uint32_t Value = 0;
  std::string Text;
};
ServerVersion DecodeVersionCode(std::string_view code);

// The four characters after SoftName and one separator, first occurrence
// only; nothing when the name is missing or too few characters follow it.
std::optional<std::string> FindVersionCode(std::string_view versionFile);

// SoftName + code + ".zip", with characters no file name may hold replaced.
std::string ArchiveFileName(std::string_view versionCode);

// Header of a response as it arrives.

// Bytes up to and including the blank line that ends the header, or 0
// while it has not arrived completely.
size_t HeaderLength(std::string_view response);

// The status code of the first line is "200". Needs 12 bytes.
bool StatusIsOk(std::string_view response);

// The announced body length; nothing when the field is missing or is not
// a number of bytes (the body then ends when the server closes).
std::optional<uint64_t> ContentLength(std::string_view header);

// The path of a Location field that points at this server, usable as the
// archive request: it begins with '/', holds only visible ASCII and the
// request built around it fits the work text.
std::optional<std::string> DownloadPathFrom(std::string_view header, const UpdateServer& server);

}  // namespace belmo
