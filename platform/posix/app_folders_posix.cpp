// The data folder, the file tests and the maker's values on POSIX systems:
// the data folder under the XDG data home ("Orvel Studio/Dimmscope/"), the
// maker's values in "Orvel Studio/settings.ini" under the XDG config home.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/app_folders.h"

namespace dimmscope {
namespace {

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are to be ignored), else the default under the home folder.
std::string XdgFolder(const char* Variable, const char* UnderHome) {
  const char* value = std::getenv(Variable);
  if (value != nullptr && value[0] == '/') return value;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return std::string();
  return std::string(home) + UnderHome;
}

// Creates `Path` and its missing parents, private to the user as the XDG
// base folders should be.
void MakeDirs(const std::string& Path) {
  for (std::size_t at = Path.find('/', 1); at != std::string::npos; at = Path.find('/', at + 1)) {
    (void)mkdir(Path.substr(0, at).c_str(), 0700);
  }
  (void)mkdir(Path.c_str(), 0700);
}

bool StatPath(const std::string& Path, struct stat& Info) { return !Path.empty() && stat(Path.c_str(), &Info) == 0; }

std::string SettingsFolder() {
  const std::string config = XdgFolder("XDG_CONFIG_HOME", "/.config");
  return config.empty() ? std::string() : config + "/" + kMakerName;
}

// The settings file holds one "name=value" line per value. Backslash, line
// ends and (in names) '=' are escaped, so no value can forge another line.
std::string Escape(const std::string& Text, bool IsName) {
  std::string out;
  for (const char c : Text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '=': out += IsName ? "\\=" : "="; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& Text) {
  std::string out;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\\' || i + 1 == Text.size()) {
      out += Text[i];
      continue;
    }
    const char next = Text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

using TSettings = std::vector<std::pair<std::string, std::string>>;

TSettings ParseSettings(const std::string& Text) {
  TSettings settings;
  std::size_t start = 0;
  while (start < Text.size()) {
    std::size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    const std::string line = Text.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
    // The first '=' that is not escaped ends the name.
    std::size_t equals = std::string::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\') {
        ++i;
      } else if (line[i] == '=') {
        equals = i;
        break;
      }
    }
    if (equals == std::string::npos) continue;
    settings.emplace_back(Unescape(line.substr(0, equals)), Unescape(line.substr(equals + 1)));
  }
  return settings;
}

bool ReadWhole(const std::string& Path, std::string& Out) {
  Out.clear();
  const int fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;  // no file yet: no values
  char buffer[4096];
  bool ok = true;
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    Out.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return ok;
}

// Through a temporary file and a rename, so the file is never half written.
bool WriteWhole(const std::string& Path, const std::string& Bytes) {
  std::string temp = Path + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < Bytes.size()) {
    const ssize_t wrote = write(fd, Bytes.data() + done, Bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(wrote);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), Path.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace

bool MakeDir(const std::string& Path) { return !Path.empty() && mkdir(Path.c_str(), 0777) == 0; }

bool IsExistingFile(const std::string& Path) {
  struct stat info {};
  return StatPath(Path, info) && !S_ISDIR(info.st_mode);
}

bool IsExistingDir(const std::string& Path) {
  struct stat info {};
  return StatPath(Path, info) && S_ISDIR(info.st_mode);
}

std::uint64_t GetFileSize64(const std::string& Path) {
  struct stat info {};
  // A folder has no size of its own, as on Windows.
  if (!StatPath(Path, info) || S_ISDIR(info.st_mode) || info.st_size < 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

bool IsNonEmptyFile(const std::string& Path) { return IsExistingFile(Path) && GetFileSize64(Path) > 0; }

std::string GetDataFolder(const std::string& ExePath, const std::string& Title) {
  const std::string data = XdgFolder("XDG_DATA_HOME", "/.local/share");
  // A fresh account may lack the base folder; the product's folders below it
  // are made one level at a time as on Windows.
  if (!data.empty()) MakeDirs(data);
  return ChooseDataFolder(ExePath, Title, data, TFolderOps{'/', "/", MakeDir, IsExistingDir});
}

void WriteMakerValue(const std::string& Name, const std::string& Value) {
  const std::string folder = SettingsFolder();
  if (folder.empty()) return;
  MakeDirs(folder);
  const std::string path = folder + "/settings.ini";
  std::string text;
  // An unreadable file is left alone rather than replaced by one value.
  if (!ReadWhole(path, text)) return;
  TSettings settings = ParseSettings(text);
  bool replaced = false;
  for (auto& entry : settings) {
    if (entry.first == Name) {
      entry.second = Value;
      replaced = true;
    }
  }
  if (!replaced) settings.emplace_back(Name, Value);
  std::string out = "; Values of Orvel Studio's programs, one \"name=value\" per line.\n";
  for (const auto& entry : settings) out += Escape(entry.first, true) + "=" + Escape(entry.second, false) + "\n";
  (void)WriteWhole(path, out);
}

std::string ReadMakerValue(const std::string& Name) {
  const std::string folder = SettingsFolder();
  if (folder.empty()) return std::string();
  // As on Windows, where reading opens the maker's key and so creates it.
  MakeDirs(folder);
  std::string text;
  if (!ReadWhole(folder + "/settings.ini", text)) return std::string();
  std::string value;
  for (const auto& entry : ParseSettings(text)) {
    if (entry.first == Name) value = entry.second;
  }
  return value;
}

}  // namespace dimmscope
