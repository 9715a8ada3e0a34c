#pragma once

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace windlark::test {

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line, capturing standard output and error (via a file).
inline CommandResult RunCommand(const std::string& command, const std::filesystem::path& errFile) {
  CommandResult result;
  const std::string full = command + " 2>" + errFile.string();
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (FILE* err = std::fopen(errFile.string().c_str(), "rb")) {
    while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0) result.err.append(buffer, n);
    std::fclose(err);
  }
  return result;
}

// The JSON lines without what only a live receiver measures (ecc, snr, f_error), for comparing
// with a replay of the same frames.
inline std::string WithoutReceiverFields(const std::string& text) {
  static const std::regex kFields(R"("ecc":-?[0-9]+,"snr":-?[0-9.]+,"f_error":-?[0-9]+,)");
  return std::regex_replace(text, kFields, "");
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// A number member of a one-line JSON object; nullopt when absent or null.
inline std::optional<double> JsonNumber(const std::string& json, const std::string& key) {
  const std::string quoted = "\"" + key + "\":";
  const std::size_t at = json.find(quoted);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t start = at + quoted.size();
  if (json.compare(start, 4, "null") == 0) return std::nullopt;
  std::size_t used = 0;
  try {
    return std::stod(json.substr(start), &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A scratch folder per test, removed afterwards.
class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("windlark-") + info->test_suite_name() + "-" + info->name() +
                       "-" + std::to_string(::getpid());
    for (char& c : name) {
      if (c == '/') c = '_';  // parameterised names hold slashes
    }
    m_dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(m_dir);
  }
  // A failed test leaves its files for a look.
  void TearDown() override {
    if (HasFailure()) {
      std::cerr << "files kept in " << m_dir << '\n';
    } else {
      std::filesystem::remove_all(m_dir);
    }
  }
  std::filesystem::path Path(const std::string& name) const { return m_dir / name; }
  CommandResult Run(const std::string& command) const {
    return RunCommand(command, m_dir / "stderr.txt");
  }

  std::filesystem::path m_dir;
};

}  // namespace windlark::test
