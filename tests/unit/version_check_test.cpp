#include "update/version_check.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "update/update_texts.h"

namespace belmo {
namespace {

const UpdateServer kServer = *UpdateServerFromSetting("update.belmo.example");
const uint32_t kOwn = VersionValue(ParseFourDigitVersion("1.1.3.0"));

std::string Ok200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::string kRedirect =
    "HTTP/1.1 302 Found\r\nLocation: http://update.belmo.example/files/Belmo1140.zip\r\n"
    "Content-Length: 5\r\n\r\nmoved";

// The network, the window and the user as one scripted fake.
class FakePlatform : public UpdatePlatform {
 public:
  std::vector<std::string> statuses;
  std::vector<int> progress;
  std::deque<VersionCheckStep> posted;
  std::deque<long> results;  // > 0: take that many bytes of `incoming`
  std::string incoming;
  std::vector<std::pair<SocketId, std::string>> sent;
  std::vector<SocketId> closed;
  SocketId nextSocket = 7;
  SocketId lastSocket = kNoSocket;
  bool connects = true;
  long sendShortBy = 0;
  MessageAnswer answer = MessageAnswer::Yes;
  std::vector<std::string> messages;
  bool choose = true;
  std::string proposedName, written, folder;
  int releasePages = 0;

  void Feed(const std::string& piece) {
    incoming += piece;
    results.push_back(static_cast<long>(piece.size()));
  }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void Post(VersionCheckStep step) override { posted.push_back(step); }
  SocketId CreateSocket() override {
    return lastSocket = nextSocket == kNoSocket ? kNoSocket : nextSocket++;
  }
  bool StartLookup(const std::string&) override { return true; }
  void CancelLookup() override {}
  bool Connect(SocketId, uint16_t) override { return connects; }
  long Send(SocketId socket, const std::string& bytes) override {
    sent.emplace_back(socket, bytes);
    return static_cast<long>(bytes.size()) - sendShortBy;
  }
  long Receive(SocketId, char* buffer, size_t capacity) override {
    if (results.empty()) return kReceiveClosed;
    long result = results.front();
    results.pop_front();
    if (result <= 0) return result;
    EXPECT_LE(static_cast<size_t>(result), capacity);
    incoming.copy(buffer, static_cast<size_t>(result));
    incoming.erase(0, static_cast<size_t>(result));
    return result;
  }
  void CloseSocket(SocketId socket) override { closed.push_back(socket); }
  MessageAnswer ShowMessage(const std::string& text, MessageButtons) override {
    messages.push_back(text);
    return answer;
  }
  bool AskArchivePath(const std::string& proposed, ArchiveChoice* choice) override {
    proposedName = proposed;
    choice->Path = "C:\\dl\\" + proposed;
    choice->FolderLength = 6;
    return choose;
  }
  bool WriteArchive(const std::string& path, const char* bytes, size_t size) override {
    written = path + "=" + std::string(bytes, size);
    return true;
  }
  void OpenReleasePage(const std::string& address) override {
    EXPECT_EQ(address, "http://update.belmo.example/softs/ab/");
    ++releasePages;
  }
  void OpenFolder(const std::string& path) override { folder = path; }
};

// One version check against the fake, driven the way the window drives it.
struct Exchange {
  FakePlatform fake;
  VersionCheck check;

  explicit Exchange(const std::optional<UpdateServer>& server = kServer)
      : check(server, kOwn, fake) {}

  // The connection just made, up to its request going out.
  SocketId Connect(bool found = true) {
    SocketId socket = fake.lastSocket;
    check.OnLookupDone(found);
    check.OnSocket(socket, SocketEvent::Connect, false);
    check.OnSocket(socket, SocketEvent::Write, false);
    return socket;
  }
  void Read(SocketId socket, const std::string& piece) {
    fake.Feed(piece);
    check.OnSocket(socket, SocketEvent::Read, false);
  }
  void RunPosted() {
    while (!fake.posted.empty()) {
      VersionCheckStep step = fake.posted.front();
      fake.posted.pop_front();
      if (step == VersionCheckStep::Request) check.OnRequest();
      if (step == VersionCheckStep::Compare) check.OnCompare();
      if (step == VersionCheckStep::CloseWindow) check.OnCloseWindow();
    }
  }
  // The version file arrives in these pieces; then whatever was posted runs.
  SocketId CheckWith(const std::vector<std::string>& pieces) {
    check.OnStartup(true);
    SocketId socket = Connect();
    for (const std::string& piece : pieces) Read(socket, piece);
    RunPosted();
    return socket;
  }
};

class VersionCheckTest : public ::testing::Test, protected Exchange {};

TEST(UpdateProtocol, RequestsAreExactlyTheseBytes) {
  EXPECT_EQ(VersionFileRequest(kServer),
            "GET /softs/version.txt HTTP/1.1\r\nHost: update.belmo.example\r\n\r\n");
  EXPECT_EQ(CountLogRequest(kServer, "1130"),
            "GET /cgi-bin/download.cgi?softname=Belmo1130&softtype=ab HTTP/1.1\r\n"
            "Host: update.belmo.example\r\n\r\n");
  EXPECT_EQ(ArchiveRequest(*UpdateServerFromSetting("127.0.0.1:8089"), "/a/B.zip"),
            "GET /a/B.zip HTTP/1.1\r\nHost: 127.0.0.1:8089\r\n\r\n");
  // A code from the server can never break the request line.
  EXPECT_EQ(CountLogRequest(kServer, "1 &\r").substr(0, 53),
            "GET /cgi-bin/download.cgi?softname=Belmo1%20%26%0D&so");
}

TEST(UpdateProtocol, VersionCodesAreBase64DigitsAndSkipOtherCharacters) {
  ServerVersion v = DecodeVersionCode("1130");
  EXPECT_EQ(v.Value, 266432u);
  EXPECT_EQ(v.Text, "1.1.3.0");
  EXPECT_EQ(v.Value, OwnVersionValue()) << "the build's version is 1.1.3.0";
  EXPECT_EQ(DecodeVersionCode("00-0").Text, "0.0.62.0");
  EXPECT_EQ(DecodeVersionCode("00-0").Value, 62u * 64);
  EXPECT_EQ(DecodeVersionCode("1!30").Value, 4288u);
  EXPECT_EQ(DecodeVersionCode("1!30").Text, "1..3.0");
  EXPECT_EQ(DecodeVersionCode("1A-_").Text, "1.10.62.63");
  EXPECT_EQ(DecodeVersionCode("zZ9a").Value, ((61u * 64 + 35) * 64 + 9) * 64 + 36);

  for (const char* bad : {"1.1.3", "1.1.3.64", "1.1.3.0.1", "1..3.0", "a.b.c.d", ""}) {
    EXPECT_FALSE(ParseFourDigitVersion(bad).Valid) << bad;
  }
  EXPECT_EQ(FindVersionCode("Other 2000\nBelmo 1140\nBelmo 9999"), "1140");
  EXPECT_EQ(FindVersionCode("Belmo 1130"), "1130");  // exactly the name and five characters
  EXPECT_EQ(FindVersionCode("Belmo 113"), std::nullopt);
  EXPECT_EQ(FindVersionCode("belmo 1130"), std::nullopt);
  EXPECT_EQ(ArchiveFileName("1/3:"), "Belmo1_3_.zip");
}

TEST(UpdateProtocol, ServerSettingIsHostWithOptionalPort) {
  std::optional<UpdateServer> builtIn = UpdateServerFromSetting(nullptr);
  ASSERT_TRUE(builtIn);
  EXPECT_EQ(builtIn->Authority, kDefaultUpdateHost);
  EXPECT_EQ(builtIn->Port, 80);
  std::optional<UpdateServer> local = UpdateServerFromSetting("127.0.0.1:8089");
  ASSERT_TRUE(local);
  EXPECT_EQ(local->HostName, "127.0.0.1");
  EXPECT_EQ(local->Port, 8089);
  EXPECT_EQ(local->Authority, "127.0.0.1:8089");
  for (const char* bad : {":80", "host:", "host:0", "host:65536", "ho st", "a:b:c", "host:8x"}) {
    EXPECT_FALSE(UpdateServerFromSetting(bad)) << bad;
  }
  EXPECT_FALSE(UpdateServerFromSetting(std::string(200, 'a').c_str()));
}

TEST(UpdateProtocol, HeaderFieldsAreReadOnlyWhenTheyMeanIt) {
  EXPECT_EQ(HeaderLength("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"), 25u);
  EXPECT_EQ(HeaderLength("HTTP/1.1 200 OK\r\nA: b\r\n\r"), 0u);
  EXPECT_FALSE(StatusIsOk("HTTP/1.1 20"));
  EXPECT_EQ(ContentLength("H\r\ncontent-length:5\r\n\r\n"), 5u);
  EXPECT_EQ(ContentLength("H\r\nX-Content-Length: 9\r\n\r\n"), std::nullopt);
  EXPECT_EQ(ContentLength("H\r\nContent-Length: none\r\n\r\n"), std::nullopt);

  std::string longPath = "/" + std::string(220, 'a');
  auto path = [&](const std::string& location, const char* server = "update.belmo.example") {
    return DownloadPathFrom("H\r\nLocation: " + location + "\r\n\r\n",
                            *UpdateServerFromSetting(server));
  };
  EXPECT_EQ(path("http://update.belmo.example/f/B.zip"), "/f/B.zip");
  EXPECT_EQ(path("http://other.example/f/B.zip"), std::nullopt);
  EXPECT_EQ(path("http://127.0.0.1:8080/f", "127.0.0.1:80"), std::nullopt);
  EXPECT_EQ(path("http://update.belmo.example/a b"), std::nullopt);
  EXPECT_EQ(path("http://update.belmo.example" + longPath), std::nullopt);
}

TEST_F(VersionCheckTest, SameVersionRunsTheWholeExchangeAndSaysSo) {
  CheckWith({Ok200("Other 2000\r\nBelmo 1130\r\n")});
  ASSERT_EQ(fake.sent.size(), 1u);
  EXPECT_EQ(fake.sent[0].second, VersionFileRequest(kServer));
  const std::vector<std::string> expected = {"状態 : \"update.belmo.example\"のIPアドレス検索中",
                                             text::kStatusAddressFound,
                                             "状態 : \"update.belmo.example\"に接続しています。",
                                             "状態 : \"update.belmo.example\"に接続しました。",
                                             text::kStatusSendingVersionFile,
                                             text::kStatusVersionFileDone,
                                             text::kStatusComparing,
                                             text::kStatusCompared};
  EXPECT_EQ(fake.statuses, expected);
  EXPECT_EQ(fake.progress, (std::vector<int>{1, 2, 3, 4, 5, 10, 95, 97, 100}));
  EXPECT_EQ(fake.messages, std::vector<std::string>{text::kUpToDate});
  EXPECT_EQ(fake.closed, std::vector<SocketId>{7});
}

TEST_F(VersionCheckTest, OlderServerVersionAndNoToNewerCloseTheWindow) {
  CheckWith({Ok200("Belmo 1120")});
  EXPECT_EQ(fake.messages.back(),
            "このソフトは現在公式リリースされていません。現在の公式最新バージョンは1.1.2.0です。");
  EXPECT_EQ(fake.sent.size(), 1u);

  Exchange no;
  no.fake.answer = MessageAnswer::No;
  no.CheckWith({Ok200("Belmo 1140")});
  EXPECT_EQ(no.fake.messages.back(),
            "このソフトは最新バージョンではありません。現在の最新バージョンは1.1.4.0です。"
            "最新バージョンにアップデートしますか。");
  EXPECT_EQ(no.fake.sent.size(), 1u);
  EXPECT_EQ(no.fake.statuses.back(), text::kStatusCompared);
}

TEST_F(VersionCheckTest, YesDownloadsTheArchiveOverTheScriptsConnection) {
  CheckWith({Ok200("Belmo 1140")});
  SocketId script = Connect();
  EXPECT_EQ(fake.sent.back(), std::make_pair(script, CountLogRequest(kServer, "1140")));
  Read(script, kRedirect);
  EXPECT_EQ(check.DownloadPath(), "/files/Belmo1140.zip");
  RunPosted();
  EXPECT_EQ(fake.proposedName, "Belmo1140.zip");
  EXPECT_EQ(fake.sent.back(),
            std::make_pair(script, ArchiveRequest(kServer, "/files/Belmo1140.zip")));
  Read(script, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nPK");
  Read(script, "\x03\x04zzJUNK");  // more than announced
  EXPECT_EQ(fake.written, "C:\\dl\\Belmo1140.zip=PK\x03\x04zz");
  EXPECT_EQ(fake.folder, "C:\\dl\\");
  EXPECT_EQ(fake.statuses.back(), text::kStatusDownloaded);
  EXPECT_EQ(fake.progress.back(), 100);
  check.OnSocket(script, SocketEvent::Close, false);  // the server's close after completion
  EXPECT_EQ(fake.statuses.back(), text::kStatusDownloaded);
}

TEST_F(VersionCheckTest, ProgressFollowsAnnouncedLengthAndEndsAtItsLastByte) {
  check.OnStartup(true);
  SocketId socket = Connect();
  std::string header = "HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nX-Pad: ";
  header += std::string(200 - header.size() - 4, 'p') + "\r\n\r\n";
  ASSERT_EQ(header.size(), 200u);
  std::string body = "Belmo 1130" + std::string(1224, '.');
  Read(socket, header);
  EXPECT_EQ(check.ExpectedTotal(), 1434u);
  Read(socket, body.substr(0, 500));
  Read(socket, body.substr(500, 500));
  EXPECT_TRUE(fake.posted.empty()) << "complete before the last byte";
  Read(socket, body.substr(1000));
  // Before each piece: 10 while the length is unknown, then
  // round(received / 1434 * 85 + 10).
  EXPECT_EQ(std::vector<int>(fake.progress.begin() + 5, fake.progress.end()),
            (std::vector<int>{10, 22, 51, 81, 95}));
  EXPECT_EQ(fake.posted, std::deque<VersionCheckStep>{VersionCheckStep::Compare});
}

TEST_F(VersionCheckTest, HeaderInPiecesIsReadOnceItsBlankLineArrives) {
  // Reading the status from the first ten bytes would see no "200".
  CheckWith({"HTTP/1.1 2", "00 OK\r\nContent-Len", "gth: 10\r\n\r", "\nBelmo", " 1130"});
  EXPECT_EQ(fake.messages, std::vector<std::string>{text::kUpToDate});
}

TEST_F(VersionCheckTest, WithoutContentLengthTheServersCloseEndsTheBody) {
  check.OnStartup(true);
  SocketId socket = Connect();
  Read(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nBel");
  fake.Feed("mo 1130");  // waits behind the close notification
  check.OnSocket(socket, SocketEvent::Close, false);
  check.OnSocket(socket, SocketEvent::Close, false);
  RunPosted();
  EXPECT_EQ(fake.messages, std::vector<std::string>{text::kUpToDate});
}

TEST_F(VersionCheckTest, FailedResponsesOpenTheReleasePageOnceAndIgnoreTheRest) {
  struct Case {
    std::vector<std::string> pieces;
    const char* why;
  };
  const Case cases[] = {
      {{"HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"}, "404"},
      {{Ok200("Other 1130")}, "no SoftName"},
      {{Ok200("xBelmo 113")}, "too short after the name"},
      {{"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nBelmo 1130"}, "closed before its length"},
  };
  for (const Case& c : cases) {
    Exchange one;
    SocketId socket = one.CheckWith(c.pieces);
    one.check.OnSocket(socket, SocketEvent::Close, false);
    one.RunPosted();
    one.Read(socket, "more");
    one.check.OnSocket(socket, SocketEvent::Close, false);
    EXPECT_EQ(one.check.Mode(), VersionCheckMode::Failed) << c.why;
    EXPECT_EQ(one.fake.statuses.back(), text::kStatusVersionFileFailed) << c.why;
    EXPECT_EQ(one.fake.progress.back(), 100) << c.why;
    EXPECT_EQ(one.fake.releasePages, 1) << c.why;
    EXPECT_TRUE(one.fake.messages.empty()) << c.why;
  }
}

TEST_F(VersionCheckTest, ScriptAnswerWithoutUsableLocationFailsTheCountLog) {
  for (const std::string& location :
       {std::string("X-Note: none"), std::string("Location: http://elsewhere.example/B.zip"),
        "Location: http://update.belmo.example/" + std::string(250, 'a')}) {
    Exchange one;
    one.CheckWith({Ok200("Belmo 1140")});
    SocketId script = one.Connect();
    one.Read(script, "HTTP/1.1 302 Found\r\n" + location + "\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(one.fake.statuses.back(), text::kStatusCountLogFailed) << location;
    EXPECT_EQ(one.fake.releasePages, 1);
    EXPECT_TRUE(one.fake.posted.empty()) << "no archive request after a failed count log";
  }
}

TEST_F(VersionCheckTest, ArchiveGetsANewConnectionWhenTheServerClosedAfterItsRedirect) {
  CheckWith({Ok200("Belmo 1140")});
  SocketId script = Connect();
  Read(script, kRedirect);
  check.OnSocket(script, SocketEvent::Close, false);
  RunPosted();
  SocketId archive = Connect();
  EXPECT_NE(archive, script);
  EXPECT_EQ(fake.sent.back(),
            std::make_pair(archive, ArchiveRequest(kServer, "/files/Belmo1140.zip")));
  Read(archive, Ok200("zip"));
  EXPECT_EQ(fake.written, "C:\\dl\\Belmo1140.zip=zip");
}

TEST_F(VersionCheckTest, ArchiveRequestLostOnAClosingKeptConnectionIsSentOnceMore) {
  CheckWith({Ok200("Belmo 1140")});
  SocketId script = Connect();
  Read(script, kRedirect);
  RunPosted();
  ASSERT_EQ(fake.sent.back().first, script);
  check.OnSocket(script, SocketEvent::Close, false);
  SocketId archive = Connect();
  EXPECT_EQ(fake.sent.back(),
            std::make_pair(archive, ArchiveRequest(kServer, "/files/Belmo1140.zip")));
  check.OnSocket(archive, SocketEvent::Close, false);  // a fresh connection is not retried
  EXPECT_EQ(fake.statuses.back(), text::kStatusDownloadFailed);
  EXPECT_EQ(fake.releasePages, 1);
}

TEST_F(VersionCheckTest, CancellingTheArchiveDialogEndsTheExchange) {
  fake.choose = false;
  CheckWith({Ok200("Belmo 1140")});
  SocketId script = Connect();
  Read(script, kRedirect);
  RunPosted();
  EXPECT_EQ(fake.statuses.back(), text::kStatusCancelled);
  EXPECT_EQ(fake.progress.back(), 100);
  EXPECT_EQ(fake.closed.back(), script);
  EXPECT_TRUE(fake.posted.empty()) << "the window stays open";
}

TEST_F(VersionCheckTest, ConnectionAndStartFailuresLeaveTheirStatus) {
  check.OnStartup(true);
  check.OnLookupDone(true);
  check.OnSocket(7, SocketEvent::Connect, true);  // refused
  EXPECT_EQ(fake.statuses.back(), "状態 : \"update.belmo.example\"への接続に失敗しました。");
  EXPECT_EQ(fake.progress.back(), 100);
  check.OnSocket(7, SocketEvent::Write, false);
  EXPECT_TRUE(fake.sent.empty());

  struct Case {
    bool winsock;
    const char* setting;
    SocketId socket;
    bool lookupFound, connects;
    long sendShortBy;
    std::string status;
    int progress;
  };
  const Case cases[] = {
      {false, nullptr, 7, true, true, 0, text::kStatusWinsockFailed, 100},
      {true, "bad host", 7, true, true, 0, text::kStatusBadServerSetting, 100},
      {true, nullptr, kNoSocket, true, true, 0, text::kStatusSocketFailed, 100},
      {true, nullptr, 7, false, true, 0,
       std::string("状態 : \"") + kDefaultUpdateHost + "\"のIPアドレスの取得に失敗しました。", 100},
      {true, nullptr, 7, true, false, 0,
       std::string("状態 : \"") + kDefaultUpdateHost + "\"への接続に失敗しました。", 3},
      {true, nullptr, 7, true, true, 1, text::kStatusSendFailed, 5},
  };
  for (const Case& c : cases) {
    Exchange one(UpdateServerFromSetting(c.setting));
    one.fake.nextSocket = c.socket;
    one.fake.connects = c.connects;
    one.fake.sendShortBy = c.sendShortBy;
    one.check.OnStartup(c.winsock);
    one.fake.lastSocket = 7;
    one.Connect(c.lookupFound);
    EXPECT_EQ(one.fake.statuses.back(), c.status);
    EXPECT_EQ(one.fake.progress.back(), c.progress) << c.status;
    EXPECT_EQ(one.fake.releasePages, 0);
  }
}

}  // namespace
}  // namespace belmo
