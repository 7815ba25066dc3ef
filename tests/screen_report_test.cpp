#include "screen_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr std::int32_t maxSide = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t minSide = std::numeric_limits<std::int32_t>::min();

struct ReportCase {
    std::int32_t width;
    std::int32_t height;
    const char *inch;
};

std::string expectedLine(const ReportCase &c) {
    return std::string("{ \"inch\": ") + c.inch + ", \"screenWidth\": " + std::to_string(c.width) +
           ", \"screenHeight\": " + std::to_string(c.height) + " }\n";
}

// Sides and the diagonal as the line must print it.
const ReportCase reportCases[] = {
    {0, 0, "0.000000"},
    {1, 0, "0.039370"},
    {0, 1, "0.039370"},
    {300, 400, "19.685000"}, // 1/25.4 in place of 0.03937 would print 19.685039
    {344, 194, "15.548508"},
    {527, 296, "23.796714"},
    {1600, 900, "72.273713"},
    {-300, 400, "19.685000"},
    {-300, -400, "19.685000"},
    {32768, 32768, "1824.443202"}, // the sum of squares is exactly 2^31
    {46341, 0, "1824.445170"},     // the first side whose square passes INT32_MAX
    {46341, 46341, "2580.155103"},
    {maxSide, 0, "84546431.182390"},
    {0, maxSide, "84546431.182390"},
    {maxSide, maxSide, "119566709.628379"},
    {minSide, 0, "84546431.221760"},
    {minSide, minSide, "119566709.684057"}, // the sum of squares is 2^63
    {minSide, maxSide, "119566709.656218"},
};

class ReportLine : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportLine, PrintsTheDiagonalAndBothSides) {
    const ReportCase &c = GetParam();
    EXPECT_EQ(formatReportLine({c.width, c.height}), expectedLine(c));
}

INSTANTIATE_TEST_SUITE_P(Sides, ReportLine, testing::ValuesIn(reportCases));

TEST(ReportLine, MatchesTheDocumentedSampleToTheByte) {
    EXPECT_EQ(formatReportLine({300, 400}),
              "{ \"inch\": 19.685000, \"screenWidth\": 300, \"screenHeight\": 400 }\n");
}

TEST(DiagonalInches, UsesTheFixedFactorNotTheExactInch) {
    EXPECT_DOUBLE_EQ(diagonalInches({0, 1000}), 39.37);
    EXPECT_DOUBLE_EQ(inchesPerMillimetre, 0.03937);
}

TEST(DiagonalInches, IsNeverNegativeOrNotANumberForAnySides) {
    const std::int32_t sides[] = {minSide, minSide + 1, -46341, -1, 0, 1, 46340, 46341, maxSide};
    for (const std::int32_t width : sides) {
        for (const std::int32_t height : sides) {
            const double inches = diagonalInches({width, height});
            EXPECT_GE(inches, 0.0) << width << " x " << height;
            EXPECT_LT(inches, 1.2e8) << width << " x " << height;
            EXPECT_EQ(diagonalInches({height, width}), inches) << width << " x " << height;
        }
    }
}

// The largest side whose square is at most `room`.
std::int32_t largestSideWithin(std::int64_t room) {
    auto side = static_cast<std::int64_t>(std::sqrt(static_cast<double>(room)));
    while (side * side > room) {
        --side;
    }
    while ((side + 1) * (side + 1) <= room) {
        ++side;
    }
    return static_cast<std::int32_t>(side);
}

// Wherever the sum of squares fits in 32 bits, the diagonal is the one that a 32-bit sum
// gives, to the last bit; the widest of these sums is INT32_MAX itself.
TEST(DiagonalInches, EqualsTheThirtyTwoBitSumWhereThatSumFits) {
    for (std::int32_t width = 0; width <= 46340; width += 97) {
        const std::int64_t room = std::int64_t{maxSide} - std::int64_t{width} * width;
        for (const std::int64_t share : {room, room / 2, room / 3, std::int64_t{0}}) {
            const std::int32_t height = largestSideWithin(share);
            const std::int32_t sum = width * width + height * height;
            const double expected = std::sqrt(static_cast<double>(sum)) * 0.03937;
            EXPECT_EQ(diagonalInches({width, height}), expected) << width << " x " << height;
            EXPECT_EQ(diagonalInches({-width, -height}), expected) << width << " x " << height;
        }
    }
}

} // namespace
