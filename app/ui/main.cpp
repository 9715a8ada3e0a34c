#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLocale>
#include <cstdio>

#include "app/MainWindowTexts.h"
#include "app/io/SettingsStore.h"
#include "app/ui/MainForm.h"
#include "app/ui/PanelView.h"

namespace {

constexpr const char* kUsage =
    "usage: windlark [RAWFILE]\n"
    "\n"
    "The Windlark ground station for Vaisala RS41 radiosondes. RAWFILE, a raw file recorded\n"
    "by Windlark (one line of hex bytes per frame), is replayed once the window is up.\n";

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(windlark::ToQString(windlark::kApplicationTitle));
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                    QStringLiteral("sans-serif")});
  QApplication::setFont(font);

  // Everything the program prints or parses uses "." whatever the user's locale; the settings
  // file alone keeps the user's separator, which it reads from the system locale.
  QLocale::setDefault(QLocale::c());

  windlark::TmainForm::Options options;
  options.settingsStore = windlark::SettingsStore();
  // A first start writes the defaults, so that the settings file is there to be found and
  // edited (its hand-written [Hosts] keys have no dialog); a failure leaves the defaults in use.
  if (!QFileInfo::exists(options.settingsStore->FilePath())) {
    const windlark::LoadedSettings defaults = options.settingsStore->Load({});
    options.settingsStore->Save(defaults.settings, defaults.texts);
  }
  options.checkForUpdates = true;
  options.positionOutFile = windlark::AppPaths().StateDir() + QStringLiteral("/GPSOut/SondePos");
  options.rotorStateDir = windlark::AppPaths().StateDir() + QStringLiteral("/Rotor");
  const QStringList args = QApplication::arguments();
  for (qsizetype k = 1; k < args.size(); ++k) {
    const QString& arg = args.at(k);
    if (arg == QStringLiteral("-h") || arg == QStringLiteral("--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg.startsWith(QLatin1Char('-')) || !options.replayFile.isEmpty()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    options.replayFile = QFileInfo(arg).absoluteFilePath();
  }

  windlark::TmainForm window(std::move(options));
  window.show();
  return QApplication::exec();
}
