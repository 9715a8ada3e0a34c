// The chase-map datagrams of a replayed flight, caught by a UDP listener on the loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

#include "cli/CliRunner.h"

namespace windlark {
namespace {

const std::string kCli = WINDLARK_CLI;
const std::string kSim = RS41SIM;

// A UDP socket on 127.0.0.1 at a port the system picks.
class UdpListener {
 public:
  UdpListener() {
    m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    int size = 1 << 20;  // room for a whole flight's datagrams
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  }
  ~UdpListener() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Port() const { return m_port; }
  // Every datagram that arrives until none has come for `quietMs`.
  std::vector<std::string> Drain(int quietMs) const {
    std::vector<std::string> datagrams;
    pollfd wait{m_fd, POLLIN, 0};
    while (::poll(&wait, 1, quietMs) == 1) {
      char buffer[65536];
      const auto size = ::recv(m_fd, buffer, sizeof buffer, 0);
      if (size <= 0) break;
      datagrams.emplace_back(buffer, static_cast<std::size_t>(size));
    }
    return datagrams;
  }

 private:
  int m_fd = -1;
  int m_port = 0;
};

std::string Member(const std::string& json, const std::string& key) {
  const std::regex pattern("\"" + key + "\":(\"[^\"]*\"|[-0-9.]+)");
  std::smatch match;
  return std::regex_search(json, match, pattern) ? match[1].str() : std::string();
}

class ChaseMapCli : public test::ScratchDirTest {};

TEST_F(ChaseMapCli, EveryFrameWithAPositionReachesTheListener) {
  const std::string wav = Path("flight.wav").string();
  ASSERT_EQ(Run(kSim + " --frames 25 --id S2310478 --lat 44.5 --lon -7.625 --alt 10345 " +
                "--flight ascent --vel-up 5 --vel-east 8 --temp -40 --start-fragment 0 -o " + wav)
                .exitCode,
            0);
  std::filesystem::create_directories(Path("raw"));
  ASSERT_EQ(Run(kCli + " decode --raw-dir " + Path("raw").string() + " " + wav).exitCode, 0);
  std::string raw;
  for (const auto& entry : std::filesystem::directory_iterator(Path("raw"))) raw = entry.path();
  ASSERT_FALSE(raw.empty());

  UdpListener listener;
  ASSERT_GT(listener.Port(), 0);
  const auto replayed =
      Run(kCli + " replay --udp 127.0.0.1:" + std::to_string(listener.Port()) + " " + raw);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  const std::vector<std::string> datagrams = listener.Drain(500);

  std::vector<std::string> positioned;
  for (const std::string& line : test::Lines(replayed.out)) {
    if (!Member(line, "lat").empty() && Member(line, "sats") != "0") positioned.push_back(line);
  }
  ASSERT_EQ(datagrams.size(), positioned.size());
  ASSERT_GE(datagrams.size(), 20U);
  for (std::size_t k = 0; k < datagrams.size(); ++k) {
    const std::string& d = datagrams[k];
    const std::string& frame = positioned[k];
    EXPECT_EQ(d.front(), '{');
    EXPECT_EQ(d.back(), '}');
    EXPECT_EQ(Member(d, "type"), "\"PAYLOAD_SUMMARY\"");
    EXPECT_EQ(Member(d, "callsign"), "\"S2310478\"");
    EXPECT_EQ(Member(d, "frame"), Member(frame, "frame"));
    EXPECT_NEAR(std::stod(Member(d, "latitude")), std::stod(Member(frame, "lat")), 1e-5);
    EXPECT_NEAR(std::stod(Member(d, "longitude")), std::stod(Member(frame, "lon")), 1e-5);
    EXPECT_NEAR(std::stod(Member(d, "altitude")), std::stod(Member(frame, "alt")), 0.06);
    EXPECT_NEAR(std::stod(Member(d, "speed")), std::stod(Member(frame, "vel_h")) * 3.6, 0.06);
    EXPECT_NEAR(std::stod(Member(d, "vel_v")), std::stod(Member(frame, "vel_v")), 0.06);
    EXPECT_EQ(Member(d, "sats"), Member(frame, "sats"));
    EXPECT_EQ(Member(d, "time"),
              "\"" + Member(frame, "datetime").substr(12, 8) + "\"");  // "...THH:MM:SS..."
    if (!Member(frame, "temp").empty()) {
      EXPECT_NEAR(std::stod(Member(d, "temp")), std::stod(Member(frame, "temp")), 0.06);
    }
  }
  EXPECT_NE(datagrams.back().find("\"model\":\"RS41"), std::string::npos) << datagrams.back();
}

TEST_F(ChaseMapCli, ABadAddressIsRefusedAndNobodyListeningStopsNothing) {
  const auto bad = Run(kCli + " replay --udp nowhere /dev/null");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("HOST:PORT"), std::string::npos) << bad.err;
  const std::string wav = Path("f.wav").string();
  ASSERT_EQ(Run(kSim + " --frames 3 -o " + wav).exitCode, 0);
  // A port nobody listens on: the frames still decode.
  UdpListener unused;
  const int port = unused.Port();
  const auto decoded = Run(kCli + " decode --udp 127.0.0.1:" + std::to_string(port) + " " + wav);
  EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
  EXPECT_EQ(test::Lines(decoded.out).size(), 3U);
}

}  // namespace
}  // namespace windlark
