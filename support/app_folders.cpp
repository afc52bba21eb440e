// The system-independent rules of the data folder and of long Windows paths.
#include "support/app_folders.h"

namespace dimmscope {

std::string FolderOfPath(const std::string& Path, const std::string& Separators, char Delimiter) {
  const std::size_t last = Path.find_last_of(Separators);
  // A bare program name: its folder is the current one. Appending the
  // delimiter to nothing would name the root of the drive instead.
  if (last == std::string::npos) return std::string(".") + Delimiter;
  return WithTrailingDelimiter(Path.substr(0, last + 1), Delimiter);
}

std::string WithTrailingDelimiter(const std::string& Folder, char Delimiter) {
  if (Folder.empty() || Folder.back() == Delimiter) return Folder;
  return Folder + Delimiter;
}

std::string ChooseDataFolder(const std::string& ExePath, const std::string& Title, const std::string& AppData,
                             const TFolderOps& Ops) {
  const std::string fallback = FolderOfPath(ExePath, Ops.ExeSeparators, Ops.Delimiter);
  if (AppData.empty()) return fallback;
  const std::string maker = WithTrailingDelimiter(AppData, Ops.Delimiter) + kMakerName + Ops.Delimiter;
  // Both usually exist already, so the results of the creations say nothing;
  // the test of the final folder decides.
  (void)Ops.MakeDir(maker);
  const std::string product = maker + Title;
  (void)Ops.MakeDir(product);
  return Ops.IsExistingDir(product) ? product + Ops.Delimiter : fallback;
}

std::string LongPathForm(const std::string& Path) {
  const auto slash = [&](std::size_t i) { return i < Path.size() && Path[i] == '\\'; };
  if (slash(0) && slash(1)) {
    // Already a device path: "\\?\..." or "\\.\...".
    if (Path.size() >= 4 && (Path[2] == '?' || Path[2] == '.') && slash(3)) return Path;
    return "\\\\?\\UNC\\" + Path.substr(2);
  }
  const bool driveAbsolute = Path.size() >= 3 && Path[1] == ':' && slash(2) &&
                             ((Path[0] >= 'A' && Path[0] <= 'Z') || (Path[0] >= 'a' && Path[0] <= 'z'));
  return driveAbsolute ? "\\\\?\\" + Path : Path;
}

}  // namespace dimmscope
