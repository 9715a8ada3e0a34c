#include "radio/RadioScan.h"

#include <array>

#include "base/Format.h"

namespace windlark {

RadioStatusLook RadioStatusOf(int code, std::string_view queryText) {
  struct Row {
    const char* text;
    bool red;
    bool bold;
  };
  static constexpr std::array<Row, 13> kRows = {{
      {"Connecting SDR", false, false},
      {"", false, false},
      {"Connected", false, false},
      {"Connection Fail", true, true},
      {"Scanning Frequencies", false, false},
      {"Device Not Tunable", true, true},
      {"Preamble detected", false, false},
      {"", false, false},
      {"Unable to set Frequency", true, true},
      {"Unable to set Center Freq", true, true},
      {"Frequency change Timeout", true, true},
      {"Preamble locked", false, false},
      {"SondeID locked", false, true},
  }};
  if (code < 0 || code >= static_cast<int>(kRows.size())) return {};
  const Row& row = kRows[static_cast<std::size_t>(code)];
  RadioStatusLook look{row.text, row.red, row.bold};
  if (code == 1) look.text = std::string(queryText);
  return look;
}

std::string FrequencyLabelText(long long hz) {
  const bool negative = hz < 0;
  const std::string digits = FormatInt(negative ? -hz : hz);
  std::string out;
  // Groups of three from the right; a 9-digit frequency is "ddd.ddd.ddd".
  const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  out = digits.substr(0, lead);
  for (std::size_t at = lead; at < digits.size(); at += 3) out += "." + digits.substr(at, 3);
  return negative ? "-" + out : out;
}

RadioScan::RadioScan(ReceiverProtocol& protocol, LineTransport& link, ScanInputs inputs,
                     ScanView& view)
    : m_protocol(protocol), m_link(link), m_inputs(std::move(inputs)), m_view(view) {}

ScanSettings RadioScan::Settings() const {
  return m_inputs.settings ? m_inputs.settings() : ScanSettings{};
}

void RadioScan::Show(int code) {
  if (code == 7) {
    m_view.ShowFrequency(FrequencyLabelText(m_lastSetHz));
    return;
  }
  if (code == 0) m_view.SetLamp(true);
  m_view.ShowStatus(code, RadioStatusOf(code, m_protocol.QueryText()));
}

void RadioScan::Begin() {
  m_state = ScanState::Connect;
  m_periodMs = kConnectPeriodMs;
  m_view.SetStartGlyph(StartGlyph::Play);
}

void RadioScan::End() {
  m_view.ShowCountdown({});
  m_link.Close();
  m_view.SetLamp(false);
}

void RadioScan::Tick() {
  switch (m_state) {
    case ScanState::Reset:
      DoReset();
      break;
    case ScanState::Connect:
      DoConnect();
      break;
    case ScanState::QueryTunable:
      DoQueryTunable();
      break;
    case ScanState::Dwell:
      DoDwell();
      break;
    case ScanState::WaitPreambleLock:
      DoWaitPreambleLock();
      break;
    case ScanState::WaitSondeId:
      DoWaitSondeId();
      break;
    case ScanState::NextFrequency:
      DoNextFrequency();
      break;
    case ScanState::RescanCountdown:
      DoRescanCountdown();
      break;
    case ScanState::Finished:
      break;
  }
}

void RadioScan::DoReset() {
  m_link.Close();
  m_state = ScanState::Connect;
  m_periodMs = kConnectPeriodMs;
  m_view.SetStartGlyph(StartGlyph::Play);
}

void RadioScan::DoConnect() {
  Show(0);
  // A connection still open from the last attempt (a silent or wrong greeting) is dropped
  // and made afresh on the next tick.
  if (m_link.IsOpen() || !m_link.Open()) {
    m_link.Close();
    Show(3);
    return;
  }
  Show(1);
  switch (m_protocol.Greet(m_link)) {
    case Reply::Timeout:
      return;
    case Reply::Ok:
      Show(2);
      m_state = ScanState::QueryTunable;
      m_periodMs = kScanPeriodMs;
      return;
    case Reply::Refused:
      Show(3);
      return;
    case Reply::Error:
      m_link.Close();
      Show(3);
      return;
  }
}

void RadioScan::DoQueryTunable() {
  switch (m_protocol.QueryTunable(m_link)) {
    case Reply::Timeout:
      return;
    case Reply::Ok: {
      Show(4);
      m_state = ScanState::Dwell;
      m_lastSetHz = 0;
      m_index = 0;
      const ScanSettings settings = Settings();
      m_targetHz = settings.frequenciesHz.empty() ? 0 : settings.frequenciesHz.front();
      m_ticks = 0;
      m_inputs.lockCount->store(0);
      return;
    }
    case Reply::Refused:
      Show(5);
      m_state = ScanState::Reset;
      return;
    case Reply::Error:
      m_link.Close();
      m_state = ScanState::Connect;
      Show(3);
      return;
  }
}

void RadioScan::DoDwell() {
  ++m_ticks;
  const std::int32_t locks = m_inputs.lockCount->load();
  if (locks > 0) {
    m_lockSeen = locks;
    m_state = ScanState::WaitPreambleLock;
    m_ticks = 0;
    Show(6);
  }
  if (m_state == ScanState::Dwell && m_ticks >= kDwellTicks) {
    m_state = ScanState::NextFrequency;
    m_ticks = 0;
  }
  if (m_state == ScanState::Dwell && m_targetHz != m_lastSetHz) Tune();
}

void RadioScan::Tune() {
  switch (m_protocol.SetCentre(m_link, m_targetHz)) {
    case Reply::Ok:
      break;
    case Reply::Refused:
      Show(9);
      m_state = ScanState::Reset;
      return;
    case Reply::Timeout:
    case Reply::Error:
      Show(10);
      m_state = ScanState::Reset;
      return;
  }
  switch (m_protocol.SetFrequency(m_link, m_targetHz)) {
    case Reply::Timeout:
      // Both commands go again on the next tick.
      return;
    case Reply::Ok:
      m_lastSetHz = m_targetHz;
      Show(7);
      return;
    case Reply::Refused:
      Show(8);
      m_state = ScanState::Reset;
      return;
    case Reply::Error:
      Show(10);
      m_state = ScanState::Reset;
      return;
  }
}

void RadioScan::DoWaitPreambleLock() {
  ++m_ticks;
  if (m_ticks > kPreambleLockTicks) {
    Show(4);
    m_state = ScanState::NextFrequency;
    m_ticks = 0;
    m_inputs.lockCount->store(0);
    return;
  }
  if (m_inputs.lockCount->load() - m_lockSeen >= 3) {
    m_state = ScanState::WaitSondeId;
    m_ticks = 0;
    Show(11);
  }
}

void RadioScan::DoWaitSondeId() {
  Show(11);
  ++m_ticks;
  if (m_ticks > kSondeIdTicks) {
    Show(4);
    m_state = ScanState::NextFrequency;
    m_ticks = 0;
    return;
  }
  if (!m_inputs.sondeIdKnown || !m_inputs.sondeIdKnown()) return;
  Show(12);
  const ScanSettings settings = Settings();
  if (settings.restartScan) {
    m_view.SetStartGlyph(StartGlyph::Pause);
    m_state = ScanState::RescanCountdown;
    m_periodMs = kCountdownPeriodMs;
    m_view.ShowCountdown(FormatInt(settings.rescanDelayMin) + " min");
  } else {
    m_state = ScanState::Finished;
    m_view.SetStartGlyph(StartGlyph::Play);
    m_view.EndScan();
  }
}

void RadioScan::DoNextFrequency() {
  const ScanSettings settings = Settings();
  ++m_index;
  if (m_index >= settings.frequenciesHz.size()) m_index = 0;
  if (!settings.frequenciesHz.empty()) m_targetHz = settings.frequenciesHz[m_index];
  m_state = ScanState::Dwell;
}

void RadioScan::DoRescanCountdown() {
  const std::int32_t counter = m_inputs.noDataCounter->fetch_add(1) + 1;
  const int remaining = Settings().rescanDelayMin - counter / 2;
  m_view.ShowCountdown(FormatInt(remaining) + " min");
  if (remaining > 0) return;
  m_ticks = 0;
  m_inputs.lockCount->store(0);
  m_periodMs = kScanPeriodMs;
  m_view.ShowCountdown({});
  m_state = ScanState::Dwell;
  m_view.SetStartGlyph(StartGlyph::Play);
  Show(4);
}

}  // namespace windlark
