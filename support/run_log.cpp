// The run log: entries are stamped, put on top, capped, and the whole list
// is written again after each one or at the owner's flush.
#include "support/run_log.h"

#include <cstdio>
#include <ctime>

#include "support/file_io.h"
#include "support/shell.h"
#include "support/text_helpers.h"

namespace dimmscope {
namespace {

const char* LevelName(std::int32_t Level) {
  switch (Level) {
    case LogVerbose: return "Verbose";
    case LogInfo: return "Info";
    default: return "Error";
  }
}

}  // namespace

TLocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  TLocalTime time;
  time.Year = parts.tm_year + 1900;
  time.Month = parts.tm_mon + 1;
  time.Day = parts.tm_mday;
  time.Hour = parts.tm_hour;
  time.Minute = parts.tm_min;
  time.Second = parts.tm_sec;
  return time;
}

std::string LogTimeStamp(const TLocalTime& Time) {
  // Each part is reduced to its two low digits, so an odd clock value can
  // never widen the stamp.
  auto two = [](int value) { return (value % 100 + 100) % 100; };
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "[%02d-%02d-%02d %02d%c%02d%c%02d]", two(Time.Year), two(Time.Month),
                two(Time.Day), two(Time.Hour), TimeSeparator, two(Time.Minute), TimeSeparator, two(Time.Second));
  return buffer;
}

TRunLog::TRunLog(std::string FileName, std::int32_t MaxLines, bool Verbose)
    : fileName_(std::move(FileName)), maxLines_(MaxLines), verbose_(Verbose), clock_(CurrentLocalTime) {}

void TRunLog::Add(const std::string& Text, std::int32_t Level) {
  // Levels below 0 are never passed; they count as Verbose.
  if (Level < LogVerbose) Level = LogVerbose;
  if (Level == LogVerbose && !verbose_) return;
  if (Level > LogError) Level = LogError;

  const TLocalTime now = clock_ ? clock_() : CurrentLocalTime();
  std::string line = LevelName(Level);
  line += '\t';
  line += LogTimeStamp(now);
  line += '\t';
  line += Text;
  lines_.insert(lines_.begin(), std::move(line));
  if (static_cast<std::int64_t>(lines_.size()) > static_cast<std::int64_t>(maxLines_)) lines_.pop_back();
  if (!flushRequest_) {
    Save();
    return;
  }
  if (unwritten_) return;  // the flush already asked for writes this one too
  unwritten_ = true;
  if (!flushRequest_()) Flush();
}

void TRunLog::Flush() {
  if (!unwritten_) return;
  unwritten_ = false;
  Save();
}

void TRunLog::Save() const {
  // The texts are already in the ANSI code page and are written unchanged.
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += "\r\n";
  }
  // A failed write is not reported: the entries stay in Lines and the next
  // successful save writes them all.
  (void)WriteFileBytes(fileName_, bytes);
}

void TRunLog::OpenFile() const { (void)ShellOpen(fileName_); }

}  // namespace dimmscope
