#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "radio/ReceiverLink.h"

namespace windlark {

// The scan's states; the numbers are those of the status trace (there is no 2 or 6).
enum class ScanState {
  Reset = -1,
  Connect = 0,
  QueryTunable = 1,
  Dwell = 3,
  WaitPreambleLock = 4,
  WaitSondeId = 5,
  NextFrequency = 7,
  RescanCountdown = 8,
  Finished = 9,
};

// How a status shows in the radio group's status label.
struct RadioStatusLook {
  std::string text;
  bool red = false;  // else navy
  bool bold = false;
};

// Status codes 0..12 (7 shows the frequency instead and leaves the label alone). `queryText`
// is the link's own status 1 text.
RadioStatusLook RadioStatusOf(int code, std::string_view queryText = "Query NetRemote");

// The frequency label: decimal digits grouped in threes with "." (405000000 is
// "405.000.000").
std::string FrequencyLabelText(long long hz);

inline constexpr std::string_view kNotActiveText = "Not Active";
inline constexpr std::string_view kFrequencyListEmptyText =
    "Frequency list empty. Please add some in setting->RadioInterface";

enum class StartGlyph { Play, Pause };

// The radio group and the start/stop pair, as the scan changes them.
class ScanView {
 public:
  virtual ~ScanView() = default;
  virtual void ShowStatus(int code, const RadioStatusLook& look) = 0;
  virtual void ShowFrequency(const std::string& text) = 0;
  virtual void SetLamp(bool lit) = 0;
  virtual void SetStartGlyph(StartGlyph glyph) = 0;
  // The rescan countdown label; empty hides it.
  virtual void ShowCountdown(const std::string& text) = 0;
  // The sonde is locked and the scan ends: stop button down, ready for a new start.
  virtual void EndScan() = 0;
};

// What the scan reads from the settings, afresh at each step.
struct ScanSettings {
  std::vector<int> frequenciesHz;
  bool restartScan = true;
  int rescanDelayMin = 5;
};

// The values the receive chain keeps: preamble locks, minutes without data, and whether a
// sonde identity has been decoded.
struct ScanInputs {
  std::atomic<std::int32_t>* lockCount = nullptr;
  std::atomic<std::int32_t>* noDataCounter = nullptr;
  std::function<bool()> sondeIdKnown;
  std::function<ScanSettings()> settings;
};

// The frequency scan: one Tick per period, the state's work done in it.
class RadioScan {
 public:
  static constexpr int kConnectPeriodMs = 5000;
  static constexpr int kScanPeriodMs = 250;
  static constexpr int kCountdownPeriodMs = 30000;
  static constexpr int kDwellTicks = 20;
  static constexpr int kPreambleLockTicks = 40;
  static constexpr int kSondeIdTicks = 240;

  RadioScan(ReceiverProtocol& protocol, LineTransport& link, ScanInputs inputs, ScanView& view);

  // Before the first tick.
  void Begin();
  void Tick();
  // After the last tick (finished or terminated).
  void End();

  ScanState State() const { return m_state; }
  int PeriodMs() const { return m_periodMs; }
  bool Finished() const { return m_state == ScanState::Finished; }
  int TargetHz() const { return m_targetHz; }
  int LastSetHz() const { return m_lastSetHz; }

 private:
  void Show(int code);
  void DoReset();
  void DoConnect();
  void DoQueryTunable();
  void DoDwell();
  void DoWaitPreambleLock();
  void DoWaitSondeId();
  void DoNextFrequency();
  void DoRescanCountdown();
  void Tune();
  ScanSettings Settings() const;

  ReceiverProtocol& m_protocol;
  LineTransport& m_link;
  ScanInputs m_inputs;
  ScanView& m_view;
  ScanState m_state = ScanState::Connect;
  int m_periodMs = kConnectPeriodMs;
  int m_targetHz = 0;
  int m_lastSetHz = 0;
  int m_ticks = 0;
  std::size_t m_index = 0;
  std::int32_t m_lockSeen = 0;
};

}  // namespace windlark

namespace windlark {

// The settings the scan reads, handed over between the window's thread and the scan's.
class ScanSettingsBox {
 public:
  void Set(ScanSettings settings) {
    std::lock_guard lock(m_mutex);
    m_settings = std::move(settings);
  }
  ScanSettings Get() const {
    std::lock_guard lock(m_mutex);
    return m_settings;
  }

 private:
  mutable std::mutex m_mutex;
  ScanSettings m_settings;
};

}  // namespace windlark
