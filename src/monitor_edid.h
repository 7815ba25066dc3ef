// The primary monitor's physical size from its own EDID, where the platform keeps the EDID
// apart from the screen's device context.
#pragma once

#include "screen_report.h"

#include <optional>

// On Windows, the EDID that the primary monitor's driver stored, through the one EDID rule,
// with the sides swapped when the monitor is turned a quarter. Empty when there is none or it
// gives no known size. Elsewhere always empty: the stand-in's device context already answers
// from the monitor's EDID.
std::optional<ScreenSize> monitorEdidSize();
