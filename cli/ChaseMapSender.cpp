#include "cli/ChaseMapSender.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "base/Format.h"
#include "gps/ChaseMap.h"

namespace windlark {

struct ChaseMapSender::Address {
  sockaddr_storage storage{};
  socklen_t length = 0;
};

ChaseMapSender::~ChaseMapSender() {
  if (m_socket >= 0) ::close(m_socket);
  delete m_address;
}

std::string ChaseMapSender::Open(const std::string& hostPort) {
  std::string host;
  int port = 0;
  if (!ParseHostPort(hostPort, host, port)) return "--udp takes HOST:PORT, got '" + hostPort + "'";
  addrinfo hints{};
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const std::string service = FormatInt(port);
  if (const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0) {
    return "cannot resolve " + host + ": " + ::gai_strerror(error);
  }
  m_socket = ::socket(found->ai_family, SOCK_DGRAM, 0);
  if (m_socket < 0) {
    const std::string why = std::strerror(errno);
    ::freeaddrinfo(found);
    return "cannot open a UDP socket: " + why;
  }
  m_address = new Address;
  std::memcpy(&m_address->storage, found->ai_addr, found->ai_addrlen);
  m_address->length = found->ai_addrlen;
  ::freeaddrinfo(found);
  return {};
}

void ChaseMapSender::WritePositionOut() {
  if (m_socket < 0 || m_state == nullptr) return;
  const std::string datagram = ChaseMapDatagram(*m_state);
  const auto sent =
      ::sendto(m_socket, datagram.data(), datagram.size(), 0,
               reinterpret_cast<const sockaddr*>(&m_address->storage), m_address->length);
  if (sent == static_cast<ssize_t>(datagram.size())) {
    ++m_sent;
  } else if (!m_reported) {
    // Nobody listening is no reason to stop decoding; say it once.
    std::cerr << "windlark-cli: chase-map datagram not sent: " << std::strerror(errno) << '\n';
    m_reported = true;
  }
}

}  // namespace windlark
