// Whole-file reads and writes over the POSIX file descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "support/file_io.h"

namespace dimmscope {
namespace {

// Closes the descriptor on every path unless handed over with Release.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int Fd) : fd_(Fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now, reporting the result: a delayed write error shows up here.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int Fd, const std::string& Bytes) {
  std::size_t done = 0;
  while (done < Bytes.size()) {
    const ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& Path) {
  const std::size_t slash = Path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return Path.substr(0, slash + 1);
}

}  // namespace

bool WriteFileBytes(const std::string& Path, const std::string& Bytes) {
  if (Path.empty()) return false;
  TFileDescriptor file(::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.Get() < 0) return false;
  if (!WriteAll(file.Get(), Bytes)) return false;
  return file.Close();
}

bool ReplaceFileAtomically(const std::string& Path, const std::string& Bytes) {
  if (Path.empty() || Path.back() == '/') return false;
  // Only a regular file is replaced; anything else in the way is refused
  // before a temporary file is made.
  struct stat existing {};
  const bool exists = ::stat(Path.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return false;

  std::string pattern = Path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  TFileDescriptor file(::mkstemp(name.data()));
  if (file.Get() < 0) return false;
  const std::string temp(name.data());
  // mkstemp makes the file private; keep the old file's permissions, or give
  // a new one the usual ones.
  const mode_t mode = exists ? (existing.st_mode & 07777) : 0644;
  const bool written = ::fchmod(file.Get(), mode) == 0 && WriteAll(file.Get(), Bytes) && ::fsync(file.Get()) == 0;
  if (!file.Close() || !written || ::rename(temp.c_str(), Path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the new name itself durable; the replacement has already happened,
  // so a failure here does not undo it.
  const std::string folder = FolderOf(Path);
  TFileDescriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) (void)::fsync(dir.Get());
  return true;
}

bool ReadFileBytes(const std::string& Path, std::string& Out) {
  Out.clear();
  if (Path.empty()) return false;
  TFileDescriptor file(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return false;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  std::string bytes;
  if (S_ISREG(info.st_mode) && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  Out.swap(bytes);
  return true;
}

}  // namespace dimmscope
