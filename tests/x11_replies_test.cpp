#include "wire_bytes.h"
#include "x11_replies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Wire = WireBytes;

// A connection setup: a vendor of `vendorLength` bytes, one format, and screens with the given
// numbers of depths of one visual each; the roots are 0x100, 0x200, ...
Wire setupWith(std::uint16_t vendorLength, const std::vector<std::uint8_t> &depthsPerScreen) {
    Wire setup;
    setup.put<std::uint8_t>(1).zeros(23);
    setup.put<std::uint16_t>(vendorLength).put<std::uint16_t>(65535);
    setup.put<std::uint8_t>(static_cast<std::uint8_t>(depthsPerScreen.size()));
    setup.put<std::uint8_t>(1).zeros(10);
    setup.zeros((vendorLength + 3u) & ~3u).zeros(8);
    std::uint32_t root = 0x100;
    for (const std::uint8_t depths : depthsPerScreen) {
        setup.put<std::uint32_t>(root).zeros(20).put<std::uint16_t>(
            static_cast<std::uint16_t>(root / 0x100 * 100));
        setup.put<std::uint16_t>(50).zeros(11).put<std::uint8_t>(depths);
        for (int depth = 0; depth < depths; ++depth) {
            setup.put<std::uint8_t>(24).zeros(1).put<std::uint16_t>(1).zeros(4).zeros(24);
        }
        root += 0x100;
    }
    return setup;
}

TEST(SetupScreen, FindsEachWholeScreen) {
    const Wire setup = setupWith(18, {1, 2, 0});
    for (int screen = 0; screen < 3; ++screen) {
        EXPECT_EQ(setupScreenRoot(setup.data(), screen), 0x100u * (screen + 1))
            << "screen " << screen;
    }
    EXPECT_FALSE(setupScreenRoot(setup.data(), 3)) << "no fourth screen";
    EXPECT_FALSE(setupScreenRoot(setup.data(), -1));
}

struct SetupLie {
    const char *what;
    std::size_t offset; // where the lie goes in a setup of one vendor of 8 bytes, two screens
    std::uint16_t value;
    bool twoByte;
    int screen;
};

class SetupLies : public testing::TestWithParam<SetupLie> {};

TEST_P(SetupLies, AScreenThatDoesNotFitIsNotUsed) {
    const SetupLie &lie = GetParam();
    Wire setup = setupWith(8, {1, 1});
    if (lie.twoByte) {
        setup.patch<std::uint16_t>(lie.offset, lie.value);
    } else {
        setup.patch<std::uint8_t>(lie.offset, static_cast<std::uint8_t>(lie.value));
    }
    EXPECT_FALSE(setupScreenRoot(setup.data(), lie.screen)) << lie.what;
}

// Offsets: the vendor length at 24, the screen count at 28, the format count at 29; the
// first screen at 56 (its depth count at 95, its depth's visual count at 98).
const SetupLie setupLies[] = {
    {"a vendor of 65535 bytes", 24, 65535, true, 0},
    {"a vendor that runs into the last screen", 24, 100, true, 1},
    {"255 formats", 29, 255, false, 0},
    {"more screens than are there, asking for one past them", 28, 255, false, 2},
    {"255 depths in the first screen", 95, 255, false, 0},
    {"255 depths in the first screen, asking for the second", 95, 255, false, 1},
    {"65535 visuals in a depth", 98, 65535, true, 0},
};

INSTANTIATE_TEST_SUITE_P(Lies, SetupLies, testing::ValuesIn(setupLies));

TEST(SetupScreen, ShortSetups) {
    const Wire setup = setupWith(8, {1});
    for (std::size_t length = 0; length < setup.data().size(); ++length) {
        EXPECT_FALSE(setupScreenRoot(std::span(setup.data()).first(length), 0))
            << length << " bytes";
    }
    EXPECT_TRUE(setupScreenRoot(setup.data(), 0));
}

// A GetScreenResourcesCurrent reply with ids 1.. for CRTCs and 1001.. for outputs, claiming
// the given counts.
Wire resourcesReply(std::uint16_t crtcs, std::uint16_t outputs, std::uint16_t claimedCrtcs,
                    std::uint16_t claimedOutputs) {
    Wire reply;
    reply.put<std::uint8_t>(1).zeros(7).put<std::uint32_t>(7).put<std::uint32_t>(42);
    reply.put<std::uint16_t>(claimedCrtcs).put<std::uint16_t>(claimedOutputs).zeros(12);
    for (std::uint32_t i = 1; i <= crtcs; ++i) {
        reply.put<std::uint32_t>(i);
    }
    for (std::uint32_t i = 1; i <= outputs; ++i) {
        reply.put<std::uint32_t>(1000 + i);
    }
    return reply;
}

TEST(ScreenResources, HonestLists) {
    const auto resources = readScreenResources(resourcesReply(2, 3, 2, 3).data());
    ASSERT_TRUE(resources);
    EXPECT_EQ(resources->configTimestamp, 42u);
    EXPECT_EQ(resources->crtcs, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(resources->outputs, (std::vector<std::uint32_t>{1001, 1002, 1003}));
}

TEST(ScreenResources, CountsPastTheReplyAreRefused) {
    EXPECT_FALSE(readScreenResources(resourcesReply(0, 0, 65535, 65535).data()));
    EXPECT_FALSE(readScreenResources(resourcesReply(2, 3, 2, 4).data()));
    EXPECT_FALSE(readScreenResources(resourcesReply(2, 3, 3, 3).data()));
    const Wire empty = resourcesReply(0, 0, 0, 0);
    EXPECT_FALSE(readScreenResources(std::span(empty.data()).first(19)));
}

TEST(ScreenResources, AtMostTheBoundIsKept) {
    const auto resources = readScreenResources(resourcesReply(65535, 65535, 65535, 65535).data());
    ASSERT_TRUE(resources);
    EXPECT_EQ(resources->crtcs.size(), maxRandrResources);
    ASSERT_EQ(resources->outputs.size(), maxRandrResources);
    EXPECT_EQ(resources->outputs.front(), 1001u);
}

TEST(OutputInfo, FixedPartOnly) {
    Wire reply;
    reply.put<std::uint8_t>(1).zeros(11).put<std::uint32_t>(0x40);
    reply.put<std::uint32_t>(597).put<std::uint32_t>(336).put<std::uint8_t>(0).zeros(11);
    const auto info = readOutputInfo(reply.data());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->crtc, 0x40u);
    EXPECT_EQ(info->mmWidth, 597u);
    EXPECT_EQ(info->mmHeight, 336u);
    EXPECT_TRUE(info->connected);
    reply.patch<std::uint8_t>(24, 1);
    EXPECT_FALSE(readOutputInfo(reply.data())->connected);
    EXPECT_FALSE(readOutputInfo(std::span(reply.data()).first(32))) << "the 32-byte header only";
}

TEST(CrtcRotation, FixedPartOnly) {
    Wire reply;
    reply.put<std::uint8_t>(1).zeros(23).put<std::uint16_t>(2).zeros(6);
    EXPECT_EQ(readCrtcRotation(reply.data()), std::uint16_t{2});
    EXPECT_FALSE(readCrtcRotation(std::span(reply.data()).first(31)));
}

// A GetOutputProperty reply of `type` and `format` holding `data`, claiming `claimed` items.
Wire propertyReply(std::uint32_t type, std::uint8_t format, std::size_t data,
                   std::uint32_t claimed) {
    Wire reply;
    reply.put<std::uint8_t>(1).put<std::uint8_t>(format).zeros(6).put<std::uint32_t>(type);
    reply.put<std::uint32_t>(0).put<std::uint32_t>(claimed).zeros(12);
    for (std::size_t i = 0; i < data; ++i) {
        reply.put<std::uint8_t>(static_cast<std::uint8_t>(i));
    }
    return reply;
}

TEST(ByteProperty, ItsBytesOrNothing) {
    constexpr std::uint32_t integer = 19;
    const Wire whole = propertyReply(integer, 8, 128, 128);
    const auto bytes = readByteProperty(whole.data(), integer);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 128u);
    EXPECT_EQ((*bytes)[127], 127);
    EXPECT_FALSE(readByteProperty(propertyReply(integer, 8, 128, 129).data(), integer));
    EXPECT_FALSE(readByteProperty(propertyReply(integer, 8, 0, 0xFFFFFFFF).data(), integer));
    EXPECT_FALSE(readByteProperty(propertyReply(integer, 32, 128, 32).data(), integer));
    EXPECT_FALSE(readByteProperty(propertyReply(0, 0, 0, 0).data(), integer)) << "no property";
    EXPECT_FALSE(readByteProperty(std::span(whole.data()).first(31), integer));
}

} // namespace
