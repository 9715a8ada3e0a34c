#pragma once

#include <string>
#include <string_view>

namespace windlark {

// A JSON string literal. Valid UTF-8 passes through; any other byte (a sonde id from the air
// may hold anything) is written as the code point of the same value, so the output stays valid.
std::string JsonString(std::string_view text);

// Builds one JSON object, members in the order they are added.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) {
    return Add(key, std::string_view(text));
  }
  JsonObject& Add(std::string_view key, long long value);
  JsonObject& Add(std::string_view key, int value) {
    return Add(key, static_cast<long long>(value));
  }
  JsonObject& Add(std::string_view key, unsigned value) {
    return Add(key, static_cast<long long>(value));
  }
  JsonObject& Add(std::string_view key, bool value);
  // A number given as its text (already formatted by the caller); non-finite becomes null.
  JsonObject& AddNumber(std::string_view key, double value, int decimals = -1);
  // A member whose value is already JSON.
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  std::string Str() const { return "{" + m_body + "}"; }

 private:
  void Key(std::string_view key);
  std::string m_body;
};

}  // namespace windlark
