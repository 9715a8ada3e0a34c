#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TelemetryView.h"

namespace windlark {

// Class code of a chain position; None marks a position without a panel.
enum class InstrumentKind : std::uint8_t {
  None = 0,
  Oif411 = 5,
  Cfh = 8,
  Cobald = 25,
  Skydew = 63,
  Unknown = 255,
};

inline constexpr Rgb kLimeGreen{50, 205, 50};
inline constexpr Rgb kRed{255, 0, 0};

// What a panel shows, fixed per kind: the window builds its widgets from this.
struct PanelRow {
  std::string_view caption;
  std::string_view hint;   // tooltip, may be empty
  bool ruleAbove = false;  // the OIF411 status line sits under a rule and has no caption
};

struct PanelGroup {
  std::string_view caption;
  std::size_t firstRow;
  std::size_t rowCount;
};

struct PanelLayout {
  std::string_view title;
  std::span<const PanelGroup> groups;
  std::span<const PanelRow> rows;  // all groups' rows, in order
  Rgb valueColour;
  bool scrolling;  // the body scrolls (CFH)
  bool memo;       // a memo under the rows (unrecognised instrument)
};

const PanelLayout& LayoutOf(InstrumentKind kind);

// Row indexes of each panel kind, in the order of its layout.
enum class Oif411Row : std::size_t {
  InstrType,
  InstNumber,
  PumpTemp,
  PumpCurrent,
  Current,
  Battery,
  ExtVoltage,
  Serial,
  SwVersion,
  Status,
  StatusLine,
  Count
};
enum class CfhRow : std::size_t {
  InstrType,
  InstNumber,
  MirrorTemp,
  DetectorSignal,
  OpticsTemp,
  Battery,
  Serial,
  CodeVersion,
  CalA,
  CalB,
  CalC,
  CalD,
  ConfigDetectorSignal,
  SpecularSetpoint,
  Reflectivity,
  SetpointTemp,
  Ad630Offset,
  PicVersion,
  Count
};
enum class CobaldRow : std::size_t {
  InstrType,
  InstNumber,
  Serial,
  Temp,
  SignalBlue,
  SignalRed,
  MonitorBlue,
  MonitorRed,
  Count
};
enum class SkydewRow : std::size_t {
  InstrType,
  InstNumber,
  Serial,
  Pt100Temp,
  MirrorTemp,
  ScatteredLight,
  PeltierCurrent,
  HeatSinkTemp,
  BoardTemp,
  FwVersion,
  Battery,
  Count
};
enum class UnknownRow : std::size_t { InstrType, InstNumber, Count };

// The SKYDEW calibration coefficients K1..K4 arrive one per packet; they live with the panel.
class SkydewCoefficients {
 public:
  // k = 1..4; other k are ignored.
  void SetCoefficient(int k, std::int32_t value);
  void ResetCoefficients();
  bool Complete() const { return m_complete; }
  std::int32_t K(int k) const { return m_coefficients.at(static_cast<std::size_t>(k - 1)); }
  bool Received(int k) const { return m_received.at(static_cast<std::size_t>(k - 1)); }

 private:
  std::array<std::int32_t, 4> m_coefficients{};
  std::array<bool, 4> m_received{};
  bool m_complete = false;
};

// One panel of the chain without widgets: every text it shows and the state it keeps.
class InstrumentPanel {
 public:
  InstrumentPanel(int position, InstrumentKind kind);

  int Position() const { return m_position; }
  InstrumentKind Kind() const { return m_kind; }
  const PanelLayout& Layout() const { return LayoutOf(m_kind); }
  std::string Name() const;        // "chain_3"
  std::string StatusText() const;  // "03"
  Rgb StatusColour() const { return m_statusColour; }
  void SetStatusColour(Rgb colour) { m_statusColour = colour; }

  std::size_t RowCount() const { return m_values.size(); }
  const std::string& Value(std::size_t row) const { return m_values.at(row); }
  template <typename Row>
  const std::string& Value(Row row) const {
    return Value(static_cast<std::size_t>(row));
  }
  template <typename Row>
  void Set(Row row, std::string text) {
    m_values.at(static_cast<std::size_t>(row)) = std::move(text);
  }

  // Lines of the unrecognised instrument's memo; a window appends those it has not shown yet.
  const std::vector<std::string>& Memo() const { return m_memo; }
  void AppendMemo(std::string line) { m_memo.push_back(std::move(line)); }

  SkydewCoefficients& Coefficients() { return m_coefficients; }
  const SkydewCoefficients& Coefficients() const { return m_coefficients; }

 private:
  int m_position;
  InstrumentKind m_kind;
  Rgb m_statusColour = kRed;
  std::vector<std::string> m_values;
  std::vector<std::string> m_memo;
  SkydewCoefficients m_coefficients;
};

}  // namespace windlark
