#include "edid_fixtures.h"

#include <numeric>

std::vector<std::uint8_t> makeEdidBlock(const EdidBlockSizes &sizes) {
    std::vector<std::uint8_t> edid(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), edid.begin());
    edid[0x08] = 0x04; // manufacturer "ACR"
    edid[0x09] = 0x72;
    edid[0x12] = 1; // EDID 1.4
    edid[0x13] = 4;
    edid[0x14] = 0xA5; // digital, 8 bits per colour, DisplayPort
    edid[0x15] = sizes.widthCentimetres;
    edid[0x16] = sizes.heightCentimetres;
    edid[0x17] = 120; // gamma 2.2
    edid[0x18] = 0x06;
    std::fill(edid.begin() + 0x26, edid.begin() + 0x36, 0x01); // no standard timings

    const auto timing = edid.begin() + 0x36;
    if (sizes.detailedTiming) {
        // 1920x1080 at 60 Hz, 148.5 MHz, with the requested image size.
        const std::uint8_t descriptor[18] = {
            0x02,
            0x3A,
            0x80,
            0x18,
            0x71,
            0x38,
            0x2D,
            0x40,
            0x58,
            0x2C,
            0x45,
            0x00,
            static_cast<std::uint8_t>(sizes.timingWidthMillimetres & 0xFF),
            static_cast<std::uint8_t>(sizes.timingHeightMillimetres & 0xFF),
            static_cast<std::uint8_t>((sizes.timingWidthMillimetres >> 8 & 0x0F) << 4 |
                                      (sizes.timingHeightMillimetres >> 8 & 0x0F)),
            0x00,
            0x00,
            0x1E};
        std::copy(std::begin(descriptor), std::end(descriptor), timing);
    } else {
        // A dummy display descriptor: pixel clock 0, tag 0x10.
        timing[3] = 0x10;
    }
    for (int unused = 1; unused < 4; ++unused) {
        (timing + 18 * unused)[3] = 0x10;
    }
    fixChecksum(edid);
    return edid;
}

void fixChecksum(std::vector<std::uint8_t> &edid) {
    const unsigned sum = std::accumulate(edid.begin(), edid.begin() + 127, 0u);
    edid[127] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

std::vector<EdidFixture> edidFixtures() {
    const auto block = [](std::uint8_t widthCm, std::uint8_t heightCm, bool timing,
                          std::uint16_t widthMm, std::uint16_t heightMm) {
        return makeEdidBlock({widthCm, heightCm, timing, widthMm, heightMm});
    };
    const auto size = [](std::int32_t width, std::int32_t height) {
        return std::optional<ScreenSize>(ScreenSize{width, height});
    };
    return {
        {"timing-agrees-with-base", block(52, 29, true, 521, 293), size(521, 293)},
        {"timing-10mm-off-each-side", block(50, 30, true, 510, 290), size(510, 290)},
        {"timing-11mm-off-width", block(50, 30, true, 511, 300), size(500, 300)},
        {"timing-11mm-off-height", block(50, 30, true, 500, 289), size(500, 300)},
        {"timing-far-from-base", block(52, 29, true, 1210, 680), size(520, 290)},
        {"timing-high-nibbles", block(121, 68, true, 1209, 680), size(1209, 680)},
        {"portrait-panel", block(29, 52, true, 293, 521), size(293, 521)},
        {"no-timing-base-only", block(40, 25, false, 0, 0), size(400, 250)},
        {"timing-without-size", block(34, 19, true, 0, 0), size(340, 190)},
        {"timing-width-only", block(34, 19, true, 344, 0), size(340, 190)},
        {"aspect-ratio-form-landscape", block(0x4F, 0, true, 344, 194), size(344, 194)},
        {"aspect-ratio-form-portrait", block(0, 0x4F, true, 194, 344), size(194, 344)},
        {"no-base-size", block(0, 0, true, 700, 390), size(700, 390)},
        {"base-placeholder-160x90cm", block(160, 90, true, 1210, 680), size(1210, 680)},
        {"base-placeholder-16x9cm", block(16, 9, true, 344, 194), size(344, 194)},
        {"base-placeholder-10x16cm", block(10, 16, false, 0, 0), std::nullopt},
        {"timing-placeholder-160x90mm", block(60, 34, true, 160, 90), size(600, 340)},
        {"timing-placeholder-1600x900mm", block(0, 0, true, 1600, 900), std::nullopt},
        {"both-placeholders", block(160, 100, true, 1600, 1000), std::nullopt},
        {"timing-placeholder-5x4-portrait", block(0, 0, true, 40, 50), std::nullopt},
        {"no-size-at-all", block(0, 0, false, 0, 0), std::nullopt},
        {"largest-sizes", block(255, 255, true, 4095, 4095), size(2550, 2550)},
    };
}
