// The screen's millimetres from the kernel's DRM connectors and their EDID, for consoles and
// sessions without an X display.
#pragma once

#include "screen_report.h"

#include <optional>
#include <string>

// The size from the first connected connector, in the order of comesBefore, whose EDID gives
// one; empty when none does or the folder is missing.
std::optional<ScreenSize> drmScreenSize(const std::string &classDrmFolder = "/sys/class/drm");
