#include "app/IniFile.h"

#include "base/AtomicFile.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "base/Format.h"

namespace windlark {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string LowerName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::string SaveFailure(const std::filesystem::path& path, const std::string& reason) {
  return "Unable to save the settings to " + path.string() + ":\r" + reason;
}

}  // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  long long value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string_view digits = text.substr(2);
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t bits = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return std::nullopt;
    // A 32-bit pattern, as the file's writers on Windows meant it.
    value = static_cast<std::int32_t>(bits);
  } else {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<double> ParseIniReal(std::string_view text, char decimalSeparator) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::string work(text);
  for (char& c : work) {
    if (c == decimalSeparator) {
      c = '.';
    } else if (c == '.') {
      return std::nullopt;  // a point is only a separator when it is the chosen one
    }
  }
  double value = 0.0;
  const auto res = std::from_chars(work.data(), work.data() + work.size(), value);
  if (res.ec != std::errc() || res.ptr != work.data() + work.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

IniFile::LoadStatus IniFile::Load(const std::filesystem::path& path) {
  m_sections.clear();
  m_sectionIndex.clear();
  m_bom = false;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return ec ? LoadStatus::Unreadable : LoadStatus::Missing;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) return LoadStatus::Unreadable;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return LoadStatus::Unreadable;
  std::string text;
  std::array<char, 65536> buf{};
  bool failed = false;
  while (true) {
    const std::size_t got = std::fread(buf.data(), 1, buf.size(), file);
    text.append(buf.data(), got);
    if (text.size() > kMaxFileBytes) {
      failed = true;
      break;
    }
    if (got < buf.size()) {
      failed = std::ferror(file) != 0;
      break;
    }
  }
  std::fclose(file);
  if (failed) return LoadStatus::Unreadable;
  Parse(text);
  return LoadStatus::Loaded;
}

void IniFile::Parse(std::string_view text) {
  m_sections.clear();
  m_bom = text.substr(0, kBom.size()) == kBom;
  if (m_bom) text.remove_prefix(kBom.size());
  const auto firstBreak = text.find('\n');
  if (firstBreak != std::string_view::npos) {
    m_newline = (firstBreak > 0 && text[firstBreak - 1] == '\r') ? "\r\n" : "\n";
  }
  m_sections.push_back(Section{});
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // Every CR before the LF belongs to the line break: a stray one kept in the line would be
    // written back as a CRLF and read as a different line the next time.
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view body = Trim(raw);
    Line line{std::string(raw), {}, {}};
    if (!body.empty() && body.front() == '[') {
      // A header without its ']' still opens a section, so its keys never leak into the
      // section before it.
      const std::string_view inside = body.substr(1, body.find(']') - 1);
      Section section;
      section.hasHeader = true;
      section.name = std::string(Trim(inside));
      section.lines.push_back(std::move(line));
      m_sections.push_back(std::move(section));
      continue;
    }
    if (!body.empty() && body.front() != ';') {
      const auto eq = body.find('=');
      if (eq != std::string_view::npos && !Trim(body.substr(0, eq)).empty()) {
        // A stray CR inside the line reads as the blank it is written back as.
        line.key = std::string(Trim(OneLine(body.substr(0, eq))));
        line.value = std::string(Trim(OneLine(body.substr(eq + 1))));
      }
    }
    Section& current = m_sections.back();
    if (!line.key.empty()) current.keys.emplace(LowerName(line.key), current.lines.size());
    current.lines.push_back(std::move(line));
  }
  IndexSections();
}

void IniFile::IndexSections() {
  m_sectionIndex.clear();
  for (std::size_t i = 0; i < m_sections.size(); ++i) {
    if (m_sections[i].hasHeader) m_sectionIndex.emplace(LowerName(m_sections[i].name), i);
  }
}

const IniFile::Line* IniFile::FindLine(const Section& section, std::string_view key) {
  const auto found = section.keys.find(LowerName(key));
  return found == section.keys.end() ? nullptr : &section.lines[found->second];
}

std::string IniFile::Text() const {
  std::string out;
  if (m_bom) out += kBom;
  for (const Section& section : m_sections) {
    for (const Line& line : section.lines) {
      out += line.text;
      out += m_newline;
    }
  }
  return out;
}

std::string IniFile::Save(const std::filesystem::path& path) const {
  const FileWriteResult written = WriteFileAtomically(path, Text());
  return written.ok ? std::string() : SaveFailure(path, written.error);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = m_sectionIndex.find(LowerName(name));
  return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  const auto found = m_sectionIndex.find(LowerName(name));
  return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  const Line* line = FindLine(*found, key);
  if (line == nullptr) return std::nullopt;
  return line->value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& defaultValue) const {
  return Value(section, key).value_or(defaultValue);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const auto text = Value(section, key);
  if (!text) return defaultValue;
  return ParseIniInteger(*text).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniFile::ReadReal(std::string_view section, std::string_view key,
                         double defaultValue) const {
  const auto text = Value(section, key);
  if (!text) return defaultValue;
  for (const char separator : {m_decimalSeparator, '.', ','}) {
    if (const auto value = ParseIniReal(*text, separator)) return *value;
  }
  return defaultValue;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Line line;
  line.key = OneLine(Trim(key));
  line.value = OneLine(value);
  line.text = line.key + "=" + line.value;
  // Reading trims it anyway; keep what is read equal to what the file holds.
  line.value = std::string(Trim(line.value));

  Section* found = FindSection(section);
  if (found == nullptr) {
    Section fresh;
    fresh.hasHeader = true;
    fresh.name = OneLine(section);
    fresh.lines.push_back(Line{"[" + fresh.name + "]", {}, {}});
    m_sectionIndex.emplace(LowerName(fresh.name), m_sections.size());
    m_sections.push_back(std::move(fresh));
    found = &m_sections.back();
  }
  if (const auto existing = found->keys.find(LowerName(key));
      !line.key.empty() && existing != found->keys.end()) {
    found->lines[existing->second] = std::move(line);
    return;
  }
  // After the section's last non-blank line, so blank lines stay between sections. Only blank
  // lines, which have no key, move down, so the key index stays valid.
  auto at = found->lines.end();
  while (at != found->lines.begin() + 1 && Trim((at - 1)->text).empty()) --at;
  const auto index = static_cast<std::size_t>(at - found->lines.begin());
  if (!line.key.empty()) found->keys.emplace(LowerName(line.key), index);
  found->lines.insert(at, std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, long long value) {
  WriteString(section, key, FormatInt(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteReal(std::string_view section, std::string_view key, double value) {
  if (!std::isfinite(value)) return;
  WriteString(section, key, FormatSignificant(value, 15, m_decimalSeparator));
}

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(m_sections,
                [&](const Section& s) { return s.hasHeader && SameName(s.name, section); });
  IndexSections();
}

}  // namespace windlark
