#include "size_rules.h"

#include <array>
#include <limits>
#include <utility>

bool isPlaceholderSize(std::int64_t width, std::int64_t height) {
    constexpr std::array<std::pair<std::int64_t, std::int64_t>, 8> placeholders{{
        {16, 9},
        {16, 10},
        {40, 30},
        {50, 40},
        {160, 90},
        {160, 100},
        {1600, 900},
        {1600, 1000},
    }};
    for (const auto &[long_side, short_side] : placeholders) {
        if ((width == long_side && height == short_side) ||
            (width == short_side && height == long_side)) {
            return true;
        }
    }
    return false;
}

bool isKnownSize(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
    return width > 0 && height > 0 && width <= largest && height <= largest &&
           !isPlaceholderSize(width, height);
}
