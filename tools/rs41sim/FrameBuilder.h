#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Flight.h"
#include "Geodesy.h"
#include "Ptu.h"
#include "Truth.h"

namespace rs41sim {

inline constexpr std::size_t kStandardFrameLen = 320;
inline constexpr std::size_t kExtendedFrameLen = 518;
inline constexpr std::uint8_t kFrameTypeStandard = 0x0F;
inline constexpr std::uint8_t kFrameTypeExtended = 0xF0;
inline constexpr std::size_t kFirstBlockOffset = 0x39;
inline constexpr std::array<std::uint8_t, 8> kFrameHeader = {0x86, 0x35, 0xF4, 0x40,
                                                             0x93, 0xDF, 0x1A, 0x60};

inline constexpr std::uint8_t kBlockStatus = 0x79;
inline constexpr std::uint8_t kBlockMeasurement = 0x7A;
inline constexpr std::uint8_t kBlockGpsPosition = 0x7B;
inline constexpr std::uint8_t kBlockGpsInfo = 0x7C;
inline constexpr std::uint8_t kBlockGpsRaw = 0x7D;
inline constexpr std::uint8_t kBlockXdata = 0x7E;
inline constexpr std::uint8_t kBlockPadding = 0x76;
// Blocks of the current layout (ground systems of late 2024 on).
inline constexpr std::uint8_t kBlockTag = 0x96;
inline constexpr std::uint8_t kBlockGnssPosition = 0x82;
inline constexpr std::uint8_t kBlockGnssSatellites = 0x83;

// Classic: 0x79 0x7A 0x7C 0x7D 0x7B (GPS time without leap seconds). Current: 0x96 0x79 0x7A
// 0x82 0x83 (UTC date and time, a multi-GNSS satellite map, no speed accuracy or pDOP).
enum class FrameLayout { kClassic, kCurrent };

// GPS time runs ahead of UTC by the leap seconds since 1980 (18 since 2017).
inline constexpr std::uint32_t kLeapSeconds = 18;

inline constexpr std::size_t kSatelliteSlots = 12;
inline constexpr std::size_t kPtuValues = 12;
inline constexpr std::uint32_t kMsPerWeek = 604800000;

struct SatelliteSlot {
  std::uint8_t prn = 0xFF;  // 0xFF marks an unused slot
  std::uint8_t strength = 0;
};

// Flip a data byte of block `blockId` in frame `frameIndex` before the RS parity is computed,
// so the block CRC fails but RS sees a consistent codeword.
struct CorruptBlock {
  std::uint8_t blockId = 0;
  std::size_t frameIndex = 0;
};

// Flip frame byte `offset` of frame `frameIndex` after all checks, as a channel error would.
struct CorruptByte {
  std::size_t frameIndex = 0;
  std::size_t offset = 0;
};

struct FrameContent {
  FrameLayout layout = FrameLayout::kClassic;
  std::uint16_t startFrame = 1000;
  std::string id = "T1234567";
  double batteryV = 2.9;
  std::optional<std::size_t> startFragment;  // default: startFrame mod 51
  std::uint16_t gpsWeek = 2300;
  std::uint32_t gpsTowMs = 43200000;
  Geodetic start{47.5, 8.5, 500.0};
  double velEast = 3.0;
  double velNorth = 1.0;
  double velUp = 5.0;
  unsigned sats = 8;  // current layout: satellites in the 0x83 map, at most 32
  double sAccMps = 0.3;
  double pdop = 1.5;
  std::array<std::uint32_t, kPtuValues> ptuRaw{};
  FlightParams flight;                    // velEast/velNorth/velUp are its wind and climb rate
  std::optional<PtuSettings> ptu;         // set: physical values replace ptuRaw
  std::vector<SatelliteSlot> satellites;  // empty: DefaultSatellites()
  std::vector<std::string> xdata;
  std::vector<CorruptBlock> corruptBlocks;
  std::vector<CorruptByte> corruptBytes;
};

std::vector<SatelliteSlot> DefaultSatellites();

// Empty when the XDATA texts fit as 0x7E blocks (plus padding) into a 518-byte frame of the
// layout, otherwise a one-line reason.
std::string XdataFitProblem(const std::vector<std::string>& xdata,
                            FrameLayout layout = FrameLayout::kClassic);

// Frame byte where the XDATA blocks (or the padding) start: after the layout's fixed blocks.
std::size_t XdataStart(FrameLayout layout);

// The bitmap slots of the 0x83 satellite map: the --svs PRNs (GPS slots 1..32) first, then
// further GPS and Galileo (33..68) slots, `count` of them in all, ascending.
std::vector<std::uint8_t> SatelliteMapSlots(const std::vector<SatelliteSlot>& satellites,
                                            unsigned count);

// Produces consecutive de-whitened frames; the GPS track advances one second per frame.
class FrameBuilder {
 public:
  FrameBuilder(FrameContent content, std::vector<std::uint8_t> calibration);

  std::vector<std::uint8_t> Next();

  // What the frame last returned by Next() carries.
  [[nodiscard]] const FrameTruth& LastTruth() const { return m_truth; }

 private:
  struct BlockSpan {
    std::uint8_t id;
    std::size_t dataOffset;
    std::size_t length;
  };

  enum class PressureSource { kNone, kGps, kSensor };

  std::vector<std::uint8_t> StatusData() const;
  std::vector<std::uint8_t> MeasurementData() const;
  std::vector<std::uint8_t> GpsInfoData() const;
  std::vector<std::uint8_t> GpsPositionData(const Ecef& velocity) const;
  std::vector<std::uint8_t> TagData() const;
  std::vector<std::uint8_t> GnssPositionData(const Ecef& velocity) const;
  std::vector<std::uint8_t> GnssSatellitesData() const;
  void UpdateTruth(const EnuVelocity& velocity);
  void UpdatePtu();
  void CorruptBlocks(std::vector<std::uint8_t>& frame, const std::vector<BlockSpan>& blocks) const;
  void CorruptBytes(std::vector<std::uint8_t>& frame) const;

  FrameContent m_content;
  std::vector<std::uint8_t> m_calibration;
  std::size_t m_index = 0;
  std::uint16_t m_gpsWeek = 0;
  std::uint32_t m_gpsTowMs = 0;
  Ecef m_position;
  FlightModel m_flight;
  PressureSource m_pressureSource = PressureSource::kNone;
  SensorCalibration m_sensorCalibration;
  std::optional<PtuEncoding> m_ptu;
  FrameTruth m_truth;
};

}  // namespace rs41sim
