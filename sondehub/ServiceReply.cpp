#include "sondehub/ServiceReply.h"

#include <optional>

namespace windlark {

namespace {

constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxMessages = 50;

// Just enough of a JSON reader to find the messages; anything malformed stops it.
class Reader {
 public:
  Reader(std::string_view text, ServiceMessages& out) : m_text(text), m_out(out) {}

  bool Value(std::string_view key, std::string_view list, int depth) {
    if (depth > kMaxDepth) return false;
    Space();
    if (m_at >= m_text.size()) return false;
    const char c = m_text[m_at];
    if (c == '{') return Object(depth);
    if (c == '[') return Array(key, depth);
    if (c == '"') {
      const auto text = String();
      if (!text) return false;
      Keep(key, list, *text);
      return true;
    }
    // Numbers, true, false, null: skipped.
    while (m_at < m_text.size() &&
           std::string_view(",]} \t\r\n").find(m_text[m_at]) == std::string_view::npos) {
      ++m_at;
    }
    return true;
  }

 private:
  bool Object(int depth) {
    ++m_at;
    Space();
    if (Peek('}')) return true;
    for (;;) {
      Space();
      const auto key = String();
      if (!key) return false;
      Space();
      if (!Peek(':')) return false;
      if (!Value(*key, {}, depth + 1)) return false;
      Space();
      if (Peek('}')) return true;
      if (!Peek(',')) return false;
    }
  }

  bool Array(std::string_view key, int depth) {
    ++m_at;
    Space();
    if (Peek(']')) return true;
    const std::string list(key);
    for (;;) {
      if (!Value({}, list, depth + 1)) return false;
      Space();
      if (Peek(']')) return true;
      if (!Peek(',')) return false;
    }
  }

  std::optional<std::string> String() {
    if (m_at >= m_text.size() || m_text[m_at] != '"') return std::nullopt;
    ++m_at;
    std::string out;
    while (m_at < m_text.size()) {
      const char c = m_text[m_at++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (m_at >= m_text.size()) return std::nullopt;
      const char e = m_text[m_at++];
      switch (e) {
        case 'n':
        case 'r':
        case 't':
          out += ' ';
          break;
        case 'u':
          // Only for the log: any escaped character shows as '?'.
          if (m_at + 4 > m_text.size()) return std::nullopt;
          m_at += 4;
          out += '?';
          break;
        default:
          out += e;
      }
    }
    return std::nullopt;
  }

  void Keep(std::string_view key, std::string_view list, const std::string& text) {
    std::vector<std::string>* target = nullptr;
    if (key == "error_message" || (key.empty() && list == "errors")) target = &m_out.errors;
    if (key == "warning_message" || (key.empty() && list == "warnings")) target = &m_out.warnings;
    if (target != nullptr && target->size() < kMaxMessages) target->push_back(text);
  }

  bool Peek(char c) {
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }

  void Space() {
    while (m_at < m_text.size() &&
           std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos) {
      ++m_at;
    }
  }

  std::string_view m_text;
  ServiceMessages& m_out;
  std::size_t m_at = 0;
};

}  // namespace

ServiceMessages ParseServiceMessages(std::string_view body) {
  ServiceMessages out;
  Reader(body, out).Value({}, {}, 0);
  return out;
}

}  // namespace windlark
