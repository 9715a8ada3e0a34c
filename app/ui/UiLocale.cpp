#include "app/ui/UiLocale.h"

#include <QLocale>

namespace windlark {

char LocaleDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  // A separator outside ASCII (rare) falls back to the point rather than a broken byte.
  if (point.size() == 1 && point.at(0).unicode() < 0x80) return point.at(0).toLatin1();
  return '.';
}

}  // namespace windlark
