#include "screen_report.h"

#include <cmath>
#include <cstdio>

namespace {

// |side| squared, exact for every 32-bit side (INT32_MIN included): at most 2^62.
std::uint64_t squared(std::int32_t side) {
    const std::int64_t wide = side;
    const auto magnitude = static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
    return magnitude * magnitude;
}

} // namespace

double diagonalInches(ScreenSize size) {
    // The sum of two squares is at most 2^63, so it never wraps in 64 bits; within the
    // 32-bit range the double conversion is exact, so the result is the same as with 32-bit
    // sums.
    const std::uint64_t sumOfSquares = squared(size.screenWidth) + squared(size.screenHeight);
    return std::sqrt(static_cast<double>(sumOfSquares)) * inchesPerMillimetre;
}

std::string formatReportLine(ScreenSize size) {
    // The widest line (two sides of -2147483648) is well under 128 characters.
    char line[128];
    const int length = std::snprintf(
        line, sizeof line, "{ \"inch\": %f, \"screenWidth\": %d, \"screenHeight\": %d }\n",
        diagonalInches(size), static_cast<int>(size.screenWidth),
        static_cast<int>(size.screenHeight));
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof line) {
        return {};
    }
    return {line, static_cast<std::size_t>(length)};
}
