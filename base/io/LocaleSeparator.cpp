#include "base/io/LocaleSeparator.h"

namespace windlark {

char LocaleDecimalSeparator(const QLocale& locale) {
  const QString point = locale.decimalPoint();
  if (point.size() == 1 && point.at(0).unicode() < 0x80) return point.at(0).toLatin1();
  return '.';
}

}  // namespace windlark
