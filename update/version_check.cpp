#include "update/version_check.h"

#include <algorithm>

#include "numtext/number_text.h"
#include "update/update_texts.h"

namespace belmo {
namespace {

// A header that has not ended after this many bytes is no HTTP answer
// worth waiting for.
constexpr size_t kMaxHeaderLength = 16 * 1024;

const char* SendingStatus(VersionCheckMode mode) {
  switch (mode) {
    case VersionCheckMode::CountLog: return text::kStatusSendingCountLog;
    case VersionCheckMode::Download: return text::kStatusSendingDownload;
    default: return text::kStatusSendingVersionFile;
  }
}

const char* FailedStatus(VersionCheckMode mode) {
  switch (mode) {
    case VersionCheckMode::CountLog: return text::kStatusCountLogFailed;
    case VersionCheckMode::Download: return text::kStatusDownloadFailed;
    default: return text::kStatusVersionFileFailed;
  }
}

const char* DoneStatus(VersionCheckMode mode) {
  switch (mode) {
    case VersionCheckMode::CountLog: return text::kStatusCountLogDone;
    case VersionCheckMode::Download: return text::kStatusSavingFile;
    default: return text::kStatusVersionFileDone;
  }
}

}  // namespace

VersionCheck::VersionCheck(const std::optional<UpdateServer>& server, uint32_t ownVersionValue,
                           UpdatePlatform& platform)
    : server_(server.value_or(UpdateServer{})),
      serverValid_(server.has_value()),
      ownVersionValue_(ownVersionValue),
      platform_(platform) {}

void VersionCheck::OnStartup(bool winsockStarted) {
  if (windowClosed_) return;
  if (!winsockStarted) return End(100, text::kStatusWinsockFailed);
  if (!serverValid_) return End(100, text::kStatusBadServerSetting);
  platform_.SetProgress(1);
  OnRequest();
}

void VersionCheck::OnRequest() {
  if (windowClosed_ || phase_ == Phase::Ended) return;
  response_.clear();
  received_ = 0;
  headersParsed_ = false;
  headerLength_ = 0;
  lengthKnown_ = false;
  expectedTotal_ = 0;

  if (mode_ != VersionCheckMode::Download) return OpenConnection();

  // The dialog is modal: the server may close the kept connection, or the
  // user the window, before it returns.
  ArchiveChoice choice;
  bool chosen = platform_.AskArchivePath(ArchiveFileName(versionCode_), &choice);
  if (windowClosed_ || phase_ == Phase::Ended) return;
  if (!chosen) return End(100, text::kStatusCancelled);
  archive_ = choice;
  request_ = ArchiveRequest(server_, downloadPath_);
  if (socket_ == kNoSocket) return OpenConnection();
  reusedConnection_ = true;
  phase_ = Phase::Connected;
  SendRequest();
}

void VersionCheck::OpenConnection() {
  reusedConnection_ = false;
  socket_ = platform_.CreateSocket();
  if (socket_ == kNoSocket) return End(100, text::kStatusSocketFailed);
  platform_.SetProgress(2);
  if (lookupPending_) {
    platform_.SetStatus(text::kStatusAbortingLookup);
    platform_.CancelLookup();
    lookupPending_ = false;
  }
  platform_.SetStatus(ServerStatus(text::kTailLookingUp));
  phase_ = Phase::Resolving;
  lookupPending_ = true;
  if (!platform_.StartLookup(server_.HostName)) OnLookupDone(false);
}

void VersionCheck::OnLookupDone(bool found) {
  if (!lookupPending_) return;
  lookupPending_ = false;
  if (windowClosed_ || phase_ != Phase::Resolving) return;
  if (!found) return End(100, ServerStatus(text::kTailLookupFailed));
  platform_.SetProgress(3);
  platform_.SetStatus(text::kStatusAddressFound);
  platform_.SetStatus(ServerStatus(text::kTailConnecting));
  phase_ = Phase::Connecting;
  if (!platform_.Connect(socket_, server_.Port)) {
    // The bar stays where it is: the address was found, the connection not.
    phase_ = Phase::Ended;
    CloseConnection();
    platform_.SetStatus(ServerStatus(text::kTailConnectFailed));
  }
}

void VersionCheck::OnSocket(SocketId socket, SocketEvent event, bool failed) {
  if (windowClosed_ || phase_ == Phase::Ended || socket == kNoSocket || socket != socket_) return;
  switch (event) {
    case SocketEvent::Connect:
      if (phase_ != Phase::Connecting) return;
      if (failed) return End(100, ServerStatus(text::kTailConnectFailed));
      platform_.SetProgress(4);
      platform_.SetStatus(ServerStatus(text::kTailConnected));
      if (mode_ == VersionCheckMode::CheckVersion) request_ = VersionFileRequest(server_);
      if (mode_ == VersionCheckMode::CountLog) request_ = CountLogRequest(server_, versionCode_);
      // In Download mode the archive request was built when the name was chosen.
      phase_ = Phase::Connected;
      return;
    case SocketEvent::Write:
      if (phase_ == Phase::Connected) SendRequest();
      return;
    case SocketEvent::Read:
      if (phase_ == Phase::Receiving) return ReadPiece();
      if (phase_ == Phase::KeptOpen) {
        // Nothing is expected between two responses; whatever comes is
        // dropped so that it cannot be taken for the archive.
        char scrap[kReceiveBufferSize];
        long got = platform_.Receive(socket_, scrap, sizeof scrap);
        if (got == kReceiveClosed || got == kReceiveError) CloseConnection();
      }
      return;
    case SocketEvent::Close:
      if (phase_ == Phase::Receiving) return ServerClosed();
      if (phase_ == Phase::KeptOpen) return CloseConnection();  // the archive gets a new one
      if (phase_ == Phase::Connected) return FailResponse();
      if (phase_ == Phase::Connecting) End(100, ServerStatus(text::kTailConnectFailed));
      return;
  }
}

void VersionCheck::SendRequest() {
  platform_.SetProgress(5);
  platform_.SetStatus(SendingStatus(mode_));
  long sent = platform_.Send(socket_, request_);
  if (sent < 0 || static_cast<size_t>(sent) != request_.size()) {
    phase_ = Phase::Ended;
    CloseConnection();
    platform_.SetStatus(text::kStatusSendFailed);
    return;
  }
  phase_ = Phase::Receiving;
}

void VersionCheck::ReadPiece() {
  int progress = 10;
  if (lengthKnown_ && expectedTotal_ > 0) {
    double share = static_cast<double>(received_) / static_cast<double>(expectedTotal_);
    progress = static_cast<int>(std::clamp<int64_t>(RoundHalfEven(share * 85 + 10), 10, 95));
  }
  platform_.SetProgress(progress);

  char buffer[kReceiveBufferSize] = {};
  long got = platform_.Receive(socket_, buffer, sizeof buffer);
  if (got == kReceiveWouldBlock) return;
  if (got == kReceiveClosed) return ServerClosed();
  if (got < 0) return FailResponse();
  response_.append(buffer, std::min(static_cast<size_t>(got), sizeof buffer));
  received_ = response_.size();

  if (!headersParsed_ && !ReadHeader()) return;
  if (Complete()) Finish();
}

void VersionCheck::ServerClosed() {
  // Data can still wait behind the close notification.
  char buffer[kReceiveBufferSize];
  while (!Complete()) {
    long got = platform_.Receive(socket_, buffer, sizeof buffer);
    if (got <= 0) break;
    response_.append(buffer, std::min(static_cast<size_t>(got), sizeof buffer));
    received_ = response_.size();
    if (!headersParsed_ && !ReadHeader() && phase_ != Phase::Receiving) return;
  }
  // The server is gone; a download script's answer can no longer keep its
  // connection for the archive.
  CloseConnection();
  // Without an announced length the close is what ends the body.
  if (Complete() || (headersParsed_ && !lengthKnown_)) return Finish();
  // A kept-alive connection the server dropped just as the archive request
  // went out: that request never reached it, so it is made once more.
  if (mode_ == VersionCheckMode::Download && reusedConnection_ && received_ == 0 && !reconnected_) {
    reconnected_ = true;
    CloseConnection();
    return OpenConnection();
  }
  FailResponse();
}

bool VersionCheck::ReadHeader() {
  size_t length = HeaderLength(response_);
  if (mode_ != VersionCheckMode::CountLog && (received_ >= 12 || length != 0) &&
      !StatusIsOk(response_)) {
    FailResponse();
    return false;
  }
  if (length == 0) {
    if (received_ > kMaxHeaderLength) FailResponse();
    return false;
  }
  std::string_view header(response_.data(), length);
  if (mode_ == VersionCheckMode::CountLog) {
    std::optional<std::string> path = DownloadPathFrom(header, server_);
    if (!path) {
      FailResponse();
      return false;
    }
    downloadPath_ = *path;
  }
  std::optional<uint64_t> bodyLength = ContentLength(header);
  lengthKnown_ = bodyLength.has_value();
  expectedTotal_ = length;
  if (lengthKnown_) expectedTotal_ += std::min<uint64_t>(*bodyLength, UINT64_MAX - length);
  headerLength_ = length;
  headersParsed_ = true;
  return true;
}

bool VersionCheck::Complete() const {
  if (!headersParsed_) return false;
  if (lengthKnown_) return received_ >= expectedTotal_;
  // The download script's body is not needed, only its Location.
  return mode_ == VersionCheckMode::CountLog;
}

void VersionCheck::Finish() {
  phase_ = Phase::Idle;
  if (mode_ != VersionCheckMode::CountLog) {
    platform_.SetProgress(95);
    CloseConnection();
  }
  platform_.SetStatus(DoneStatus(mode_));
  // Bytes past the announced length (a server that sent more) are not ours.
  size_t bodyLength = received_ - headerLength_;
  if (lengthKnown_) {
    bodyLength = std::min(bodyLength, static_cast<size_t>(expectedTotal_ - headerLength_));
  }
  const char* body = response_.data() + headerLength_;

  switch (mode_) {
    case VersionCheckMode::CheckVersion:
      body_.assign(body, bodyLength);
      platform_.Post(VersionCheckStep::Compare);
      break;
    case VersionCheckMode::CountLog:
      mode_ = VersionCheckMode::Download;
      phase_ = socket_ == kNoSocket ? Phase::Idle : Phase::KeptOpen;
      platform_.Post(VersionCheckStep::Request);
      break;
    case VersionCheckMode::Download: {
      phase_ = Phase::Ended;
      if (!platform_.WriteArchive(archive_.Path, body, bodyLength)) {
        platform_.SetProgress(100);
        platform_.SetStatus(text::kStatusSaveFailed);
        break;
      }
      platform_.SetProgress(100);
      platform_.SetStatus(text::kStatusDownloaded);
      platform_.OpenFolder(archive_.Path.substr(0, archive_.FolderLength));
      break;
    }
    case VersionCheckMode::Failed: break;
  }
  response_.clear();
  response_.shrink_to_fit();
}

void VersionCheck::OnCompare() {
  if (windowClosed_ || phase_ != Phase::Idle || mode_ != VersionCheckMode::CheckVersion) return;
  platform_.SetProgress(97);
  platform_.SetStatus(text::kStatusComparing);
  std::optional<std::string> code = FindVersionCode(body_);
  if (!code) return FailResponse();
  versionCode_ = *code;
  ServerVersion server = DecodeVersionCode(versionCode_);
  platform_.SetProgress(100);
  platform_.SetStatus(text::kStatusCompared);

  if (server.Value > ownVersionValue_) {
    std::string question = text::kNewerHead + server.Text + text::kNewerTail;
    MessageAnswer answer = platform_.ShowMessage(question, MessageButtons::YesNo);
    if (windowClosed_) return;
    if (answer == MessageAnswer::Yes) {
      mode_ = VersionCheckMode::CountLog;
      platform_.Post(VersionCheckStep::Request);
      return;
    }
  } else if (server.Value == ownVersionValue_) {
    platform_.ShowMessage(text::kUpToDate, MessageButtons::Ok);
  } else {
    platform_.ShowMessage(text::kUnreleasedHead + server.Text + text::kUnreleasedTail,
                          MessageButtons::Ok);
  }
  phase_ = Phase::Ended;
  if (!windowClosed_) platform_.Post(VersionCheckStep::CloseWindow);
}

void VersionCheck::OnCloseWindow() {
  windowClosed_ = true;
  phase_ = Phase::Ended;
  if (lookupPending_) {
    lookupPending_ = false;
    platform_.CancelLookup();
  }
  CloseConnection();
}

void VersionCheck::FailResponse() {
  const char* status = FailedStatus(mode_);
  // Failed before the shell runs anything: no later notification counts.
  mode_ = VersionCheckMode::Failed;
  End(100, status);
  platform_.OpenReleasePage(ReleasePageAddress(server_));
}

void VersionCheck::End(int progress, const std::string& status) {
  phase_ = Phase::Ended;
  if (lookupPending_) {
    lookupPending_ = false;
    platform_.CancelLookup();
  }
  CloseConnection();
  platform_.SetProgress(progress);
  platform_.SetStatus(status);
}

void VersionCheck::CloseConnection() {
  if (socket_ == kNoSocket) return;
  platform_.CloseSocket(socket_);
  socket_ = kNoSocket;
}

std::string VersionCheck::ServerStatus(const char* tail) const {
  return text::kStatusServerHead + Authority() + tail;
}

}  // namespace belmo
