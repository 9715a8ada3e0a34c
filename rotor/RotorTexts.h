#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rotor/RotorSettings.h"

namespace windlark {

// The protocol's name as the window caption and the settings show it.
std::string_view RotorProtocolName(int protocol);
bool RotorProtocolIsSerial(int protocol);

// The rotor's serial speed by the settings' index; anything unknown is 9600.
int RotorBaudRate(int speedIndex);

// Whole degrees, at least three digits, zero-padded, "-" in front when negative (45 "045",
// -3 "-003").
std::string FormatDegrees(int degrees);
// The position label's text: the three characters and a degree sign.
std::string PositionLabelText(std::string_view degrees);

// GS-232A/B commands, each sent with a CR after it.
std::string Gs232MoveCommand(int azimuth, int elevation);  // "W045 010"
inline constexpr std::string_view kGs232Stop = "S";
inline constexpr std::string_view kGs232Query = "c2";

// A "c2" reply in either form, any letter case: GS-232B "AZ=aaaEL=eee" or GS-232A
// "+0aaa+0eee". The angles as received (three digits each); nothing for anything else.
struct RotorPosition {
  std::string azimuth;
  std::string elevation;
};
std::optional<RotorPosition> ParseGs232Position(std::string_view reply);

// The line of the one-way protocols, with its terminator.
std::string EasyCommLine(int azimuth, int elevation);  // "AZ045.0 EL010.0\r"
std::string RawLine(int azimuth, int elevation);       // "045 010\r\n"

// The GS-232 position query's interval, in 500 ms ticks.
constexpr int QueryIntervalTicks(int queryPeriodS) {
  return queryPeriodS * 2;
}

// hamlib rotctld commands (each sent with LF) and replies.
std::string RotctldMoveCommand(int azimuth, int elevation);  // "P 45 10"
inline constexpr std::string_view kRotctldStop = "S";
inline constexpr std::string_view kRotctldQuery = "p";
// "RPRT 0" is success; other RPRT codes are hamlib's errors.
bool RotctldReplyOk(std::string_view line);
// One of the two lines "p" answers: a real number of degrees, rounded to whole.
std::optional<int> ParseRotctldAngle(std::string_view line);

// The link's status texts.
std::string SerialCannotOpenText(std::string_view port);
std::string SerialOpenedText(std::string_view port, int baud);
std::string SerialLostText(std::string_view port);
std::string RotctldConnectingText(std::string_view host, int port);
std::string RotctldConnectedText(std::string_view host, int port);
std::string RotctldCannotConnectText(std::string_view host, int port);
std::string RotctldLostText(std::string_view host, int port);
inline constexpr std::string_view kRegistryOpenedText = "Registry: Opened";
inline constexpr std::string_view kNotConnectedText = "Not Connected";
inline constexpr std::string_view kStatusNotConnectedText = "Status: Not Connected";
inline constexpr std::string_view kRotorNaText = "Rotor: N/A";
inline constexpr std::string_view kMoveOkText = "Rotor [W]: Ok";
inline constexpr std::string_view kMoveFailText = "Rotor [W]: Fail";
inline constexpr std::string_view kStopOkText = "Rotor [S]: Ok";
inline constexpr std::string_view kStopFailText = "Rotor [S]: Fail";
inline constexpr std::string_view kQueryOkText = "Rotor [C2]: Ok";
inline constexpr std::string_view kQueryNoDataText = "Rotor [C2]: Fail - no data";
inline constexpr std::string_view kQueryFormatText = "Rotor [C2]: Fail - format";
inline constexpr std::string_view kRotctldMoveOkText = "Rotor [P]: Ok";
inline constexpr std::string_view kRotctldMoveFailText = "Rotor [P]: Fail";
inline constexpr std::string_view kRotctldPollOkText = "Rotor [p]: Ok";
inline constexpr std::string_view kRotctldPollFailText = "Rotor [p]: Fail";
inline constexpr std::string_view kStoreFailText = "Rotor: AZ/EL not written";

// The window's messages.
inline constexpr std::string_view kNoRotorPortText =
    "Rotor serial port non configured\rPlease set valid value into settings window.";
inline constexpr std::string_view kPresetListErrorText =
    "Data list error.\rPlease do not modify preset settings while antenna rotor controller is "
    "running.";

// The drop-down's entries: the grid's non-empty names from row 1 on. `names` is the grid's
// first column with its header first.
std::vector<std::string> PresetChoices(const std::vector<std::string>& names);

}  // namespace windlark
