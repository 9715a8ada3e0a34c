#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLocale>

#include "support/Offline.h"

// The tile loader decodes pictures and the test server paints its tiles: a GUI application off
// screen.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  windlark::test::KeepTestsOffline();
  QGuiApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());
  return RUN_ALL_TESTS();
}
