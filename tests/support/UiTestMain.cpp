#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "support/Offline.h"

// Widgets need an application object, and one that draws text needs a platform: off screen
// unless the caller chose one. The program's own numbers use "." as in the desktop program.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  windlark::test::KeepTestsOffline();
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());
  return RUN_ALL_TESTS();
}
