// A three-hour flight (10 800 frames) replayed at full speed through the decoder and the log,
// then exported as telemetry CSV.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "decoder/FlightState.h"
#include "decoder/PanelRecorder.h"
#include "records/RawCapture.h"
#include "records/RawReplay.h"
#include "records/TelemetryCsv.h"
#include "support/TestSignal.h"

namespace {

using namespace windlark;

constexpr int kFrames = 10800;

std::string WriteFlight() {
  const auto path = std::filesystem::temp_directory_path() / "windlark-bench-flight.txt";
  std::ofstream out(path, std::ios::binary);
  for (int k = 0; k < kFrames; ++k) {
    test::FrameSpec frameSpec;
    frameSpec.frameNumber = static_cast<std::uint16_t>(k);
    frameSpec.fragmentIndex = static_cast<std::uint8_t>(k % 51);
    frameSpec.timeOfWeekMs = 43200000U + static_cast<std::uint32_t>(k) * 1000U;
    frameSpec.ecefXcm = 637813700 + k * 500;  // climbing 5 m/s
    frameSpec.velXcm = 500;
    frameSpec.velYcm = 300;
    out << RawLine(test::ToRawFrame(test::BuildFrame(frameSpec))) << "\r\n";
  }
  return path.string();
}

void BM_ReplayThreeHourFlight(benchmark::State& st) {
  const std::string path = WriteFlight();
  for (auto _ : st) {
    PanelRecorder view;
    LampBank lamps(view);
    DecoderHooks hooks;
    DecodeContext ctx{view, lamps, hooks, {}, {}};
    SondeState state;
    TelemetryLog log;
    ResetDecoder(state, log, ctx);
    RawReplay replay(path);
    replay.SetUnpaced();
    replay.Run([&](const RawFrame& frame) { DecodeFrame(frame, state, log, ctx); },
               [](const std::string&) {});
    if (log.Count() != kFrames) st.SkipWithError("not every frame reached the log");
    const std::string csv = BuildTelemetryCsv(log.Snapshot());
    benchmark::DoNotOptimize(csv.data());
  }
  st.counters["frames_per_cpu_s"] =
      benchmark::Counter(static_cast<double>(kFrames) * static_cast<double>(st.iterations()),
                         benchmark::Counter::kIsRate);
  std::remove(path.c_str());
}

BENCHMARK(BM_ReplayThreeHourFlight)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
