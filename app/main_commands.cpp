// The main window's command decisions; see main_commands.h.
#include "app/main_commands.h"

#include "support/ansi_text.h"
#include "support/file_io.h"
#include "support/text_helpers.h"

namespace dimmscope {

namespace {

#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif

std::string TrimBlanks(const std::string& Text) {
  const auto first = Text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const auto last = Text.find_last_not_of(" \t");
  return Text.substr(first, last - first + 1);
}

std::string EscapeStrayPercents(const std::string& Address) {
  std::string out;
  for (std::size_t i = 0; i < Address.size(); ++i) {
    const bool escape = i + 2 < Address.size() && HexDigit(Address[i + 1]) >= 0 && HexDigit(Address[i + 2]) >= 0;
    out += Address[i] == '%' && !escape ? "%25" : Address.substr(i, 1);
  }
  return out;
}

void RemoveAll(std::string& Text, const std::string& Part) {
  for (auto at = Text.find(Part); at != std::string::npos; at = Text.find(Part, at)) Text.erase(at, Part.size());
}

}  // namespace

std::string DataFile(const std::string& DataFolder, const std::string& Name) {
  if (DataFolder.empty() || DataFolder.back() == '\\' || DataFolder.back() == '/') return DataFolder + Name;
  return DataFolder + kPathSeparator + Name;
}

std::string ReadIniString(const std::string& IniText, const std::string& Section, const std::string& Key,
                          const std::string& Default) {
  bool inSection = false;
  std::size_t start = 0;
  while (start <= IniText.size()) {
    auto end = IniText.find_first_of("\r\n", start);
    if (end == std::string::npos) end = IniText.size();
    const std::string line = TrimBlanks(IniText.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const auto close = line.find(']');
      inSection = close != std::string::npos && SameText(TrimBlanks(line.substr(1, close - 1)), Section);
      continue;
    }
    if (!inSection) continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos || !SameText(TrimBlanks(line.substr(0, equals)), Key)) continue;
    std::string value = TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return Default;
}

bool IsWebAddress(const std::string& Text) {
  if (!StartsText(Text, "http://") && !StartsText(Text, "https://")) return false;
  for (const char c : Text) {
    if (static_cast<unsigned char>(c) <= 32 || c == 127) return false;
  }
  return true;
}

std::string GetLink(const std::string& LinksFile, const std::string& Key, const std::string& DefaultAddress) {
  std::string text;
  if (!ReadFileBytes(LinksFile, text)) return DefaultAddress;
  const std::string value = ReadIniString(text, kLinksSection, Key, std::string());
  if (value.size() > 1 && IsWebAddress(value)) return EscapeStrayPercents(value);
  return DefaultAddress;
}

std::optional<std::string> SpecSearchText(const TSlotRows& Rows) {
  if (Rows.size() <= static_cast<std::size_t>(kModelRow)) return std::nullopt;
  std::string text = Rows[kManufacturerRow].second;
  RemoveAll(text, "N/A");
  text += " " + Rows[kModelRow].second;
  return TrimControls(text);
}

std::string DriversTarget(const std::string& Fesk, bool FeskIsNonEmptyFile, const std::string& DriversPage) {
  return !Fesk.empty() && FeskIsNonEmptyFile ? Fesk : DriversPage;
}

std::string ExportSlots(const std::array<TExportPanel, kSlotPanels>& Panels, const std::string& Separator,
                        const std::string& Extension, const std::string& DataFolder) {
  const std::string fileName = DataFile(DataFolder, "export." + Extension);
  if (!ReplaceFileAtomically(fileName, ExportLayout(Panels, Separator))) {
    // The message is shown in a message box, which takes ANSI text.
    throw EExportError("Cannot create file \"" + AnsiFromUtf8(fileName) + "\".");
  }
  return fileName;
}

}  // namespace dimmscope
