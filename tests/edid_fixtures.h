// EDID base blocks made to order, for the parser's tests, the cross-check against edid-decode
// and the fuzzer's seeds.
#pragma once

#include "screen_report.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct EdidBlockSizes {
    std::uint8_t widthCentimetres;
    std::uint8_t heightCentimetres;
    bool detailedTiming; // a pixel clock in the first descriptor; else a display descriptor
    std::uint16_t timingWidthMillimetres;
    std::uint16_t timingHeightMillimetres;
};

// A valid 128-byte base block (header, EDID 1.4, checksum) with the given sizes.
std::vector<std::uint8_t> makeEdidBlock(const EdidBlockSizes &sizes);

// Sets the last byte so that the 128 bytes of the base block sum to 0 modulo 256.
void fixChecksum(std::vector<std::uint8_t> &edid);

struct EdidFixture {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::optional<ScreenSize> expected;
};

// One fixture for each way the size rule can go.
std::vector<EdidFixture> edidFixtures();
