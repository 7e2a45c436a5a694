#include "update/update_protocol.h"

#include <cstdio>

#include "numtext/number_text.h"

namespace belmo {
namespace {

constexpr FourDigitVersion kOwnVersion = ParseFourDigitVersion(BELMO_VERSION);
static_assert(kOwnVersion.Valid, "BELMO_VERSION must be four numbers 0..63 joined by dots");

// Generous for any real host name, and it keeps every request well inside
// the work text.
constexpr size_t kMaxAuthority = 128;

constexpr char kCrLf[] = "\r\n";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

int Base64Digit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 36;
  if (c == '-') return 62;
  if (c == '_') return 63;
  return -1;
}

std::string RequestFor(std::string_view target, const UpdateServer& server) {
  std::string request = "GET ";
  request += target;
  request += " HTTP/1.1";
  request += kCrLf;
  request += "Host: ";
  request += server.Authority;
  request += kCrLf;
  request += kCrLf;
  return request;
}

// Calls visit(name, value) for every field line of a header, the value
// without its leading blanks, until visit returns true.
template <typename Visit>
void ForEachField(std::string_view header, Visit visit) {
  size_t lineStart = header.find(kCrLf);
  while (lineStart != std::string_view::npos) {
    lineStart += 2;
    size_t lineEnd = header.find(kCrLf, lineStart);
    if (lineEnd == std::string_view::npos) return;
    std::string_view line = header.substr(lineStart, lineEnd - lineStart);
    size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
      }
      if (visit(line.substr(0, colon), value)) return;
    }
    lineStart = lineEnd;
  }
}

}  // namespace

std::optional<UpdateServer> UpdateServerFromSetting(const char* settingOrNull) {
  UpdateServer server;
  if (settingOrNull == nullptr || *settingOrNull == '\0') {
    server.Authority = kDefaultUpdateHost;
    server.HostName = kDefaultUpdateHost;
    return server;
  }
  std::string_view setting(settingOrNull);
  if (setting.size() > kMaxAuthority) return std::nullopt;
  std::string_view host = setting;
  size_t colon = setting.find(':');
  if (colon != std::string_view::npos) {
    host = setting.substr(0, colon);
    std::string_view port = setting.substr(colon + 1);
    if (port.empty() || port.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : port) {
      if (!IsDigit(c)) return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    server.Port = static_cast<uint16_t>(value);
  }
  if (host.empty()) return std::nullopt;
  for (char c : host) {
    if (!IsAlpha(c) && !IsDigit(c) && c != '.' && c != '-' && c != '_') return std::nullopt;
  }
  server.Authority = std::string(setting);
  server.HostName = std::string(host);
  return server;
}

std::string ReleasePageAddress(const UpdateServer& server) {
  return "http://" + server.Authority + "/softs/ab/";
}

std::string VersionFileRequest(const UpdateServer& server) {
  return RequestFor("/softs/version.txt", server);
}

std::string CountLogRequest(const UpdateServer& server, std::string_view versionCode) {
  std::string target = "/cgi-bin/download.cgi?softname=";
  target += kSoftName;
  for (char c : versionCode) {
    if (IsAlpha(c) || IsDigit(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '!') {
      target += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      target += escaped;
    }
  }
  target += "&softtype=ab";
  return RequestFor(target, server);
}

std::string ArchiveRequest(const UpdateServer& server, std::string_view downloadPath) {
  return RequestFor(downloadPath, server);
}

uint32_t OwnVersionValue() { return VersionValue(kOwnVersion); }

ServerVersion DecodeVersionCode(std::string_view code) {
  ServerVersion version;
  for (size_t i = 0; i < 4; ++i) {
    int digit = i < code.size() ? Base64Digit(code[i]) : -1;
    if (digit >= 0) {
      version.Value = version.Value * 64 + static_cast<uint32_t>(digit);
      version.Text += NumberToText(digit);
    }
    if (i < 3) version.Text += '.';
  }
  return version;
}

std::optional<std::string> FindVersionCode(std::string_view versionFile) {
  constexpr size_t kNameLength = sizeof kSoftName - 1;
  int position = FindText(1, versionFile, kSoftName);
  if (position == 0) return std::nullopt;
  // The name, one separator of any kind, then the four characters.
  size_t codeStart = static_cast<size_t>(position - 1) + kNameLength + 1;
  if (versionFile.size() < codeStart + 4) return std::nullopt;
  return std::string(versionFile.substr(codeStart, 4));
}

std::string ArchiveFileName(std::string_view versionCode) {
  std::string name = kSoftName;
  for (char c : versionCode) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool forbidden = byte < 0x20 || byte >= 0x7F ||
                     std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    name += forbidden ? '_' : c;
  }
  name += ".zip";
  return name;
}

size_t HeaderLength(std::string_view response) {
  size_t blank = response.find("\r\n\r\n");
  return blank == std::string_view::npos ? 0 : blank + 4;
}

bool StatusIsOk(std::string_view response) {
  return response.size() >= 12 && response.substr(9, 3) == "200";
}

std::optional<uint64_t> ContentLength(std::string_view header) {
  std::optional<uint64_t> length;
  ForEachField(header, [&](std::string_view name, std::string_view value) {
    if (!EqualNoCase(name, "Content-Length")) return false;
    if (!value.empty() && IsDigit(value.front())) {
      int64_t rounded = RoundHalfEven(TextToNumber(value));
      if (rounded >= 0) length = static_cast<uint64_t>(rounded);
    }
    return true;
  });
  return length;
}

std::optional<std::string> DownloadPathFrom(std::string_view header, const UpdateServer& server) {
  const std::string target = "http://" + server.Authority;
  std::optional<std::string> path;
  ForEachField(header, [&](std::string_view name, std::string_view value) {
    if (!EqualNoCase(name, "Location") || !StartsWithNoCase(value, target)) return false;
    std::string_view rest = value.substr(target.size());
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
    // A path for another port of the same host ("host:8080" behind
    // "host:80") does not begin with '/'.
    if (rest.empty() || rest.front() != '/') return true;
    for (char c : rest) {
      unsigned char byte = static_cast<unsigned char>(c);
      if (byte <= 0x20 || byte >= 0x7F) return true;
    }
    if (rest.size() >= kWorkTextSize || ArchiveRequest(server, rest).size() >= kWorkTextSize) {
      return true;
    }
    path = std::string(rest);
    return true;
  });
  return path;
}

}  // namespace belmo
