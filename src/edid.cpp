#include "edid.h"

#include "size_rules.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

constexpr std::size_t baseBlockLength = 128;
constexpr std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t firstDetailedTiming = 0x36;
constexpr std::int64_t closeEnoughMillimetres = 10;

bool isValidBaseBlock(std::span<const std::uint8_t> block) {
    unsigned sum = 0;
    for (const std::uint8_t byte : block) {
        sum += byte;
    }
    return std::equal(header.begin(), header.end(), block.begin()) && sum % 256 == 0;
}

std::optional<ScreenSize> knownSize(std::int64_t width, std::int64_t height) {
    if (!isKnownSize(width, height)) {
        return std::nullopt;
    }
    return toScreenSize(width, height);
}

bool closeTo(ScreenSize precise, ScreenSize coarse) {
    return std::abs(std::int64_t{precise.screenWidth} - coarse.screenWidth) <=
               closeEnoughMillimetres &&
           std::abs(std::int64_t{precise.screenHeight} - coarse.screenHeight) <=
               closeEnoughMillimetres;
}

} // namespace

std::optional<EdidImageSizes> readEdidImageSizes(std::span<const std::uint8_t> edid) {
    if (edid.size() < baseBlockLength) {
        return std::nullopt;
    }
    const auto block = edid.first(baseBlockLength);
    if (!isValidBaseBlock(block)) {
        return std::nullopt;
    }
    const auto timing = block.subspan(firstDetailedTiming, 18);
    return EdidImageSizes{
        .widthCentimetres = block[0x15],
        .heightCentimetres = block[0x16],
        .hasDetailedTiming = timing[0] != 0 || timing[1] != 0,
        .timingWidthMillimetres = static_cast<std::uint16_t>(timing[12] | (timing[14] & 0xF0) << 4),
        .timingHeightMillimetres =
            static_cast<std::uint16_t>(timing[13] | (timing[14] & 0x0F) << 8),
    };
}

std::optional<ScreenSize> edidScreenSize(std::span<const std::uint8_t> edid) {
    const auto sizes = readEdidImageSizes(edid);
    if (!sizes) {
        return std::nullopt;
    }
    // One centimetre byte 0 is the EDID 1.4 aspect-ratio form: no size; knownSize rejects it.
    const auto base = knownSize(std::int64_t{sizes->widthCentimetres} * 10,
                                std::int64_t{sizes->heightCentimetres} * 10);
    const auto preferred = sizes->hasDetailedTiming ? knownSize(sizes->timingWidthMillimetres,
                                                                sizes->timingHeightMillimetres)
                                                    : std::nullopt;
    if (base && preferred) {
        return closeTo(*preferred, *base) ? preferred : base;
    }
    return base ? base : preferred;
}
