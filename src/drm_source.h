// The screen's millimetres from the kernel's DRM connectors and their EDID, for consoles and
// sessions without an X display.
#pragma once

#include "screen_report.h"

#include <optional>
#include <string>
#include <string_view>

// The size from the first connected connector, in the order of comesBefore, whose EDID gives
// one; empty when none does or the folder is missing.
std::optional<ScreenSize> drmScreenSize(const std::string &classDrmFolder = "/sys/class/drm");

// The size from the EDID of the connected connector of that name ("eDP-1", "HDMI-A-1"), on
// whichever card it is; empty when there is none or its EDID gives no size.
std::optional<ScreenSize> drmConnectorSize(std::string_view connector,
                                           const std::string &classDrmFolder = "/sys/class/drm");
