// Pictures of the GPS IN window with a fix and of the new-version window, for the README and
// for review: windlark-screens OUTDIR (run under a display, e.g. xvfb-run).
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/ui/Form8.h"
#include "gps/Nmea.h"
#include "gps/ui/GpsInUnit.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  QApplication::setFont(font);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);

  windlark::TGpsInForm gps;
  gps.Reset(QStringLiteral("/dev/ttyUSB0"));
  const auto fix =
      windlark::ParseGga("$GPGGA,123519.00,4432.316,N,00736.750,E,1,08,0.9,245.3,M,46.9,M,,*6E");
  gps.ShowTexts(windlark::GpsInTextsOf(*fix));
  gps.SetLamp(windlark::LitLampColour(fix->fixQuality));
  gps.show();

  windlark::TForm8 form;
  form.SetWebPage(QStringLiteral("https://github.com/windlark-project/windlark/releases"));
  form.Prepare(QStringLiteral("1.15"), QStringLiteral("1.16"),
               QStringLiteral("Windlark 1.16\r\n- First change\r\n- Second change\r\n"), true);
  form.show();

  bool ok = true;
  QTimer::singleShot(1500, [&] {
    ok = gps.grab().save(out + QStringLiteral("/gps-in.png")) &&
         form.grab().save(out + QStringLiteral("/new-version.png"));
    QApplication::quit();
  });
  QApplication::exec();
  std::puts(ok ? "written" : "not written");
  return ok ? 0 : 1;
}
