// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends. Paths are UTF-8 strings, as the
// program passes them.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <system_error>

#include "support/file_io.h"

namespace dimmscope {

// The filesystem path of a UTF-8 path string.
inline std::filesystem::path FsPath(const std::string& Utf8) { return std::filesystem::u8path(Utf8); }

class TScratchFolder {
 public:
  TScratchFolder() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("dimmscope-test-" + std::to_string(std::random_device()()) + "-" + std::to_string(ticks));
    std::filesystem::create_directories(path_);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // The UTF-8 path of `Name` inside the folder (the folder itself for "").
  std::string Path(const std::string& Name = std::string()) const {
    return Name.empty() ? path_.u8string() : (path_ / FsPath(Name)).u8string();
  }
  // The names of everything in the folder: what a write left behind.
  std::set<std::string> EntryNames() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.insert(entry.path().filename().u8string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// A file's bytes, read through the program's own file layer.
inline std::string FileContents(const std::string& Path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(Path, bytes)) << Path;
  return bytes;
}

}  // namespace dimmscope
