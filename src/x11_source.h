// The screen's millimetres as the default X11 display reports them.
#pragma once

#include "screen_report.h"

#include <optional>

// The chosen monitor's size when the default display answered, 0 by 0 when it knows none.
// Empty when the X client library is missing or no display answered us in time.
std::optional<ScreenSize> x11ScreenSize();
