#include "radio/RadioScan.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

namespace windlark {
namespace {

// The receiver's service as the scan sees it: a scripted answer per command.
class ScriptedLink : public LineTransport {
 public:
  using Responder = std::function<std::optional<std::string>(const std::string& command)>;

  bool IsOpen() const override { return m_open; }
  bool Open() override {
    ++opens;
    if (refuse) return false;
    m_open = true;
    m_replies.clear();
    if (greeting) m_replies.push_back(*greeting);
    return true;
  }
  void Close() override { m_open = false; }
  void DiscardInput() override { m_replies.clear(); }
  bool Send(std::string_view bytes) override {
    if (!m_open) return false;
    sent.emplace_back(bytes);
    std::string command(bytes);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) {
      command.pop_back();
    }
    if (dropOnSend) {
      m_open = false;
      return true;
    }
    if (respond) {
      if (auto reply = respond(command)) m_replies.push_back(*reply);
    }
    return true;
  }
  LineRead ReadLine(int /*timeoutMs*/) override {
    if (!m_open) return {LineRead::Kind::Error, {}};
    if (m_replies.empty()) return {LineRead::Kind::Timeout, {}};
    std::string line = m_replies.front();
    m_replies.pop_front();
    return {LineRead::Kind::Line, line};
  }

  std::optional<std::string> greeting = R"({"Name":"Net Remote","Version":"1.0"})";
  Responder respond;
  bool refuse = false;
  bool dropOnSend = false;
  int opens = 0;
  std::vector<std::string> sent;

 private:
  bool m_open = false;
  std::deque<std::string> m_replies;
};

// A Net Remote plug-in with a tunable source that accepts every frequency.
std::optional<std::string> Agreeable(const std::string& command) {
  if (command.find("SourceIsTunable") != std::string::npos) {
    return R"({"Result":"OK","Method":"SourceIsTunable","Value":true})";
  }
  return R"({"Result":"OK"})";
}

struct Shown {
  std::vector<int> codes;
  std::vector<std::string> texts;
  std::vector<std::string> frequencies;
  std::vector<std::string> countdowns;
  std::optional<bool> lamp;
  std::optional<StartGlyph> glyph;
  bool ended = false;
};

class RecordingView : public ScanView {
 public:
  void ShowStatus(int code, const RadioStatusLook& look) override {
    shown.codes.push_back(code);
    shown.texts.push_back(look.text);
  }
  void ShowFrequency(const std::string& text) override {
    shown.codes.push_back(7);
    shown.frequencies.push_back(text);
  }
  void SetLamp(bool lit) override { shown.lamp = lit; }
  void SetStartGlyph(StartGlyph glyph) override { shown.glyph = glyph; }
  void ShowCountdown(const std::string& text) override { shown.countdowns.push_back(text); }
  void EndScan() override { shown.ended = true; }
  Shown shown;
};

class RadioScanTest : public testing::Test {
 protected:
  RadioScanTest() {
    link.respond = &Agreeable;
    settings.frequenciesHz = {405000000};
  }
  RadioScan& Scan() {
    if (!m_scan) {
      ScanInputs inputs;
      inputs.lockCount = &lockCount;
      inputs.noDataCounter = &noDataCounter;
      inputs.sondeIdKnown = [this] { return sondeKnown; };
      inputs.settings = [this] { return settings; };
      m_scan = std::make_unique<RadioScan>(*protocol, link, inputs, view);
      m_scan->Begin();
    }
    return *m_scan;
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Scan().Tick();
  }
  // Connected, tunable and tuned to the first entry: three ticks.
  void ToDwell() {
    Ticks(3);
    ASSERT_EQ(Scan().State(), ScanState::Dwell);
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> out;
    for (const std::string& line : link.sent) out.push_back(line);
    return out;
  }

  ScriptedLink link;
  std::unique_ptr<ReceiverProtocol> protocol = std::make_unique<NetRemoteProtocol>();
  RecordingView view;
  std::atomic<std::int32_t> lockCount{0};
  std::atomic<std::int32_t> noDataCounter{0};
  bool sondeKnown = false;
  ScanSettings settings;

 private:
  std::unique_ptr<RadioScan> m_scan;
};

TEST(RadioStatusTest, TextsColoursAndFrequencyLabel) {
  EXPECT_EQ(RadioStatusOf(0).text, "Connecting SDR");
  EXPECT_EQ(RadioStatusOf(1).text, "Query NetRemote");
  EXPECT_EQ(RadioStatusOf(1, "Query rigctl").text, "Query rigctl");
  const RadioStatusLook fail = RadioStatusOf(3);
  EXPECT_EQ(fail.text, "Connection Fail");
  EXPECT_TRUE(fail.red && fail.bold);
  const RadioStatusLook locked = RadioStatusOf(12);
  EXPECT_EQ(locked.text, "SondeID locked");
  EXPECT_TRUE(locked.bold && !locked.red);
  EXPECT_EQ(RadioStatusOf(9).text, "Unable to set Center Freq");
  EXPECT_EQ(RadioStatusOf(10).text, "Frequency change Timeout");
  EXPECT_FALSE(RadioStatusOf(4).bold);
  EXPECT_EQ(FrequencyLabelText(405000000), "405.000.000");
  EXPECT_EQ(FrequencyLabelText(402700000), "402.700.000");
  EXPECT_EQ(FrequencyLabelText(0), "0");
}

TEST(NetRemoteTest, CommandsAreSentByteForByte) {
  EXPECT_EQ(NetRemoteTunableQuery(), "{\"Command\": \"Get\", \"Method\": \"SourceIsTunable\"}");
  EXPECT_EQ(NetRemoteCentreCommand(405000000),
            "{\"Command\": \"Set\", \"Method\": \"centrefrequency\",\"Value\":405200000}");
  EXPECT_EQ(NetRemoteFrequencyCommand(405000000),
            "{\"Command\": \"Set\", \"Method\": \"Frequency\",\"Value\":405000000}");
  EXPECT_TRUE(NetRemoteGreetingOk(R"({"Name":"Net Remote"})"));
  EXPECT_FALSE(NetRemoteGreetingOk("Net Remote"));  // the words must be quoted
  EXPECT_TRUE(NetRemoteTunableOk(R"({"Result":"OK","Method":"SourceIsTunable","Value":true})"));
  EXPECT_FALSE(NetRemoteTunableOk(R"({"Result":"OK","Method":"SourceIsTunable","Value":false})"));
  EXPECT_FALSE(NetRemoteResultOk(R"({"Result":"ok"})"));  // case-sensitive
}

TEST_F(RadioScanTest, ConnectsQueriesAndTunesTheFirstEntry) {
  ToDwell();
  EXPECT_EQ(view.shown.codes, (std::vector<int>{0, 1, 2, 4, 7}));
  EXPECT_EQ(view.shown.frequencies, std::vector<std::string>{"405.000.000"});
  EXPECT_EQ(Commands(),
            (std::vector<std::string>{
                "{\"Command\": \"Get\", \"Method\": \"SourceIsTunable\"}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"centrefrequency\",\"Value\":405200000}\r\n",
                "{\"Command\": \"Set\", \"Method\": \"Frequency\",\"Value\":405000000}\r\n"}));
  EXPECT_EQ(view.shown.lamp, true);
  EXPECT_EQ(Scan().PeriodMs(), RadioScan::kScanPeriodMs);
  // One entry: tuned once, then never again.
  Ticks(100);
  EXPECT_EQ(link.sent.size(), 3U);
}

TEST_F(RadioScanTest, GreetingWithoutNetRemoteFailsThenReconnects) {
  link.greeting = R"({"Name":"Something else"})";
  Ticks(1);
  EXPECT_EQ(view.shown.codes, (std::vector<int>{0, 1, 3}));
  EXPECT_TRUE(link.IsOpen());  // left open: the next tick finds it so
  Ticks(1);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(view.shown.codes.back(), 3);
  link.greeting = R"({"Name":"Net Remote"})";
  Ticks(1);
  EXPECT_EQ(link.opens, 2);
  EXPECT_EQ(Scan().State(), ScanState::QueryTunable);
}

TEST_F(RadioScanTest, SilentGreetingAndRefusedConnectionRetryEveryPeriod) {
  link.greeting.reset();
  Ticks(1);
  EXPECT_EQ(view.shown.codes, (std::vector<int>{0, 1}));
  EXPECT_EQ(Scan().State(), ScanState::Connect);
  EXPECT_EQ(Scan().PeriodMs(), RadioScan::kConnectPeriodMs);
  link.refuse = true;
  Ticks(3);
  EXPECT_EQ(view.shown.texts.back(), "Connection Fail");
  EXPECT_EQ(Scan().State(), ScanState::Connect);
}

TEST_F(RadioScanTest, RefusedAndSilentExchangesEachShowTheirStatus) {
  struct Case {
    const char* name;
    ScriptedLink::Responder respond;
    int status;
    ScanState state;
  };
  const auto notTunable = [](const std::string& c) -> std::optional<std::string> {
    if (c.find("SourceIsTunable") != std::string::npos) {
      return R"({"Result":"OK","Method":"SourceIsTunable","Value":false})";
    }
    return R"({"Result":"OK"})";
  };
  const auto centreRefused = [](const std::string& c) -> std::optional<std::string> {
    if (c.find("centrefrequency") != std::string::npos) return R"({"Result":"Error"})";
    return Agreeable(c);
  };
  const auto centreSilent = [](const std::string& c) -> std::optional<std::string> {
    if (c.find("centrefrequency") != std::string::npos) return std::nullopt;
    return Agreeable(c);
  };
  const auto frequencyRefused = [](const std::string& c) -> std::optional<std::string> {
    if (c.find("\"Frequency\"") != std::string::npos) return R"({"Result":"Error"})";
    return Agreeable(c);
  };
  const Case cases[] = {
      {"not tunable", notTunable, 5, ScanState::Reset},
      {"centre refused", centreRefused, 9, ScanState::Reset},
      {"centre silent", centreSilent, 10, ScanState::Reset},
      {"frequency refused", frequencyRefused, 8, ScanState::Reset},
  };
  for (const Case& c : cases) {
    ScriptedLink fresh;
    fresh.respond = c.respond;
    RecordingView seen;
    ScanInputs inputs{&lockCount, &noDataCounter, [] { return false; },
                      [this] { return settings; }};
    NetRemoteProtocol netRemote;
    RadioScan scan(netRemote, fresh, inputs, seen);
    scan.Begin();
    for (int i = 0; i < 3 && scan.State() != c.state; ++i) scan.Tick();
    EXPECT_EQ(seen.shown.codes.back(), c.status) << c.name;
    EXPECT_EQ(scan.State(), c.state) << c.name;
    // Reset closes the link and connects again after the long period.
    scan.Tick();
    EXPECT_FALSE(fresh.IsOpen()) << c.name;
    EXPECT_EQ(scan.State(), ScanState::Connect) << c.name;
    EXPECT_EQ(scan.PeriodMs(), RadioScan::kConnectPeriodMs) << c.name;
    EXPECT_EQ(seen.shown.glyph, StartGlyph::Play) << c.name;
  }
}

TEST_F(RadioScanTest, SilentTuneIsSentAgainOnTheNextTick) {
  int frequencyCommands = 0;
  link.respond = [&](const std::string& c) -> std::optional<std::string> {
    if (c.find("\"Frequency\"") != std::string::npos && frequencyCommands++ == 0) {
      return std::nullopt;
    }
    return Agreeable(c);
  };
  Ticks(3);
  EXPECT_EQ(Scan().LastSetHz(), 0);
  EXPECT_EQ(view.shown.codes.back(), 4);
  Ticks(1);
  EXPECT_EQ(Scan().LastSetHz(), 405000000);
  EXPECT_EQ(link.sent.size(), 5U);  // query, centre, frequency, centre, frequency
}

TEST_F(RadioScanTest, ServiceDroppingMidScanResetsAndReconnects) {
  settings.frequenciesHz = {402700000, 403900000};
  ToDwell();
  link.dropOnSend = true;
  Ticks(21);  // the dwell ends; the next entry's tune finds the line gone
  EXPECT_EQ(view.shown.texts.back(), "Frequency change Timeout");
  link.dropOnSend = false;
  link.refuse = true;
  Ticks(2);
  EXPECT_EQ(view.shown.texts.back(), "Connection Fail");
  link.refuse = false;
  Ticks(3);
  EXPECT_EQ(Scan().State(), ScanState::Dwell);
  EXPECT_EQ(Scan().LastSetHz(), 402700000);  // a new scan starts from the first entry
}

TEST_F(RadioScanTest, EachEntryIsHeldTwentyTicksAndTheListWraps) {
  settings.frequenciesHz = {402700000, 403900000, 405100000};
  ToDwell();
  std::vector<int> tuned{Scan().LastSetHz()};
  for (int step = 0; step < 4; ++step) {
    int ticks = 0;
    const int before = Scan().LastSetHz();
    while (Scan().LastSetHz() == before && ticks < 100) {
      Scan().Tick();
      ++ticks;
    }
    // 19 more dwell ticks, NextFrequency, then the tune on the first tick of the new entry.
    EXPECT_EQ(ticks, 21);
    tuned.push_back(Scan().LastSetHz());
  }
  EXPECT_EQ(tuned, (std::vector<int>{402700000, 403900000, 405100000, 402700000, 403900000}));
}

TEST_F(RadioScanTest, PreamblesWithoutLockMoveOnAndRestartTheCount) {
  settings.frequenciesHz = {402700000, 403900000};
  ToDwell();
  lockCount = 1;
  Ticks(1);
  EXPECT_EQ(Scan().State(), ScanState::WaitPreambleLock);
  EXPECT_EQ(view.shown.texts.back(), "Preamble detected");
  lockCount = 3;  // two more: not enough
  Ticks(40);
  EXPECT_EQ(Scan().State(), ScanState::WaitPreambleLock);
  Ticks(1);
  EXPECT_EQ(Scan().State(), ScanState::NextFrequency);
  EXPECT_EQ(view.shown.texts.back(), "Scanning Frequencies");
  EXPECT_EQ(lockCount, 0);
  Ticks(2);
  EXPECT_EQ(Scan().LastSetHz(), 403900000);
}

TEST_F(RadioScanTest, LockedSondeWithRescanCountsDownAndResumes) {
  settings.rescanDelayMin = 5;
  ToDwell();
  lockCount = 2;
  Ticks(1);
  lockCount = 5;
  Ticks(1);
  EXPECT_EQ(Scan().State(), ScanState::WaitSondeId);
  EXPECT_EQ(view.shown.texts.back(), "Preamble locked");
  Ticks(10);
  EXPECT_EQ(Scan().State(), ScanState::WaitSondeId);
  sondeKnown = true;
  Ticks(1);
  EXPECT_EQ(view.shown.texts.back(), "SondeID locked");
  EXPECT_EQ(Scan().State(), ScanState::RescanCountdown);
  EXPECT_EQ(Scan().PeriodMs(), RadioScan::kCountdownPeriodMs);
  EXPECT_EQ(view.shown.glyph, StartGlyph::Pause);
  EXPECT_EQ(view.shown.countdowns.back(), "5 min");
  // Reception goes on: the decoder keeps zeroing the counter, the label keeps the full delay.
  noDataCounter = 0;
  Ticks(1);
  EXPECT_EQ(view.shown.countdowns.back(), "5 min");
  noDataCounter = 0;
  // Then it stops: one count per tick (the window's minute timer adds its own).
  std::vector<std::string> labels;
  while (Scan().State() == ScanState::RescanCountdown && labels.size() < 20) {
    Ticks(1);
    labels.push_back(view.shown.countdowns.back());
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"5 min", "4 min", "4 min", "3 min", "3 min", "2 min",
                                              "2 min", "1 min", "1 min", ""}));
  EXPECT_EQ(Scan().State(), ScanState::Dwell);
  EXPECT_EQ(view.shown.texts.back(), "Scanning Frequencies");
  EXPECT_EQ(view.shown.glyph, StartGlyph::Play);
  EXPECT_EQ(Scan().PeriodMs(), RadioScan::kScanPeriodMs);
  EXPECT_EQ(lockCount, 0);
}

TEST_F(RadioScanTest, LockedSondeWithoutRescanEnds) {
  settings.restartScan = false;
  ToDwell();
  lockCount = 1;
  Ticks(1);
  lockCount = 4;
  Ticks(1);
  sondeKnown = true;
  Ticks(1);
  EXPECT_TRUE(Scan().Finished());
  EXPECT_TRUE(view.shown.ended);
  EXPECT_EQ(view.shown.texts.back(), "SondeID locked");
  Scan().End();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(view.shown.lamp, false);
}

TEST_F(RadioScanTest, NoSondeIdWithinAMinuteMovesOnKeepingTheCount) {
  settings.frequenciesHz = {402700000, 403900000};
  ToDwell();
  lockCount = 1;
  Ticks(1);
  lockCount = 4;
  Ticks(1);
  Ticks(240);
  EXPECT_EQ(Scan().State(), ScanState::WaitSondeId);
  Ticks(1);
  EXPECT_EQ(Scan().State(), ScanState::NextFrequency);
  EXPECT_EQ(lockCount, 4);
}

TEST_F(RadioScanTest, RigctlTunesWithReadBackAndFailsSilentOrRefusedTunes) {
  protocol = std::make_unique<RigctlProtocol>();
  link.greeting.reset();
  long long rigHz = 145000000;
  bool refuse = false;
  bool silent = false;
  link.respond = [&](const std::string& c) -> std::optional<std::string> {
    if (c == "f") return std::to_string(rigHz);
    if (c.rfind("F ", 0) == 0) {
      if (silent) return std::nullopt;
      if (refuse) return "RPRT -11";
      rigHz = std::stoll(c.substr(2));
      return "RPRT 0";
    }
    return "RPRT -4";
  };
  settings.frequenciesHz = {405000000, 402700000};
  ToDwell();
  EXPECT_EQ(view.shown.texts, (std::vector<std::string>{"Connecting SDR", "Query rigctl",
                                                        "Connected", "Scanning Frequencies"}));
  EXPECT_EQ(Commands(), (std::vector<std::string>{"f\n", "F 405000000\n", "f\n"}));
  EXPECT_EQ(rigHz, 405000000);
  EXPECT_EQ(view.shown.frequencies.back(), "405.000.000");
  refuse = true;
  Ticks(21);
  EXPECT_EQ(view.shown.texts.back(), "Unable to set Frequency");
  refuse = false;
  silent = true;
  Ticks(5);  // reset, connect, query, tune: silent
  EXPECT_EQ(view.shown.texts.back(), "Frequency change Timeout");
}

}  // namespace
}  // namespace windlark
