#include "size_rules.h"

#include <algorithm>
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
    return std::ranges::any_of(placeholders, [&](const auto &placeholder) {
        const auto [longSide, shortSide] = placeholder;
        return (width == longSide && height == shortSide) ||
               (width == shortSide && height == longSide);
    });
}

bool isKnownSize(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t largest = std::numeric_limits<std::int32_t>::max();
    return width > 0 && height > 0 && width <= largest && height <= largest &&
           !isPlaceholderSize(width, height);
}
