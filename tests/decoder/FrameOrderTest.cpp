// The order of the side effects within one frame, as the other subsystems rely on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/DecoderRig.h"
#include "decoder/FrameDecoder.h"

namespace windlark {
namespace {

// One journal for the display and the hooks, so their calls interleave as they happened.
class Journal : public DecoderHooks {
 public:
  void UpdateSonde(std::string_view, int, double, double, double) override { Note("map"); }
  void TrackTo(int, int) override { Note("home geometry/rotor"); }
  void EnableAuxiliaryPanel() override { Note("instruments"); }
  void PlotPoint(const TelemetryPoint&) override { Note("log entry/plot"); }
  bool AprsConnected() const override { return true; }
  void QueueObjectReport(const ObjectReport&) override { Note("APRS report"); }
  void WritePositionOut() override { Note("position output"); }
  void Note(std::string entry) {
    if (m_recording) m_entries.push_back(std::move(entry));
  }
  void Record() { m_recording = true; }
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  bool m_recording = false;
  std::vector<std::string> m_entries;
};

class JournalView : public PanelRecorder {
 public:
  explicit JournalView(Journal& journal) : m_journal(journal) {}
  void SetText(ReadOut readOut, std::string_view text) override {
    PanelRecorder::SetText(readOut, text);
    if (readOut == ReadOut::Temperature && !text.empty()) m_journal.Note("PTU");
  }

 private:
  Journal& m_journal;
};

TEST(FrameOrder, SideEffectsFollowTheFrameInTheirFixedOrder) {
  Journal journal;
  JournalView view(journal);
  LampBank lamps(view);
  DecodeContext ctx{view, lamps, journal, {}};
  SondeState state;
  TelemetryLog log;
  ResetDecoder(state, log, ctx);
  SetHomePosition(ctx.home, 1.0, 1.0, 0);  // off the sonde, so the look angles are defined

  test::FrameSpec frameSpec;
  frameSpec.velZcm = 500;
  DecodeFrame(test::ToRawFrame(test::BuildFrame(frameSpec)), state, log, ctx);  // the sonde is new
  // As if the calibration had been collected: temperatures and reports may follow.
  state.fragmentReceived.fill(true);
  state.tempC0 = 273.15 + 5;
  state.tempC1 = state.tempC2 = 0;
  state.temperatureCalReady = true;

  frameSpec.frameNumber = 1001;
  std::vector<std::uint8_t> frame = test::BuildFrame(frameSpec);
  // An air temperature triple with distinct references (measurement, reference 1, reference 2).
  for (const auto& [at, value] : {std::pair{103, 150000}, {106, 100000}, {109, 200000}}) {
    for (int k = 0; k < 3; ++k)
      frame[static_cast<std::size_t>(at + k)] = static_cast<std::uint8_t>(value >> (8 * k));
  }
  test::SealBlock(frame, 103, 42);
  // An auxiliary block in place of the padding at 299: [7E][n][data][CRC].
  const std::vector<std::uint8_t> aux = {0x01, '0', '5', '0', '1'};
  frame[299] = 0x7E;
  frame[300] = static_cast<std::uint8_t>(aux.size());
  std::copy(aux.begin(), aux.end(), frame.begin() + 301);
  test::SealBlock(frame, 301, static_cast<int>(aux.size()));
  journal.Record();
  DecodeFrame(test::ToRawFrame(frame), state, log, ctx);

  const std::vector<std::string> expected = {
      "map",         "home geometry/rotor", "PTU", "instruments", "log entry/plot",
      "APRS report", "position output"};
  EXPECT_EQ(journal.Entries(), expected);
}

}  // namespace
}  // namespace windlark
