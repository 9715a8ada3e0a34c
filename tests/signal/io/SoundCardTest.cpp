// The real sound path: synthesized RS41 audio goes into a PulseAudio source, and the program,
// capturing from that source as a user's sound input, decodes the sonde.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/ui/AudioControl.h"
#include "app/ui/MainForm.h"
#include "signal/io/PulseDaemon.h"
#include "signal/io/QtAudioSource.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace windlark {
namespace {

constexpr int kFrames = 16;
constexpr int kFeedSpeed = 2;  // times real time; the window could take five buffers a second

std::vector<std::uint8_t> SynthesizedAudio() {
  const std::string command = std::string(RS41SIM) + " --frames " + std::to_string(kFrames) +
                              " --start-frame 1000 --id V4150123 --noise 3 --format u8 -o -";
  std::vector<std::uint8_t> audio;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return audio;
  std::uint8_t buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    audio.insert(audio.end(), buffer, buffer + n);
  }
  pclose(pipe);
  audio.insert(audio.end(), 48000, 128);  // a second of quiet carries the last frame through
  return audio;
}

// Writes the audio into the source's pipe, paced, until done or told to stop.
void Feed(const std::filesystem::path& fifo, const std::vector<std::uint8_t>& audio,
          const std::atomic<bool>& stop) {
  const int fd = ::open(fifo.c_str(), O_WRONLY);
  if (fd < 0) return;
  constexpr std::size_t kChunk = 4800;  // 0.1 s of audio
  const auto period = std::chrono::microseconds(100000 / kFeedSpeed);
  auto next = std::chrono::steady_clock::now();
  for (std::size_t at = 0; at < audio.size() && !stop; at += kChunk) {
    const std::size_t size = std::min(kChunk, audio.size() - at);
    if (::write(fd, audio.data() + at, size) != static_cast<ssize_t>(size)) break;
    next += period;
    std::this_thread::sleep_until(next);
  }
  ::close(fd);
}

TEST(SoundCard, TheWindowDecodesASondeFromAPulseAudioInput) {
  test::PulseDaemon* daemon = test::SharedPulseDaemon();
  if (daemon == nullptr) GTEST_SKIP() << "no PulseAudio: " << test::PulseDaemonError();
  const std::vector<std::uint8_t> audio = SynthesizedAudio();
  ASSERT_GT(audio.size(), 48000U * kFrames);

  const std::vector<std::string> devices = QtAudioSource::InputDeviceNames();
  const auto found = std::find(devices.begin(), devices.end(), test::PulseDaemon::kSourceName);
  ASSERT_NE(found, devices.end()) << "the pipe source is not listed";

  std::vector<QString> messages;
  Prompts prompts;
  prompts.message = [&messages](Prompts::Icon, const QString& text) { messages.push_back(text); };
  TmainForm::Options options;
  options.prompts = prompts;
  TmainForm window(std::move(options));
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.Started(); }, 5000));
  AppliedSettings settings;
  settings.deviceIndex = static_cast<int>(found - devices.begin());
  window.ApplySettings(settings);
  window.Widgets().startAudio->click();
  ASSERT_TRUE(window.Audio().Running()) << (messages.empty() ? "" : messages[0].toStdString());
  EXPECT_EQ(window.Panels().StatusPanel(1, 1), "Input source: RS41-Test-Receiver");

  std::atomic<bool> stop{false};
  std::thread feeder(Feed, daemon->Fifo(), std::cref(audio), std::cref(stop));
  const bool lastFrame =
      QTest::qWaitFor([&] { return window.Panels().Text(ReadOut::FrameNumber) == "1015"; }, 25000);
  stop = true;
  feeder.join();
  window.Widgets().stopAudio->click();

  EXPECT_TRUE(lastFrame) << "last frame shown: " << window.Panels().Text(ReadOut::FrameNumber);
  EXPECT_EQ(window.Panels().Text(ReadOut::SondeId), "V4150123");
  EXPECT_GE(window.Chain().Log().Count(), static_cast<std::size_t>(kFrames - 1));
  EXPECT_TRUE(window.Widgets().eventsLog->toPlainText().contains(
      QStringLiteral("Receiving Sonde Id = V4150123 from Input source: RS41-Test-Receiver")));
  EXPECT_TRUE(messages.empty());
}

TEST(SoundCard, AMonitorSourceIsListedAndRecorded) {
  test::PulseDaemon* daemon = test::SharedPulseDaemon();
  if (daemon == nullptr) GTEST_SKIP() << "no PulseAudio: " << test::PulseDaemonError();
  const std::vector<std::string> devices = QtAudioSource::InputDeviceNames();
  const std::string monitorName = std::string("Monitor of ") + test::PulseDaemon::kNullSinkName;
  const auto found = std::find(devices.begin(), devices.end(), monitorName);
  ASSERT_NE(found, devices.end()) << "the null sink's monitor is not listed";

  QtAudioSource source;
  ASSERT_EQ(source.Open(static_cast<int>(found - devices.begin())), 0) << source.ErrorText();
  std::vector<std::uint8_t> storage(kSamplesPerBuffer);
  WaveHeader header;
  header.data = storage.data();
  header.length = kSamplesPerBuffer;
  source.AddBuffer(header);
  source.Start();

  // An SDR program plays a steady level into the sink, at real time.
  const pa_sample_spec format{PA_SAMPLE_U8, 48000, 1};
  int code = 0;
  pa_simple* player = pa_simple_new(nullptr, "test", PA_STREAM_PLAYBACK, "sdr", "sdr", &format,
                                    nullptr, nullptr, &code);
  ASSERT_NE(player, nullptr) << pa_strerror(code);
  std::atomic<bool> stop{false};
  std::thread feeder([&] {
    const std::vector<std::uint8_t> level(4800, 200);
    for (int k = 0; k < 80 && !stop; ++k)
      pa_simple_write(player, level.data(), level.size(), &code);
  });
  // The first buffers may hold the silence from before the playing started.
  bool heard = false;
  for (int round = 0; round < 6 && !heard; ++round) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return header.done.load(); }, 5000)) << "no samples";
    heard = std::count(storage.begin(), storage.end(), 200) > kSamplesPerBuffer / 2;
    source.AddBuffer(header);
  }
  stop = true;
  feeder.join();
  pa_simple_free(player);
  source.Close();
  EXPECT_TRUE(heard);
}

}  // namespace
}  // namespace windlark
