#include <gtest/gtest.h>

#include <QApplication>

// Widgets need the application object before the first test builds one.
int main(int argc, char** argv) {
  // Without a display (the build's test discovery, CI) draw off screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
