#include "xdata/InstrumentPanel.h"

#include "base/Format.h"

namespace windlark {

namespace {

constexpr Rgb kBlack{0, 0, 0};

constexpr PanelRow kOif411Rows[] = {
    {"Instr. Type", ""}, {"Inst. #", ""}, {"O3 Pump Temp", ""}, {"O3 Pump Current", ""},
    {"O3 Current", ""},  {"Battery", ""}, {"Ext. Voltage", ""}, {"Serial #", ""},
    {"Sw Version", ""},  {"Status", ""},  {"", "", true},
};
constexpr PanelGroup kOif411Groups[] = {{"Ozone Sensor ", 0, std::size(kOif411Rows)}};

constexpr PanelRow kCfhRows[] = {
    {"Instr. Type", ""},
    {"Inst. #", ""},
    {"Mirror Temp", "Mirror Temperature"},
    {"Detect. Signal", "Detector Signal"},
    {"Optics Temp", "Optics Temperature"},
    {"CFH Batt", "CFH Battery"},
    {"CFH Serial", ""},
    {"Code Ver", "Code Version"},
    {"Cal A", ""},
    {"Cal B", ""},
    {"Cal C", ""},
    {"Cal D", ""},
    {"Detect.Sign", "Detector Signal"},
    {"Spec. Setpoint", "Specular Setpoint"},
    {"Reflect. %", "Reflectivity"},
    {"Setpoint Temp", "Setpoint Temperature"},
    {"AD630 Offs", "AD630 Offset"},
    {"PIC Ver", "PIC Version"},
};
constexpr std::size_t kCfhFlightRows = static_cast<std::size_t>(CfhRow::Serial);
constexpr PanelGroup kCfhGroups[] = {
    {"Flight ", 0, kCfhFlightRows},
    {"Instr. Config ", kCfhFlightRows, std::size(kCfhRows) - kCfhFlightRows},
};

constexpr PanelRow kCobaldRows[] = {
    {"Instr. Type", ""}, {"Inst. #", ""},    {"Serial #", ""},     {"Temp", ""},
    {"Signal Blue", ""}, {"Signal Red", ""}, {"Monitor Blue", ""}, {"Monitor Red", ""},
};
constexpr PanelGroup kCobaldGroups[] = {{"Cobald Sensor ", 0, std::size(kCobaldRows)}};

constexpr PanelRow kSkydewRows[] = {
    {"Instr. Type", ""}, {"Inst. #", ""},         {"Serial", ""},          {"PT100 Temp", ""},
    {"Mirror Temp", ""}, {"Scattered Light", ""}, {"Peltier Current", ""}, {"HS Temp", ""},
    {"CBTemp", ""},      {"FW Version", ""},      {"Battery", ""},
};
constexpr PanelGroup kSkydewGroups[] = {{"Skydew Sensor ", 0, std::size(kSkydewRows)}};

constexpr PanelRow kUnknownRows[] = {{"Instr. Type", ""}, {"Inst. #", ""}};
constexpr PanelGroup kUnknownGroups[] = {{"Unknown data ", 0, std::size(kUnknownRows)}};

static_assert(std::size(kOif411Rows) == static_cast<std::size_t>(Oif411Row::Count));
static_assert(std::size(kCfhRows) == static_cast<std::size_t>(CfhRow::Count));
static_assert(std::size(kCobaldRows) == static_cast<std::size_t>(CobaldRow::Count));
static_assert(std::size(kSkydewRows) == static_cast<std::size_t>(SkydewRow::Count));
static_assert(std::size(kUnknownRows) == static_cast<std::size_t>(UnknownRow::Count));

const PanelLayout kOif411Layout{"OIF411", kOif411Groups, kOif411Rows, kNavy, false, false};
const PanelLayout kCfhLayout{"CFH", kCfhGroups, kCfhRows, kBlack, true, false};
const PanelLayout kCobaldLayout{"COBALD", kCobaldGroups, kCobaldRows, kNavy, false, false};
const PanelLayout kSkydewLayout{"SKYDEW", kSkydewGroups, kSkydewRows, kBlack, false, false};
const PanelLayout kUnknownLayout{"UNKNOWN", kUnknownGroups, kUnknownRows, kNavy, false, true};
const PanelLayout kNoLayout{"", {}, {}, kBlack, false, false};

}  // namespace

const PanelLayout& LayoutOf(InstrumentKind kind) {
  switch (kind) {
    case InstrumentKind::Oif411:
      return kOif411Layout;
    case InstrumentKind::Cfh:
      return kCfhLayout;
    case InstrumentKind::Cobald:
      return kCobaldLayout;
    case InstrumentKind::Skydew:
      return kSkydewLayout;
    case InstrumentKind::Unknown:
      return kUnknownLayout;
    case InstrumentKind::None:
      break;
  }
  return kNoLayout;
}

void SkydewCoefficients::SetCoefficient(int k, std::int32_t value) {
  if (k < 1 || k > 4) return;
  const auto index = static_cast<std::size_t>(k - 1);
  m_coefficients[index] = value;
  m_received[index] = true;
  if (m_received[0] && m_received[1] && m_received[2] && m_received[3]) m_complete = true;
}

void SkydewCoefficients::ResetCoefficients() {
  m_received.fill(false);
  m_complete = false;
}

InstrumentPanel::InstrumentPanel(int position, InstrumentKind kind)
    : m_position(position), m_kind(kind), m_values(LayoutOf(kind).rows.size()) {
  m_coefficients.ResetCoefficients();
}

std::string InstrumentPanel::Name() const {
  return "chain_" + FormatInt(m_position);
}

std::string InstrumentPanel::StatusText() const {
  return FormatInt(m_position, 2);
}

}  // namespace windlark
