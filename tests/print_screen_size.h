// Readable sizes in the tests' failure messages.
#pragma once

#include "screen_report.h"

#include <ostream>

inline void PrintTo(const ScreenSize &size, std::ostream *out) {
    *out << size.screenWidth << "x" << size.screenHeight << " mm";
}
