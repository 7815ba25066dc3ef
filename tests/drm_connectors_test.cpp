#include "drm_connectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(DrmConnectorName, ReadsCardConnectorAndKind) {
    const struct {
        const char *entry;
        unsigned long card;
        const char *connector;
        bool builtIn;
    } cases[] = {
        {"card0-eDP-1", 0, "eDP-1", true},          {"card1-LVDS-1", 1, "LVDS-1", true},
        {"card0-DSI-2", 0, "DSI-2", true},          {"card0-DPI-1", 0, "DPI-1", true},
        {"card0-DP-1", 0, "DP-1", false},           {"card12-HDMI-A-3", 12, "HDMI-A-3", false},
        {"card0-Virtual-1", 0, "Virtual-1", false}, {"card0-eDP", 0, "eDP", true},
        {"card0-eDPX-1", 0, "eDPX-1", false},
    };
    for (const auto &c : cases) {
        const auto connector = parseDrmConnector(c.entry);
        ASSERT_TRUE(connector.has_value()) << c.entry;
        EXPECT_EQ(connector->entry, c.entry);
        EXPECT_EQ(connector->card, c.card) << c.entry;
        EXPECT_EQ(connector->connector, c.connector) << c.entry;
        EXPECT_EQ(connector->builtIn, c.builtIn) << c.entry;
    }
}

TEST(DrmConnectorName, IsNotEveryEntry) {
    for (const char *entry :
         {"card0", "card", "card-", "cardX-DP-1", "card0-", "card0DP-1", "renderD128", "version",
          "", ".", "..", "card99999999999999999999999-DP-1"}) {
        EXPECT_FALSE(parseDrmConnector(entry).has_value()) << '"' << entry << '"';
    }
}

TEST(DrmConnectorOrder, BuiltInFirstThenCardThenName) {
    std::vector<std::string> entries = {
        "card1-DP-1", "card0-HDMI-A-10", "card0-HDMI-A-2", "card1-eDP-1", "card10-DP-1",
        "card2-DP-1", "card0-DP-2",      "card0-LVDS-1",   "card0-DP-1",  "card0-eDP-1",
    };
    std::vector<DrmConnector> connectors;
    for (const auto &entry : entries) {
        connectors.push_back(*parseDrmConnector(entry));
    }
    std::sort(connectors.begin(), connectors.end(), comesBefore);
    std::vector<std::string> order;
    for (const auto &connector : connectors) {
        order.push_back(connector.entry);
    }
    EXPECT_EQ(order, (std::vector<std::string>{
                         "card0-LVDS-1",
                         "card0-eDP-1",
                         "card1-eDP-1",
                         "card0-DP-1",
                         "card0-DP-2",
                         "card0-HDMI-A-2",
                         "card0-HDMI-A-10",
                         "card1-DP-1",
                         "card2-DP-1",
                         "card10-DP-1",
                     }));
}

} // namespace
