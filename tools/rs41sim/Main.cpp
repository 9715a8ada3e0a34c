// rs41sim: builds RS41 frames and renders them as discriminator audio, or checks hex frames.

#include <cstdio>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Calibration.h"
#include "FrameBuilder.h"
#include "FrameCheck.h"
#include "HexFrames.h"
#include "Modulator.h"
#include "Options.h"
#include "TextUtil.h"
#include "Truth.h"
#include "WavWriter.h"
#include "Whitening.h"

namespace rs41sim {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void Print(std::FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
}

int RunCheckRs(const std::string& path) {
  const std::vector<HexFrame> frames = ReadHexFrames(path);
  std::size_t parityOk = 0;
  std::size_t crcOk = 0;
  bool requiredOk = true;
  for (const HexFrame& frame : frames) {
    const FrameCheckResult result = CheckFrame(frame.bytes);
    if (result.parityChecked && result.parityMatches) ++parityOk;
    if (result.CrcOk()) ++crcOk;
    if (!result.AllOk()) {
      const bool required = frame.tag != FrameTag::kNo;
      requiredOk = requiredOk && !required;
      Print(stdout, "line " + ToText(frame.lineNumber) + (required ? "" : " [NO]") + ": " +
                        result.firstProblem + "\n");
    }
  }
  const std::string total = ToText(frames.size());
  Print(stdout, ToText(parityOk) + "/" + total + " frames: parity matches\n");
  Print(stdout, ToText(crcOk) + "/" + total + " frames: block CRCs valid\n");
  return requiredOk && !frames.empty() ? kExitOk : kExitFailure;
}

using FrameSource = std::function<std::vector<std::uint8_t>(std::size_t)>;

// Closes an owned FILE* even when synthesis throws halfway.
class TextFile {
 public:
  explicit TextFile(const std::string& path) {
    if (path.empty()) return;
    m_file = path == "-" ? stdout : std::fopen(path.c_str(), "w");
    m_owned = path != "-";
    if (m_file == nullptr) throw std::runtime_error("cannot create '" + path + "'");
  }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() {
    if (m_owned && m_file != nullptr) std::fclose(m_file);
  }
  [[nodiscard]] std::FILE* Get() const { return m_file; }
  // Returns false on a write error.
  bool Close() {
    std::FILE* file = m_file;
    m_file = nullptr;
    if (file == nullptr) return true;
    return m_owned ? std::fclose(file) == 0 : std::fflush(file) == 0;
  }

 private:
  std::FILE* m_file = nullptr;
  bool m_owned = false;
};

int Synthesize(const Options& opts, std::size_t frameCount, const FrameSource& source) {
  TextFile hexFile(opts.hexOutPath);
  std::FILE* hexOut = hexFile.Get();
  const bool audio = !opts.outputPath.empty();
  const std::uint64_t leadInSamples = std::uint64_t{opts.leadInMs} * (kSampleRate / 1000);
  const std::uint64_t totalSamples = leadInSamples + std::uint64_t{frameCount} * kSlotSamples;
  SampleWriter writer;
  if (audio) writer.Open(opts.outputPath, opts.EffectiveFormat(), totalSamples);

  GfskModulator modulator(opts.modulator);
  std::vector<std::uint8_t> samples;
  modulator.Idle(static_cast<std::size_t>(leadInSamples), samples);
  for (std::size_t k = 0; k < frameCount; ++k) {
    std::vector<std::uint8_t> frame = source(k);
    if (hexOut != nullptr) Print(hexOut, ToHex(frame) + "\n");
    Whiten(frame);
    if (!modulator.Slot(frame, samples)) {
      throw std::runtime_error("frame " + ToText(k) + " (" + ToText(frame.size()) +
                               " bytes) plus preamble does not fit a one-second slot");
    }
    if (audio) writer.Write(samples);
    samples.clear();
  }
  modulator.Finish(samples);
  if (audio) {
    writer.Write(samples);
    writer.Close();
  }
  if (!hexFile.Close()) {
    throw std::runtime_error("write error on '" + opts.hexOutPath + "'");
  }
  Print(stderr, "rs41sim: " + ToText(frameCount) + " frames" +
                    (audio ? ", " + ToText(totalSamples) + " samples to " + opts.outputPath : "") +
                    "\n");
  return kExitOk;
}

int Run(const Options& opts) {
  if (opts.mode == Mode::kCheckRs) return RunCheckRs(opts.checkRsPath);
  if (opts.mode == Mode::kHexIn) {
    std::vector<HexFrame> frames = ReadHexFrames(opts.hexInPath);
    if (frames.empty()) throw std::runtime_error("no frames in '" + opts.hexInPath + "'");
    if (opts.frameCountGiven && opts.frameCount < frames.size()) frames.resize(opts.frameCount);
    return Synthesize(opts, frames.size(), [&](std::size_t k) { return frames[k].bytes; });
  }
  std::vector<std::uint8_t> calibration = opts.calibrationPath.empty()
                                              ? BuildCalibrationImage(opts.calibration)
                                              : LoadCalibrationImage(opts.calibrationPath);
  FrameBuilder builder(opts.content, std::move(calibration));
  TextFile truthFile(opts.truthOutPath);
  std::FILE* truthOut = truthFile.Get();
  const int status = Synthesize(opts, opts.frameCount, [&](std::size_t) {
    std::vector<std::uint8_t> frame = builder.Next();
    if (truthOut != nullptr) Print(truthOut, TruthJson(builder.LastTruth()) + "\n");
    return frame;
  });
  if (!truthFile.Close()) throw std::runtime_error("write error on '" + opts.truthOutPath + "'");
  return status;
}

}  // namespace
}  // namespace rs41sim

int main(int argc, char** argv) {
  using namespace rs41sim;
  const std::vector<const char*> args(argv, argv + argc);
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.error.empty()) {
    Print(stderr, "rs41sim: " + parsed.error + " (see --help)\n");
    return kExitUsage;
  }
  if (parsed.options.mode == Mode::kHelp) {
    Print(stdout, HelpText());
    return kExitOk;
  }
  try {
    return Run(parsed.options);
  } catch (const std::exception& error) {
    Print(stderr, std::string("rs41sim: ") + error.what() + "\n");
    return kExitFailure;
  }
}
