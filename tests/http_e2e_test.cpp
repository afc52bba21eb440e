// The network jobs end to end against tests/http_server.py (started by
// tests/http_e2e.sh, which names it in DIMMSCOPE_SERVER): the HTTP client's
// profile and limits, the links-file download and the update check with the
// menu command's reactions. Completions arrive through the message loop
// (Windows) or the completion pump (elsewhere), as in the program.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/file_io.h"
#include "support/run_log.h"
#include "support/text_helpers.h"
#include "tests/case_table.h"
#include "tests/scratch_folder.h"
#include "update/file_grabber.h"
#include "update/http_client.h"
#include "update/http_custo.h"
#include "update/maker_urls.h"
#include "update/tavo_lite.h"
#include "update/update_command.h"

namespace dimmscope {
namespace {

// The test server, and an address on it that refuses connections.
std::string Server(const char* Variable = kServerOverrideVariable) {
  const char* server = std::getenv(Variable);
  return server != nullptr ? server : "";
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
  std::int32_t Code = -1;
  std::int32_t Status = 0;
  std::string Body;
};

// A request with the program's profile. Its completion must come once, on this
// thread, within 5 s past its timeout.
TResult Get(const std::string& Url, std::int32_t Timeout = 10) {
  TMemoryStream stream;
  TResult result;
  int calls = 0;
  THttpClient client;
  CustomizeHttpClient(client);
  client.Timeout = Timeout;
  client.URL = Url;
  client.RcvdStream = &stream;
  const std::thread::id thread = std::this_thread::get_id();
  client.OnRequestDone = [&](THttpClient& Sender, std::int32_t Code) {
    ++calls;
    result = {Code, Sender.StatusCode(), ""};
    EXPECT_EQ(std::this_thread::get_id(), thread);
  };
  client.GetASync();
  RunUntil([&] { return calls > 0; }, (Timeout + 5) * 1000);
  Settle(100);
  EXPECT_EQ(calls, 1) << Url;
  result.Body = stream.Bytes();
  return result;
}

// An outcome as tests/cases/http_requests.txt shows it: the status and the body
// (its size when large), or the error.
std::string Outcome(const TResult& Result) {
  static const std::map<std::int32_t, std::string> kErrors = {{kHttpErrorTooManyRedirects, "too many redirects"},
                                                              {kHttpErrorBodyTooLarge, "too large"},
                                                              {kHttpErrorCannotConnect, "refused"},
                                                              {kHttpErrorTimeout, "timeout"}};
  if (Result.Code != 0) {
    return (kErrors.count(Result.Code) ? kErrors.at(Result.Code) : "error") +
           (Result.Body.empty() ? "" : " and a body");
  }
  const std::string body = Result.Body.size() > 100 ? std::to_string(Result.Body.size()) + " bytes" : Result.Body;
  return std::to_string(Result.Status) + " " + body;
}

// The log's entries as "Level: Text", oldest first and " / " between them,
// with the times and the error codes (which differ between platforms) as #.
std::string Entries(const TRunLog& Log) {
  std::string entries;
  for (auto line = Log.Lines().rbegin(); line != Log.Lines().rend(); ++line) {
    const std::size_t first = line->find('\t'), second = line->find('\t', first + 1);
    entries += (entries.empty() ? "" : " / ") + line->substr(0, first) + ": " + line->substr(second + 1);
  }
  return std::regex_replace(std::regex_replace(entries, std::regex(" [0-9]+ms"), " #ms"),
                            std::regex("error \\([1-9][0-9]*\\)"), "error (#)");
}

class HttpEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Server().empty()) << "run through tests/http_e2e.sh"; }
};

// Any status completes a request; redirects, the body cap and cut bodies.
TEST_F(HttpEndToEnd, RequestsEndAsTheirTableSays) {
  for (const auto& row : testing::CaseTable("http_requests.txt", '|'))
    EXPECT_EQ(Outcome(Get(Server() + row.Fields.at(0))), row.Fields.at(1)) << row.Fields[0];
}

TEST_F(HttpEndToEnd, RefusedConnectionAndSilentServerEndWithAnError) {
  EXPECT_EQ(Outcome(Get(Server("DIMMSCOPE_REFUSED_SERVER") + "/x")), "refused");
  // Get gives up 5 s after the timeout: a deadline too late leaves no call.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Outcome(Get(Server() + "/silent", 2)), "timeout");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));  // and never early
}

TEST_F(HttpEndToEnd, AbandonedRequestsNeverReport) {
  TMemoryStream stream;
  std::vector<std::string> done;
  const auto start = [&](THttpClient& Client, const std::string& Query) {
    Client.RcvdStream = &stream;
    Client.OnRequestDone = [&](THttpClient&, std::int32_t Code) {
      done.push_back(std::to_string(Code) + " " + stream.Bytes());
    };
    Client.URL = Server() + "/reply?" + Query;
    Client.GetASync();
  };
  start(*std::make_unique<THttpClient>(), "delay=300&body=late");  // destroyed while it runs
  THttpClient client;
  start(client, "delay=300&body=first");
  start(client, "body=second");  // abandons the first
  EXPECT_TRUE(RunUntil([&] { return !done.empty(); }));
  Settle(700);
  EXPECT_EQ(done, std::vector<std::string>{"0 second"});
}

TEST_F(HttpEndToEnd, DownloadsReplaceTheFileAndFailuresLeaveIt) {
  TScratchFolder folder;
  TRunLog log("", 100, true);
  TFileGrabber grabber(&log);
  int done = 0;
  const auto download = [&](const std::string& Url, const std::string& FileName) {
    done = 0;
    grabber.Download(Url, FileName, [&](TFileGrabber&) { ++done; });
    EXPECT_TRUE(RunUntil([&] { return done > 0; }));
    Settle(100);
    EXPECT_EQ(done, 1);
  };
  const std::string file = folder.Path("dimmscope.ini"), unwritable = folder.Path("missing/folder/file.ini");
  const std::string links = "[links]\r\nram=http://www.example.com/ram\r\n";
  ASSERT_TRUE(WriteFileBytes(file, "old links"));
  download(LinksFileUrl(), file);
  EXPECT_EQ(FileContents(file), links);
  EXPECT_EQ(grabber.StatusCode(), 200);
  download(Server("DIMMSCOPE_REFUSED_SERVER") + kLinksFilePath, file);
  download(Server() + "/cut", file);
  EXPECT_EQ(FileContents(file), links);
  download(Server() + "/reply?body=x", unwritable);
  EXPECT_EQ(Entries(log),
            "Info: File downloaded in #ms / Error: File downloaded : Server error (#) / "
            "Error: File downloaded : Server error (#) / Info: File downloaded in #ms / "
            "Error: File downloaded : Cannot write " +
                unwritable);
}

// The menu command as the main window runs it, the program being 1.8.0.19,
// with the window's reactions recorded.
class UpdateCommand : public HttpEndToEnd {
 protected:
  UpdateCommand() {
    prompts.EnableMenuItem = [this](bool Enabled) { menuEnabled = Enabled; };
    prompts.Open = [this](const std::string& Address) { opened += Address; };
  }
  std::unique_ptr<TUpdateCommand> MakeCommand() {
#ifdef _WIN32
    // Reads what it poses as from its version resource (win32/http_e2e.rc).
    return std::make_unique<TUpdateCommand>(checker, &log, ::testing::internal::GetArgvs()[0], prompts);
#else
    auto command = std::make_unique<TUpdateCommand>(checker, &log, "/proc/self/exe", prompts);
    command->SetProduct({"Dimmscope", "Orvel Studio", "1.8.0.19"});  // executables here carry no version resource
    return command;
#endif
  }

  TRunLog log{"", 100, true};
  TTavoLite checker{&log, "Dimmscope"};
  bool menuEnabled = true;
  std::string opened;
  TUpdatePrompts prompts;
};

// The update check against the replies of tests/cases/update_check.txt.
TEST_F(UpdateCommand, ChecksGoAsTheirTableSays) {
  std::int32_t answer = AnswerNo;
  int questions = 0;
  std::string request;
  prompts.Ask = [&](const std::string&) {
    ++questions;
    return answer;
  };
  const auto command = MakeCommand();
  for (const auto& row : testing::CaseTable("update_check.txt", '|')) {
    SCOPED_TRACE(row.Where);
    ASSERT_GE(row.Fields.size(), 4u);
    const std::string control = "/__control?reply=" + UrlEncode(row.Fields[0]);
    ASSERT_EQ(Get(Server() + control + (row.Fields.size() > 4 ? row.Fields[4] : "")).Body, "ok");
    log = TRunLog("", 100, true);
    questions = 0;
    opened.clear();
    answer = row.Fields[1] == "yes" ? AnswerYes : AnswerNo;
    // The first check is held, as the program's first one is until its scan
    // shows: logged as started, the server not yet asked.
    const bool held = request.empty();
    if (held) checker.HoldRequests();
    for (int click = row.Fields.size() > 5 ? std::stoi(row.Fields[5]) : 1; click > 0; --click) {
      command->Checkforupdate1Click();
    }
    if (held) {
      request = Get(Server() + "/__last_check").Body;
      EXPECT_EQ(request.substr(request.rfind("count: ")), "count: 0\r\n");
      checker.ReleaseRequests();
    }
    EXPECT_FALSE(menuEnabled);
    EXPECT_TRUE(RunUntil([&] { return menuEnabled; }));
    EXPECT_EQ(Entries(log),
              "Info: Self update check... / Info: Dimmscope Update self check : Initialization / " + row.Fields[2]);
    EXPECT_EQ(questions, row.Fields[1] == "-" ? 0 : 1);
    EXPECT_EQ(opened, row.Fields[3].empty() ? "" : Server() + row.Fields[3]);
    request = Get(Server() + "/__last_check").Body;
    EXPECT_EQ(request.substr(request.rfind("count: ")), "count: 1\r\n");  // one request a check
  }
  // The query, byte for byte, from the program's version information, with
  // the request profile.
  ASSERT_FALSE(request.empty());
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "/tavo/check.php?uid=0&ProductName=Dimmscope&Company=Orvel%20Studio&VH=65544&VL=19");
  for (const char* header :
       {"User-Agent: Mozilla/5.0\r\n", "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n",
        "Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"}) {
    EXPECT_NE(request.find(header), std::string::npos) << request;
  }
}

// The question runs a message loop in which the window can close and free
// the command; once it returns, nothing of the command may be touched.
TEST_F(UpdateCommand, FreedWhileItsQuestionIsOpenIsNotTouched) {
  ASSERT_EQ(Get(Server() + "/__control?reply=1.8.0.20").Body, "ok");
  std::unique_ptr<TUpdateCommand> command;
  prompts.Ask = [&](const std::string&) {
    command.reset();  // the window closed while the box was open
    return AnswerYes;
  };
  command = MakeCommand();
  command->Checkforupdate1Click();
  EXPECT_TRUE(RunUntil([&] { return command == nullptr; }));
  EXPECT_EQ(opened, "");
  EXPECT_FALSE(menuEnabled);
}

}  // namespace
}  // namespace dimmscope
