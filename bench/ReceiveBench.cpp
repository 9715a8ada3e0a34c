// Slicer + synchroniser + frame checks over an hour of audio (3600 frames, one per second).
// The benchmark binary's main() lives here.
#include <benchmark/benchmark.h>

#include "app/ReceiveChain.h"
#include "decoder/PanelRecorder.h"
#include "support/TestSignal.h"

namespace {

using namespace windlark;

// One minute of frames with rotating fragments; the benchmark feeds it sixty times.
std::vector<std::uint8_t> MinuteOfAudio() {
  std::vector<std::uint8_t> audio;
  for (int k = 0; k < 60; ++k) {
    test::FrameSpec frameSpec;
    frameSpec.frameNumber = static_cast<std::uint16_t>(1000 + k);
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(k % 51);
    frameSpec.timeOfWeekMs = 43200000U + static_cast<std::uint32_t>(k) * 1000U;
    test::AudioSpec audioSpec;
    audioSpec.dcOffset = 7;
    test::AppendFrameAudio(audio, test::BuildFrame(frameSpec), audioSpec);
  }
  return audio;
}

void BM_ReceiveOneHour(benchmark::State& st) {
  const std::vector<std::uint8_t> minute = MinuteOfAudio();
  long frames = 0;
  for (auto _ : st) {
    PanelRecorder view;
    DecoderHooks hooks;
    ReceiveChain chain(view, hooks);
    chain.SetFrameObserver([&frames](const RawFrame&, const FrameChecks&) { ++frames; });
    for (int m = 0; m < 60; ++m) {
      for (std::size_t at = 0; at + kSamplesPerBuffer <= minute.size(); at += kSamplesPerBuffer) {
        chain.Lamps().Decay();
        chain.Slicer().SliceBuffer(std::span(minute).subspan(at, kSamplesPerBuffer));
      }
    }
  }
  st.counters["audio_s_per_cpu_s"] = benchmark::Counter(
      3600.0 * static_cast<double>(st.iterations()), benchmark::Counter::kIsRate);
  st.counters["frames"] = static_cast<double>(frames) / static_cast<double>(st.iterations());
}

BENCHMARK(BM_ReceiveOneHour)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
