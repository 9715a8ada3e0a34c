#pragma once

namespace windlark {

// The decimal separator of the user's locale, for the few read-outs that follow it.
char LocaleDecimalSeparator();

}  // namespace windlark
