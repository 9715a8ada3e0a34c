#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace windlark {

// Integer text as the settings file reads it: optional sign, decimal digits or "0x"/"0X" and up
// to eight hex digits (taken as a 32-bit pattern, so 0xFFFFFFFF is -1); surrounding blanks
// allowed. Anything else, or a decimal value outside 32 bits, gives nothing.
std::optional<int> ParseIniInteger(std::string_view text);

// Real text with `decimalSeparator` as the only separator allowed; surrounding blanks allowed,
// exponents accepted, NaN and infinities refused.
std::optional<double> ParseIniReal(std::string_view text, char decimalSeparator);

// A Windows-style profile file: "[Section]" lines and "key=value" lines. Section and key names
// keep their inner blanks and match without regard to ASCII case; keys and values are trimmed
// of surrounding blanks; ';' starts a comment line. Lines that mean nothing are ignored when
// reading but kept when the file is written back, as are sections nobody asked about.
class IniFile {
 public:
  enum class LoadStatus { Loaded, Missing, Unreadable };

  // Files larger than this are not settings files; they read as unreadable.
  static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{16} * 1024 * 1024;

  // `decimalSeparator` is used for reals: the user's locale's, as the file has always had it.
  explicit IniFile(char decimalSeparator = '.') : m_decimalSeparator(decimalSeparator) {}

  // Replaces the content with the file's; a missing or unreadable file leaves it empty.
  LoadStatus Load(const std::filesystem::path& path);
  // Replaces the content with `text`.
  void Parse(std::string_view text);
  // Writes the whole content to a temporary file beside `path`, then renames it into place, so
  // a failed save leaves the previous file as it was. Returns "" or a message for the user.
  std::string Save(const std::filesystem::path& path) const;
  std::string Text() const;

  char DecimalSeparator() const { return m_decimalSeparator; }

  // The trimmed value text of the first such key in the first such section.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // Any integer other than 0 is true; a non-integer gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // Accepts the file's separator, and also "." or "," so a file survives a change of locale.
  double ReadReal(std::string_view section, std::string_view key, double defaultValue) const;

  // Line breaks in a value would split it into garbage lines; they become blanks.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, long long value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Shortest form of up to 15 significant digits with the file's separator. A NaN or infinity
  // is not written (the key then reads as its default).
  void WriteReal(std::string_view section, std::string_view key, double value);
  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);

 private:
  struct Line {
    std::string text;  // as in the file, or as rewritten
    std::string key;   // empty for anything that is not a key line
    std::string value;
  };
  struct Section {
    bool hasHeader = false;  // false only for the lines before the first header
    std::string name;
    std::vector<Line> lines;  // the header line first when there is one
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);

  char m_decimalSeparator;
  std::vector<Section> m_sections;
  std::string m_newline = "\r\n";
  bool m_bom = false;
};

}  // namespace windlark
