// The screen's millimetres as the Wayland compositor of the session (WAYLAND_DISPLAY) knows
// its outputs.
#pragma once

#include "screen_report.h"

#include <optional>

// The chosen output's size when the compositor answered, 0 by 0 when it knows none. Empty
// when WAYLAND_DISPLAY is unset, the client library is missing, or no compositor answered in
// time.
std::optional<ScreenSize> waylandScreenSize();
