#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "Calibration.h"
#include "FrameBuilder.h"
#include "Modulator.h"
#include "WavWriter.h"

namespace rs41sim {

enum class Mode { kBuild, kHexIn, kCheckRs, kHelp };

struct Options {
  Mode mode = Mode::kBuild;
  std::string outputPath;
  std::optional<SampleFormat> format;  // unset: from the output name
  std::string hexInPath;
  std::string hexOutPath;
  std::string checkRsPath;
  std::string calibrationPath;
  std::string truthOutPath;
  std::size_t frameCount = 10;
  bool frameCountGiven = false;
  std::uint32_t leadInMs = 100;
  FrameContent content;
  PtuSettings ptu;  // copied into content.ptu when any PTU target option is given
  bool ptuGiven = false;
  bool ptuRawGiven = false;
  bool typeGiven = false;
  bool burstOptionGiven = false;    // --burst-alt
  bool descentOptionGiven = false;  // --descent-rate, --descent-law, --land-alt
  CalibrationParams calibration;
  ModulatorParams modulator;

  [[nodiscard]] SampleFormat EffectiveFormat() const;
};

struct ParseResult {
  Options options;
  std::string error;  // non-empty: one-line message, exit status 2
};

ParseResult ParseOptions(std::span<const char* const> args);

const char* HelpText();

}  // namespace rs41sim
