// The version check against a server that sends anything, in any pieces,
// with the network and the user doing anything at any moment. The input
// picks how the platform behaves, the server setting, and then a list of
// events: pieces of response bytes, closes, connects, posted steps, late
// notifications for old sockets, the window closing.
//
// Besides memory safety the machine is held to its promises: it never
// touches a socket it has closed (or closes one twice), nothing happens
// once it has failed or once the window is gone, a response is finished at
// most once, and every request fits the work text.
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "fuzz/fuzz_support.h"
#include "update/update_protocol.h"
#include "update/version_check.h"

namespace {

using namespace belmo;

constexpr int kMostEvents = 400;

class ScriptedPlatform : public UpdatePlatform {
 public:
  struct Knobs {
    bool lookupStarts = true;
    bool connects = true;
    bool sendsShort = false;
    bool answersYes = true;
    bool choosesPath = true;
    bool writes = true;
    bool closesWindowInDialog = false;
    int socketsBeforeFailure = 0;  // 0: sockets never fail
  };

  explicit ScriptedPlatform(const Knobs& knobs) : knobs_(knobs) {}

  // What Receive hands out next: bytes, or one of the kReceive codes.
  struct Result {
    std::string bytes;
    long code = 0;  // used when bytes is empty
  };
  std::deque<Result> results;
  void Arrive(std::string bytes) {
    if (!bytes.empty()) results.push_back({std::move(bytes), 0});
  }
  void Answer(long code) { results.push_back({std::string(), code}); }

  std::deque<VersionCheckStep> posted;  // the window's own messages, not yet run
  VersionCheck* check = nullptr;        // for a window closed behind a dialog
  SocketId lastSocket = kNoSocket;
  bool windowGone = false;
  bool failed = false;

  void SetStatus(const std::string&) override { Touch(); }
  void SetProgress(int percent) override {
    Touch();
    BELMO_FUZZ_CHECK(percent >= 0 && percent <= 100);
  }
  void Post(VersionCheckStep step) override {
    Touch();
    posted.push_back(step);
    if (step == VersionCheckStep::Compare) BELMO_FUZZ_CHECK(++compares_ == 1);
  }
  SocketId CreateSocket() override {
    Touch();
    ++created_;
    if (knobs_.socketsBeforeFailure != 0 && created_ > knobs_.socketsBeforeFailure) {
      return kNoSocket;
    }
    lastSocket = 100 + static_cast<SocketId>(created_);
    open_.insert(lastSocket);
    // What was waiting belonged to the old connection.
    results.clear();
    return lastSocket;
  }
  bool StartLookup(const std::string& hostName) override {
    Touch();
    BELMO_FUZZ_CHECK(!hostName.empty());
    return knobs_.lookupStarts;
  }
  void CancelLookup() override { Touch(); }
  bool Connect(SocketId socket, uint16_t port) override {
    Touch();
    BELMO_FUZZ_CHECK(open_.count(socket) == 1);
    BELMO_FUZZ_CHECK(port != 0);
    return knobs_.connects;
  }
  long Send(SocketId socket, const std::string& bytes) override {
    Touch();
    BELMO_FUZZ_CHECK(open_.count(socket) == 1);
    // Every request is built to fit the work text with its terminator.
    BELMO_FUZZ_CHECK(bytes.size() < kWorkTextSize);
    return static_cast<long>(bytes.size()) - (knobs_.sendsShort ? 1 : 0);
  }
  long Receive(SocketId socket, char* buffer, size_t capacity) override {
    Touch();
    BELMO_FUZZ_CHECK(open_.count(socket) == 1);
    // The whole claimed capacity is written, so a buffer smaller than the
    // machine says is an overflow ASan reports.
    std::memset(buffer, 0xCC, capacity);
    if (results.empty()) return kReceiveWouldBlock;
    Result& next = results.front();
    if (next.bytes.empty()) {
      const long code = next.code;
      results.pop_front();
      return code;
    }
    const size_t n = next.bytes.size() < capacity ? next.bytes.size() : capacity;
    std::memcpy(buffer, next.bytes.data(), n);
    next.bytes.erase(0, n);
    if (next.bytes.empty()) results.pop_front();
    delivered_ += n;
    return static_cast<long>(n);
  }
  void CloseSocket(SocketId socket) override {
    Touch(/*closing=*/true);
    BELMO_FUZZ_CHECK(open_.erase(socket) == 1);
  }
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    Touch();
    BELMO_FUZZ_CHECK(!text.empty());
    CloseWindowIfScripted();
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return knobs_.answersYes ? MessageAnswer::Yes : MessageAnswer::No;
  }
  bool AskArchivePath(const std::string& proposedName, ArchiveChoice* choice) override {
    Touch();
    BELMO_FUZZ_CHECK(proposedName.size() >= 4 &&
                     proposedName.compare(proposedName.size() - 4, 4, ".zip") == 0);
    CloseWindowIfScripted();
    choice->Path = "C:\\dl\\" + proposedName;
    choice->FolderLength = 6;
    return knobs_.choosesPath;
  }
  bool WriteArchive(const std::string&, const char* bytes, size_t size) override {
    Touch();
    BELMO_FUZZ_CHECK(++archives_ == 1);
    BELMO_FUZZ_CHECK(size <= delivered_);
    if (size > 0) BELMO_FUZZ_CHECK(bytes != nullptr);
    // Every byte is read, so a pointer past the response is caught.
    volatile char sum = 0;
    for (size_t i = 0; i < size; ++i) sum = static_cast<char>(sum + bytes[i]);
    return knobs_.writes;
  }
  void OpenReleasePage(const std::string& address) override {
    // The one call a failure itself makes, right after it.
    BELMO_FUZZ_CHECK(!windowGone);
    BELMO_FUZZ_CHECK(address.compare(0, 7, "http://") == 0);
  }
  void OpenFolder(const std::string& folder) override {
    Touch();
    BELMO_FUZZ_CHECK(folder == "C:\\dl\\");
  }

 private:
  // Once the window is gone nothing may touch it or the network; once the
  // check has failed nothing further may start. A closing window still
  // closes what is open.
  void Touch(bool closing = false) {
    if (!closing) BELMO_FUZZ_CHECK(!windowGone);
    BELMO_FUZZ_CHECK(!failed);
  }

  // A modal dialog runs the message loop, and the user may close the
  // window behind it before answering.
  void CloseWindowIfScripted() {
    if (!knobs_.closesWindowInDialog || check == nullptr) return;
    check->OnCloseWindow();
    windowGone = true;
  }

  Knobs knobs_;
  std::set<SocketId> open_;
  int created_ = 0;
  int compares_ = 0;
  int archives_ = 0;
  size_t delivered_ = 0;
};

void RunStep(VersionCheck& check, VersionCheckStep step) {
  switch (step) {
    case VersionCheckStep::Request: check.OnRequest(); break;
    case VersionCheckStep::Compare: check.OnCompare(); break;
    case VersionCheckStep::CloseWindow: check.OnCloseWindow(); break;
  }
}

std::string Text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  const uint8_t flags = in.Byte();
  const uint8_t more = in.Byte();
  const std::string setting = Text(in.Bytes(in.Byte() % 160));

  ScriptedPlatform::Knobs knobs;
  const bool builtInServer = (flags & 1) != 0;
  const bool winsockStarted = (flags & 2) == 0;
  knobs.answersYes = (flags & 4) != 0;
  knobs.choosesPath = (flags & 8) == 0;
  knobs.writes = (flags & 16) == 0;
  knobs.connects = (flags & 32) == 0;
  knobs.lookupStarts = (flags & 64) == 0;
  knobs.sendsShort = (flags & 128) != 0;
  knobs.socketsBeforeFailure = more & 7;
  knobs.closesWindowInDialog = (more & 8) != 0;

  // The setting as the environment gives it: a C string.
  const std::optional<UpdateServer> server =
      UpdateServerFromSetting(builtInServer ? nullptr : setting.c_str());
  if (server) {
    BELMO_FUZZ_CHECK(!server->HostName.empty() && server->Port != 0);
    BELMO_FUZZ_CHECK(ReleasePageAddress(*server).size() < kWorkTextSize);
  }

  ScriptedPlatform platform(knobs);
  VersionCheck check(server, OwnVersionValue(), platform);
  platform.check = &check;
  auto afterEvent = [&] {
    if (check.Mode() == VersionCheckMode::Failed) platform.failed = true;
  };

  check.OnStartup(winsockStarted);
  afterEvent();
  for (int event = 0; event < kMostEvents && !platform.windowGone && !in.AtEnd(); ++event) {
    const uint8_t op = in.Byte();
    const SocketId current = platform.lastSocket;
    const bool flag = (op & 0x10) != 0;
    switch (op % 12) {
      case 0:  // a small piece arrives
        platform.Arrive(Text(in.Bytes(in.Byte())));
        check.OnSocket(current, SocketEvent::Read, false);
        break;
      case 1:  // a large piece, more than one receive takes
        platform.Arrive(Text(in.Bytes(in.U16() % 6000)));
        check.OnSocket(current, SocketEvent::Read, false);
        break;
      case 2:  // a read notification with nothing to read yet
        platform.Answer(kReceiveWouldBlock);
        check.OnSocket(current, SocketEvent::Read, flag);
        break;
      case 3:  // the connection breaks
        platform.Answer(kReceiveError);
        check.OnSocket(current, SocketEvent::Read, flag);
        break;
      case 4:  // the server closes, with a last piece still waiting
        platform.Arrive(Text(in.Bytes(in.Byte())));
        platform.Answer(kReceiveClosed);
        check.OnSocket(current, SocketEvent::Close, flag);
        break;
      case 5:
        check.OnSocket(current, SocketEvent::Connect, flag);
        break;
      case 6:
        check.OnSocket(current, SocketEvent::Write, flag);
        break;
      case 7:
        check.OnLookupDone(!flag);
        break;
      case 8:  // the oldest posted step runs
        if (!platform.posted.empty()) {
          const VersionCheckStep step = platform.posted.front();
          platform.posted.pop_front();
          RunStep(check, step);
        }
        break;
      case 9:  // every posted step runs, and those they post
        for (int steps = 0; steps < 16 && !platform.posted.empty() && !platform.windowGone;
             ++steps) {
          const VersionCheckStep step = platform.posted.front();
          platform.posted.pop_front();
          RunStep(check, step);
          afterEvent();
          if (step == VersionCheckStep::CloseWindow) platform.windowGone = true;
        }
        break;
      case 10: {  // a late notification for an older socket, or for none
        const SocketId other = flag ? kNoSocket : current - 1;
        check.OnSocket(other, static_cast<SocketEvent>((op >> 5) & 3), false);
        break;
      }
      case 11:
        check.OnCloseWindow();
        platform.windowGone = true;
        break;
    }
    afterEvent();
  }
  return 0;
}
