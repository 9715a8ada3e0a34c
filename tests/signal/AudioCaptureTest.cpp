#include "signal/AudioCapture.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "decoder/PanelRecorder.h"
#include "signal/FileAudioSource.h"

namespace windlark {
namespace {

// Behaves like a sound driver: buffers are filled only when the test says so.
class FakeSource : public AudioSource {
 public:
  int Open(int deviceIndex) override {
    openedWith = deviceIndex;
    return openResult;
  }
  void AddBuffer(WaveHeader& header) override { queued.push_back(&header); }
  void Start() override { started = true; }
  void Reset() override { queued.clear(); }
  void Close() override { closed = true; }

  // The driver completes the oldest queued buffer with a constant level.
  void CompleteNext(std::uint8_t level) {
    WaveHeader* h = queued.front();
    queued.erase(queued.begin());
    std::fill(h->data, h->data + h->length, level);
    h->done = true;
  }

  int openResult = 0;
  int openedWith = -99;
  bool started = false;
  bool closed = false;
  std::vector<WaveHeader*> queued;
};

class Monitor : public SignalMonitorSink {
 public:
  bool IsVisible() const override { return visible; }
  void ShowBuffer(std::span<const std::uint8_t> buffer) override {
    calls.push_back("buffer " + std::to_string(buffer.size()));
  }
  void ShowPhase(int phase) override { calls.push_back("phase " + std::to_string(phase)); }
  bool visible = true;
  std::vector<std::string> calls;
};

struct Rig {
  class Sink : public FrameSink {
   public:
    void OnFrame(const RawFrame&) override {}
  } sink;
  FrameSynchroniser sync{sink};
  PanelRecorder view;
  LampBank lamps{view};
  std::atomic<std::int32_t> locks{0};
  BitSlicer slicer{sync, lamps, view, locks};
  FakeSource source;
  AudioCapture capture{source, slicer};
};

TEST(AudioCapture, QueuesBothBuffersAndAlternates) {
  Rig rig;
  ASSERT_EQ(rig.capture.Open(-1), 0);
  EXPECT_EQ(rig.source.openedWith, -1);  // the system's default input
  ASSERT_EQ(rig.source.queued.size(), 2U);
  EXPECT_EQ(rig.source.queued[0]->length, 24000U);
  rig.capture.Start();
  EXPECT_TRUE(rig.source.started);

  EXPECT_FALSE(rig.capture.Poll());  // nothing complete yet
  rig.source.CompleteNext(128);
  EXPECT_TRUE(rig.capture.Poll());
  EXPECT_EQ(rig.view.Text(ReadOut::AvrLevel), " 0.00");
  EXPECT_EQ(rig.capture.Current(), 1);
  EXPECT_EQ(rig.source.queued.size(), 2U);  // handed straight back
  EXPECT_FALSE(rig.capture.Poll());         // only one buffer per tick, and 1 is not done
  rig.source.CompleteNext(138);
  EXPECT_TRUE(rig.capture.Poll());
  EXPECT_EQ(rig.view.Text(ReadOut::AvrLevel), "10.00");
  EXPECT_EQ(rig.capture.Current(), 0);
}

TEST(AudioCapture, FailedOpenStillResetsTheDemodulator) {
  Rig rig;
  rig.source.openResult = 3;
  EXPECT_EQ(rig.capture.Open(2), 3);
  EXPECT_TRUE(rig.source.queued.empty());
  EXPECT_FALSE(rig.capture.IsOpen());
  EXPECT_FALSE(rig.capture.Poll());
  EXPECT_EQ(rig.slicer.State().state, SlicerMode::Hunting);
  EXPECT_EQ(rig.sync.State().polarity, 0);
}

TEST(AudioCapture, VisibleMonitorGetsTheBufferThenThePhase) {
  Rig rig;
  Monitor monitor;
  rig.capture.SetMonitor(&monitor);
  rig.capture.Open(0);
  rig.source.CompleteNext(128);
  rig.capture.Poll();
  EXPECT_EQ(monitor.calls, (std::vector<std::string>{"buffer 24000", "phase 0"}));
  monitor.visible = false;
  rig.source.CompleteNext(128);
  rig.capture.Poll();
  EXPECT_EQ(monitor.calls.size(), 2U);
  rig.capture.Close();
  EXPECT_TRUE(rig.source.closed);
}

class FileSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("windlark-audio-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Le(std::uint32_t v, int n) {
    std::string s;
    for (int k = 0; k < n; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
  }
  static std::string Wav(std::uint32_t rate, int bits, int channels, const std::string& data,
                         std::uint16_t encoding = 1, const std::string& extra = {}) {
    const auto align = static_cast<std::uint32_t>(channels * bits / 8);
    std::string fmt = Le(encoding, 2) + Le(static_cast<std::uint32_t>(channels), 2) + Le(rate, 4) +
                      Le(rate * align, 4) + Le(align, 2) + Le(static_cast<std::uint32_t>(bits), 2);
    std::string body = "WAVE" + std::string("fmt ") + Le(16, 4) + fmt + extra + "data" +
                       Le(static_cast<std::uint32_t>(data.size()), 4) + data;
    return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
  }

  std::filesystem::path m_dir;
};

// Reads every buffer the source produces.
std::vector<std::vector<std::uint8_t>> Drain(FileAudioSource& source) {
  std::array<std::uint8_t, kSamplesPerBuffer> storage{};
  WaveHeader header;
  header.data = storage.data();
  header.length = kSamplesPerBuffer;
  source.Start();
  std::vector<std::vector<std::uint8_t>> buffers;
  for (;;) {
    source.AddBuffer(header);
    if (!header.done) break;
    buffers.emplace_back(storage.begin(), storage.end());
  }
  return buffers;
}

TEST_F(FileSourceTest, SixteenBitSamplesBecomeUnsignedEightBit) {
  // -32768, -1, 0, 256, 32767 -> 0, 127, 128, 129, 255; the odd LIST chunk is skipped.
  std::string data = Le(0x8000, 2) + Le(0xFFFF, 2) + Le(0, 2) + Le(256, 2) + Le(0x7FFF, 2);
  const std::string list = "LIST" + Le(3, 4) + "abc" + std::string(1, '\0');
  FileAudioSource source(Write("a.wav", Wav(48000, 16, 1, data, 1, list)),
                         FileAudioSource::Format::Wav);
  ASSERT_EQ(source.Open(-1), 0) << source.ErrorText();
  const auto buffers = Drain(source);
  ASSERT_EQ(buffers.size(), 2U);  // the data, then one idle buffer after the end
  EXPECT_EQ(std::vector<std::uint8_t>(buffers[0].begin(), buffers[0].begin() + 5),
            (std::vector<std::uint8_t>{0, 127, 128, 129, 255}));
  EXPECT_EQ(source.SamplesRead(), 5U);
}

TEST_F(FileSourceTest, StereoUsesTheFirstChannel) {
  std::string data;
  for (int k = 0; k < 4; ++k) data += std::string{static_cast<char>(200), static_cast<char>(10)};
  FileAudioSource source(Write("s.wav", Wav(48000, 8, 2, data)), FileAudioSource::Format::Wav);
  ASSERT_EQ(source.Open(-1), 0);
  const auto buffers = Drain(source);
  ASSERT_FALSE(buffers.empty());
  EXPECT_EQ(buffers[0][3], 200);
  EXPECT_EQ(buffers[0][100], 200);  // padded with the level read
}

TEST_F(FileSourceTest, RefusesWhatIsNotUsableAudio) {
  struct Case {
    std::string bytes;
    std::string error;
  };
  const Case cases[] = {
      {"hello, this is text", "is not a WAV file"},
      {Wav(44100, 8, 1, "abc"), "44100 Hz, need 48000 Hz"},
      {Wav(48000, 24, 1, "abcdef"), "24-bit samples"},
      {Wav(48000, 16, 1, "ab", 3), "is not PCM"},
      {"RIFF" + Le(4, 4) + "WAVE", "no data chunk"},
      {"", "is not a WAV file"},
  };
  int n = 0;
  for (const auto& c : cases) {
    FileAudioSource source(Write("bad" + std::to_string(n++), c.bytes),
                           FileAudioSource::Format::Wav);
    EXPECT_NE(source.Open(-1), 0);
    EXPECT_NE(source.ErrorText().find(c.error), std::string::npos) << source.ErrorText();
  }
  FileAudioSource missing((m_dir / "nope.wav").string(), FileAudioSource::Format::Wav);
  EXPECT_NE(missing.Open(-1), 0);
  EXPECT_NE(missing.ErrorText().find("cannot open"), std::string::npos);
}

// Opens `bytes` as a WAV file through a pipe, which cannot seek; returns the error text.
std::string OpenThroughPipe(const std::string& bytes) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  // Small enough for the pipe's buffer, so the write never waits for the reader.
  const bool written =
      ::write(fds[1], bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ::close(fds[1]);
  FileAudioSource source("/dev/fd/" + std::to_string(fds[0]), FileAudioSource::Format::Wav);
  const int opened = source.Open(-1);
  ::close(fds[0]);
  if (!written) return "write failed";
  return opened == 0 ? "opened" : source.ErrorText();
}

TEST_F(FileSourceTest, HeaderFieldsNeverDecideTheMemoryUsed) {
  struct Case {
    int channels;
    const char* error;
  };
  for (const Case& c : {Case{65535, "65535 channels, at most 8 are supported"},
                        Case{9, "9 channels"}, Case{8, ""}}) {
    FileAudioSource source(Write("c.wav", Wav(48000, 16, c.channels, std::string(64, 'a'))),
                           FileAudioSource::Format::Wav);
    EXPECT_EQ(source.Open(-1) == 0, *c.error == '\0') << c.channels;
    EXPECT_NE(source.ErrorText().find(c.error), std::string::npos) << source.ErrorText();
  }
  const std::string good = Wav(48000, 8, 1, std::string(16, 'a'));
  auto withChunk = [&](std::uint32_t size, const std::string& content) {
    // The extra chunk goes right after "WAVE".
    return good.substr(0, 12) + "junk" + Le(size, 4) + content + good.substr(12);
  };
  EXPECT_EQ(OpenThroughPipe(withChunk(4, "abcd")), "opened");
  // 0xFFFFFFFF + 1 wrapped to a zero-byte skip, and what followed was read as the next chunk.
  EXPECT_NE(OpenThroughPipe(withChunk(0xFFFFFFFFU, "")).find("truncated WAV file"),
            std::string::npos);
#if !defined(__SANITIZE_ADDRESS__)
  // Skipping a 4 GB chunk on a pipe allocated it whole: under a memory limit, std::bad_alloc.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{512U << 20, 512U << 20};
    ::setrlimit(RLIMIT_AS, &limit);
    const std::string error = OpenThroughPipe(withChunk(0xFFFFFFFEU, "abcd"));
    ::_exit(error.find("truncated WAV file") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

TEST_F(FileSourceTest, RawBytesAreSamplesAsTheyAre) {
  std::string data(30000, static_cast<char>(140));
  FileAudioSource source(Write("r.u8", data), FileAudioSource::Format::RawU8);
  ASSERT_EQ(source.Open(-1), 0);
  const auto buffers = Drain(source);
  ASSERT_EQ(buffers.size(), 3U);  // a full buffer, a padded one, an idle one
  EXPECT_EQ(buffers[1][23999], 140);
}

}  // namespace
}  // namespace windlark
