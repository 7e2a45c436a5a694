// The version check as a state machine. The window procedure turns each
// Winsock notification and private message into one call here; every
// effect (status line, progress bar, socket, dialogs, files, shell) goes
// through UpdatePlatform, so the same machine runs against Winsock in the
// program and against a scripted fake in the tests.
//
// The exchange: fetch /softs/version.txt, compare the code listed for
// SoftName with our own version, and on the user's Yes call the download
// script, follow its redirect and save the archive.
//
// Robustness rules the machine keeps whatever the server sends:
// - a response is read until its header's blank line has arrived, however
//   it is split; the status is read only once 12 bytes are in;
// - a response ends at its announced length or, without one, at the
//   server's close; it is finished exactly once, and notifications for a
//   socket that is no longer the current one are ignored;
// - once a response has failed (mode Failed) nothing further happens;
// - the download script's connection is reused for the archive when it
//   is still open, otherwise a new one is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "update/update_protocol.h"

namespace belmo {

enum class VersionCheckMode : int32_t {
  CheckVersion = 0,  // fetching the version file
  CountLog = 1,      // calling the download script
  Download = 2,      // fetching and saving the archive
  Failed = 3,        // a response failed; nothing further is started
};

using SocketId = uint64_t;
inline constexpr SocketId kNoSocket = ~SocketId{0};

enum class SocketEvent { Connect, Write, Read, Close };

// Work the window posts to itself, so that it runs from a fresh message
// and never inside the handler of a socket event.
enum class VersionCheckStep { Request, Compare, CloseWindow };

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// What Receive returns besides a byte count.
inline constexpr long kReceiveClosed = 0;
inline constexpr long kReceiveError = -1;
inline constexpr long kReceiveWouldBlock = -2;

inline constexpr size_t kReceiveBufferSize = 2048;

struct ArchiveChoice {
  std::string Path;
  size_t FolderLength = 0;  // the path up to and including its last '\'
};

class UpdatePlatform {
 public:
  virtual ~UpdatePlatform() = default;

  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void Post(VersionCheckStep step) = 0;

  // A stream socket with connect, write, read and close notifications
  // selected, or kNoSocket.
  virtual SocketId CreateSocket() = 0;
  // False when the lookup could not even be started.
  virtual bool StartLookup(const std::string& hostName) = 0;
  virtual void CancelLookup() = 0;
  // To the address the last lookup found. False only for an outright
  // failure; "in progress" is success.
  virtual bool Connect(SocketId socket, uint16_t port) = 0;
  virtual long Send(SocketId socket, const std::string& bytes) = 0;
  // A byte count, or kReceiveClosed, kReceiveError, kReceiveWouldBlock.
  virtual long Receive(SocketId socket, char* buffer, size_t capacity) = 0;
  virtual void CloseSocket(SocketId socket) = 0;

  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;
  // The Save dialog with the proposed name; false when cancelled.
  virtual bool AskArchivePath(const std::string& proposedName, ArchiveChoice* choice) = 0;
  virtual bool WriteArchive(const std::string& path, const char* bytes, size_t size) = 0;
  virtual void OpenReleasePage(const std::string& address) = 0;
  virtual void OpenFolder(const std::string& folder) = 0;
};

class VersionCheck {
 public:
  // An absent server (a setting that names none) ends the check at start.
  VersionCheck(const std::optional<UpdateServer>& server, uint32_t ownVersionValue,
               UpdatePlatform& platform);

  void OnStartup(bool winsockStarted);
  void OnRequest();
  void OnLookupDone(bool found);
  void OnSocket(SocketId socket, SocketEvent event, bool failed);
  void OnCompare();
  // The window is going away: nothing may touch it or the network later.
  void OnCloseWindow();

  VersionCheckMode Mode() const { return mode_; }
  const std::string& VersionCode() const { return versionCode_; }
  const std::string& DownloadPath() const { return downloadPath_; }
  uint64_t ExpectedTotal() const { return expectedTotal_; }

 private:
  // Where the current connection stands.
  enum class Phase {
    Idle,        // no connection, nothing pending
    Resolving,   // socket made, waiting for the host lookup
    Connecting,  // waiting for FD_CONNECT
    Connected,   // request built, waiting for FD_WRITE
    Receiving,   // request sent, reading the response
    KeptOpen,    // download script answered; its connection waits for the archive request
    Ended,       // a final status is shown; every later event is ignored
  };

  void OpenConnection();
  void SendRequest();
  void ReadPiece();
  // The server closed (FD_CLOSE or a receive of 0 bytes).
  void ServerClosed();
  bool ReadHeader();
  bool Complete() const;
  void Finish();
  void FailResponse();
  void End(int progress, const std::string& status);
  void CloseConnection();
  std::string ServerStatus(const char* tail) const;
  const std::string& Authority() const { return server_.Authority; }

  UpdateServer server_;
  bool serverValid_;
  uint32_t ownVersionValue_;
  UpdatePlatform& platform_;

  VersionCheckMode mode_ = VersionCheckMode::CheckVersion;
  Phase phase_ = Phase::Idle;
  bool windowClosed_ = false;
  SocketId socket_ = kNoSocket;
  bool lookupPending_ = false;
  bool reusedConnection_ = false;
  bool reconnected_ = false;

  std::string request_;
  std::string response_;
  size_t received_ = 0;
  bool headersParsed_ = false;
  size_t headerLength_ = 0;
  bool lengthKnown_ = false;
  uint64_t expectedTotal_ = 0;
  std::string body_;

  std::string versionCode_;
  std::string downloadPath_;
  ArchiveChoice archive_;
};

}  // namespace belmo
