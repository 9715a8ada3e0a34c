#include "cli/ReplayCommand.h"

#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "cli/ChaseMapSender.h"
#include "cli/CliOutput.h"
#include "cli/FrameJson.h"
#include "cli/SondeHubOption.h"
#include "decoder/FlightState.h"
#include "decoder/PanelRecorder.h"
#include "records/RawReplay.h"
#include "records/TrackExport.h"
#include "xdata/InstrumentChain.h"

namespace windlark {

const char* const kExportHelp =
    "usage: windlark-cli export RAWFILE [--kml FILE] [--gpx FILE] [--csv FILE]\n"
    "\n"
    "Replay a raw file at full speed and write the flight's GPS track as KML 2.1 and/or\n"
    "GPX 1.1 and its telemetry as CSV. Each file is written completely or not at all.\n";

const char* const kReplayHelp =
    "usage: windlark-cli replay [options] FILE\n"
    "\n"
    "Replay a raw file (one line of hex bytes per frame, as recorded with --raw-dir or by the\n"
    "desktop program) through the frame decoder and print one JSON object per frame, as\n"
    "'decode' does.\n"
    "\n"
    "options:\n"
    "  --speed S    stop, 0.5, 1, 4, 8 or max (default max: one frame per millisecond)\n"
    "               While it runs, a line on standard input with one of these words changes\n"
    "               the speed, 'quit' ends the replay. A replay paused with 'stop' ends when\n"
    "               standard input closes, since nothing could resume it.\n"
    "  --events     also print the events-log lines, prefixed with '# '\n"
    "  --panels     at the end print the final texts of the window's panels as JSON\n"
    "  --udp H:P    send each frame with a trustworthy position as a chase-map JSON\n"
    "               datagram (PAYLOAD_SUMMARY) to UDP host H, port P\n"
    "  -h, --help   show this help\n"
    "\n"
    "SondeHub upload, for trying a station out: a replayed flight is not live data, so it is\n"
    "uploaded only in test mode (--sondehub-test), which the service does not store:\n";

namespace {

std::optional<ReplaySpeed> ParseSpeed(const std::string& word) {
  if (word == "stop") return ReplaySpeed::Stop;
  if (word == "0.5") return ReplaySpeed::Half;
  if (word == "1") return ReplaySpeed::Normal;
  if (word == "4") return ReplaySpeed::Four;
  if (word == "8") return ReplaySpeed::Eight;
  if (word == "max") return ReplaySpeed::Max;
  return std::nullopt;
}

// Speed commands from standard input; detached, since a read cannot be interrupted.
void StartConsoleControl(const std::shared_ptr<RawReplay>& replay) {
  // Untied, a read never flushes the frames the main thread is writing to std::cout.
  std::cin.tie(nullptr);
  std::thread([replay] {
    for (std::string line; std::getline(std::cin, line);) {
      if (line == "quit") {
        replay->Terminate();
        return;
      }
      if (auto speed = ParseSpeed(line)) {
        replay->SetSpeed(*speed);
      } else if (!line.empty()) {
        std::cerr << "windlark-cli replay: unknown command '" << line << "'\n";
      }
    }
    if (replay->Paused()) {
      std::cerr << "windlark-cli replay: input closed while paused: ending the replay\n";
      replay->Terminate();
    }
  }).detach();
}

// The decoder's memory behind a recording display, reset as at window creation.
struct Decoder {
  PanelRecorder view;
  LampBank lamps{view};
  ChaseMapSender hooks;
  DecodeContext ctx{view, lamps, hooks, {}, {}};
  SondeState state;
  TelemetryLog log;
  InstrumentChain instruments;

  explicit Decoder(const std::string& path) {
    ctx.instruments = &instruments;
    hooks.SetState(&state);
    ShowInitialPanels(view);
    ResetDecoder(state, log, ctx);
    ShowInputSource(ctx, "Input source: " + path.substr(path.find_last_of('/') + 1));
  }
};

}  // namespace

int RunExport(const std::vector<std::string>& args) {
  std::string path;
  std::vector<std::pair<ExportKind, std::string>> outputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--kml" || arg == "--gpx" || arg == "--csv") && i + 1 < args.size()) {
      const ExportKind kind = arg == "--kml"   ? ExportKind::Kml
                              : arg == "--gpx" ? ExportKind::Gpx
                                               : ExportKind::Csv;
      outputs.emplace_back(kind, args[++i]);
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kExportHelp;
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "windlark-cli export: unknown option " << arg << " (see --help)\n";
      return 2;
    } else if (!path.empty()) {
      std::cerr << "windlark-cli export: only one raw file may be given\n";
      return 2;
    } else {
      path = arg;
    }
  }
  if (path.empty() || outputs.empty()) {
    std::cerr << "windlark-cli export: give a raw file and at least one of --kml, --gpx, --csv\n";
    return 2;
  }
  Decoder decoder(path);
  RawReplay replay(path);
  replay.SetUnpaced();
  bool bad = false;
  const bool opened = replay.Run(
      [&](const RawFrame& frame) {
        DecodeFrame(frame, decoder.state, decoder.log, decoder.ctx);
        ShowReplayLaunchTime(decoder.state, decoder.view);
      },
      [&](const std::string& message) {
        std::cerr << "windlark-cli export: " << message << '\n';
        bad = true;
      });
  if (!opened) return 1;
  const ExportData data{decoder.log.Snapshot(), decoder.state.sondeId,
                        decoder.state.launchTimeText};
  int failures = 0;
  for (const auto& [kind, file] : outputs) {
    const ExportOutcome outcome = RunExport(data, kind, file);
    std::string message = outcome.message;
    for (char& c : message) {
      if (c == '\r') c = ' ';
    }
    (outcome.ok ? std::cout : std::cerr) << file << ": " << message << '\n';
    if (!outcome.ok) ++failures;
  }
  if (failures > 0) return 1;
  return bad ? 3 : 0;
}

int RunReplay(const std::vector<std::string>& args) {
  std::string path;
  ReplaySpeed speed = ReplaySpeed::Max;
  bool events = false;
  bool panels = false;
  std::string udp;
  SondeHubOptions sondeHubOptions;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string optionError;
    if (TakeSondeHubOption(args, i, sondeHubOptions, optionError)) {
      if (!optionError.empty()) {
        std::cerr << "windlark-cli replay: " << optionError << '\n';
        return 2;
      }
    } else if (arg == "--udp" && i + 1 < args.size()) {
      udp = args[++i];
    } else if (arg == "--speed" && i + 1 < args.size()) {
      const auto parsed = ParseSpeed(args[++i]);
      if (!parsed) {
        std::cerr << "windlark-cli replay: --speed takes stop, 0.5, 1, 4, 8 or max\n";
        return 2;
      }
      speed = *parsed;
    } else if (arg == "--events") {
      events = true;
    } else if (arg == "--panels") {
      panels = true;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kReplayHelp << kSondeHubHelp;
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "windlark-cli replay: unknown option " << arg << " (see --help)\n";
      return 2;
    } else if (!path.empty()) {
      std::cerr << "windlark-cli replay: only one raw file may be given\n";
      return 2;
    } else {
      path = arg;
    }
  }
  if (path.empty()) {
    std::cerr << "windlark-cli replay: no raw file given (see --help)\n";
    return 2;
  }

  if (!sondeHubOptions.callsign.empty() && !sondeHubOptions.testMode) {
    std::cerr << "windlark-cli replay: a replayed flight is uploaded to SondeHub only in test "
                 "mode (--sondehub-test)\n";
    return 2;
  }
  SondeHubRun sondeHub;
  if (const std::string error = sondeHub.Start(sondeHubOptions); !error.empty()) {
    std::cerr << "windlark-cli replay: " << error << '\n';
    return 2;
  }
  Decoder decoder(path);
  if (!udp.empty()) {
    if (const std::string error = decoder.hooks.Open(udp); !error.empty()) {
      std::cerr << "windlark-cli replay: " << error << '\n';
      return 2;
    }
  }
  PanelRecorder& view = decoder.view;
  if (events) {
    view.SetEventListener(
        [](const std::string& line) { std::cout << "# " << EscapeLogLine(line) << '\n'; });
  }

  auto replay = std::make_shared<RawReplay>(path);
  replay->SetSpeed(speed);
  if (StandardInputTakesCommands()) {
    StartConsoleControl(replay);
  } else if (speed == ReplaySpeed::Stop) {
    std::cerr << "windlark-cli replay: --speed stop needs commands on standard input "
                 "(a terminal or a pipe)\n";
    return 2;
  }
  bool failed = false;
  FrameTally tally;
  const bool opened = replay->Run(
      [&](const RawFrame& frame) {
        const FrameChecks checks = DecodeFrame(frame, decoder.state, decoder.log, decoder.ctx);
        ShowReplayLaunchTime(decoder.state, view);
        if (tally.Count(checks)) std::cout << FrameJson(decoder.state, checks) << '\n';
        sondeHub.Frame(decoder.state, checks, frame);
        // A failed write (a full disk, a closed pipe) ends the run.
        if (!std::cout) replay->Terminate();
      },
      [&](const std::string& message) {
        std::cerr << "windlark-cli replay: " << message << '\n';
        failed = true;
      });
  ShowReplayFinished(decoder.ctx);
  sondeHub.Finish(std::chrono::seconds(30));
  if (panels) std::cout << view.PanelsJson() << '\n';
  std::cout.flush();
  if (!opened) return 1;
  if (!std::cout) {
    std::cerr << "windlark-cli replay: cannot write standard output\n";
    return 1;
  }
  std::cerr << "windlark-cli replay: " << tally.Summary() << '\n';
  return failed ? 3 : 0;
}

}  // namespace windlark
