#include "edid.h"
#include "edid_fixtures.h"
#include "file_bytes.h"
#include "print_screen_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class EdidRule : public testing::TestWithParam<EdidFixture> {};

TEST_P(EdidRule, GivesTheExpectedSize) {
    const EdidFixture &fixture = GetParam();
    EXPECT_EQ(edidScreenSize(fixture.bytes), fixture.expected);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EdidRule, testing::ValuesIn(edidFixtures()),
                         [](const testing::TestParamInfo<EdidFixture> &info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

const std::vector<std::uint8_t> goodBlock = makeEdidBlock({52, 29, true, 521, 293});
constexpr ScreenSize goodSize{521, 293};

TEST(EdidBlock, NeedsTheWholeBaseBlock) {
    EXPECT_EQ(edidScreenSize({}), std::nullopt);
    EXPECT_EQ(edidScreenSize(std::span(goodBlock).first(127)), std::nullopt);
    EXPECT_EQ(edidScreenSize(std::span(goodBlock).first(0x17)), std::nullopt);
}

TEST(EdidBlock, NeedsTheHeader) {
    for (std::size_t byte = 0; byte < 8; ++byte) {
        std::vector<std::uint8_t> edid = goodBlock;
        edid[byte] ^= 0x01;
        fixChecksum(edid);
        EXPECT_EQ(edidScreenSize(edid), std::nullopt) << "header byte " << byte;
    }
}

TEST(EdidBlock, NeedsTheChecksum) {
    for (const std::size_t byte : {std::size_t{0x15}, std::size_t{0x40}, std::size_t{127}}) {
        std::vector<std::uint8_t> edid = goodBlock;
        edid[byte] = static_cast<std::uint8_t>(edid[byte] + 1);
        EXPECT_EQ(edidScreenSize(edid), std::nullopt) << "byte " << byte << " changed";
    }
}

TEST(EdidBlock, ReadsOnlyTheBaseBlockOfALongerEdid) {
    std::vector<std::uint8_t> edid = goodBlock;
    edid.resize(32 * 1024, 0xFF); // extension blocks or garbage: neither counts
    EXPECT_EQ(edidScreenSize(edid), goodSize);
}

TEST(EdidBlock, ReadsTheStoredSizes) {
    const auto sizes = readEdidImageSizes(makeEdidBlock({121, 68, true, 1209, 680}));
    ASSERT_TRUE(sizes.has_value());
    EXPECT_EQ(sizes->widthCentimetres, 121);
    EXPECT_EQ(sizes->heightCentimetres, 68);
    EXPECT_TRUE(sizes->hasDetailedTiming);
    EXPECT_EQ(sizes->timingWidthMillimetres, 1209);
    EXPECT_EQ(sizes->timingHeightMillimetres, 680);
    EXPECT_FALSE(readEdidImageSizes(makeEdidBlock({40, 25, false, 0, 0}))->hasDetailedTiming);
}

std::vector<std::uint8_t> readDump(const std::string &name) {
    return readFileStart(std::string(EDID_DUMPS_DIR) + "/" + name, 32 * 1024);
}

// Real monitors' EDIDs, from the public linuxhw/EDID collection (see tests/edid/README.md).
TEST(RealEdid, GivesTheMonitorsSize) {
    const struct {
        const char *file;
        ScreenSize expected;
    } dumps[] = {
        {"aoc-1670w.bin", {344, 194}},
        {"auo-b154ew01.bin", {331, 207}},
        {"samsung-c24f390.bin", {521, 293}},
        {"samsung-syncmaster.bin", {338, 270}},
    };
    for (const auto &dump : dumps) {
        const std::vector<std::uint8_t> edid = readDump(dump.file);
        ASSERT_GE(edid.size(), 128u) << dump.file;
        EXPECT_EQ(edidScreenSize(edid), dump.expected) << dump.file;
    }
}

} // namespace
