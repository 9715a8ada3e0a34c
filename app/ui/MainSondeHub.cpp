// The main window's SondeHub upload: its worker thread, started and stopped by the settings,
// and the hand-over of every decoded frame.
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "app/Version.h"
#include "app/ui/MainForm.h"
#include "base/Format.h"
#include "sondehub/io/SondeHub.h"

namespace windlark {

namespace {

constexpr int kSondeHubFinishMs = 3000;

}  // namespace

void TmainForm::ConfigureSondeHub(const AppliedSettings& settings) {
  const SondeHubSettings& s = settings.sondehub;
  const bool wanted = s.enable && SondeHubCallsignOk(s.callsign);
  const char* caOverride = std::getenv("WINDLARK_SONDEHUB_CA_FILE");
  const std::string url = SondeHubBaseUrl(s.url, std::getenv("WINDLARK_SONDEHUB_URL"));
  const std::string caFile = caOverride != nullptr && *caOverride != '\0' ? caOverride : s.caFile;

  SondeHubStation station;
  station.callsign = s.callsign;
  station.antenna = s.antenna;
  station.mobile = s.mobile;
  station.testMode = s.testMode;
  station.softwareVersion = FormatInt(kVersionMajor) + "." + FormatInt(kVersionMinor);
  station.position = std::array<double, 3>{settings.homeLatitude, settings.homeLongitude,
                                           static_cast<double>(settings.homeAltitudeM)};
  // A save that changes nothing of the upload keeps it running with its queue.
  const std::string key =
      !wanted ? std::string() : url + '\n' + caFile + '\n' + ListenerObject(station);
  if (key == m_sondeHubKey) return;
  StopSondeHub();
  m_sondeHubKey = key;
  if (!wanted) return;

  m_sondeHubSkipsLogged.clear();
  m_sondeHubThread = new QThread(this);
  m_sondeHubThread->setObjectName(QStringLiteral("SondeHub"));
  m_sondeHub = new TSondeHub(url, station, caFile);
  m_sondeHub->moveToThread(m_sondeHubThread);
  connect(m_sondeHubThread, &QThread::started, m_sondeHub, &TSondeHub::Execute);
  connect(m_sondeHub, &TSondeHub::EventText, this,
          [this](const QString& line) { LogEvent(line.toStdString()); });
  LogEvent("SondeHub upload started as " + s.callsign + (s.testMode ? " (test mode)" : ""));
  m_sondeHubThread->start();
}

void TmainForm::StopSondeHub() {
  if (m_sondeHub == nullptr) return;
  // The last frames (up to one batch interval) still go out, unless the service keeps the
  // window waiting.
  // The worker ends its thread itself once the last request is done: a quit() now would also
  // end the event loop that request waits in.
  m_sondeHub->Finish(std::chrono::milliseconds(kSondeHubFinishMs));
  m_sondeHubThread->wait();
  m_sondeHub->disconnect(this);
  delete m_sondeHub;
  delete m_sondeHubThread;
  m_sondeHub = nullptr;
  m_sondeHubThread = nullptr;
  m_sondeHubKey.clear();
}

void TmainForm::UploadFrame(const RawFrame& frame, const FrameChecks& checks, bool replayed) {
  if (m_sondeHub == nullptr) return;
  SondeHubStation station = m_sondeHub->Station();
  // A replayed flight is not live: the database takes it only as a test, which it keeps not.
  if (replayed && !station.testMode) {
    if (std::find(m_sondeHubSkipsLogged.begin(), m_sondeHubSkipsLogged.end(), -1) ==
        m_sondeHubSkipsLogged.end()) {
      m_sondeHubSkipsLogged.push_back(-1);
      LogEvent("SondeHub: replayed frames are uploaded only in test mode");
    }
    return;
  }
  // The home position follows the station GPS when it runs.
  const HomePosition& home = m_chain->Context().home;
  station.position = std::array<double, 3>{home.latitude, home.longitude, home.altitude};
  TelemetryResult result =
      TelemetryObject(m_chain->State(), checks, frame, station, std::chrono::system_clock::now());
  if (result.skip == TelemetrySkip::None) {
    m_sondeHub->Add(std::move(result.json));
    return;
  }
  if (result.skip == TelemetrySkip::NoPosition) return;
  const int kind = static_cast<int>(result.skip);
  if (std::find(m_sondeHubSkipsLogged.begin(), m_sondeHubSkipsLogged.end(), kind) !=
      m_sondeHubSkipsLogged.end()) {
    return;
  }
  m_sondeHubSkipsLogged.push_back(kind);
  LogEvent(result.skip == TelemetrySkip::Encrypted
               ? "SondeHub: encrypted RS41-SGM frames are not uploaded"
               : "SondeHub: frames with an implausible serial number are not uploaded");
}

}  // namespace windlark
