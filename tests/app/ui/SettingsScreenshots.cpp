// Screenshots of every settings tab and its sub-dialogs, for looking at: a tool, not a test.
// WINDLARK_SHOTS_DIR names the folder (default "shots").
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include "app/ui/Form4.h"
#include "app/ui/RotorPreset.h"
#include "app/ui/SettingsBinding.h"
#include "app/ui/SettingsFormRig.h"

namespace windlark {
namespace {

using SettingsScreenshots = test::SettingsFormRig;

TEST_F(SettingsScreenshots, EveryTab) {
  QString folder = qEnvironmentVariable("WINDLARK_SHOTS_DIR");
  if (folder.isEmpty()) folder = QStringLiteral("shots");
  QDir().mkpath(folder);
  WriteIni(RealisticIni());
  SettingsBinding binding(Store(), *m_form);
  binding.Load();
  auto* pages = Find<QTabWidget>("PageControl");
  m_form->show();
  const char* names[] = {"audio",   "radio", "logfiles", "maps",  "units",
                         "updates", "rotor", "aprs",     "gpsin", "sondehub"};
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    QApplication::processEvents();
    const QString path = folder + "/settings-" + QString::number(i + 1) + "-" + names[i] + ".png";
    EXPECT_TRUE(m_form->grab().save(path)) << path.toStdString();
  }
  pages->setCurrentIndex(7);
  Click("CheckBoxAprsEnable");
  QApplication::processEvents();
  EXPECT_TRUE(m_form->grab().save(folder + "/settings-8-aprs-disabled.png"));
  m_form->hide();
  for (QDialog* dialog :
       std::initializer_list<QDialog*>{&m_form->FrequencyForm(), &m_form->PresetForm()}) {
    dialog->show();
    QApplication::processEvents();
    EXPECT_TRUE(dialog->grab().save(folder + "/settings-" + dialog->objectName() + ".png"));
    dialog->hide();
  }
}

}  // namespace
}  // namespace windlark
