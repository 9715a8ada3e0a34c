#include "app/ReceiveChain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "decoder/PanelRecorder.h"
#include "signal/FileAudioSource.h"
#include "support/TestSignal.h"

namespace windlark {
namespace {

struct Received {
  std::vector<int> frames;  // frame numbers of frames whose status block passed
  std::vector<std::string> ids;
  int synchronised = 0;
};

// Runs audio through the buffer cycle exactly as the timer does.
class VectorSource : public AudioSource {
 public:
  explicit VectorSource(std::vector<std::uint8_t> audio) : m_audio(std::move(audio)) {}
  int Open(int) override { return 0; }
  void AddBuffer(WaveHeader& header) override {
    header.done = false;
    if (m_pos + header.length > m_audio.size()) return;
    std::copy_n(m_audio.begin() + static_cast<long>(m_pos), header.length, header.data);
    m_pos += header.length;
    header.done = true;
  }
  void Start() override {}
  void Reset() override {}
  void Close() override {}

 private:
  std::vector<std::uint8_t> m_audio;
  std::size_t m_pos = 0;
};

constexpr DemodulatorKind kBothChains[] = {DemodulatorKind::Standard, DemodulatorKind::Enhanced};

const char* Name(DemodulatorKind kind) {
  return kind == DemodulatorKind::Standard ? "standard" : "enhanced";
}

Received Receive(AudioSource& source, bool adjust = true,
                 DemodulatorKind kind = DemodulatorKind::Standard) {
  PanelRecorder view;
  DecoderHooks hooks;
  ReceiveChain chain(view, hooks);
  chain.SetDemodulator(kind);
  chain.Slicer().SetAdjust(adjust);
  Received got;
  chain.SetFrameObserver([&](const RawFrame&, const FrameChecks& checks) {
    ++got.synchronised;
    if (checks.status) {
      got.frames.push_back(chain.State().frameNumber);
      got.ids.push_back(chain.State().sondeId);
    }
  });
  AudioCapture capture(source, chain.Slicer());
  EXPECT_EQ(capture.Open(-1), 0);
  capture.Start();
  while (chain.Tick(capture)) {
  }
  return got;
}

std::vector<std::uint8_t> Flight(int frames, const test::AudioSpec& audioSpec) {
  std::vector<std::uint8_t> audio(4800, static_cast<std::uint8_t>(128 + audioSpec.dcOffset));
  for (int k = 0; k < frames; ++k) {
    test::FrameSpec frameSpec;
    frameSpec.frameNumber = static_cast<std::uint16_t>(500 + k);
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(k % 51);
    test::AppendFrameAudio(audio, test::BuildFrame(frameSpec), audioSpec);
  }
  audio.resize((audio.size() / kSamplesPerBuffer + 2) * kSamplesPerBuffer,
               static_cast<std::uint8_t>(128 + audioSpec.dcOffset));
  return audio;
}

std::vector<int> Expected(int frames) {
  std::vector<int> numbers;
  for (int k = 0; k < frames; ++k) numbers.push_back(500 + k);
  return numbers;
}

// The chain follows the setting; a switch takes effect from the next buffer.
TEST(ReceiveChain, DefaultsToTheEnhancedChainAndSwitches) {
  PanelRecorder view;
  DecoderHooks hooks;
  ReceiveChain chain(view, hooks);
  EXPECT_EQ(chain.Kind(), DemodulatorKind::Enhanced);
  std::vector<bool> measured;
  chain.SetFrameObserver([&](const RawFrame&, const FrameChecks& checks) {
    measured.push_back(checks.quality.has_value());
  });
  const std::vector<std::uint8_t> audio = Flight(2, test::AudioSpec{});
  const auto feed = [&] {
    for (std::size_t at = 0; at + kSamplesPerBuffer <= audio.size(); at += kSamplesPerBuffer) {
      chain.Slicer().SliceBuffer(std::span(audio).subspan(at, kSamplesPerBuffer));
    }
  };
  feed();
  chain.SetDemodulator(DemodulatorKind::Standard);
  feed();
  EXPECT_EQ(measured, (std::vector<bool>{true, true, false, false}));
}

TEST(ReceiveChain, DecodesEveryFrameOfCleanInvertedAndOffsetAudio) {
  struct Case {
    const char* name;
    bool invert;
    int dcOffset;
  };
  for (const Case& c : {Case{"clean", false, 0}, Case{"inverted", true, 0},
                        Case{"offset +40", false, 40}, Case{"offset -40, inverted", true, -40}}) {
    test::AudioSpec audio;
    audio.invert = c.invert;
    audio.dcOffset = c.dcOffset;
    for (const DemodulatorKind kind : kBothChains) {
      VectorSource source(Flight(12, audio));
      const Received got = Receive(source, true, kind);
      EXPECT_EQ(got.frames, Expected(12)) << c.name << ", " << Name(kind);
    }
  }
}

TEST(ReceiveChain, WithoutAdjustAnOffsetSignalIsLost) {
  test::AudioSpec audio;
  audio.dcOffset = 70;  // both levels above the threshold
  for (const DemodulatorKind kind : kBothChains) {
    VectorSource source(Flight(5, audio));
    EXPECT_TRUE(Receive(source, false, kind).frames.empty()) << Name(kind);
  }
}

// The real recording: sonde L1830070, frames 3172-3231, inverted polarity.
TEST(ReceiveChain, RealRecordingDecodesTheReferenceFrames) {
  const std::filesystem::path dir = WINDLARK_SHARED_DATA "/rs1729_RS";
  const auto wav = dir / "rs41pre_20150802.wav";
  const auto reference = dir / "rs41pre_20150802.ref_rs41mod.jsonl";
  if (!std::filesystem::exists(wav) || !std::filesystem::exists(reference)) {
    GTEST_SKIP() << "real RS41 recordings not found at " << dir;
  }
  std::vector<int> expected;
  std::ifstream in(reference);
  const std::regex frameField("\"frame\": ([0-9]+)");
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, frameField)) expected.push_back(std::stoi(m[1]));
  }
  ASSERT_EQ(expected.size(), 60U);

  for (const DemodulatorKind kind : kBothChains) {
    FileAudioSource source(wav.string(), FileAudioSource::Format::Wav);
    const Received got = Receive(source, true, kind);
    EXPECT_EQ(got.frames, expected) << Name(kind);
    for (const auto& id : got.ids) EXPECT_EQ(id, "L1830070");
  }
}

}  // namespace
}  // namespace windlark
