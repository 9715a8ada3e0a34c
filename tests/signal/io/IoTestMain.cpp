// The io tests: a private PulseAudio daemon is started before anything touches Qt Multimedia,
// then the application object that the window and the sound input need.
#include <gtest/gtest.h>

#include <QApplication>

#include "signal/io/PulseDaemon.h"
#include "support/Offline.h"

namespace windlark::test {

namespace {
PulseDaemon* g_daemon = nullptr;
std::string g_error;
}  // namespace

PulseDaemon* SharedPulseDaemon() {
  return g_daemon;
}

const std::string& PulseDaemonError() {
  return g_error;
}

}  // namespace windlark::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Only the sound-card tests need the daemon; listing the tests starts nothing.
  const std::string filter = ::testing::GTEST_FLAG(filter);
  const bool wanted = !::testing::GTEST_FLAG(list_tests) &&
                      (filter == "*" || filter.find("SoundCard") != std::string::npos);
  windlark::test::PulseDaemon daemon;
  if (wanted && daemon.Start(windlark::test::g_error)) windlark::test::g_daemon = &daemon;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  windlark::test::KeepTestsOffline();
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  daemon.Stop();
  return result;
}
