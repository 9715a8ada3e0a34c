#include "FrameBuilder.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>
#include <utility>

#include "Atmosphere.h"
#include "ByteUtil.h"
#include "Calibration.h"
#include "ReedSolomon.h"
#include "SimCrc.h"
#include "TextUtil.h"

namespace rs41sim {
namespace {

constexpr std::size_t kStatusLen = 0x28;
constexpr std::size_t kMeasurementLen = 0x2A;
constexpr std::size_t kGpsInfoLen = 0x1E;
constexpr std::size_t kGpsRawLen = 0x59;
constexpr std::size_t kGpsPositionLen = 0x15;
constexpr std::size_t kStandardPaddingLen = 0x11;
constexpr std::size_t kTagLen = 0x0A;
constexpr std::size_t kGnssPositionLen = 0x26;
constexpr std::size_t kGnssSatellitesLen = 0x29;
constexpr std::size_t kBlockOverhead = 4;  // id, length, CRC16
constexpr std::size_t kMaxBlockData = 255;

// Offsets inside the status block data.
constexpr std::size_t kStatusSerial = 0x02;
constexpr std::size_t kStatusBattery = 0x0A;
constexpr std::size_t kStatusCrypto = 0x0F;
constexpr std::size_t kStatusMaxFragment = 0x16;
constexpr std::size_t kStatusFragmentIndex = 0x17;
constexpr std::size_t kStatusFragment = 0x18;

// Offset of the pressure-sensor temperature inside the measurement block data.
constexpr std::size_t kMeasPressureSensorTemp = 0x26;

// The pressure sensor sits inside the sonde's warmed housing.
constexpr double kPressureSensorWarmingK = 20.0;

// Sonde type in the calibration image; it tells where a receiver takes the pressure from.
constexpr std::size_t kCalSondeType = 0x218;
constexpr std::size_t kCalSondeTypeLen = 10;

// Position of the XDATA area: the standard block sequence ends at 299 in both frame sizes.
constexpr std::size_t kXdataStart = kFirstBlockOffset + kStatusLen + kMeasurementLen + kGpsInfoLen +
                                    kGpsRawLen + kGpsPositionLen + 5 * kBlockOverhead;
static_assert(kXdataStart == 299);
static_assert(kXdataStart + kStandardPaddingLen + kBlockOverhead == kStandardFrameLen);
constexpr std::size_t kCurrentXdataStart = kFirstBlockOffset + kTagLen + kStatusLen +
                                           kMeasurementLen + kGnssPositionLen + kGnssSatellitesLen +
                                           5 * kBlockOverhead;
static_assert(kCurrentXdataStart == 248);

// Offsets inside the 0x82 block data after ECEF position and velocity.
constexpr std::size_t kGnssYear = 18;
constexpr std::size_t kGnssHundredths = 25;
constexpr std::size_t kGnssUnknown = 26;
// Offsets inside the 0x83 block data.
constexpr std::size_t kSatBitmap = 4;
constexpr std::size_t kSatBitmapBytes = 21;
constexpr std::size_t kSatStatus = 25;
constexpr std::size_t kMaxMapSatellites = 32;
constexpr std::uint8_t kSatStatusTracked = 0x0B;  // the most common status seen on real sondes
constexpr std::uint8_t kGpsSlots = 32;
constexpr std::uint8_t kGalileoLastSlot = 68;

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kGpsEpochDaysSince1970 = 3657;  // 1980-01-06

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

struct UtcTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
};

// UTC of a GPS week and time of week: the GPS time less the leap seconds.
UtcTime UtcFromGps(std::uint16_t week, std::uint32_t towMs) {
  std::int64_t ms = std::int64_t{week} * kMsPerWeek + towMs - std::int64_t{kLeapSeconds} * 1000;
  ms = std::max<std::int64_t>(ms, 0);
  std::int64_t days = kGpsEpochDaysSince1970 + ms / kMsPerDay;
  const std::int64_t inDay = ms % kMsPerDay;
  UtcTime t;
  while (days >= (IsLeapYear(t.year) ? 366 : 365)) {
    days -= IsLeapYear(t.year) ? 366 : 365;
    ++t.year;
  }
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (;;) {
    const int length = kMonthDays[t.month - 1] + (t.month == 2 && IsLeapYear(t.year) ? 1 : 0);
    if (days < length) break;
    days -= length;
    ++t.month;
  }
  t.day = static_cast<int>(days) + 1;
  t.hour = static_cast<int>(inDay / 3600000);
  t.minute = static_cast<int>(inDay / 60000 % 60);
  t.second = static_cast<int>(inDay / 1000 % 60);
  t.hundredths = static_cast<int>(inDay % 1000 / 10);
  return t;
}

std::size_t AppendBlock(std::vector<std::uint8_t>& frame, std::size_t pos, std::uint8_t id,
                        std::span<const std::uint8_t> data) {
  if (data.size() > kMaxBlockData || pos + data.size() + kBlockOverhead > frame.size()) {
    throw std::logic_error("block does not fit the frame");
  }
  frame[pos] = id;
  frame[pos + 1] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), frame.begin() + static_cast<std::ptrdiff_t>(pos + 2));
  PutU16Le(frame, pos + 2 + data.size(), Crc16CcittFalse(data));
  return pos + data.size() + kBlockOverhead;
}

std::uint8_t ScaledByte(double value, double scale) {
  return static_cast<std::uint8_t>(std::clamp(std::round(value * scale), 0.0, 255.0));
}

std::int32_t Centimetres(double metres) {
  return static_cast<std::int32_t>(std::llround(metres * 100.0));
}

std::int16_t CentimetresPerSecond(double mps) {
  return static_cast<std::int16_t>(std::clamp(std::round(mps * 100.0), -32768.0, 32767.0));
}

std::string SondeType(const std::vector<std::uint8_t>& calibration) {
  std::string type;
  for (std::size_t i = 0; i < kCalSondeTypeLen; ++i) {
    const std::uint8_t byte = calibration[kCalSondeType + i];
    if (byte != 0) type.push_back(static_cast<char>(byte));
  }
  return type;
}

constexpr std::uint8_t kXdataLeadByte = 0x02;

// ECEF position (cm) and velocity (cm/s) at the start of a GPS block: the same encoding in
// both layouts.
void PutEcefState(std::vector<std::uint8_t>& data, const Ecef& position, const Ecef& velocity) {
  PutI32Le(data, 0, Centimetres(position.x));
  PutI32Le(data, 4, Centimetres(position.y));
  PutI32Le(data, 8, Centimetres(position.z));
  PutI16Le(data, 12, CentimetresPerSecond(velocity.x));
  PutI16Le(data, 14, CentimetresPerSecond(velocity.y));
  PutI16Le(data, 16, CentimetresPerSecond(velocity.z));
}

}  // namespace

std::size_t XdataStart(FrameLayout layout) {
  return layout == FrameLayout::kCurrent ? kCurrentXdataStart : kXdataStart;
}

std::vector<std::uint8_t> SatelliteMapSlots(const std::vector<SatelliteSlot>& satellites,
                                            unsigned count) {
  const std::size_t wanted = std::min<std::size_t>(count, kMaxMapSatellites);
  std::vector<std::uint8_t> slots;
  const auto add = [&](std::uint8_t slot) {
    if (slots.size() < wanted && slot >= 1 && slot <= 8 * kSatBitmapBytes &&
        std::find(slots.begin(), slots.end(), slot) == slots.end()) {
      slots.push_back(slot);
    }
  };
  for (const SatelliteSlot& sat : satellites) add(sat.prn);
  for (std::uint8_t slot = 1; slot <= kGalileoLastSlot; ++slot) add(slot);
  std::sort(slots.begin(), slots.end());
  return slots;
}

std::vector<SatelliteSlot> DefaultSatellites() {
  return {{5, 42},  {12, 39}, {13, 45}, {15, 37}, {18, 41}, {20, 33},
          {24, 44}, {25, 36}, {26, 40}, {29, 31}, {31, 38}, {32, 35}};
}

std::string XdataFitProblem(const std::vector<std::string>& xdata, FrameLayout layout) {
  const std::size_t start = XdataStart(layout);
  std::size_t used = start;
  for (const std::string& text : xdata) {
    if (text.size() + 1 > kMaxBlockData) return "an --xdata text is longer than 254 bytes";
    used += text.size() + 1 + kBlockOverhead;
  }
  if (used > kExtendedFrameLen) {
    return "--xdata texts need " + ToText(used - start) +
           " bytes but a 518-byte frame has room for " + ToText(kExtendedFrameLen - start) +
           " (incl. 4 per block)";
  }
  const std::size_t left = kExtendedFrameLen - used;
  if (left != 0 && left < kBlockOverhead) {
    return "--xdata texts leave 1-3 bytes, too few for the padding block; adjust a text's length";
  }
  return {};
}

FrameBuilder::FrameBuilder(FrameContent content, std::vector<std::uint8_t> calibration)
    : m_content(std::move(content)),
      m_calibration(std::move(calibration)),
      m_gpsWeek(m_content.gpsWeek),
      m_gpsTowMs(m_content.gpsTowMs),
      m_position(GeodeticToEcef(m_content.start)),
      m_flight(m_content.flight, {m_content.velEast, m_content.velNorth, m_content.velUp},
               m_content.start.altM) {
  if (m_calibration.size() != kCalibrationSize) {
    throw std::invalid_argument("calibration image must be 816 bytes");
  }
  const std::string type = SondeType(m_calibration);
  if (type == "RS41-SG") m_pressureSource = PressureSource::kGps;
  if (type == "RS41-SGP" || type == "RS41-SGPE") m_pressureSource = PressureSource::kSensor;
  if (m_content.ptu) m_sensorCalibration = ReadSensorCalibration(m_calibration);
  if (m_content.satellites.empty()) m_content.satellites = DefaultSatellites();
  if (!m_content.startFragment) m_content.startFragment = m_content.startFrame % kFragmentCount;
}

std::vector<std::uint8_t> FrameBuilder::StatusData() const {
  std::vector<std::uint8_t> data(kStatusLen, 0);
  PutU16Le(data, 0, static_cast<std::uint16_t>(m_content.startFrame + m_index));
  for (std::size_t i = 0; i < 8; ++i) {
    data[kStatusSerial + i] =
        i < m_content.id.size() ? static_cast<std::uint8_t>(m_content.id[i]) : std::uint8_t{0};
  }
  data[kStatusBattery] = ScaledByte(m_content.batteryV, 10.0);
  data[kStatusCrypto] = 0;
  data[kStatusMaxFragment] = static_cast<std::uint8_t>(kFragmentCount - 1);
  const std::size_t fragment = (m_content.startFragment.value_or(0) + m_index) % kFragmentCount;
  data[kStatusFragmentIndex] = static_cast<std::uint8_t>(fragment);
  std::copy_n(m_calibration.begin() + static_cast<std::ptrdiff_t>(fragment * kFragmentSize),
              kFragmentSize, data.begin() + static_cast<std::ptrdiff_t>(kStatusFragment));
  return data;
}

std::vector<std::uint8_t> FrameBuilder::MeasurementData() const {
  std::vector<std::uint8_t> data(kMeasurementLen, 0);
  const auto& raw = m_ptu ? m_ptu->raw : m_content.ptuRaw;
  for (std::size_t i = 0; i < kPtuValues; ++i) PutU24Le(data, 3 * i, raw[i]);
  if (m_ptu && m_content.ptu->pressureSensor) {
    PutI16Le(data, kMeasPressureSensorTemp, m_ptu->pressureSensorCentiC);
  }
  return data;
}

std::vector<std::uint8_t> FrameBuilder::GpsInfoData() const {
  std::vector<std::uint8_t> data(kGpsInfoLen, 0);
  PutU16Le(data, 0, m_gpsWeek);
  PutU32Le(data, 2, m_gpsTowMs);
  for (std::size_t i = 0; i < kSatelliteSlots; ++i) {
    const SatelliteSlot slot =
        i < m_content.satellites.size() ? m_content.satellites[i] : SatelliteSlot{};
    data[6 + 2 * i] = slot.prn;
    data[7 + 2 * i] = slot.strength;
  }
  return data;
}

std::vector<std::uint8_t> FrameBuilder::GpsPositionData(const Ecef& velocity) const {
  std::vector<std::uint8_t> data(kGpsPositionLen, 0);
  PutEcefState(data, m_position, velocity);
  data[18] = static_cast<std::uint8_t>(std::min(m_content.sats, 255U));
  data[19] = ScaledByte(m_content.sAccMps, 10.0);
  data[20] = ScaledByte(m_content.pdop, 10.0);
  return data;
}

std::vector<std::uint8_t> FrameBuilder::TagData() const {
  // Two constant bytes, then eight that look random on real sondes.
  std::vector<std::uint8_t> data(kTagLen, 0);
  data[0] = 0xB1;
  std::uint32_t x = 0x9E3779B9U ^ static_cast<std::uint32_t>(m_content.startFrame + m_index);
  for (std::size_t i = 2; i < kTagLen; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    data[i] = static_cast<std::uint8_t>(x);
  }
  return data;
}

std::vector<std::uint8_t> FrameBuilder::GnssPositionData(const Ecef& velocity) const {
  std::vector<std::uint8_t> data(kGnssPositionLen, 0);
  PutEcefState(data, m_position, velocity);
  const UtcTime utc = UtcFromGps(m_gpsWeek, m_gpsTowMs);
  PutU16Le(data, kGnssYear, static_cast<std::uint16_t>(utc.year));
  data[kGnssYear + 2] = static_cast<std::uint8_t>(utc.month);
  data[kGnssYear + 3] = static_cast<std::uint8_t>(utc.day);
  data[kGnssYear + 4] = static_cast<std::uint8_t>(utc.hour);
  data[kGnssYear + 5] = static_cast<std::uint8_t>(utc.minute);
  data[kGnssYear + 6] = static_cast<std::uint8_t>(utc.second);
  data[kGnssHundredths] = static_cast<std::uint8_t>(utc.hundredths);
  // Typical values of the fields nobody has identified yet.
  constexpr std::uint8_t kUnknown[] = {100, 0, 60, 0, 70, 0, 0xE8, 0x03, 0, 0x16, 0x0E, 0xFE};
  std::copy(std::begin(kUnknown), std::end(kUnknown),
            data.begin() + static_cast<std::ptrdiff_t>(kGnssUnknown));
  return data;
}

std::vector<std::uint8_t> FrameBuilder::GnssSatellitesData() const {
  std::vector<std::uint8_t> data(kGnssSatellitesLen, 0);
  data[0] = 0x1C;
  data[1] = 0x1A;
  data[2] = 0xFF;
  data[3] = 0x1E;
  const std::vector<std::uint8_t> slots = SatelliteMapSlots(m_content.satellites, m_content.sats);
  for (std::size_t k = 0; k < slots.size(); ++k) {
    const std::size_t bit = slots[k] - 1U;
    data[kSatBitmap + bit / 8] =
        static_cast<std::uint8_t>(data[kSatBitmap + bit / 8] | 1U << (bit % 8));
    const auto shift = static_cast<unsigned>(k % 2 == 0 ? 0 : 4);
    data[kSatStatus + k / 2] =
        static_cast<std::uint8_t>(data[kSatStatus + k / 2] | kSatStatusTracked << shift);
  }
  return data;
}

void FrameBuilder::UpdateTruth(const EnuVelocity& velocity) {
  m_truth = FrameTruth{};
  m_truth.frame = static_cast<std::uint16_t>(m_content.startFrame + m_index);
  m_truth.index = m_index;
  m_truth.phase = m_flight.Phase();
  // The position as sent, after rounding to whole centimetres.
  const auto sent = [](double metres) { return static_cast<double>(Centimetres(metres)) / 100.0; };
  const Geodetic here =
      EcefToGeodetic({sent(m_position.x), sent(m_position.y), sent(m_position.z)});
  m_truth.latDeg = here.latDeg;
  m_truth.lonDeg = here.lonDeg;
  m_truth.altM = here.altM;
  m_truth.velocity = velocity;
  if (m_pressureSource == PressureSource::kGps ||
      (m_pressureSource == PressureSource::kSensor && m_content.ptu &&
       m_content.ptu->pressureSensor)) {
    m_truth.pressureHpa = StandardPressureHpa(here.altM);
  } else if (m_pressureSource == PressureSource::kSensor && m_content.ptu) {
    m_truth.pressureHpa = 0.0;  // no sensor readings: a receiver's guard yields 0 hPa
  }
}

void FrameBuilder::UpdatePtu() {
  if (!m_content.ptu) return;
  const PtuSettings& settings = *m_content.ptu;
  PtuTargets targets;
  targets.tempC = AirTemperatureC(settings, m_truth.altM);
  targets.humidityTempC = targets.tempC + settings.humidityTempOffsetK;
  targets.humidityPct = settings.humidityPct;
  targets.sondePressureHpa = m_truth.pressureHpa.value_or(StandardPressureHpa(m_truth.altM));
  targets.encodePressure = settings.pressureSensor;
  targets.pressureSensorTempC = targets.tempC + kPressureSensorWarmingK;
  try {
    m_ptu = EncodePtu(m_sensorCalibration, targets);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error("frame index " + ToText(m_index) + ": " + error.what());
  }
  m_truth.tempC = targets.tempC;
  m_truth.humidityPct = targets.humidityPct;
  m_truth.humidityTempC = targets.humidityTempC;
  if (targets.humidityPct > 0.0) m_truth.dewPointC = DewPointC(targets.tempC, targets.humidityPct);
  if (settings.pressureSensor) {
    m_truth.pressureSensorTempC = static_cast<double>(m_ptu->pressureSensorCentiC) / 100.0;
  }
}

void FrameBuilder::CorruptBlocks(std::vector<std::uint8_t>& frame,
                                 const std::vector<BlockSpan>& blocks) const {
  for (const CorruptBlock& request : m_content.corruptBlocks) {
    if (request.frameIndex != m_index) continue;
    const auto found = std::find_if(blocks.begin(), blocks.end(),
                                    [&](const BlockSpan& b) { return b.id == request.blockId; });
    if (found == blocks.end()) continue;
    // Last data byte: a single flipped byte is always caught by the CRC. An empty block has
    // no data byte, so its stored CRC is damaged instead.
    const std::size_t at =
        found->length > 0 ? found->dataOffset + found->length - 1 : found->dataOffset;
    frame[at] = static_cast<std::uint8_t>(frame[at] ^ 0xFFu);
  }
}

void FrameBuilder::CorruptBytes(std::vector<std::uint8_t>& frame) const {
  for (const CorruptByte& request : m_content.corruptBytes) {
    if (request.frameIndex != m_index || request.offset >= frame.size()) continue;
    frame[request.offset] = static_cast<std::uint8_t>(frame[request.offset] ^ 0xFFu);
  }
}

std::vector<std::uint8_t> FrameBuilder::Next() {
  const bool extended = !m_content.xdata.empty();
  std::vector<std::uint8_t> frame(extended ? kExtendedFrameLen : kStandardFrameLen, 0);
  std::copy(kFrameHeader.begin(), kFrameHeader.end(), frame.begin());
  frame[kFrameDataOffset] = extended ? kFrameTypeExtended : kFrameTypeStandard;

  const Geodetic here = EcefToGeodetic(m_position);
  const EnuVelocity enu = m_flight.Step(here.altM);
  const Ecef velocity = EnuToEcef(here, enu.east, enu.north, enu.up);
  UpdateTruth(enu);
  UpdatePtu();

  std::vector<BlockSpan> blocks;
  std::size_t pos = kFirstBlockOffset;
  const auto append = [&](std::uint8_t id, const std::vector<std::uint8_t>& data) {
    blocks.push_back({id, pos + 2, data.size()});
    pos = AppendBlock(frame, pos, id, data);
  };
  if (m_content.layout == FrameLayout::kCurrent) {
    append(kBlockTag, TagData());
    append(kBlockStatus, StatusData());
    append(kBlockMeasurement, MeasurementData());
    append(kBlockGnssPosition, GnssPositionData(velocity));
    append(kBlockGnssSatellites, GnssSatellitesData());
  } else {
    append(kBlockStatus, StatusData());
    append(kBlockMeasurement, MeasurementData());
    append(kBlockGpsInfo, GpsInfoData());
    append(kBlockGpsRaw, std::vector<std::uint8_t>(kGpsRawLen, 0));
    append(kBlockGpsPosition, GpsPositionData(velocity));
  }
  for (const std::string& text : m_content.xdata) {
    // Real sondes put one non-ASCII byte before the instrument's ASCII text.
    std::vector<std::uint8_t> data{kXdataLeadByte};
    data.insert(data.end(), text.begin(), text.end());
    append(kBlockXdata, data);
  }
  if (pos < frame.size()) {
    if (frame.size() - pos < kBlockOverhead) throw std::logic_error("no room for padding");
    append(kBlockPadding, std::vector<std::uint8_t>(frame.size() - pos - kBlockOverhead, 0));
  }

  CorruptBlocks(frame, blocks);
  WriteFrameParity(frame);
  CorruptBytes(frame);

  // Advance the sonde one second.
  m_position = {m_position.x + velocity.x, m_position.y + velocity.y, m_position.z + velocity.z};
  m_gpsTowMs += 1000;
  if (m_gpsTowMs >= kMsPerWeek) {
    m_gpsTowMs -= kMsPerWeek;
    ++m_gpsWeek;
  }
  ++m_index;
  return frame;
}

}  // namespace rs41sim
