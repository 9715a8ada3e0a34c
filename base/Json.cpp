#include "base/Json.h"

#include <cmath>

#include "base/Hex.h"

#include "base/Format.h"

namespace windlark {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t len = 0;
  unsigned min = 0;
  unsigned cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, min = 0x80, cp = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, min = 0x800, cp = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, min = 0x10000, cp = lead & 0x07U;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0U) != 0x80U) return 0;
    cp = (cp << 6) | (c & 0x3FU);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendEscape(std::string& out, unsigned code) {
  out += "\\u00";
  out += kHexLower[(code >> 4) & 0xFU];
  out += kHexLower[code & 0xFU];
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (const std::size_t len = Utf8Length(text, i); len > 0) {
        out.append(text.substr(i, len));
        i += len;
        continue;
      }
      // Not UTF-8: the byte's own value as a code point, written as UTF-8.
      out += static_cast<char>(0xC0U | (c >> 6));
      out += static_cast<char>(0x80U | (c & 0x3FU));
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  out += '"';
  return out;
}

void JsonObject::Key(std::string_view key) {
  if (!m_body.empty()) m_body += ',';
  m_body += JsonString(key);
  m_body += ':';
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  Key(key);
  m_body += JsonString(text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, long long value) {
  Key(key);
  m_body += FormatInt(value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  Key(key);
  m_body += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::AddNumber(std::string_view key, double value, int decimals) {
  Key(key);
  if (!std::isfinite(value)) {
    m_body += "null";
  } else {
    m_body += decimals < 0 ? FormatShortest(value) : FormatFixed(value, decimals);
  }
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  Key(key);
  m_body += json;
  return *this;
}

}  // namespace windlark
