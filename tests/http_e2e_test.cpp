// The network jobs end to end against tests/http_server.py (started by
// tests/http_e2e.sh, which names it in DIMMSCOPE_SERVER): the HTTP client's
// limits, the links-file download and the update check with the menu
// command's reactions. Completions arrive through the message loop (Windows)
// or the completion pump (elsewhere), as in the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/file_io.h"
#include "support/run_log.h"
#include "support/text_helpers.h"
#include "tests/scratch_folder.h"
#include "update/file_grabber.h"
#include "update/http_client.h"
#include "update/http_custo.h"
#include "update/maker_urls.h"
#include "update/tavo_lite.h"
#include "update/update_command.h"

namespace dimmscope {
namespace {

std::string Server() {
  const char* server = std::getenv(kServerOverrideVariable);
  return server != nullptr ? server : "";
}

std::string RefusedServer() {
  const char* port = std::getenv("DIMMSCOPE_REFUSED_PORT");
  return std::string("http://127.0.0.1:") + (port != nullptr ? port : "1");
}

// Turns the message loop until `Done` holds or `Milliseconds` have passed.
bool RunUntil(const std::function<bool()>& Done, int Milliseconds = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (!Done() && std::chrono::steady_clock::now() < end) PumpHttpCompletions(50);
  return Done();
}

// Lets late messages (a second completion that must never come) arrive.
void Settle(int Milliseconds) {
  RunUntil([] { return false; }, Milliseconds);
}

struct TResult {
  int Calls = 0;
  std::int32_t Code = -1;
  std::int32_t Status = 0;
  std::string Body;
  std::thread::id Thread;
};

TResult Get(const std::string& Url, std::int32_t Timeout = 10) {
  TMemoryStream stream;
  TResult result;
  THttpClient client;
  CustomizeHttpClient(client);
  client.Timeout = Timeout;
  client.URL = Url;
  client.RcvdStream = &stream;
  client.OnRequestDone = [&](THttpClient& Sender, std::int32_t Code) {
    ++result.Calls;
    result.Code = Code;
    result.Status = Sender.StatusCode();
    result.Thread = std::this_thread::get_id();
  };
  client.GetASync();
  RunUntil([&] { return result.Calls > 0; }, (Timeout + 5) * 1000);
  Settle(100);
  result.Body = stream.Bytes();
  return result;
}

// The log's entries as "Level|Text", oldest first.
std::vector<std::string> Entries(const TRunLog& Log) {
  std::vector<std::string> entries;
  for (auto line = Log.Lines().rbegin(); line != Log.Lines().rend(); ++line) {
    const std::size_t first = line->find('\t'), second = line->find('\t', first + 1);
    entries.push_back(line->substr(0, first) + "|" + line->substr(second + 1));
  }
  return entries;
}

std::string ReadText(const std::string& Path) {
  std::string bytes;
  ReadFileBytes(Path, bytes);
  return bytes;
}

class HttpEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Server().empty()) << "run through tests/http_e2e.sh"; }
};

TEST_F(HttpEndToEnd, ClientSendsTheProfileAndReportsAnyStatusAsComplete) {
  const TResult echo = Get(Server() + "/echo");
  EXPECT_EQ(echo.Code, 0);
  EXPECT_EQ(echo.Status, 200);
  EXPECT_EQ(echo.Thread, std::this_thread::get_id());
  EXPECT_EQ(echo.Calls, 1);
  EXPECT_NE(echo.Body.find("User-Agent: Mozilla/5.0\r\n"), std::string::npos) << echo.Body;
  EXPECT_NE(echo.Body.find("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"),
            std::string::npos)
      << echo.Body;
  EXPECT_NE(echo.Body.find("Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"), std::string::npos) << echo.Body;

  const TResult missing = Get(Server() + "/reply?status=404&body=gone");
  EXPECT_EQ(missing.Code, 0);
  EXPECT_EQ(missing.Status, 404);
  EXPECT_EQ(missing.Body, "gone");
}

TEST_F(HttpEndToEnd, FiveRedirectsAreFollowedSixFail) {
  const TResult five = Get(Server() + "/redirect/5");
  EXPECT_EQ(five.Code, 0);
  EXPECT_EQ(five.Status, 200);
  EXPECT_EQ(five.Body, "arrived after 5");
  const TResult six = Get(Server() + "/redirect/6");
  EXPECT_EQ(six.Code, kHttpErrorTooManyRedirects);
  EXPECT_EQ(six.Calls, 1);
  EXPECT_EQ(six.Body, "");
}

TEST_F(HttpEndToEnd, BodiesBeyondTheCapAndCutBodiesFail) {
  const TResult atCap = Get(Server() + "/big?size=" + std::to_string(kHttpMaxBodyBytes));
  EXPECT_EQ(atCap.Code, 0);
  EXPECT_EQ(atCap.Body.size(), kHttpMaxBodyBytes);
  EXPECT_EQ(Get(Server() + "/big").Code, kHttpErrorBodyTooLarge);
  const TResult chunked = Get(Server() + "/big?chunked=1&size=" + std::to_string(kHttpMaxBodyBytes + 4096));
  EXPECT_EQ(chunked.Code, kHttpErrorBodyTooLarge);
  EXPECT_EQ(chunked.Body, "");
  const TResult cut = Get(Server() + "/cut");
  EXPECT_NE(cut.Code, 0);
  EXPECT_EQ(cut.Calls, 1);
  EXPECT_EQ(cut.Body, "");
}

TEST_F(HttpEndToEnd, RefusedConnectionAndSilentServerEndWithAnError) {
  const TResult refused = Get(RefusedServer() + "/x");
  EXPECT_EQ(refused.Code, kHttpErrorCannotConnect);
  EXPECT_EQ(refused.Calls, 1);

  const auto start = std::chrono::steady_clock::now();
  const TResult silent = Get(Server() + "/silent", 2);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(silent.Code, kHttpErrorTimeout);
  EXPECT_EQ(silent.Calls, 1);
  EXPECT_GE(seconds, 1.8);
  EXPECT_LT(seconds, 6.0);
}

TEST_F(HttpEndToEnd, AbandonedRequestsNeverReport) {
  int calls = 0;
  {
    THttpClient client;
    client.URL = Server() + "/reply?delay=300&body=late";
    client.OnRequestDone = [&](THttpClient&, std::int32_t) { ++calls; };
    client.GetASync();
  }
  THttpClient client;
  TMemoryStream stream;
  std::vector<std::int32_t> codes;
  client.RcvdStream = &stream;
  client.OnRequestDone = [&](THttpClient&, std::int32_t Code) { codes.push_back(Code); };
  client.URL = Server() + "/reply?delay=300&body=first";
  client.GetASync();
  client.URL = Server() + "/reply?body=second";
  client.GetASync();  // abandons the first
  EXPECT_TRUE(RunUntil([&] { return !codes.empty(); }));
  Settle(700);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(codes, std::vector<std::int32_t>{0});
  EXPECT_EQ(stream.Bytes(), "second");
}

TEST_F(HttpEndToEnd, AStartThatFailsThrows) {
  THttpClient client;
  client.URL = "ftp://127.0.0.1/file";
  EXPECT_THROW(client.GetASync(), std::runtime_error);
  EXPECT_FALSE(client.Running());
}

class FileGrabberEndToEnd : public HttpEndToEnd {
 protected:
  TScratchFolder folder_;
  TRunLog log_{"", 100, true};
  TFileGrabber grabber_{&log_};
  int done_ = 0;

  void DownloadAndWait(const std::string& Url, const std::string& FileName) {
    done_ = 0;
    grabber_.Download(Url, FileName, [this](TFileGrabber&) { ++done_; });
    EXPECT_TRUE(RunUntil([this] { return done_ > 0; }));
    Settle(100);
    EXPECT_EQ(done_, 1);
  }
};

TEST_F(FileGrabberEndToEnd, CompletedDownloadReplacesTheFileAndLogsTheTime) {
  const std::string file = folder_.Path("dimmscope.ini");
  ASSERT_TRUE(WriteFileBytes(file, "old links"));
  DownloadAndWait(LinksFileUrl(), file);
  EXPECT_EQ(ReadText(file), "[links]\r\nram=http://www.example.com/ram\r\n");
  ASSERT_EQ(Entries(log_).size(), 1u);
  EXPECT_TRUE(std::regex_match(Entries(log_)[0], std::regex("Info\\|File downloaded in [0-9]+ms"))) << Entries(log_)[0];
  EXPECT_EQ(grabber_.StatusCode(), 200);
}

TEST_F(FileGrabberEndToEnd, ErrorStatusWithABodyIsStillSaved) {
  const std::string file = folder_.Path("page.html");
  DownloadAndWait(Server() + "/reply?status=500&body=oops", file);
  EXPECT_EQ(ReadText(file), "oops");
  EXPECT_EQ(grabber_.StatusCode(), 500);
  ASSERT_EQ(Entries(log_).size(), 1u);
  EXPECT_EQ(Entries(log_)[0].rfind("Info|File downloaded in ", 0), 0u);
}

TEST_F(FileGrabberEndToEnd, FailuresLogTheCodeAndLeaveTheEarlierFile) {
  const std::string file = folder_.Path("dimmscope.ini");
  ASSERT_TRUE(WriteFileBytes(file, "earlier links"));
  DownloadAndWait(RefusedServer() + kLinksFilePath, file);
  DownloadAndWait(Server() + "/cut", file);
  EXPECT_EQ(ReadText(file), "earlier links");
  const auto entries = Entries(log_);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], "Error|File downloaded : Server error (" + std::to_string(kHttpErrorCannotConnect) + ")");
  EXPECT_TRUE(std::regex_match(entries[1], std::regex("Error\\|File downloaded : Server error \\([1-9][0-9]*\\)")))
      << entries[1];
}

TEST_F(FileGrabberEndToEnd, EmptyFileNameKeepsTheBodyInMemory) {
  DownloadAndWait(Server() + "/reply?body=kept", "");
  EXPECT_EQ(grabber_.Stream().Bytes(), "kept");
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Native()));
}

TEST_F(FileGrabberEndToEnd, SecondDownloadAbandonsTheFirst) {
  const std::string first = folder_.Path("first.txt"), second = folder_.Path("second.txt");
  done_ = 0;
  grabber_.Download(Server() + "/reply?delay=300&body=one", first, [this](TFileGrabber&) { ++done_; });
  grabber_.Download(Server() + "/reply?body=two", second, [this](TFileGrabber&) { ++done_; });
  EXPECT_TRUE(RunUntil([this] { return done_ > 0; }));
  Settle(700);
  EXPECT_EQ(done_, 1);
  EXPECT_EQ(ReadText(second), "two");
  EXPECT_FALSE(std::filesystem::exists(FsPath(first)));
  EXPECT_EQ(Entries(log_).size(), 1u);
}

TEST_F(FileGrabberEndToEnd, UnwritableDestinationIsLoggedAndDoneStillRuns) {
  DownloadAndWait(Server() + "/reply?body=x", folder_.Path("missing/folder/file.ini"));
  const auto entries = Entries(log_);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].rfind("Error|File downloaded : Cannot write ", 0), 0u) << entries[1];
}

// The update check through the menu command, as the main window runs it.
class UpdateCheckEndToEnd : public HttpEndToEnd {
 protected:
  void SetUp() override {
    HttpEndToEnd::SetUp();
    TUpdatePrompts prompts;
    prompts.EnableMenuItem = [this](bool Enabled) { menuEnabled_ = Enabled; };
    prompts.Ask = [this](const std::string& Question) {
      questions_.push_back(Question);
      return answer_;
    };
    prompts.Open = [this](const std::string& Address) { opened_.push_back(Address); };
    command_ = std::make_unique<TUpdateCommand>(checker_, &log_, ExePath(), prompts);
#ifndef _WIN32
    // Executables here carry no version resource; the Windows build reads its own.
    command_->SetProduct({"Dimmscope", "Orvel Studio", "1.8.0.19"});
#endif
  }

  static std::string ExePath() {
#ifdef _WIN32
    return ::testing::internal::GetArgvs()[0];
#else
    return "/proc/self/exe";
#endif
  }

  void SetReply(const std::string& Reply, const std::string& Extra = "") {
    ASSERT_EQ(Get(Server() + "/__control?reply=" + UrlEncode(Reply) + Extra).Body, "ok");
  }

  // Runs the menu command and waits for the menu item to come back.
  void CheckAndWait() {
    command_->Checkforupdate1Click();
    EXPECT_FALSE(menuEnabled_);
    EXPECT_TRUE(checker_.Busy());
    EXPECT_TRUE(RunUntil([this] { return menuEnabled_; }));
    EXPECT_FALSE(checker_.Busy());
  }

  // Entries after the two every check starts with.
  std::vector<std::string> Outcome() {
    auto entries = Entries(log_);
    EXPECT_GE(entries.size(), 3u);
    if (entries.size() < 2) return entries;
    EXPECT_EQ(entries[0], "Info|Self update check...");
    EXPECT_EQ(entries[1], "Info|Dimmscope Update self check : Initialization");
    return std::vector<std::string>(entries.begin() + 2, entries.end());
  }

  TRunLog log_{"", 100, true};
  TTavoLite checker_{&log_, "Dimmscope"};
  std::unique_ptr<TUpdateCommand> command_;
  bool menuEnabled_ = true;
  std::int32_t answer_ = AnswerNo;
  std::vector<std::string> questions_, opened_;
};

const std::regex kRepliedNew("Info\\|Dimmscope Update self check : Server replied 1\\.8\\.0\\.20 in [0-9]+ms");

TEST_F(UpdateCheckEndToEnd, NewerVersionAsksAndYesOpensTheHomePage) {
  SetReply("1.8.0.20");
  answer_ = AnswerYes;
  CheckAndWait();
  EXPECT_TRUE(checker_.NewVersion());
  EXPECT_TRUE(checker_.ReplyValid());
  const auto outcome = Outcome();
  ASSERT_EQ(outcome.size(), 2u);
  EXPECT_TRUE(std::regex_match(outcome[0], kRepliedNew)) << outcome[0];
  EXPECT_EQ(outcome[1], "Info|New version of Dimmscope is detected");
  EXPECT_EQ(questions_,
            std::vector<std::string>{"A new version of Dimmscope is available. Do you want to download update now ?"});
  EXPECT_EQ(opened_, std::vector<std::string>{Server() + "/"});

  // The query, byte for byte, from the executable's version information.
  const std::string request = Get(Server() + "/__last_check").Body;
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "/tavo/check.php?uid=0&ProductName=Dimmscope&Company=Orvel%20Studio&VH=65544&VL=19");
  EXPECT_NE(request.find("User-Agent: Mozilla/5.0\r\n"), std::string::npos);
}

TEST_F(UpdateCheckEndToEnd, AnsweringNoOpensNothing) {
  SetReply("1.9");  // read as 1.9.0.0
  answer_ = AnswerNo;
  CheckAndWait();
  EXPECT_TRUE(checker_.NewVersion());
  EXPECT_EQ(questions_.size(), 1u);
  EXPECT_TRUE(opened_.empty());
  const auto outcome = Outcome();
  ASSERT_EQ(outcome.size(), 2u);
  EXPECT_EQ(outcome[0].rfind("Info|Dimmscope Update self check : Server replied 1.9.0.0 in ", 0), 0u);
}

TEST_F(UpdateCheckEndToEnd, SameOrTruncatedVersionIsUpToDate) {
  for (const char* reply : {"1.8.0.19", "1.8.0.20\n", "1.8.0.20\r\n"}) {
    SCOPED_TRACE(reply);
    log_ = TRunLog("", 100, true);
    SetReply(reply);
    CheckAndWait();
    EXPECT_FALSE(checker_.NewVersion());
    EXPECT_TRUE(checker_.ReplyValid());
    const auto outcome = Outcome();
    ASSERT_EQ(outcome.size(), 2u);
    const std::string shown = std::string(reply) == "1.8.0.19" ? "1.8.0.19" : "1.8.0.0";
    EXPECT_EQ(outcome[0].rfind("Info|Dimmscope Update self check : Server replied " + shown + " in ", 0), 0u)
        << outcome[0];
    EXPECT_EQ(outcome[1], "Info|Dimmscope is already up to date.");
  }
  EXPECT_TRUE(questions_.empty());
}

TEST_F(UpdateCheckEndToEnd, UnreadableRepliesAreLoggedVerboseOnly) {
  for (const std::string& reply : {std::string(), std::string("<html><body>Not here</body></html>")}) {
    SCOPED_TRACE(reply);
    log_ = TRunLog("", 100, true);
    SetReply(reply);
    CheckAndWait();
    EXPECT_FALSE(checker_.NewVersion());
    EXPECT_FALSE(checker_.ReplyValid());
    const auto outcome = Outcome();
    ASSERT_EQ(outcome.size(), 2u);
    EXPECT_EQ(outcome[0].rfind("Info|Dimmscope Update self check : Server replied 0.0.0.0 in ", 0), 0u);
    EXPECT_EQ(outcome[1], "Verbose|Dimmscope Update self check : Server error (" + reply + ")");
  }
  EXPECT_TRUE(questions_.empty());
}

TEST_F(UpdateCheckEndToEnd, TransportFailureIsLoggedAndTheMenuComesBack) {
  SetReply("1.8.0.20", "&mode=cut");
  CheckAndWait();
  EXPECT_FALSE(checker_.NewVersion());
  EXPECT_FALSE(checker_.ReplyValid());
  const auto outcome = Outcome();
  ASSERT_EQ(outcome.size(), 1u);
  EXPECT_TRUE(std::regex_match(outcome[0], std::regex("Error\\|Dimmscope Update self check : Server error "
                                                      "\\([1-9][0-9]*\\)")))
      << outcome[0];
  EXPECT_TRUE(questions_.empty());
}

TEST_F(UpdateCheckEndToEnd, SecondCheckWhileOneRunsDoesNothing) {
  SetReply("1.8.0.19", "&delay=500");
  const std::string before = Get(Server() + "/__last_check").Body;
  command_->Checkforupdate1Click();
  command_->Checkforupdate1Click();
  EXPECT_TRUE(RunUntil([this] { return menuEnabled_; }));
  Settle(700);
  const auto entries = Entries(log_);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], "Info|Self update check...");
  EXPECT_EQ(entries[1], "Info|Dimmscope Update self check : Initialization");
  EXPECT_EQ(entries[3], "Info|Dimmscope is already up to date.");
  const auto count = [](const std::string& Text) { return Text.substr(Text.rfind("count: ")); };
  const std::string after = Get(Server() + "/__last_check").Body;
  EXPECT_EQ(std::stoi(count(after).substr(7)), std::stoi(count(before).substr(7)) + 1);
}

// The question runs a message loop in which the window can close and free
// the command; once it returns, nothing of the command may be touched.
TEST_F(UpdateCheckEndToEnd, ACommandFreedWhileItsQuestionIsOpenIsNotTouched) {
  SetReply("1.8.0.20");
  TUpdatePrompts prompts;
  prompts.EnableMenuItem = [this](bool Enabled) { menuEnabled_ = Enabled; };
  prompts.Ask = [this](const std::string&) {
    command_.reset();
    return AnswerYes;
  };
  prompts.Open = [this](const std::string& Address) { opened_.push_back(Address); };
  command_ = std::make_unique<TUpdateCommand>(checker_, &log_, ExePath(), prompts);
#ifndef _WIN32
  command_->SetProduct({"Dimmscope", "Orvel Studio", "1.8.0.19"});
#endif
  command_->Checkforupdate1Click();
  EXPECT_TRUE(RunUntil([this] { return command_ == nullptr; }));
  Settle(100);
  EXPECT_TRUE(opened_.empty());
  EXPECT_FALSE(menuEnabled_);
}

}  // namespace
}  // namespace dimmscope
