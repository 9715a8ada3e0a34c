#pragma once

#include <QLocale>

namespace windlark {

// The decimal separator of the user's locale (the system's, whatever default the program has
// set for its own numbers), for the settings file's reals and the few read-outs that follow it.
// A separator outside ASCII falls back to ".".
char LocaleDecimalSeparator(const QLocale& locale = QLocale::system());

}  // namespace windlark
