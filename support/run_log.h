// The run log: what the program did during this run, newest entry first,
// the file rewritten whole each time it is written. Without a flush request
// that is after every entry; with one, the owner decides when (the window
// writes the entries of one message-loop turn together, and before a step
// that could end the process).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dimmscope {

enum TLogLevel : std::int32_t { LogVerbose = 0, LogInfo = 1, LogError = 2 };

// A local date and time as the log stamps it.
struct TLocalTime {
  int Year = 0;   // four digits, e.g. 2026
  int Month = 0;  // 1 to 12
  int Day = 0;
  int Hour = 0;  // 0 to 23
  int Minute = 0;
  int Second = 0;
};
using TLocalClock = std::function<TLocalTime()>;

// The system's local time now.
TLocalTime CurrentLocalTime();
// "[yy-mm-dd hh:mm:ss]" with `TimeSeparator` between the parts of the time.
std::string LogTimeStamp(const TLocalTime& Time);

class TRunLog {
 public:
  // `FileName` is a path (UTF-8); nothing is read or written until the first Add.
  TRunLog(std::string FileName, std::int32_t MaxLines, bool Verbose);

  // Adds one entry and rewrites the file, or, with a flush request, leaves
  // it to the next Flush; write failures are swallowed and the entry is kept
  // for the next successful save.
  void Add(const std::string& Text, std::int32_t Level);
  // Writes the file when entries were added since it was last written.
  void Flush();
  // Called when an entry arrives and the file holds all earlier ones: the
  // owner arranges the Flush that writes it (and whatever follows it first).
  // A request that answers false arranged nothing: the file is written at
  // once, and the next entry asks again.
  void SetFlushRequest(std::function<bool()> Request) { flushRequest_ = std::move(Request); }
  // Opens the file with the program associated with it; failures are silent.
  void OpenFile() const;

  const std::string& FileName() const { return fileName_; }
  const std::vector<std::string>& Lines() const { return lines_; }

  // Replaces the clock the entries are stamped with (tests use a fixed one).
  void SetClock(TLocalClock Clock) { clock_ = std::move(Clock); }

 private:
  void Save() const;

  std::vector<std::string> lines_;  // newest first
  std::string fileName_;
  std::int32_t maxLines_;
  bool verbose_;
  TLocalClock clock_;
  std::function<bool()> flushRequest_;
  bool unwritten_ = false;  // entries added since the file was last written
};

// Null-safe entry point: callers that may hold no log call this.
inline void LogAdd(TRunLog* log, const std::string& Text, std::int32_t Level) {
  if (log != nullptr) log->Add(Text, Level);
}

}  // namespace dimmscope
