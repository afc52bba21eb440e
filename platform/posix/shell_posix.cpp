// Opening a file or web address with the desktop's default application
// through xdg-open, started directly (no shell, so nothing in the target is
// interpreted) and detached, so it never becomes a zombie of this process.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "support/shell.h"

namespace dimmscope {
namespace {

// The full path of `Program` in PATH, found before forking: the child may
// only make calls that are safe after fork.
std::string FindInPath(const std::string& Program) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + Program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return std::string();
}

}  // namespace

bool ShellOpen(const std::string& Target) {
  if (Target.empty() || Target.find('\0') != std::string::npos) return false;
  const std::string program = FindInPath("xdg-open");
  if (program.empty()) return false;
  // xdg-open would take a leading '-' for an option.
  const std::string argument = Target[0] == '-' ? "./" + Target : Target;
  char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(argument.c_str()), nullptr};

  // The grandchild reports a failed exec through this pipe; a successful one
  // closes it (close-on-exec) without a word.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    // The middle process exits at once; its child is adopted by init.
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      setsid();
      execv(program.c_str(), argv);
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got != 0) started = false;
  return started;
}

// Nothing is ever expanded here.
bool ShellOpenAsIs(const std::string& Address) { return ShellOpen(Address); }

}  // namespace dimmscope
