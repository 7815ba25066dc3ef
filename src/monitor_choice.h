// Choosing the monitor in front of the person among the X server's RandR outputs.
#pragma once

#include "screen_report.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct RandrOutput {
    bool connected;
    bool hasCrtc;          // the output shows part of the screen
    bool primary;          // the server's primary output
    bool quarterTurn;      // its CRTC is rotated by 90 or 270 degrees
    std::uint32_t mmWidth; // as the output reports it, before rotation
    std::uint32_t mmHeight;
    std::vector<std::uint8_t> edid; // its EDID property's bytes; empty when it has none
};

// The primary output if it is connected and shows something, else the first output in the
// server's order that does. Its size from its EDID by the one EDID rule, else its own
// millimetres when they are a known size, either way as the person sees it (swapped when the
// CRTC is turned a quarter). Empty when no output qualifies or the chosen one knows no size.
std::optional<ScreenSize> chosenMonitorSize(std::span<const RandrOutput> outputs);
