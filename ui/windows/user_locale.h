#pragma once

#include <string>

namespace dustvane {

// The thousands separator of the user's own locale, as UTF-8 ("," under
// English settings, "." under German, a no-break space under French);
// "," when the locale cannot be read.
std::string UserThousandsSeparator();

}  // namespace dustvane
