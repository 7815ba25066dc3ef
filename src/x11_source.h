// The screen's millimetres as the default X11 display reports them.
#pragma once

#include "screen_report.h"

#include <optional>

// Empty when the X client library is missing or no display answers us.
std::optional<ScreenSize> x11ScreenSize();
