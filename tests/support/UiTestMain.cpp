#include <gtest/gtest.h>

#include <QApplication>

// Widgets need an application object, and one that draws text needs a platform: off screen
// unless the caller chose one.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
