// The scan as JSON, written by hand: the report exe stays small without a
// JSON library or streams.
#include "app/report_json.h"

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>

#include "app/jedec_names.h"
#include "app/upgrade_advice.h"
#include "support/ansi_text.h"

namespace dimmscope {
namespace {

// Appends one UTF-8 sequence's code point, or the lead byte as a Latin-1
// character when the bytes are no valid UTF-8 (texts from firmware are
// whatever it wrote). Returns the bytes used.
std::size_t CodePoint(const std::string& text, std::size_t at, std::uint32_t& point) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  const std::size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
  point = lead;
  if (lead < 0x80 || length == 1 || at + length > text.size()) return 1;
  std::uint32_t value = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 1;
    value = value << 6 | (byte(at + i) & 0x3Fu);
  }
  static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 1;
  point = value;
  return length;
}

std::string Quoted(const std::string& ansi) {
  const std::string text = Utf8FromAnsi(ansi);
  std::string out = "\"";
  char escape[16];
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t c = 0;
    i += CodePoint(text, i, c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c > 0xFFFF) {  // a surrogate pair
      c -= 0x10000;
      std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", 0xD800 + (c >> 10), 0xDC00 + (c & 0x3FF));
      out += escape;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

// Writes members and elements with two-space indents, one a line.
class TJsonWriter {
 public:
  std::string Text;

  void Open(const char* key, char bracket) {
    Item(key);
    Text += bracket;
    ++depth_;
    first_ = true;
  }
  void Close(char bracket) {
    --depth_;
    if (!first_) NewLine();
    Text += bracket;
    first_ = false;
  }
  void Raw(const char* key, const std::string& json) {
    Item(key);
    Text += json;
  }
  void String(const char* key, const std::string& value) { Raw(key, Quoted(value)); }
  void Number(const char* key, std::int64_t value) { Raw(key, std::to_string(value)); }
  // Every numeric value a module record holds uses 0 for unknown.
  void Known(const char* key, std::int64_t value) { Raw(key, value != 0 ? std::to_string(value) : "null"); }
  void Bool(const char* key, std::optional<bool> value) { Raw(key, value ? (*value ? "true" : "false") : "null"); }
  void TextOrNull(const char* key, const std::string& value) { Raw(key, value.empty() ? "null" : Quoted(value)); }

 private:
  void NewLine() { Text += "\n" + std::string(static_cast<std::size_t>(depth_) * 2, ' '); }
  void Item(const char* key) {
    if (!first_) Text += ',';
    if (depth_ > 0) NewLine();
    first_ = false;
    if (key != nullptr) Text += Quoted(key) + ": ";
  }
  int depth_ = 0;
  bool first_ = true;
};

void WriteModule(TJsonWriter& json, const TModuleFacts& m, std::size_t index) {
  static const char* const kRowKeys[] = {"slotName", "capacity", "manufacturer", "model", "type", "serialNumber"};
  json.Open(nullptr, '{');
  json.Number("index", static_cast<std::int64_t>(index));
  json.Raw("panel", index < kSlotPanels ? std::to_string(index + 1) : "null");
  json.Open("rows", '{');
  for (std::size_t r = 0; r < m.Rows.size() && r < std::size(kRowKeys); ++r) json.String(kRowKeys[r], m.Rows[r].second);
  json.Close('}');

  json.Open("raw", '{');
  json.String("deviceLocator", m.DeviceLocator);
  json.String("bankLabel", m.BankLabel);
  json.Known("capacityBytes", m.Capacity);
  json.String("manufacturer", m.Manufacturer);
  json.String("partNumber", m.PartNumber);
  json.String("serialNumber", m.SerialNumber);
  json.Known("memoryType", m.MemoryType);
  json.Known("smbiosMemoryType", m.SMBIOSMemoryType);
  json.Known("formFactor", m.FormFactor);
  json.Known("typeDetail", m.TypeDetail);
  json.Known("totalWidth", m.TotalWidth);
  json.Known("dataWidth", m.DataWidth);
  json.Known("speed", m.Speed);
  json.Known("configuredClockSpeed", m.ConfiguredClockSpeed);
  json.Known("attributes", m.Attributes);
  json.Known("configuredVoltage", m.ConfiguredVoltage);
  json.Known("minVoltage", m.MinVoltage);
  json.Known("maxVoltage", m.MaxVoltage);
  json.Close('}');

  const std::optional<TJedecMaker> maker = JedecMaker(m.Manufacturer);
  if (maker) {
    json.Open("jedec", '{');
    json.Number("bank", maker->Bank);
    json.Number("code", maker->Code);
    json.String("name", maker->Name);
    json.Close('}');
  } else {
    json.Raw("jedec", "null");
  }

  const TModuleSpeeds speeds = ReadSpeeds(m);
  json.Open("details", '{');
  json.Known("runningSpeed", speeds.Running);
  json.Known("ratedSpeed", speeds.Rated);
  json.Bool("belowRating",
            speeds.Running != 0 && speeds.Rated != 0 ? std::optional<bool>(RunsBelowRating(m)) : std::nullopt);
  json.TextOrNull("formFactor", FormFactorName(m.FormFactor));
  json.Bool("ecc", HasEcc(m));
  json.Known("ranks", Ranks(m));
  json.TextOrNull("buffering", BufferingName(m.TypeDetail));
  json.TextOrNull("voltage", ModuleVoltageText(m));
  json.TextOrNull("tip", ModuleTip(m));
  json.Close('}');
  json.Close('}');
}

// The upgrade advice: every key always there, null when unknown.
void WriteAdvice(TJsonWriter& json, const TUpgradeAdvice& a) {
  const auto number = [&json](const char* key, const std::optional<std::int64_t>& value) {
    json.Raw(key, value ? std::to_string(*value) : "null");
  };
  json.Open("advice", '{');
  number("slots", a.Slots);
  number("used", a.Used);
  number("soldered", a.Soldered);
  number("free", a.Free);
  number("firmwareMaximumBytes", a.FirmwareMaximumBytes);
  json.Bool("maximumBelowInstalled", a.MaximumBelowInstalled);
  if (a.Fits) {
    json.Open("fits", '{');
    json.TextOrNull("generation", a.Fits->Generation);
    json.TextOrNull("formFactor", a.Fits->FormFactor);
    json.TextOrNull("buffering", a.Fits->Buffering);
    json.Bool("ecc", a.Fits->Ecc);
    json.TextOrNull("voltage", a.Fits->Voltage);
    json.Known("speed", a.Fits->Speed);
    json.Close('}');
  } else {
    json.Raw("fits", "null");
  }
  json.Open("mismatch", '[');
  for (const auto& key : a.Mismatch) json.String(nullptr, key);
  json.Close(']');
  json.Open("lines", '[');
  for (const auto& line : a.Lines) json.String(nullptr, line);
  json.Close(']');
  json.Close('}');
}

}  // namespace

std::string ScanJson(const TSlotScanModel& model, const std::string& source, const std::optional<TLiveMemory>& live) {
  TJsonWriter json;
  json.Open(nullptr, '{');
  json.Number("schemaVersion", 1);
  json.String("source", source);
  json.Number("slots", model.Slots);
  json.Number("installedBytes", model.InstalledBytes);
  json.Number("installedGB", model.InstalledBytes / (1024LL * 1024 * 1024));
  json.Number("maximumGB", model.MaxGB);
  json.Open("labels", '{');
  json.String("slots", model.SlotsText.value_or(""));
  json.String("currentMemory", model.CurMemText.value_or(""));
  json.String("maximumMemory", model.MaxMemText.value_or(""));
  json.Close('}');
  json.Open("modules", '[');
  for (std::size_t i = 0; i < model.Modules.size(); ++i) WriteModule(json, model.Modules[i], i);
  json.Close(']');
  WriteAdvice(json, UpgradeAdvice(model, live));
  json.Close('}');
  return json.Text + "\n";
}

}  // namespace dimmscope
