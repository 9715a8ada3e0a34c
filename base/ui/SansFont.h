#pragma once

#include <QFont>

namespace windlark {

// The program's sans-serif face at a pixel size: Liberation Sans (metrically Arial), else DejaVu
// Sans, else whatever sans-serif the system has.
QFont SansFont(int pixelSize, bool bold = false);

}  // namespace windlark
