// What receivers and rotor controllers send back: the GS-232 and rotctld replies, and the
// frequency scan fed arbitrary Net Remote and rigctl reply lines.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "radio/RadioScan.h"
#include "rotor/RotorTexts.h"

namespace {

// Replies taken line by line from the input, whatever was asked.
class InputLink : public windlark::LineTransport {
 public:
  explicit InputLink(std::string_view input) {
    std::size_t start = 0;
    while (start <= input.size()) {
      const std::size_t end = input.find('\n', start);
      m_lines.emplace_back(input.substr(start, end == std::string_view::npos ? end : end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }
  bool IsOpen() const override { return m_open; }
  bool Open() override {
    m_open = !m_lines.empty();
    return m_open;
  }
  void Close() override { m_open = false; }
  void DiscardInput() override {}
  bool Send(std::string_view /*bytes*/) override { return m_open; }
  windlark::LineRead ReadLine(int /*timeoutMs*/) override {
    if (m_lines.empty()) return {windlark::LineRead::Kind::Error, {}};
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    if (line.empty()) return {windlark::LineRead::Kind::Timeout, {}};
    return {windlark::LineRead::Kind::Line, std::move(line)};
  }

 private:
  std::deque<std::string> m_lines;
  bool m_open = false;
};

class NoView : public windlark::ScanView {
 public:
  void ShowStatus(int, const windlark::RadioStatusLook&) override {}
  void ShowFrequency(const std::string&) override {}
  void SetLamp(bool) override {}
  void SetStartGlyph(windlark::StartGlyph) override {}
  void ShowCountdown(const std::string&) override {}
  void EndScan() override {}
};

void Scan(windlark::ReceiverProtocol& protocol, std::string_view input) {
  InputLink link(input);
  NoView view;
  std::atomic<std::int32_t> lockCount{0};
  std::atomic<std::int32_t> noDataCounter{0};
  windlark::ScanInputs inputs{&lockCount, &noDataCounter, [] { return false; },
                              [] {
                                windlark::ScanSettings settings;
                                settings.frequenciesHz = {402700000, 405000000};
                                return settings;
                              }};
  windlark::RadioScan scan(protocol, link, inputs, view);
  scan.Begin();
  for (int tick = 0; tick < 200 && !scan.Finished(); ++tick) scan.Tick();
  scan.End();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  windlark::ParseGs232Position(input);
  windlark::ParseRotctldAngle(input);
  windlark::NetRemoteProtocol netRemote;
  Scan(netRemote, input);
  windlark::RigctlProtocol rigctl;
  Scan(rigctl, input);
  return 0;
}
