// Which reported millimetres describe a real screen.
#pragma once

#include "screen_report.h"

#include <cstdint>

// Displays report these in place of a size, to give only an aspect ratio (16:9, 16:10, 4:3,
// 5:4), in either orientation.
bool isPlaceholderSize(std::int64_t width, std::int64_t height);

// Both sides above 0, within the report's range, and not a placeholder.
bool isKnownSize(std::int64_t width, std::int64_t height);

// The size as the report's record; only for a known size.
inline ScreenSize toScreenSize(std::int64_t width, std::int64_t height) {
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}
