#include "Options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "TextUtil.h"

namespace rs41sim {
namespace {

using Handler = std::function<std::string(std::string_view)>;  // returns an error or ""

struct OptionEntry {
  std::string_view name;
  bool takesValue;
  Handler handler;
};

std::string DoubleText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::optional<double> ToDouble(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) return {};
  return value;
}

// Decimal, or hexadecimal with a 0x prefix; optional sign.
std::optional<std::int64_t> ToInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, magnitude, base);
  if (text.empty() || ec != std::errc{} || ptr != end || magnitude > (1ULL << 62)) return {};
  const auto value = static_cast<std::int64_t>(magnitude);
  return negative ? -value : value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? text.npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::string RangeError(std::string_view name, std::string_view what, std::string_view got) {
  return std::string(name) + ": expected " + std::string(what) + ", got '" + std::string(got) + "'";
}

Handler DoubleIn(double& target, double lo, double hi, std::string_view name) {
  return [&target, lo, hi, name](std::string_view value) -> std::string {
    const auto parsed = ToDouble(value);
    if (!parsed || *parsed < lo || *parsed > hi) {
      return RangeError(name, "a number from " + DoubleText(lo) + " to " + DoubleText(hi), value);
    }
    target = *parsed;
    return {};
  };
}

template <typename T>
Handler IntegerIn(T& target, std::int64_t lo, std::int64_t hi, std::string_view name) {
  return [&target, lo, hi, name](std::string_view value) -> std::string {
    const auto parsed = ToInteger(value);
    if (!parsed || *parsed < lo || *parsed > hi) {
      return RangeError(name, "an integer from " + ToText(lo) + " to " + ToText(hi), value);
    }
    target = static_cast<T>(*parsed);
    return {};
  };
}

Handler Text(std::string& target) {
  return [&target](std::string_view value) -> std::string {
    target = std::string(value);
    return {};
  };
}

std::optional<std::uint8_t> BlockIdFromName(std::string_view name) {
  struct Named {
    std::string_view name;
    std::uint8_t id;
  };
  static constexpr Named kNames[] = {
      {"status", kBlockStatus},
      {"meas", kBlockMeasurement},
      {"ptu", kBlockMeasurement},
      {"gpsinfo", kBlockGpsInfo},
      {"gpstime", kBlockGpsInfo},
      {"gpsraw", kBlockGpsRaw},
      {"gpspos", kBlockGpsPosition},
      {"xdata", kBlockXdata},
      {"pad", kBlockPadding},
      {"padding", kBlockPadding},
      {"tag", kBlockTag},
      {"gnsspos", kBlockGnssPosition},
      {"gnsssats", kBlockGnssSatellites},
  };
  for (const Named& entry : kNames) {
    if (entry.name == name) return entry.id;
  }
  const auto numeric = ToInteger(name);
  if (numeric && *numeric >= 0 && *numeric <= 255) return static_cast<std::uint8_t>(*numeric);
  return {};
}

void AddIoOptions(std::vector<OptionEntry>& table, Options& opts) {
  table.push_back({"-o", true, Text(opts.outputPath)});
  table.push_back({"--output", true, Text(opts.outputPath)});
  table.push_back({"--format", true, [&opts](std::string_view value) -> std::string {
                     if (value == "u8")
                       opts.format = SampleFormat::kU8;
                     else if (value == "wav")
                       opts.format = SampleFormat::kWav8;
                     else if (value == "wav16")
                       opts.format = SampleFormat::kWav16;
                     else
                       return RangeError("--format", "u8, wav or wav16", value);
                     return {};
                   }});
  table.push_back({"--hex-in", true, Text(opts.hexInPath)});
  table.push_back({"--hex-out", true, Text(opts.hexOutPath)});
  table.push_back({"--check-rs", true, Text(opts.checkRsPath)});
  table.push_back({"--calibration", true, Text(opts.calibrationPath)});
  table.push_back({"--help", false, [&opts](std::string_view) -> std::string {
                     opts.mode = Mode::kHelp;
                     return {};
                   }});
  table.push_back({"--frames", true, [&opts](std::string_view value) -> std::string {
                     opts.frameCountGiven = true;
                     return IntegerIn(opts.frameCount, 1, 1000000, "--frames")(value);
                   }});
}

void AddCalibrationOptions(std::vector<OptionEntry>& table, Options& opts) {
  CalibrationParams& cal = opts.calibration;
  table.push_back(
      {"--freq-khz", true, DoubleIn(cal.freqKhz, kMinFreqKhz, kMaxFreqKhz, "--freq-khz")});
  table.push_back({"--firmware", true, IntegerIn(cal.firmware, 0, 65535, "--firmware")});
  table.push_back({"--type", true, [&opts](std::string_view value) -> std::string {
                     opts.typeGiven = true;
                     return Text(opts.calibration.sondeType)(value);
                   }});
  table.push_back({"--burst-kill", true, IntegerIn(cal.burstKill, 0, 1, "--burst-kill")});
  table.push_back({"--kill-timer", true, IntegerIn(cal.killTimerS, 0, 65535, "--kill-timer")});
  table.push_back({"--countdown", true, [&cal](std::string_view value) -> std::string {
                     if (value == "none") {
                       cal.countdownS = kCountdownNone;
                       return {};
                     }
                     return IntegerIn(cal.countdownS, 0, 65535, "--countdown")(value);
                   }});
}

Handler SatelliteList(std::vector<SatelliteSlot>& target) {
  return [&target](std::string_view value) -> std::string {
    target.clear();
    for (const std::string_view item : Split(value, ',')) {
      const auto pair = Split(item, ':');
      const auto prn = pair.size() == 2 ? ToInteger(pair[0]) : std::nullopt;
      const auto strength = pair.size() == 2 ? ToInteger(pair[1]) : std::nullopt;
      if (!prn || !strength || *prn < 0 || *prn > 255 || *strength < 0 || *strength > 255) {
        return RangeError("--svs", "PRN:STRENGTH pairs of bytes", item);
      }
      target.push_back({static_cast<std::uint8_t>(*prn), static_cast<std::uint8_t>(*strength)});
    }
    if (target.size() > kSatelliteSlots) return "--svs: at most 12 satellites";
    return {};
  };
}

Handler PtuList(std::array<std::uint32_t, kPtuValues>& target) {
  return [&target](std::string_view value) -> std::string {
    const auto items = Split(value, ',');
    if (items.size() != kPtuValues)
      return RangeError("--ptu-raw", "12 comma-separated values", value);
    for (std::size_t i = 0; i < kPtuValues; ++i) {
      const auto parsed = ToInteger(items[i]);
      if (!parsed || *parsed < 0 || *parsed > 0xFFFFFF) {
        return RangeError("--ptu-raw", "values from 0 to 16777215", items[i]);
      }
      target[i] = static_cast<std::uint32_t>(*parsed);
    }
    return {};
  };
}

void AddContentOptions(std::vector<OptionEntry>& table, Options& opts) {
  FrameContent& c = opts.content;
  table.push_back({"--layout", true, [&c](std::string_view value) -> std::string {
                     if (value == "classic")
                       c.layout = FrameLayout::kClassic;
                     else if (value == "current")
                       c.layout = FrameLayout::kCurrent;
                     else
                       return RangeError("--layout", "classic or current", value);
                     return {};
                   }});
  table.push_back({"--start-frame", true, IntegerIn(c.startFrame, 0, 65535, "--start-frame")});
  table.push_back({"--id", true, Text(c.id)});
  table.push_back({"--battery", true, DoubleIn(c.batteryV, 0.0, 25.5, "--battery")});
  table.push_back({"--start-fragment", true, [&c](std::string_view value) -> std::string {
                     std::size_t fragment = 0;
                     std::string error = IntegerIn(fragment, 0, 50, "--start-fragment")(value);
                     if (error.empty()) c.startFragment = fragment;
                     return error;
                   }});
  table.push_back({"--gps-week", true, IntegerIn(c.gpsWeek, 0, 65535, "--gps-week")});
  table.push_back({"--gps-tow-ms", true, IntegerIn(c.gpsTowMs, 0, kMsPerWeek - 1, "--gps-tow-ms")});
  table.push_back({"--lat", true, DoubleIn(c.start.latDeg, -90.0, 90.0, "--lat")});
  table.push_back({"--lon", true, DoubleIn(c.start.lonDeg, -180.0, 180.0, "--lon")});
  table.push_back({"--alt", true, DoubleIn(c.start.altM, -1000.0, 1000000.0, "--alt")});
  table.push_back({"--vel-east", true, DoubleIn(c.velEast, -327.0, 327.0, "--vel-east")});
  table.push_back({"--vel-north", true, DoubleIn(c.velNorth, -327.0, 327.0, "--vel-north")});
  table.push_back({"--vel-up", true, DoubleIn(c.velUp, -327.0, 327.0, "--vel-up")});
  table.push_back({"--sats", true, IntegerIn(c.sats, 0, 255, "--sats")});
  table.push_back({"--sacc", true, DoubleIn(c.sAccMps, 0.0, 25.5, "--sacc")});
  table.push_back({"--pdop", true, DoubleIn(c.pdop, 0.0, 25.5, "--pdop")});
  table.push_back({"--svs", true, SatelliteList(c.satellites)});
  table.push_back({"--ptu-raw", true, [&opts](std::string_view value) -> std::string {
                     opts.ptuRawGiven = true;
                     return PtuList(opts.content.ptuRaw)(value);
                   }});
  table.push_back({"--xdata", true, [&c](std::string_view value) -> std::string {
                     c.xdata.emplace_back(value);
                     return {};
                   }});
  table.push_back({"--corrupt-crc", true, [&c](std::string_view value) -> std::string {
                     const auto parts = Split(value, ':');
                     const auto id = parts.size() == 2 ? BlockIdFromName(parts[0]) : std::nullopt;
                     const auto frame = parts.size() == 2 ? ToInteger(parts[1]) : std::nullopt;
                     if (!id || !frame || *frame < 0) {
                       return RangeError("--corrupt-crc", "BLOCK:FRAME_INDEX", value);
                     }
                     c.corruptBlocks.push_back({*id, static_cast<std::size_t>(*frame)});
                     return {};
                   }});
  table.push_back({"--corrupt-byte", true, [&c](std::string_view value) -> std::string {
                     const auto parts = Split(value, ':');
                     const auto frame = parts.size() == 2 ? ToInteger(parts[0]) : std::nullopt;
                     const auto offset = parts.size() == 2 ? ToInteger(parts[1]) : std::nullopt;
                     if (!frame || !offset || *frame < 0 || *offset < 0) {
                       return RangeError("--corrupt-byte", "FRAME_INDEX:OFFSET", value);
                     }
                     c.corruptBytes.push_back(
                         {static_cast<std::size_t>(*frame), static_cast<std::size_t>(*offset)});
                     return {};
                   }});
}

// Runs `handler` and records that an option of some group was given.
Handler Noting(bool& given, Handler handler) {
  return [&given, handler = std::move(handler)](std::string_view value) -> std::string {
    given = true;
    return handler(value);
  };
}

void AddFlightOptions(std::vector<OptionEntry>& table, Options& opts) {
  FlightParams& f = opts.content.flight;
  table.push_back({"--flight", true, [&f](std::string_view value) -> std::string {
                     if (value == "ascent")
                       f.profile = FlightProfile::kAscent;
                     else if (value == "descent")
                       f.profile = FlightProfile::kDescent;
                     else if (value == "burst")
                       f.profile = FlightProfile::kBurst;
                     else
                       return RangeError("--flight", "ascent, descent or burst", value);
                     return {};
                   }});
  table.push_back(
      {"--burst-alt", true,
       Noting(opts.burstOptionGiven, DoubleIn(f.burstAltM, -1000.0, 1000000.0, "--burst-alt"))});
  table.push_back(
      {"--descent-rate", true,
       Noting(opts.descentOptionGiven, DoubleIn(f.descentRateMps, 0.1, 300.0, "--descent-rate"))});
  table.push_back({"--descent-law", true,
                   Noting(opts.descentOptionGiven, [&f](std::string_view value) -> std::string {
                     if (value == "parachute")
                       f.descentLaw = DescentLaw::kParachute;
                     else if (value == "constant")
                       f.descentLaw = DescentLaw::kConstant;
                     else
                       return RangeError("--descent-law", "parachute or constant", value);
                     return {};
                   })});
  table.push_back(
      {"--land-alt", true, Noting(opts.descentOptionGiven, [&f](std::string_view value) {
         double alt = 0.0;
         std::string error = DoubleIn(alt, -1000.0, 1000000.0, "--land-alt")(value);
         if (error.empty()) f.landAltM = alt;
         return error;
       })});
}

void AddPtuOptions(std::vector<OptionEntry>& table, Options& opts) {
  PtuSettings& p = opts.ptu;
  bool& given = opts.ptuGiven;
  table.push_back({"--temp", true, Noting(given, DoubleIn(p.tempC, -100.0, 60.0, "--temp"))});
  table.push_back({"--lapse", true, Noting(given, DoubleIn(p.lapseKPerKm, 0.0, 20.0, "--lapse"))});
  table.push_back(
      {"--humidity", true, Noting(given, DoubleIn(p.humidityPct, -20.0, 120.0, "--humidity"))});
  table.push_back(
      {"--humidity-temp-offset", true,
       Noting(given, DoubleIn(p.humidityTempOffsetK, -5.0, 15.0, "--humidity-temp-offset"))});
  table.push_back({"--pressure-sensor", false, [&opts](std::string_view) -> std::string {
                     opts.ptuGiven = true;
                     opts.ptu.pressureSensor = true;
                     return {};
                   }});
  table.push_back({"--truth-out", true, Text(opts.truthOutPath)});
}

void AddModulationOptions(std::vector<OptionEntry>& table, Options& opts) {
  ModulatorParams& m = opts.modulator;
  table.push_back({"--preamble-bits", true, IntegerIn(m.preambleBits, 0, 4800, "--preamble-bits")});
  table.push_back({"--bt", true, DoubleIn(m.bt, 0.1, 5.0, "--bt")});
  table.push_back({"--amplitude", true, DoubleIn(m.amplitude, 0.0, 127.0, "--amplitude")});
  table.push_back({"--dc-offset", true, IntegerIn(m.dcOffset, -127, 127, "--dc-offset")});
  table.push_back({"--noise", true, DoubleIn(m.noiseSigma, 0.0, 255.0, "--noise")});
  table.push_back({"--seed", true, IntegerIn(m.seed, 0, (1LL << 62), "--seed")});
  table.push_back({"--invert", false, [&m](std::string_view) -> std::string {
                     m.invert = true;
                     return {};
                   }});
  table.push_back({"--lead-in-ms", true, IntegerIn(opts.leadInMs, 0, 3600000, "--lead-in-ms")});
  ChannelParams& ch = m.channel;
  const auto radio = [&ch](Handler handler) {
    return [&ch, handler](std::string_view value) {
      ch.radio = true;
      return handler(value);
    };
  };
  table.push_back({"--ebn0", true, radio([&ch](std::string_view value) {
                     ch.noise = true;
                     return DoubleIn(ch.ebn0Db, -10.0, 60.0, "--ebn0")(value);
                   })});
  table.push_back({"--carrier-offset", true,
                   radio(DoubleIn(ch.carrierOffsetHz, -20000.0, 20000.0, "--carrier-offset"))});
  table.push_back({"--audio-lowpass", true,
                   radio(DoubleIn(ch.audioLowpassHz, 100.0, 24000.0, "--audio-lowpass"))});
  table.push_back({"--clock-ppm", true, DoubleIn(ch.clockPpm, -10000.0, 10000.0, "--clock-ppm")});
}

bool IsPrintableAscii(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::string ValidateFlight(const Options& opts) {
  const FrameContent& c = opts.content;
  const FlightParams& f = c.flight;
  const bool burst = f.profile == FlightProfile::kBurst;
  const bool descends = burst || f.profile == FlightProfile::kDescent;
  if (opts.burstOptionGiven && !burst) return "--burst-alt needs --flight burst";
  if (opts.descentOptionGiven && !descends) {
    return "--descent-rate, --descent-law and --land-alt need --flight descent or burst";
  }
  if ((burst || f.profile == FlightProfile::kAscent) && c.velUp <= 0.0) {
    return "--flight ascent/burst: --vel-up must be above 0";
  }
  if (burst && f.burstAltM <= c.start.altM) return "--burst-alt must be above --alt";
  const double top = burst ? f.burstAltM : c.start.altM;
  if (descends && f.landAltM && *f.landAltM >= top) {
    return burst ? "--land-alt must be below --burst-alt" : "--land-alt must be below --alt";
  }
  return {};
}

std::string ValidateContent(const Options& opts) {
  const FrameContent& c = opts.content;
  if (c.id.size() != 8 || !IsPrintableAscii(c.id)) return "--id: expected 8 printable characters";
  if (opts.calibration.sondeType.size() > 10 || !IsPrintableAscii(opts.calibration.sondeType)) {
    return "--type: expected at most 10 printable characters";
  }
  if (c.layout == FrameLayout::kCurrent && c.sats > 32) {
    return "--sats: the current layout's satellite map holds at most 32";
  }
  if (std::string problem = ValidateFlight(opts); !problem.empty()) return problem;
  if (opts.ptuGiven && opts.ptuRawGiven) {
    return "--ptu-raw cannot be combined with --temp, --lapse, --humidity, "
           "--humidity-temp-offset or --pressure-sensor";
  }
  if (std::hypot(c.velEast, c.velNorth, c.velUp) > 327.0) {
    return "--vel-*: speed above 327 m/s does not fit the int16 cm/s fields";
  }
  if (std::string problem = XdataFitProblem(c.xdata, c.layout); !problem.empty()) return problem;
  const std::size_t frameLen = c.xdata.empty() ? kStandardFrameLen : kExtendedFrameLen;
  if (GfskModulator::SlotBits(opts.modulator.preambleBits, frameLen) * kSamplesPerBit >
      kSlotSamples) {
    return "--preamble-bits: preamble plus frame exceed the one-second slot";
  }
  for (const CorruptBlock& request : c.corruptBlocks) {
    if (request.blockId == kBlockXdata && c.xdata.empty()) {
      return "--corrupt-crc: xdata requested but no --xdata given";
    }
    if (request.frameIndex >= opts.frameCount) return "--corrupt-crc: frame index beyond --frames";
    const bool currentOnly = request.blockId == kBlockTag ||
                             request.blockId == kBlockGnssPosition ||
                             request.blockId == kBlockGnssSatellites;
    const bool classicOnly = request.blockId == kBlockGpsInfo || request.blockId == kBlockGpsRaw ||
                             request.blockId == kBlockGpsPosition;
    if ((c.layout == FrameLayout::kCurrent && classicOnly) ||
        (c.layout == FrameLayout::kClassic && currentOnly)) {
      return "--corrupt-crc: that block is not part of the --layout";
    }
  }
  for (const CorruptByte& request : c.corruptBytes) {
    if (request.frameIndex >= opts.frameCount) return "--corrupt-byte: frame index beyond --frames";
    if (request.offset >= frameLen) {
      return "--corrupt-byte: offset beyond the " + ToText(frameLen) + "-byte frame";
    }
  }
  return {};
}

// Applies the PTU target options: the calibration then carries sensor constants, and a
// pressure sensor implies the sonde type that has one.
void ApplyPtu(Options& opts) {
  if (!opts.ptuGiven) return;
  opts.content.ptu = opts.ptu;
  opts.calibration.sensorConstants = true;
  opts.calibration.pressureConstants = opts.ptu.pressureSensor;
  if (opts.ptu.pressureSensor && !opts.typeGiven) opts.calibration.sondeType = "RS41-SGP";
}

std::string Validate(Options& opts) {
  if (!opts.hexInPath.empty() && !opts.checkRsPath.empty()) {
    return "--hex-in and --check-rs cannot be combined";
  }
  if (!opts.truthOutPath.empty() && (!opts.hexInPath.empty() || !opts.checkRsPath.empty())) {
    return "--truth-out needs frames built from the content options";
  }
  if (!opts.checkRsPath.empty()) {
    opts.mode = Mode::kCheckRs;
    return {};
  }
  if (!opts.hexInPath.empty()) opts.mode = Mode::kHexIn;
  if (opts.outputPath.empty() && opts.hexOutPath.empty()) {
    return "no output given; use -o FILE (or -o - for stdout) and/or --hex-out FILE";
  }
  if (opts.outputPath == "-" && opts.hexOutPath == "-") {
    return "-o - and --hex-out - would interleave on stdout";
  }
  if (opts.truthOutPath == "-" && (opts.outputPath == "-" || opts.hexOutPath == "-")) {
    return "--truth-out - would interleave with another output on stdout";
  }
  opts.calibration.serial = opts.content.id;
  ApplyPtu(opts);
  return opts.mode == Mode::kBuild ? ValidateContent(opts) : std::string{};
}

}  // namespace

SampleFormat Options::EffectiveFormat() const {
  if (format) return *format;
  const std::string_view name = outputPath;
  if (name.size() >= 4) {
    std::string ext(name.substr(name.size() - 4));
    for (char& ch : ext) ch = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    if (ext == ".wav") return SampleFormat::kWav8;
  }
  return SampleFormat::kU8;
}

ParseResult ParseOptions(std::span<const char* const> args) {
  ParseResult result;
  Options& opts = result.options;
  std::vector<OptionEntry> table;
  AddIoOptions(table, opts);
  AddCalibrationOptions(table, opts);
  AddContentOptions(table, opts);
  AddFlightOptions(table, opts);
  AddPtuOptions(table, opts);
  AddModulationOptions(table, opts);

  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string_view> inlineValue;
    if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
      inlineValue = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    const OptionEntry* entry = nullptr;
    for (const OptionEntry& candidate : table) {
      if (candidate.name == arg) entry = &candidate;
    }
    if (entry == nullptr) {
      result.error = "unknown option '" + std::string(args[i]) + "'";
      return result;
    }
    std::string_view value;
    if (entry->takesValue) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        result.error = std::string(arg) + ": missing value";
        return result;
      }
    } else if (inlineValue) {
      result.error = std::string(arg) + " takes no value";
      return result;
    }
    result.error = entry->handler(value);
    if (!result.error.empty()) return result;
  }
  if (opts.mode == Mode::kHelp) return result;
  result.error = Validate(opts);
  return result;
}

}  // namespace rs41sim
