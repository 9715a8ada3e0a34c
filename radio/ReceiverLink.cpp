#include "radio/ReceiverLink.h"

#include <charconv>
#include <cstdlib>
#include <optional>

#include "base/Format.h"

namespace windlark {

namespace {

bool Contains(std::string_view line, std::string_view part) {
  return line.find(part) != std::string_view::npos;
}

Reply Exchange(LineTransport& link, const std::string& command, bool (*test)(std::string_view)) {
  link.DiscardInput();
  if (!link.Send(command + "\r\n")) return Reply::Error;
  const LineRead read = link.ReadLine(kReplyTimeoutMs);
  switch (read.kind) {
    case LineRead::Kind::Timeout:
      return Reply::Timeout;
    case LineRead::Kind::Error:
      return Reply::Error;
    case LineRead::Kind::Line:
      break;
  }
  return test(read.text) ? Reply::Ok : Reply::Refused;
}

// A whole number of hertz as rigctl prints it; a fractional part is allowed and dropped.
std::optional<long long> ParseHz(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  const std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  if (point != std::string_view::npos) {
    for (const char c : text.substr(point + 1)) {
      if (c < '0' || c > '9') return std::nullopt;
    }
  }
  long long value = 0;
  const auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
  if (ec != std::errc() || end != whole.data() + whole.size() || whole.empty()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string NetRemoteTunableQuery() {
  return R"({"Command": "Get", "Method": "SourceIsTunable"})";
}

std::string NetRemoteCentreCommand(int targetHz) {
  return R"({"Command": "Set", "Method": "centrefrequency","Value":)" +
         FormatInt(static_cast<long long>(targetHz) + 200000) + "}";
}

std::string NetRemoteFrequencyCommand(int targetHz) {
  return R"({"Command": "Set", "Method": "Frequency","Value":)" + FormatInt(targetHz) + "}";
}

bool NetRemoteGreetingOk(std::string_view line) {
  return Contains(line, R"("Net Remote")");
}

bool NetRemoteTunableOk(std::string_view line) {
  return Contains(line, R"("Result":"OK")") && Contains(line, "SourceIsTunable") &&
         Contains(line, R"("Value":true)");
}

bool NetRemoteResultOk(std::string_view line) {
  return Contains(line, R"("Result":"OK")");
}

Reply NetRemoteProtocol::Greet(LineTransport& link) {
  const LineRead read = link.ReadLine(kReplyTimeoutMs);
  if (read.kind == LineRead::Kind::Timeout) return Reply::Timeout;
  if (read.kind == LineRead::Kind::Error) return Reply::Error;
  return NetRemoteGreetingOk(read.text) ? Reply::Ok : Reply::Refused;
}

Reply NetRemoteProtocol::QueryTunable(LineTransport& link) {
  return Exchange(link, NetRemoteTunableQuery(), &NetRemoteTunableOk);
}

Reply NetRemoteProtocol::SetCentre(LineTransport& link, int targetHz) {
  return Exchange(link, NetRemoteCentreCommand(targetHz), &NetRemoteResultOk);
}

Reply NetRemoteProtocol::SetFrequency(LineTransport& link, int targetHz) {
  return Exchange(link, NetRemoteFrequencyCommand(targetHz), &NetRemoteResultOk);
}

namespace {

// One rigctl command and its first reply line.
LineRead RigctlAsk(LineTransport& link, const std::string& command) {
  link.DiscardInput();
  if (!link.Send(command + "\n")) return {LineRead::Kind::Error, {}};
  return link.ReadLine(kReplyTimeoutMs);
}

}  // namespace

Reply RigctlProtocol::Greet(LineTransport& link) {
  // rigctl has no greeting: a frequency read shows that a rig answers.
  const LineRead read = RigctlAsk(link, "f");
  if (read.kind == LineRead::Kind::Timeout) return Reply::Timeout;
  if (read.kind == LineRead::Kind::Error) return Reply::Error;
  return ParseHz(read.text) ? Reply::Ok : Reply::Refused;
}

Reply RigctlProtocol::QueryTunable(LineTransport& /*link*/) {
  // No such query in rigctl; a rig that cannot tune refuses the first "F".
  return Reply::Ok;
}

Reply RigctlProtocol::SetCentre(LineTransport& /*link*/, int /*targetHz*/) {
  return Reply::Ok;
}

Reply RigctlProtocol::SetFrequency(LineTransport& link, int targetHz) {
  const LineRead set = RigctlAsk(link, "F " + FormatInt(targetHz));
  // Unanswered tuning is a failure here, not a retry: the scan would otherwise wait on a
  // receiver that never says whether it moved.
  if (set.kind != LineRead::Kind::Line) return Reply::Error;
  if (set.text != "RPRT 0") return Reply::Refused;
  const LineRead back = RigctlAsk(link, "f");
  if (back.kind != LineRead::Kind::Line) return Reply::Error;
  const std::optional<long long> hz = ParseHz(back.text);
  if (!hz || std::llabs(*hz - targetHz) > kRigctlToleranceHz) return Reply::Refused;
  return Reply::Ok;
}

}  // namespace windlark
