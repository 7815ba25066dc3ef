// The physical size that a display's EDID gives.
#pragma once

#include "screen_report.h"

#include <cstdint>
#include <optional>
#include <span>

// The two image sizes of an EDID base block, as stored.
struct EdidImageSizes {
    std::uint8_t widthCentimetres; // bytes 0x15 and 0x16
    std::uint8_t heightCentimetres;
    bool hasDetailedTiming; // the first descriptor is a timing (its pixel clock is not 0)
    std::uint16_t timingWidthMillimetres;
    std::uint16_t timingHeightMillimetres;
};

// Empty unless `edid` starts with a whole base block whose header and checksum hold.
std::optional<EdidImageSizes> readEdidImageSizes(std::span<const std::uint8_t> edid);

// From the base block: the preferred timing's millimetres when they agree with the base size
// to within 10 mm a side (they are the more precise), else whichever of the two is a real
// size. Empty when the block is unusable or gives no real size.
std::optional<ScreenSize> edidScreenSize(std::span<const std::uint8_t> edid);
