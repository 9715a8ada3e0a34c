#include "base/ui/SansFont.h"

#include <QStringList>

namespace windlark {

QFont SansFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace windlark
