#include "cli/SondeHubOption.h"

#include <cstdlib>
#include <iostream>

#include "app/IniFile.h"
#include "app/Version.h"
#include "base/Format.h"
#include "cli/CliOutput.h"
#include "sondehub/SondeHubSettings.h"

namespace windlark {

const char* const kSondeHubHelp =
    "  --sondehub CALL       upload every frame with a trustworthy position to SondeHub\n"
    "                        (https://api.v2.sondehub.org, or the base URL in the\n"
    "                        environment's WINDLARK_SONDEHUB_URL) as uploader CALL; never\n"
    "                        RS41-SGM frames, whose measurements are encrypted\n"
    "  --sondehub-test       test mode: the service checks the uploads and stores none\n"
    "  --sondehub-position LAT,LON,ALT\n"
    "                        the station's position (degrees, metres): sent with every\n"
    "                        frame and in the listener record (at start and every 6 hours)\n"
    "  --sondehub-antenna T  the station's antenna, as text\n"
    "  --sondehub-mobile     a mobile station (the listener record goes out once)\n"
    "                        An extra CA file for the server may be named in\n"
    "                        WINDLARK_SONDEHUB_CA_FILE.\n";

bool TakeSondeHubOption(const std::vector<std::string>& args, std::size_t& i,
                        SondeHubOptions& options, std::string& error) {
  const std::string& arg = args[i];
  const auto value = [&](std::string& target) {
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
    } else {
      target = args[++i];
    }
    return true;
  };
  if (arg == "--sondehub") return value(options.callsign);
  if (arg == "--sondehub-antenna") return value(options.antenna);
  if (arg == "--sondehub-position") return value(options.position);
  if (arg == "--sondehub-test") {
    options.testMode = true;
    return true;
  }
  if (arg == "--sondehub-mobile") {
    options.mobile = true;
    return true;
  }
  return false;
}

std::string SondeHubRun::Start(const SondeHubOptions& options) {
  if (options.callsign.empty()) {
    return options.testMode || options.mobile || !options.antenna.empty() ||
                   !options.position.empty()
               ? "the --sondehub-* options need --sondehub CALLSIGN"
               : "";
  }
  if (!SondeHubCallsignOk(options.callsign)) {
    return "--sondehub takes a callsign of 1 to 32 letters, digits, '-', '_' or '/'";
  }
  m_station.callsign = options.callsign;
  m_station.antenna = options.antenna;
  m_station.mobile = options.mobile;
  m_station.testMode = options.testMode;
  m_station.softwareVersion = FormatInt(kVersionMajor) + "." + FormatInt(kVersionMinor);
  if (!options.position.empty()) {
    std::array<double, 3> p{};
    std::size_t from = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const std::size_t comma = options.position.find(',', from);
      if ((k < 2) != (comma != std::string::npos)) return "--sondehub-position takes LAT,LON,ALT";
      const auto number =
          ParseIniReal(options.position.substr(
                           from, comma == std::string::npos ? std::string::npos : comma - from),
                       '.');
      if (!number) return "--sondehub-position takes LAT,LON,ALT";
      p[k] = *number;
      from = comma + 1;
    }
    if (p[0] < -90 || p[0] > 90 || p[1] < -180 || p[1] > 180 || p[2] < -1000 || p[2] > 10000) {
      return "--sondehub-position is outside the Earth's ranges";
    }
    m_station.position = p;
  }
  const char* ca = std::getenv("WINDLARK_SONDEHUB_CA_FILE");
  m_transport = std::make_unique<CurlTransport>(ca != nullptr ? ca : "");
  m_uploader = std::make_unique<SondeHubUploader>(
      *m_transport, SondeHubBaseUrl(kDefaultSondeHubUrl, std::getenv("WINDLARK_SONDEHUB_URL")),
      m_station);
  m_uploader->SetEventSink([](const std::string& line) {
    std::cerr << "windlark-cli: " << EscapeLogLine(line) << '\n';
  });
  m_thread = std::thread([this] { m_uploader->Run(); });
  return {};
}

void SondeHubRun::Frame(const SondeState& state, const FrameChecks& checks, const RawFrame& frame) {
  if (!m_uploader) return;
  TelemetryResult result =
      TelemetryObject(state, checks, frame, m_station, std::chrono::system_clock::now());
  if (result.skip == TelemetrySkip::None) {
    m_uploader->Add(std::move(result.json));
    return;
  }
  const auto said = [&](const char* text) {
    for (const TelemetrySkip s : m_skipsLogged) {
      if (s == result.skip) return;
    }
    m_skipsLogged.push_back(result.skip);
    std::cerr << "windlark-cli: " << text << '\n';
  };
  if (result.skip == TelemetrySkip::Encrypted) {
    said("SondeHub: encrypted RS41-SGM frames are not uploaded");
  } else if (result.skip == TelemetrySkip::BadSerial) {
    said("SondeHub: frames with an implausible serial number are not uploaded");
  }
}

void SondeHubRun::Finish(std::chrono::milliseconds deadline) {
  if (!m_uploader) return;
  m_uploader->Finish(deadline);
  if (m_thread.joinable()) m_thread.join();
  const SondeHubUploader::Counts counts = m_uploader->Stats();
  std::cerr << "windlark-cli: SondeHub: " << counts.sent << " frames uploaded, " << counts.queued
            << " not sent, " << counts.dropped << " dropped, " << counts.refused << " refused\n";
}

SondeHubRun::~SondeHubRun() {
  if (m_uploader) m_uploader->Stop();
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace windlark
