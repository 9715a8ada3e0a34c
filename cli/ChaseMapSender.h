#pragma once

#include <string>

#include "decoder/FrameDecoder.h"

namespace windlark {

// The chase map's datagrams from the command line: one UDP datagram per frame that carries a
// trustworthy position, sent where --udp HOST:PORT says.
class ChaseMapSender : public DecoderHooks {
 public:
  ChaseMapSender() = default;
  ~ChaseMapSender() override;
  ChaseMapSender(const ChaseMapSender&) = delete;
  ChaseMapSender& operator=(const ChaseMapSender&) = delete;

  // Resolves HOST:PORT and opens the socket; "" or what went wrong.
  std::string Open(const std::string& hostPort);
  // The decoder whose state the datagrams report.
  void SetState(const SondeState* state) { m_state = state; }
  int Sent() const { return m_sent; }

  void WritePositionOut() override;

 private:
  int m_socket = -1;
  const SondeState* m_state = nullptr;
  struct Address;
  Address* m_address = nullptr;
  int m_sent = 0;
  bool m_reported = false;
};

}  // namespace windlark
