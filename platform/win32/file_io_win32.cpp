// Whole-file reads and writes over the wide-character file calls, so paths
// outside the ANSI code page and long paths work.
#include "platform/win32/file_io_win32.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/win32/text_win32.h"
#include "platform/win32/win_api.h"
#include "support/file_io.h"

namespace dimmscope {
namespace {

// Closes the handle on every path unless closed earlier with Close.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE Handle) : handle_(Handle) {}
  ~TFileHandle() {
    if (IsOpen()) CloseHandle(handle_);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE File, const std::string& Bytes) {
  std::size_t done = 0;
  while (done < Bytes.size()) {
    // WriteFile counts in 32 bits; large buffers go in slices.
    const std::size_t left = Bytes.size() - done;
    const DWORD slice = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(File, Bytes.data() + done, slice, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool IsFolder(const std::wstring& Path) {
  const DWORD attributes = GetFileAttributesW(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// Process id, a per-process counter and the clock. The long form is decided
// on the whole name: the suffix can take a destination just short of the
// classic limit past it.
std::wstring AtomicReplaceTempPath(const std::string& Path) {
  static std::atomic<unsigned> counter{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%lx-%x-%lx.tmp", GetCurrentProcessId(), counter.fetch_add(1), GetTickCount());
  return WidePath(Path + suffix);
}

bool WriteFileBytes(const std::string& Path, const std::string& Bytes) {
  if (Path.empty()) return false;
  const std::wstring path = WidePath(Path);
  // OPEN_ALWAYS and then cutting the file: CREATE_ALWAYS refuses files with
  // the hidden or system attribute.
  TFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return false;
  if (!SetEndOfFile(file.Get())) return false;
  if (!WriteAll(file.Get(), Bytes)) return false;
  return file.Close();
}

bool ReplaceFileAtomically(const std::string& Path, const std::string& Bytes) {
  if (Path.empty()) return false;
  const std::wstring path = WidePath(Path);
  if (IsFolder(path)) return false;
  std::wstring temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = AtomicReplaceTempPath(Path);
    handle = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  TFileHandle file(handle);
  if (!file.IsOpen()) return false;
  const bool written = WriteAll(file.Get(), Bytes) && FlushFileBuffers(file.Get());
  if (!file.Close() || !written ||
      !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool ReadFileBytes(const std::string& Path, std::string& Out) {
  Out.clear();
  if (Path.empty()) return false;
  const std::wstring path = WidePath(Path);
  TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return false;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
      static_cast<unsigned long long>(size.QuadPart) < std::string().max_size()) {
    Out.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
      Out.clear();
      return false;
    }
    if (read == 0) break;
    Out.append(buffer, read);
  }
  return true;
}

}  // namespace dimmscope
