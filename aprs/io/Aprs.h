#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "aprs/AprsLines.h"
#include "aprs/AprsSondeList.h"

class QTcpSocket;

namespace windlark {

// Every wait, in milliseconds; tests shorten the long ones.
struct AprsTiming {
  int idleMs = 2500;
  int unknownStateMs = 250;
  int connectMs = 5000;
  int greetingMs = 5000;
  int lineMs = 200;
  int trackingGapMs = 200;
  int retryShortMs = 10000;
  int retryLongMs = 300000;
};

// The APRS-IS client: keeps one connection to a server on its own thread (Execute, started by
// the thread's start), logs in, sets the filter, reads the server's lines and sends the lines
// the window queues. It reconnects by itself and never ends before it is told to. The window
// calls the operations below on its thread; they only set the state, flags and pending lines
// that the next cycle picks up. Everything the client shows leaves it as a queued signal.
class TAprs : public QObject {
  Q_OBJECT

 public:
  using Timing = AprsTiming;
  enum AprsLamp { kLink = 0, kRx = 1, kTx = 2 };

  explicit TAprs(Timing timing = {}, std::function<UtcNow()> clock = &SystemUtcNow,
                 QObject* parent = nullptr);
  ~TAprs() override;

  void SetLoginData(const AprsLogin& login);
  AprsLogin LoginData() const;
  // Where the home beacon says the station is, and where the tracking panel measures from.
  void SetHome(const HomePosition& home);
  // The user's decimal separator, for the panel's bearing, elevation and slant range.
  void SetLocaleSeparator(char separator) { m_localeSeparator = separator; }

  void RequestConnect();
  void RequestDisconnect();
  bool IsDisconnectRequested() const { return m_disconnectRequest; }
  bool IsConnected() const { return IsConnectedState(State()); }
  AprsState State() const { return static_cast<AprsState>(m_state.load()); }

  void StartMonitoring();
  void StartTracking(const std::string& name);
  // Every minute: ages the sondes in the next cycle, then UpdateClock().
  void MinuteTick();
  // Takes the PC's UTC time of day; every fifth call queues the home beacon.
  void UpdateClock();

  // The own sonde's report of a frame: built when due, queued, and merged into the list.
  void QueueObjectReport(const ObjectReport& report);
  // The home beacon for this position, queued.
  void BuildHomeBeacon(double latitude, double longitude);

  std::vector<AprsSonde> Sondes() const { return m_sondes.Snapshot(); }
  std::vector<std::string> SondeNames() const { return m_sondes.Names(); }
  bool Tracking() const { return m_sondes.Tracking(); }
  int SentReports() const { return m_sentReports; }

  // From any thread: the running cycle ends at once, every wait with it.
  void Terminate();

 public slots:
  void Execute();

 signals:
  // The connection's progress: (-1, 0) attempting, (1, 0) logged in, (2, 0) keepalive lost,
  // (0, 0) connection failed, (0, 1) login refused.
  void Feedback(int wParam, int lParam);
  // The list of sondes changed: the map redraws.
  void SondesChanged();
  void LampChanged(int lamp, int red, int green, int blue);
  // The "Avail" label and the sent-reports label above the button.
  void CountText(const QString& text);
  void SentText(const QString& text);
  // A report of the tracked sonde for the panel.
  void TrackingReport(const windlark::TrackingPanelTexts& texts);

 private:
  enum class Read { Line, Timeout, Failed };

  void RunCycle();
  void Connecting();
  void LoggingIn();
  void Filtering();
  void RunningCycle();
  void TrackingSetup();
  void Disconnecting();
  void Retry(AprsState from, int waitMs);
  // A connection that broke after it was made: treated as a failed attempt.
  void ConnectionFailed(AprsState from);

  using Clock = std::chrono::steady_clock;
  // The address of a host name or address text; nothing when it is not found in time.
  std::optional<QHostAddress> Resolve(const QString& host, Clock::time_point deadline);
  Read ReadLine(int timeoutMs, std::string& line);
  bool SendLine(const std::string& line);
  void CloseConnection();
  // Sleeps until the time is up, the client is told to end, or a request arrives.
  void Sleep(int ms);
  bool Stopping() const { return m_terminate; }
  // Moves from `from` to `to` unless the window has set another state meanwhile.
  bool Advance(AprsState from, AprsState to);

  void ParseLine(const std::string& line);
  bool Merge(const AprsSonde& sonde);
  void ClearSondes();
  void AgeSondes();
  void Lamp(AprsLamp lamp, int red, int green, int blue);

  Timing m_timing;
  std::function<UtcNow()> m_clock;
  std::unique_ptr<QTcpSocket> m_socket;
  std::string m_received;                        // bytes of a line not yet complete
  std::array<int, 3> m_lampColours{-1, -1, -1};  // as last sent, on the client's thread

  std::atomic<int> m_state{static_cast<int>(AprsState::Idle)};
  std::atomic<bool> m_disconnectRequest{false};
  std::atomic<bool> m_terminate{false};
  std::atomic<bool> m_ageing{false};
  std::atomic<int> m_keepalive{0};
  std::atomic<int> m_sentReports{0};
  std::atomic<char> m_localeSeparator{'.'};

  mutable std::mutex m_mutex;  // guards everything below, and the wake-up
  std::condition_variable m_wake;
  unsigned long long m_requests = 0;  // raised by every request that ends a sleep
  AprsLogin m_login;
  HomePosition m_home;
  std::string m_pendingObject;
  bool m_objectPending = false;
  std::string m_pendingHome;
  bool m_homePending = false;
  int m_minuteCounter = 0;
  std::string m_trackedName;
  ReportGate m_gate;

  AprsSondeList m_sondes;
};

}  // namespace windlark
