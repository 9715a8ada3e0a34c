#include "rotor/RotorTexts.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/Format.h"

namespace windlark {

std::string_view RotorProtocolName(int protocol) {
  static constexpr std::array<std::string_view, kRotorProtocolCount> kNames = {
      "Yaesu AZ/EL (GS232 A/ GS232B)", "Registry keys", "EasyComm", "Raw", "hamlib rotctld"};
  if (protocol < 0 || protocol >= kRotorProtocolCount) return kNames[0];
  return kNames[static_cast<std::size_t>(protocol)];
}

bool RotorProtocolIsSerial(int protocol) {
  return protocol == 0 || protocol == 2 || protocol == 3;
}

int RotorBaudRate(int speedIndex) {
  switch (speedIndex) {
    case 0:
      return 1200;
    case 1:
      return 2400;
    case 2:
      return 4800;
    case 4:
      return 19200;
    case 5:
      return 38400;
    case 6:
      return 57600;
    case 7:
      return 115200;
    default:
      return 9600;
  }
}

std::string FormatDegrees(int degrees) {
  const long long magnitude = degrees < 0 ? -static_cast<long long>(degrees) : degrees;
  return (degrees < 0 ? "-" : "") + FormatInt(magnitude, 3);
}

std::string PositionLabelText(std::string_view degrees) {
  return std::string(degrees) + "\u00B0";
}

std::string Gs232MoveCommand(int azimuth, int elevation) {
  return "W" + FormatDegrees(azimuth) + " " + FormatDegrees(elevation);
}

namespace {

bool Digits(std::string_view text) {
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return !text.empty();
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::optional<RotorPosition> ParseGs232Position(std::string_view reply) {
  std::string upper(reply);
  for (char& c : upper) c = Upper(c);
  const std::string_view text(upper);
  RotorPosition position;
  if (text.size() >= 12 && text.substr(0, 3) == "AZ=" && text.substr(6, 3) == "EL=") {
    position = {std::string(text.substr(3, 3)), std::string(text.substr(9, 3))};
  } else if (text.size() >= 10 && text.substr(0, 2) == "+0" && text.substr(5, 2) == "+0") {
    position = {std::string(text.substr(2, 3)), std::string(text.substr(7, 3))};
  } else {
    return std::nullopt;
  }
  // Line noise in the angle places is no position either.
  if (!Digits(position.azimuth) || !Digits(position.elevation)) return std::nullopt;
  return position;
}

std::string EasyCommLine(int azimuth, int elevation) {
  return "AZ" + FormatDegrees(azimuth) + ".0 EL" + FormatDegrees(elevation) + ".0\r";
}

std::string RawLine(int azimuth, int elevation) {
  return FormatDegrees(azimuth) + " " + FormatDegrees(elevation) + "\r\n";
}

std::string RotctldMoveCommand(int azimuth, int elevation) {
  return "P " + FormatInt(azimuth) + " " + FormatInt(elevation);
}

bool RotctldReplyOk(std::string_view line) {
  return line == "RPRT 0";
}

std::optional<int> ParseRotctldAngle(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || end != line.data() + line.size() || line.empty()) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > 1000.0) return std::nullopt;
  return static_cast<int>(RoundHalfEven(value));
}

std::string SerialCannotOpenText(std::string_view port) {
  return "Serial: Cannot open " + std::string(port) + " port";
}

std::string SerialOpenedText(std::string_view port, int baud) {
  return "Serial: " + std::string(port) + " Opened " + FormatInt(baud) + " bps";
}

std::string SerialLostText(std::string_view port) {
  return "Serial: " + std::string(port) + " port lost";
}

namespace {
std::string HostPort(std::string_view host, int port) {
  return std::string(host) + ":" + FormatInt(port);
}
}  // namespace

std::string RotctldConnectingText(std::string_view host, int port) {
  return "rotctld: Connecting " + HostPort(host, port);
}

std::string RotctldConnectedText(std::string_view host, int port) {
  return "rotctld: " + HostPort(host, port) + " Connected";
}

std::string RotctldCannotConnectText(std::string_view host, int port) {
  return "rotctld: Cannot connect " + HostPort(host, port);
}

std::string RotctldLostText(std::string_view host, int port) {
  return "rotctld: " + HostPort(host, port) + " connection lost";
}

std::vector<std::string> PresetChoices(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (!names[i].empty()) out.push_back(names[i]);
  }
  return out;
}

}  // namespace windlark
