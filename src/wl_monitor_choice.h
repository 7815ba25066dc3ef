// Choosing the monitor among a Wayland compositor's outputs, and its size.
#pragma once

#include "screen_report.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct WaylandOutput {
    std::string name;     // the connector's name ("eDP-1"); empty when the compositor gave none
    std::int32_t mmWidth; // wl_output's physical size, before the transform
    std::int32_t mmHeight;
    std::int32_t transform; // wl_output's transform: 0 to 7
};

// The output named `primary` when there is one, else the first built-in panel (eDP, LVDS,
// DSI, DPI), else the first output the compositor announced; empty when there are none.
std::optional<std::size_t> chosenWaylandOutput(std::span<const WaylandOutput> outputs,
                                               const std::optional<std::string> &primary);

// The output's size as the person sees it: its connector's EDID size when known (`fromEdid`),
// else its own millimetres when they are a known size, swapped when the transform turns it a
// quarter (90 or 270 degrees, flipped or not); 0 by 0 when neither is known.
ScreenSize waylandOutputSize(const WaylandOutput &output, std::optional<ScreenSize> fromEdid);
