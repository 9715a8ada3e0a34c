#include "aprs/io/Aprs.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "base/Projection.h"

namespace windlark {

namespace {

// APRS-IS lines are at most 512 bytes; a "line" far longer is not the protocol.
constexpr std::size_t kMaxLineBytes = 2048;
// Socket waits are sliced so that a request to end is seen within this time.
constexpr int kSliceMs = 50;
constexpr int kWriteMs = 5000;

int MsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

}  // namespace

TAprs::TAprs(Timing timing, std::function<UtcNow()> clock, QObject* parent)
    : QObject(parent), m_timing(timing), m_clock(std::move(clock)) {}

TAprs::~TAprs() = default;

void TAprs::SetLoginData(const AprsLogin& login) {
  std::lock_guard lock(m_mutex);
  m_login = login;
}

AprsLogin TAprs::LoginData() const {
  std::lock_guard lock(m_mutex);
  return m_login;
}

void TAprs::SetHome(const HomePosition& home) {
  std::lock_guard lock(m_mutex);
  m_home = home;
}

void TAprs::RequestConnect() {
  std::lock_guard lock(m_mutex);
  // A switch-off not yet acted on is overtaken by the switch-on.
  m_disconnectRequest = false;
  m_state = static_cast<int>(AprsState::Connecting);
  ++m_requests;
  m_wake.notify_all();
}

void TAprs::RequestDisconnect() {
  std::lock_guard lock(m_mutex);
  m_disconnectRequest = true;
  ++m_requests;
  m_wake.notify_all();
}

void TAprs::StartMonitoring() {
  const AprsState state = State();
  if (state == AprsState::Running || state == AprsState::TrackingSetup) {
    m_state = static_cast<int>(AprsState::Filtering);
  }
}

void TAprs::StartTracking(const std::string& name) {
  {
    std::lock_guard lock(m_mutex);
    m_trackedName = name;
  }
  const AprsState state = State();
  if (state == AprsState::Running || state == AprsState::Filtering) {
    m_state = static_cast<int>(AprsState::TrackingSetup);
  }
}

void TAprs::MinuteTick() {
  m_ageing = true;
  UpdateClock();
}

void TAprs::UpdateClock() {
  const UtcNow now = m_clock();
  m_sondes.SetTimeOfDay(now.secondsOfDay);
  std::lock_guard lock(m_mutex);
  ++m_minuteCounter;
  if (m_minuteCounter % 5 == 0 && m_login.sendHomePosition) {
    m_pendingHome = HomeBeaconLine(m_login, now.secondsOfDay, m_home.latitude, m_home.longitude);
    m_homePending = true;
  }
}

void TAprs::BuildHomeBeacon(double latitude, double longitude) {
  const UtcNow now = m_clock();
  std::lock_guard lock(m_mutex);
  m_pendingHome = HomeBeaconLine(m_login, now.secondsOfDay, latitude, longitude);
  m_homePending = true;
}

void TAprs::QueueObjectReport(const ObjectReport& report) {
  const std::string name = SanitiseAirText(report.sondeId);
  if (name.empty()) return;  // nothing an object could be named by
  const UtcNow now = m_clock();
  {
    std::lock_guard lock(m_mutex);
    if (!m_gate.Pass(report, now)) return;
    m_pendingObject = ObjectLine(report, m_login);
    m_objectPending = true;
  }
  AprsSonde own;
  own.name = name;
  own.latitude = report.latitude;
  own.longitude = report.longitude;
  own.altitude = report.altitude;
  const MapPoint map = Project(report.latitude, report.longitude);
  own.mapX = map.x;
  own.mapY = map.y;
  own.hour = report.hour;
  own.minute = report.minute;
  own.second = report.second;
  own.ownSonde = true;
  own.programTag = true;
  Merge(own);
}

void TAprs::Terminate() {
  std::lock_guard lock(m_mutex);
  m_terminate = true;
  m_wake.notify_all();
}

void TAprs::Execute() {
  m_disconnectRequest = false;
  while (!Stopping()) RunCycle();
  CloseConnection();
  m_socket.reset();
}

void TAprs::RunCycle() {
  const AprsState state = State();
  switch (state) {
    case AprsState::Idle:
      Sleep(m_timing.idleMs);
      return;
    case AprsState::Connecting:
      Connecting();
      break;
    case AprsState::LoggingIn:
      LoggingIn();
      break;
    case AprsState::Filtering:
      Filtering();
      break;
    case AprsState::Running:
      RunningCycle();
      break;
    case AprsState::TrackingSetup:
      TrackingSetup();
      break;
    case AprsState::Disconnecting:
      Disconnecting();
      return;
    case AprsState::RetryShort:
      Retry(AprsState::RetryShort, m_timing.retryShortMs);
      break;
    case AprsState::RetryLong:
      Retry(AprsState::RetryLong, m_timing.retryLongMs);
      break;
    default:
      Sleep(m_timing.unknownStateMs);
      return;
  }
  if (m_disconnectRequest && !Stopping()) m_state = static_cast<int>(AprsState::Disconnecting);
}

void TAprs::Connecting() {
  if (m_disconnectRequest) return;
  emit Feedback(-1, 0);
  ClearSondes();
  AprsLogin login;
  {
    std::lock_guard lock(m_mutex);
    m_homePending = false;
    login = m_login;
  }
  CloseConnection();
  m_socket = std::make_unique<QTcpSocket>();
  m_received.clear();
  const AprsEndpoint endpoint = AprsEndpointOf(login.serverHost);
  const auto deadline = Clock::now() + std::chrono::milliseconds(m_timing.connectMs);
  const std::optional<QHostAddress> address =
      Resolve(QString::fromStdString(endpoint.host), deadline);
  if (address) m_socket->connectToHost(*address, endpoint.port);
  while (address && m_socket->state() != QAbstractSocket::ConnectedState && !Stopping() &&
         m_socket->state() != QAbstractSocket::UnconnectedState && MsLeft(deadline) > 0) {
    m_socket->waitForConnected(std::min(kSliceMs, MsLeft(deadline)));
  }
  if (Stopping()) return;
  bool made = false;
  if (m_socket->state() == QAbstractSocket::ConnectedState) {
    UpdateClock();
    std::string greeting;
    if (ReadLine(m_timing.greetingMs, greeting) == Read::Line && GreetingAccepted(greeting)) {
      made = SendLine(LoginLine(login));
    }
  }
  if (Stopping()) return;
  if (made) {
    Advance(AprsState::Connecting, AprsState::LoggingIn);
    return;
  }
  CloseConnection();
  if (Advance(AprsState::Connecting, AprsState::RetryShort)) emit Feedback(0, 0);
}

void TAprs::LoggingIn() {
  LoginVerdict verdict = LoginVerdict::Undecided;
  for (int i = 0; i < 2 && verdict == LoginVerdict::Undecided; ++i) {
    std::string line;
    const Read read = ReadLine(m_timing.lineMs, line);
    if (Stopping()) return;
    if (read == Read::Failed) {
      ConnectionFailed(AprsState::LoggingIn);
      return;
    }
    if (read == Read::Line) verdict = JudgeLoginLine(line);
  }
  if (verdict != LoginVerdict::Verified) {
    if (Advance(AprsState::LoggingIn, AprsState::RetryLong)) emit Feedback(0, 1);
    return;
  }
  bool home = false;
  HomePosition at;
  {
    std::lock_guard lock(m_mutex);
    home = m_login.sendHomePosition;
    at = m_home;
    // A report queued while connecting goes out at once.
    m_objectPending = true;
  }
  if (home) BuildHomeBeacon(at.latitude, at.longitude);
  if (Advance(AprsState::LoggingIn, AprsState::Filtering)) emit Feedback(1, 0);
}

void TAprs::Filtering() {
  const std::string filter = LoginData().filterLine;
  if (!SendLine(filter)) {
    ConnectionFailed(AprsState::Filtering);
    return;
  }
  Advance(AprsState::Filtering, AprsState::Running);
  m_sondes.StartMonitoring();
  m_ageing = false;
  emit CountText(QString::fromStdString(m_sondes.CountText()));
  emit SondesChanged();
}

void TAprs::RunningCycle() {
  std::string line;
  const Read read = ReadLine(m_timing.lineMs, line);
  if (Stopping()) return;
  if (read == Read::Failed) {
    ConnectionFailed(AprsState::Running);
    return;
  }
  if (read == Read::Timeout) {
    Lamp(kLink, 0, 0, 128);
    Lamp(kRx, 0, 0, 128);
    Lamp(kTx, 0, 0, 128);
  } else if (line.starts_with("# aprs")) {
    Lamp(kLink, 255, 255, 0);
    m_keepalive = 2;
  } else {
    ParseLine(line);
  }

  std::string object;
  std::string home;
  bool objectDue = false;
  bool homeDue = false;
  {
    std::lock_guard lock(m_mutex);
    std::swap(objectDue, m_objectPending);
    if (objectDue) object = std::exchange(m_pendingObject, {});
    std::swap(homeDue, m_homePending);
    if (homeDue) home = std::exchange(m_pendingHome, {});
  }
  if (!object.empty()) {
    Lamp(kTx, 255, 255, 0);
    if (!SendLine(object)) {
      ConnectionFailed(AprsState::Running);
      return;
    }
    emit SentText(QString::fromStdString(SentReportsText(++m_sentReports)));
  }
  if (!home.empty()) {
    Lamp(kTx, 164, 164, 255);
    if (!SendLine(home)) {
      ConnectionFailed(AprsState::Running);
      return;
    }
  }
  if (m_ageing.exchange(false)) AgeSondes();
}

void TAprs::AgeSondes() {
  m_sondes.AgeSondes();
  emit CountText(QString::fromStdString(m_sondes.CountText()));
  emit SondesChanged();
  if (--m_keepalive <= 0 && Advance(AprsState::Running, AprsState::RetryShort)) {
    emit Feedback(2, 0);
  }
}

void TAprs::TrackingSetup() {
  std::string name;
  {
    std::lock_guard lock(m_mutex);
    name = m_trackedName;
  }
  if (!SendLine("#filter default")) {
    ConnectionFailed(AprsState::TrackingSetup);
    return;
  }
  Sleep(m_timing.trackingGapMs);
  if (Stopping()) return;
  // The name came from the air: only what the sanitiser lets pass reaches the filter.
  if (!SendLine("#filter o/" + SanitiseAirText(name))) {
    ConnectionFailed(AprsState::TrackingSetup);
    return;
  }
  Advance(AprsState::TrackingSetup, AprsState::Running);
  m_sondes.StartTracking(name);
  emit CountText(QString::fromStdString(m_sondes.CountText()));
  emit SondesChanged();
}

void TAprs::Disconnecting() {
  CloseConnection();
  ClearSondes();
  emit SondesChanged();
  Advance(AprsState::Disconnecting, AprsState::Idle);
  m_disconnectRequest = false;
}

void TAprs::Retry(AprsState from, int waitMs) {
  CloseConnection();
  Sleep(waitMs);
  if (Stopping()) return;
  Advance(from, AprsState::Connecting);
}

void TAprs::ConnectionFailed(AprsState from) {
  if (Stopping()) return;
  CloseConnection();
  // A request of the window meanwhile (a new connection, monitoring) stands.
  if (Advance(from, AprsState::RetryShort)) emit Feedback(0, 0);
}

std::optional<QHostAddress> TAprs::Resolve(const QString& host, Clock::time_point deadline) {
  QHostAddress literal;
  if (literal.setAddress(host)) return literal;
  // The socket's own lookup would block this thread, deaf to a request to end, for as long as
  // the resolver takes: it runs in Qt's pool while this thread turns its events in slices.
  std::optional<QHostInfo> found;
  QObject context;
  const int id =
      QHostInfo::lookupHost(host, &context, [&found](const QHostInfo& info) { found = info; });
  while (!found && !Stopping() && MsLeft(deadline) > 0) {
    QEventLoop loop;
    QTimer::singleShot(std::min(kSliceMs, MsLeft(deadline)), &loop, &QEventLoop::quit);
    loop.exec();
  }
  if (!found) {
    QHostInfo::abortHostLookup(id);
    return std::nullopt;
  }
  for (const QHostAddress& a : found->addresses()) {
    if (a.protocol() == QAbstractSocket::IPv4Protocol) return a;
  }
  if (!found->addresses().isEmpty()) return found->addresses().front();
  return std::nullopt;
}

TAprs::Read TAprs::ReadLine(int timeoutMs, std::string& line) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto end = m_received.find('\n');
    if (end != std::string::npos) {
      line = m_received.substr(0, end);
      m_received.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return Read::Line;
    }
    if (m_received.size() > kMaxLineBytes || !m_socket || Stopping()) return Read::Failed;
    if (m_socket->bytesAvailable() > 0) {
      m_received += m_socket->readAll().toStdString();
      continue;
    }
    // A server that closed mid-line leaves the part unread: the line never completes.
    if (m_socket->state() != QAbstractSocket::ConnectedState) return Read::Failed;
    const int left = MsLeft(deadline);
    if (left <= 0) return Read::Timeout;
    m_socket->waitForReadyRead(std::min(kSliceMs, left));
  }
}

bool TAprs::SendLine(const std::string& line) {
  if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) return false;
  const std::string data = line + "\r\n";
  if (m_socket->write(data.data(), static_cast<qint64>(data.size())) !=
      static_cast<qint64>(data.size())) {
    return false;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteMs);
  while (m_socket->bytesToWrite() > 0 && !Stopping() && MsLeft(deadline) > 0) {
    if (!m_socket->waitForBytesWritten(std::min(kSliceMs, MsLeft(deadline))) &&
        m_socket->state() != QAbstractSocket::ConnectedState) {
      return false;
    }
  }
  return m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TAprs::CloseConnection() {
  if (!m_socket) return;
  m_socket->abort();
  m_received.clear();
}

void TAprs::Sleep(int ms) {
  std::unique_lock lock(m_mutex);
  const unsigned long long seen = m_requests;
  m_wake.wait_for(lock, std::chrono::milliseconds(ms),
                  [&] { return m_terminate.load() || m_requests != seen; });
}

bool TAprs::Advance(AprsState from, AprsState to) {
  int expected = static_cast<int>(from);
  return m_state.compare_exchange_strong(expected, static_cast<int>(to));
}

void TAprs::ParseLine(const std::string& line) {
  if (!IsSondeObject(line)) return;
  Lamp(kRx, 255, 255, 0);
  const std::optional<ParsedObject> parsed = ParseObjectLine(line);
  if (!parsed) return;  // a timestamp that is not digits: the line is skipped
  if (!Merge(parsed->sonde)) return;
  if (!m_sondes.Tracking() || parsed->sonde.name != m_sondes.TrackedName()) return;
  HomePosition home;
  {
    std::lock_guard lock(m_mutex);
    home = m_home;
  }
  emit TrackingReport(TrackingTexts(*parsed, home, m_localeSeparator));
}

bool TAprs::Merge(const AprsSonde& sonde) {
  if (!m_sondes.MergeSonde(sonde)) return false;
  emit CountText(QString::fromStdString(m_sondes.CountText()));
  emit SondesChanged();
  return true;
}

void TAprs::ClearSondes() {
  m_sondes.ClearSondes();
  m_sentReports = 0;
  emit CountText(QString());
  emit SentText(QString());
}

void TAprs::Lamp(AprsLamp lamp, int red, int green, int blue) {
  // Five cycles a second dim the lamps: only changes travel.
  const int colour = red << 16 | green << 8 | blue;
  if (m_lampColours[static_cast<std::size_t>(lamp)] == colour) return;
  m_lampColours[static_cast<std::size_t>(lamp)] = colour;
  emit LampChanged(lamp, red, green, blue);
}

}  // namespace windlark
