#include "print_screen_size.h"
#include "wl_monitor_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

WaylandOutput output(std::string name, std::int32_t width = 500, std::int32_t height = 300,
                     std::int32_t transform = 0) {
    return {std::move(name), width, height, transform};
}

struct ChoiceCase {
    const char *what;
    std::vector<WaylandOutput> outputs;
    std::optional<std::string> primary;
    std::optional<std::size_t> expected;
};

class WaylandChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(WaylandChoice, ChoosesTheOutput) {
    const ChoiceCase &c = GetParam();
    EXPECT_EQ(chosenWaylandOutput(c.outputs, c.primary), c.expected) << c.what;
}

const ChoiceCase choiceCases[] = {
    {"no outputs", {}, std::nullopt, std::nullopt},
    {"the only output", {output("DP-1")}, std::nullopt, 0},
    {"a built-in panel, wherever it is",
     {output("HDMI-A-1"), output("DP-2"), output("eDP-1")},
     std::nullopt,
     2},
    {"each kind of built-in panel", {output("DP-1"), output("LVDS-1")}, std::nullopt, 1},
    {"DSI", {output("DP-1"), output("DSI-1")}, std::nullopt, 1},
    {"DPI", {output("DP-1"), output("DPI-1")}, std::nullopt, 1},
    {"a name that only starts like a panel's", {output("DP-1"), output("eDPX-1")}, std::nullopt, 0},
    {"no names: the first", {output(""), output("")}, std::nullopt, 0},
    {"the primary, over a built-in panel",
     {output("eDP-1"), output("HDMI-A-1")},
     std::string("HDMI-A-1"),
     1},
    {"a primary that is not there: the built-in panel",
     {output("DP-1"), output("eDP-1")},
     std::string("HDMI-A-9"),
     1},
};

INSTANTIATE_TEST_SUITE_P(Outputs, WaylandChoice, testing::ValuesIn(choiceCases));

struct SizeCase {
    const char *what;
    WaylandOutput output;
    std::optional<ScreenSize> fromEdid;
    ScreenSize expected;
};

class WaylandSize : public testing::TestWithParam<SizeCase> {};

TEST_P(WaylandSize, TheSizeAsThePersonSeesIt) {
    const SizeCase &c = GetParam();
    EXPECT_EQ(waylandOutputSize(c.output, c.fromEdid), c.expected) << c.what;
}

const SizeCase sizeCases[] = {
    {"its millimetres", output("DP-1", 527, 296), std::nullopt, {527, 296}},
    {"the EDID wins", output("DP-1", 600, 340), ScreenSize{521, 293}, {521, 293}},
    {"0 x 0 mm and no EDID", output("DP-1", 0, 0), std::nullopt, {0, 0}},
    {"negative millimetres", output("DP-1", -527, 296), std::nullopt, {0, 0}},
    {"a stand-in size", output("DP-1", 160, 90), std::nullopt, {0, 0}},
    {"turned 90", output("DP-1", 527, 296, 1), std::nullopt, {296, 527}},
    {"turned 180", output("DP-1", 527, 296, 2), std::nullopt, {527, 296}},
    {"turned 270, the EDID's size", output("DP-1", 0, 0, 3), ScreenSize{521, 293}, {293, 521}},
    {"flipped", output("DP-1", 527, 296, 4), std::nullopt, {527, 296}},
    {"flipped 90", output("DP-1", 527, 296, 5), std::nullopt, {296, 527}},
    {"flipped 180", output("DP-1", 527, 296, 6), std::nullopt, {527, 296}},
    {"flipped 270", output("DP-1", 527, 296, 7), std::nullopt, {296, 527}},
    {"an unknown transform", output("DP-1", 527, 296, 9), std::nullopt, {527, 296}},
    {"a negative transform", output("DP-1", 527, 296, -1), std::nullopt, {527, 296}},
};

INSTANTIATE_TEST_SUITE_P(Sizes, WaylandSize, testing::ValuesIn(sizeCases));

} // namespace
