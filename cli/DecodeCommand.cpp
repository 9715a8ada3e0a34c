#include "cli/DecodeCommand.h"

#include <iostream>

#include "app/ReceiveChain.h"
#include "cli/ChaseMapSender.h"
#include "cli/CliOutput.h"
#include "cli/FrameJson.h"
#include "cli/SondeHubOption.h"
#include "decoder/PanelRecorder.h"
#include "signal/FileAudioSource.h"

namespace windlark {

const char* const kDecodeHelp =
    "usage: windlark-cli decode [options] [FILE|-]\n"
    "\n"
    "Decode RS41 radiosonde telemetry from FM-demodulated receiver audio sampled at 48000 Hz.\n"
    "FILE is a WAV file (mono or the first channel, 8- or 16-bit PCM) or, with --raw-u8,\n"
    "headerless unsigned 8-bit samples. '-' or no FILE reads standard input, e.g.\n"
    "  rtl_fm -M fm -f 403.5M -s 48000 - | windlark-cli decode --raw-u8 -\n"
    "\n"
    "Prints one JSON object per frame on standard output: type, frame, id, batt (V),\n"
    "subtype, freq (MHz), bt (burst timer in s, 65535 = none), datetime (as sent: GPS time\n"
    "without leap seconds, or UTC from sondes of the current frame layout), ref_datetime\n"
    "(\"GPS\" or \"UTC\"), lat, lon, alt (m), vel_h (m/s), heading (deg), vel_v (m/s),\n"
    "sats, temp (C), humidity (%), pressure (hPa), dewpoint (C), from the enhanced\n"
    "demodulator ecc (bytes Reed-Solomon corrected, -1 = too many errors, blocks checked\n"
    "as received), snr (dB, of the bit decisions) and f_error (carrier offset in Hz from\n"
    "the DC level of the audio), and crc (per-block CRC results: status, ptu, gps_time,\n"
    "gps_pos, gnss_sats in the current layout, xdata[]).\n"
    "A field appears only when the block it comes from passed its CRC in that frame.\n"
    "\n"
    "options:\n"
    "  --raw-u8     input is headerless unsigned 8-bit mono at 48000 Hz\n"
    "  --demod standard|enhanced\n"
    "               the receive chain: enhanced (default) tracks DC, carrier offset and bit\n"
    "               timing through the frame and corrects errors by Reed-Solomon; standard\n"
    "               is the plain slicer with a clock taken from the preamble\n"
    "  --raw-dir D  record every frame to a raw file in folder D, named\n"
    "               YYYY-MM-DD-HH-<serial>.txt after the estimated launch hour (local time)\n"
    "  --no-adjust  do not remove the DC offset of the audio (the 'Adjust' box off)\n"
    "  --events     also print the events-log lines, prefixed with '# '\n"
    "  --udp H:P    send each frame with a trustworthy position as a chase-map JSON\n"
    "               datagram (PAYLOAD_SUMMARY) to UDP host H, port P (the chase map\n"
    "               listens on 127.0.0.1:55673)\n"
    "  --panels     at the end of the input print one JSON object with the final text of\n"
    "               every read-out, lamp and status-bar panel of the main window, keyed\n"
    "               \"<group caption>/<read-out caption>\"\n"
    "  -h, --help   show this help\n"
    "\n"
    "SondeHub upload (at the end of the input what is pending is sent, for up to 30 s):\n";

int RunDecode(const std::vector<std::string>& args) {
  std::string path;
  bool rawU8 = false;
  bool adjust = true;
  bool events = false;
  bool panels = false;
  std::string rawDir;
  std::string udp;
  DemodulatorKind demod = DemodulatorKind::Enhanced;
  SondeHubOptions sondeHubOptions;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string optionError;
    if (TakeSondeHubOption(args, i, sondeHubOptions, optionError)) {
      if (!optionError.empty()) {
        std::cerr << "windlark-cli decode: " << optionError << '\n';
        return 2;
      }
    } else if (arg == "--raw-dir" && i + 1 < args.size()) {
      rawDir = args[++i];
    } else if (arg == "--udp" && i + 1 < args.size()) {
      udp = args[++i];
    } else if (arg == "--demod" && i + 1 < args.size()) {
      const std::string& kind = args[++i];
      if (kind == "standard") {
        demod = DemodulatorKind::Standard;
      } else if (kind == "enhanced") {
        demod = DemodulatorKind::Enhanced;
      } else {
        std::cerr << "windlark-cli decode: --demod must be standard or enhanced, not " << kind
                  << '\n';
        return 2;
      }
    } else if (arg == "--raw-u8") {
      rawU8 = true;
    } else if (arg == "--no-adjust") {
      adjust = false;
    } else if (arg == "--events") {
      events = true;
    } else if (arg == "--panels") {
      panels = true;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kDecodeHelp << kSondeHubHelp;
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "windlark-cli decode: unknown option " << arg << " (see --help)\n";
      return 2;
    } else if (!path.empty()) {
      std::cerr << "windlark-cli decode: only one input file may be given\n";
      return 2;
    } else {
      path = arg;
    }
  }
  if (path.empty()) path = "-";

  FileAudioSource source(path,
                         rawU8 ? FileAudioSource::Format::RawU8 : FileAudioSource::Format::Wav);
  PanelRecorder view;
  ChaseMapSender hooks;
  if (!udp.empty()) {
    if (const std::string error = hooks.Open(udp); !error.empty()) {
      std::cerr << "windlark-cli decode: " << error << '\n';
      return 2;
    }
  }
  SondeHubRun sondeHub;
  if (const std::string error = sondeHub.Start(sondeHubOptions); !error.empty()) {
    std::cerr << "windlark-cli decode: " << error << '\n';
    return 2;
  }
  ReceiveChain chain(view, hooks);
  chain.SetDemodulator(demod);
  hooks.SetState(&chain.State());
  chain.Slicer().SetAdjust(adjust);
  if (events) {
    view.SetEventListener(
        [](const std::string& line) { std::cout << "# " << EscapeLogLine(line) << '\n'; });
  }
  if (!rawDir.empty()) {
    chain.SetRawCapture(true, rawDir, [](const std::string& error) {
      std::cerr << "windlark-cli decode: raw capture: " << error << '\n';
    });
  }
  FrameTally tally;
  chain.SetFrameObserver(
      [&chain, &tally, &sondeHub](const RawFrame& frame, const FrameChecks& checks) {
        if (tally.Count(checks)) std::cout << FrameJson(chain.State(), checks) << '\n';
        sondeHub.Frame(chain.State(), checks, frame);
      });

  AudioCapture capture(source, chain.Slicer());
  if (capture.Open(-1) != 0) {
    std::cerr << "windlark-cli decode: " << source.ErrorText() << '\n';
    return 1;
  }
  ShowInputSource(chain.Context(), "Input source: " + (path == "-" ? std::string("stdin") : path));
  capture.Start();
  // A failed write (a full disk, a closed pipe) ends the run: nothing could be seen any more.
  while (std::cout && chain.Tick(capture)) {
  }
  capture.Close();
  sondeHub.Finish(std::chrono::seconds(30));
  if (panels) std::cout << view.PanelsJson() << '\n';
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "windlark-cli decode: cannot write standard output\n";
    return 1;
  }
  if (!source.ErrorText().empty()) {
    std::cerr << "windlark-cli decode: " << source.ErrorText() << '\n';
    return 1;
  }
  std::cerr << "windlark-cli decode: " << tally.Summary() << '\n';
  return 0;
}

}  // namespace windlark
