#pragma once

#include <string>
#include <string_view>

namespace windlark {

// One line read from the receiver link.
struct LineRead {
  enum class Kind { Line, Timeout, Error };
  Kind kind = Kind::Timeout;
  std::string text;  // the line without its LF (and a CR before it)
};

// A line-oriented connection to the receiver's remote-control service.
class LineTransport {
 public:
  virtual ~LineTransport() = default;
  virtual bool IsOpen() const = 0;
  // Connects; false when refused or unreachable.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // Drops whatever arrived unasked (a late reply to an earlier command).
  virtual void DiscardInput() = 0;
  virtual bool Send(std::string_view bytes) = 0;
  virtual LineRead ReadLine(int timeoutMs) = 0;
};

// What one exchange with the receiver came to.
enum class Reply { Ok, Refused, Timeout, Error };

inline constexpr int kReplyTimeoutMs = 1000;

// The commands of one remote-control protocol, each a send and a read with its test.
class ReceiverProtocol {
 public:
  virtual ~ReceiverProtocol() = default;
  // The status text while the link is being checked.
  virtual std::string_view QueryText() const = 0;
  // Right after the connection is made: is this the expected service?
  virtual Reply Greet(LineTransport& link) = 0;
  virtual Reply QueryTunable(LineTransport& link) = 0;
  // The receiver's centre frequency for a target; Ok without a word where the protocol has none.
  virtual Reply SetCentre(LineTransport& link, int targetHz) = 0;
  virtual Reply SetFrequency(LineTransport& link, int targetHz) = 0;
};

// SDR#'s Net Remote plug-in: JSON command lines tested by fixed substrings only.
class NetRemoteProtocol : public ReceiverProtocol {
 public:
  std::string_view QueryText() const override { return "Query NetRemote"; }
  Reply Greet(LineTransport& link) override;
  Reply QueryTunable(LineTransport& link) override;
  Reply SetCentre(LineTransport& link, int targetHz) override;
  Reply SetFrequency(LineTransport& link, int targetHz) override;
};

// hamlib's rigctl protocol (gqrx, SDR++, rigctld): "F <Hz>" tunes, "f" reads back. A silent
// or refused tune, or a read-back of another frequency, is a failed tune.
class RigctlProtocol : public ReceiverProtocol {
 public:
  std::string_view QueryText() const override { return "Query rigctl"; }
  Reply Greet(LineTransport& link) override;
  Reply QueryTunable(LineTransport& link) override;
  Reply SetCentre(LineTransport& link, int targetHz) override;
  Reply SetFrequency(LineTransport& link, int targetHz) override;
};

// The exact lines the Net Remote exchanges send, without their CR LF.
std::string NetRemoteTunableQuery();
std::string NetRemoteCentreCommand(int targetHz);
std::string NetRemoteFrequencyCommand(int targetHz);
bool NetRemoteGreetingOk(std::string_view line);
bool NetRemoteTunableOk(std::string_view line);
bool NetRemoteResultOk(std::string_view line);

// A read-back within this of the target counts as tuned (receivers that tune in steps).
inline constexpr int kRigctlToleranceHz = 500;

}  // namespace windlark
