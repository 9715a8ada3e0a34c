#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "aprs/AprsSettings.h"
#include "decoder/FrameDecoder.h"

// The texts of the APRS-IS connection: what the client sends, how it judges what the server
// answers, and what the window shows of it.
namespace windlark {

// The one gate for text received over the air on its way into an APRS-IS line: ASCII letters,
// digits and "-" pass, everything else (blanks, punctuation that has a meaning in the line or a
// filter, CR, LF, control and non-ASCII bytes) is dropped; at most `maxLength` characters stay.
std::string SanitiseAirText(std::string_view text, std::size_t maxLength = 9);

// Where the client connects: a host name, or "host:port" for a server on another port than
// APRS-IS's own (a private or test server).
struct AprsEndpoint {
  std::string host;
  std::uint16_t port = 14580;
};
AprsEndpoint AprsEndpointOf(std::string_view server);

// The connection state of the client.
enum class AprsState : std::uint8_t {
  Idle = 0,
  Connecting = 1,
  LoggingIn = 2,
  Filtering = 3,
  Running = 5,
  TrackingSetup = 6,
  Disconnecting = 7,
  RetryShort = 8,
  RetryLong = 9,
};

// True while a connection is up: logging in, filtering, running or setting up tracking.
bool IsConnectedState(AprsState state);

// A server is one when its first line is a comment naming APRS-IS.
bool GreetingAccepted(std::string_view line);

enum class LoginVerdict { Verified, Failed, Undecided };
// One line of the server's answer to the login: "# logresp" decides, other lines leave it open.
LoginVerdict JudgeLoginLine(std::string_view line);

// " user CALL pass 12345 vers Windlark 1.15"
std::string LoginLine(const AprsLogin& login);

// A latitude or longitude as the position text (DDMM.hhN, DDDMM.hhE) and the DAO character
// that carries the next digits of the minutes.
struct CoordinateText {
  std::string text;
  char dao = '!';
};
CoordinateText LatitudeText(double latitude);
CoordinateText LongitudeText(double longitude);

// The object line of the station's own sonde; empty when the sonde id has no character an
// object name may carry.
std::string ObjectLine(const ObjectReport& report, const AprsLogin& login);

// The station's own position report, timestamped with the PC's UTC time of day.
std::string HomeBeaconLine(const AprsLogin& login, int secondsOfDay, double latitude,
                           double longitude);

// The PC's UTC date and time of day.
struct UtcNow {
  int year = 0;
  int month = 0;
  int day = 0;
  int secondsOfDay = 0;
};
UtcNow SystemUtcNow();

// At most one object report per 20 s of GPS time (across midnight too), and only while the PC's
// clock agrees with the sonde's.
class ReportGate {
 public:
  // True when a report of this frame goes out now; the frame's time is then kept.
  bool Pass(const ObjectReport& report, const UtcNow& now);
  int LastSecondsOfDay() const { return m_last; }

 private:
  int m_last = -50;
};

// The main window's events-log texts of the connection.
std::string AttemptingConnectionText(std::string_view host);
inline constexpr std::string_view kAprsConnectedText = "APRS: Connected to Server.";
inline constexpr std::string_view kAprsConnectionLostText =
    "APRS: Connection Lost: reconnecting...";
inline constexpr std::string_view kAprsConnectionFailText = "APRS: Connection fail.";
inline constexpr std::string_view kAprsConnectionRetryText =
    "APRS: Connection fail.Reconnect in 10s";
inline constexpr std::string_view kAprsDisconnectedText = "APRS server: Disconnected";
std::string LoginFailText(const AprsLogin& login);

// "Avail 07"; empty when no sonde is available.
std::string AvailableText(int count);
inline constexpr std::string_view kLockText = "Lock";
// "Tx 3": the reports sent on this connection.
std::string SentReportsText(int count);

}  // namespace windlark
