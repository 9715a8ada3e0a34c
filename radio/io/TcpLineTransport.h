#pragma once

#include <QString>
#include <memory>

#include "radio/ReceiverLink.h"

class QTcpSocket;

namespace windlark {

// A line link over TCP with blocking waits, for a worker on its own thread: the socket is
// made on first use, so it belongs to the thread that uses it.
class TcpLineTransport : public LineTransport {
 public:
  TcpLineTransport(QString host, int port, int connectTimeoutMs = 3000);
  ~TcpLineTransport() override;

  bool IsOpen() const override;
  bool Open() override;
  void Close() override;
  void DiscardInput() override;
  bool Send(std::string_view bytes) override;
  LineRead ReadLine(int timeoutMs) override;

 private:
  QString m_host;
  int m_port;
  int m_connectTimeoutMs;
  std::unique_ptr<QTcpSocket> m_socket;
};

}  // namespace windlark
