#include "edid_fixtures.h"
#include "monitor_choice.h"
#include "print_screen_size.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Shorthands for the outputs of the table below.
RandrOutput active(std::uint32_t width, std::uint32_t height) {
    return {.connected = true,
            .hasCrtc = true,
            .primary = false,
            .quarterTurn = false,
            .mmWidth = width,
            .mmHeight = height,
            .edid = {}};
}
RandrOutput primary(RandrOutput output) {
    output.primary = true;
    return output;
}
RandrOutput turned(RandrOutput output) {
    output.quarterTurn = true;
    return output;
}
RandrOutput disconnected(RandrOutput output) {
    output.connected = false;
    return output;
}
RandrOutput withoutCrtc(RandrOutput output) {
    output.hasCrtc = false;
    return output;
}
RandrOutput withEdid(RandrOutput output, std::vector<std::uint8_t> edid) {
    output.edid = std::move(edid);
    return output;
}

// EDIDs: a 24-inch monitor's agreeing sizes, a broken one, and one that gives only a
// stand-in size.
const std::vector<std::uint8_t> edid521x293 = makeEdidBlock({52, 29, true, 521, 293});
std::vector<std::uint8_t> badChecksum() {
    std::vector<std::uint8_t> edid = edid521x293;
    edid[127] ^= 1;
    return edid;
}
const std::vector<std::uint8_t> placeholderOnly = makeEdidBlock({0, 0, true, 1600, 900});

struct ChoiceCase {
    const char *what;
    std::vector<RandrOutput> outputs;
    std::optional<ScreenSize> expected;
};

class MonitorChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(MonitorChoice, ChoosesTheMonitorAndItsSize) {
    const ChoiceCase &c = GetParam();
    EXPECT_EQ(chosenMonitorSize(c.outputs), c.expected) << c.what;
}

const ChoiceCase choiceCases[] = {
    {"no outputs", {}, std::nullopt},
    {"the only output", {active(527, 296)}, ScreenSize{527, 296}},
    {"the primary output, wherever it is",
     {active(344, 194), primary(active(527, 296))},
     ScreenSize{527, 296}},
    {"no primary: the first active output",
     {active(344, 194), active(527, 296)},
     ScreenSize{344, 194}},
    {"the primary is disconnected: the first active one",
     {primary(disconnected(active(600, 340))), active(344, 194), active(527, 296)},
     ScreenSize{344, 194}},
    {"the primary has no CRTC: the first active one",
     {primary(withoutCrtc(active(600, 340))), active(527, 296)},
     ScreenSize{527, 296}},
    {"outputs without a CRTC or disconnected are passed over",
     {withoutCrtc(active(600, 340)), disconnected(active(700, 390)), active(527, 296)},
     ScreenSize{527, 296}},
    {"nothing active",
     {withoutCrtc(active(600, 340)), disconnected(active(700, 390))},
     std::nullopt},
    {"turned a quarter: the sides swap", {turned(active(527, 296))}, ScreenSize{296, 527}},
    {"the chosen one gives 0 mm: no size, the next output is not asked",
     {active(0, 0), active(527, 296)},
     std::nullopt},
    {"one side 0", {active(527, 0)}, std::nullopt},
    {"a placeholder: no size", {primary(active(1600, 900)), active(527, 296)}, std::nullopt},
    {"a turned placeholder", {turned(active(160, 90))}, std::nullopt},
    {"a placeholder as the output reports it, turned", {turned(active(90, 160))}, std::nullopt},
    {"millimetres past the report's range", {active(0x80000000u, 300)}, std::nullopt},
    {"its EDID wins over its millimetres",
     {withEdid(active(600, 340), edid521x293)},
     ScreenSize{521, 293}},
    {"its EDID without millimetres", {withEdid(active(0, 0), edid521x293)}, ScreenSize{521, 293}},
    {"its EDID, turned a quarter",
     {turned(withEdid(active(0, 0), edid521x293))},
     ScreenSize{293, 521}},
    {"a broken EDID: its millimetres",
     {withEdid(active(600, 340), badChecksum())},
     ScreenSize{600, 340}},
    {"a truncated EDID: its millimetres",
     {withEdid(active(600, 340), std::vector(edid521x293.begin(), edid521x293.end() - 1))},
     ScreenSize{600, 340}},
    {"an EDID of a stand-in size: its millimetres, turned",
     {turned(withEdid(active(600, 340), placeholderOnly))},
     ScreenSize{340, 600}},
    {"a broken EDID and no millimetres: no size",
     {withEdid(active(0, 0), badChecksum())},
     std::nullopt},
    {"another output's EDID is not the chosen one's",
     {primary(active(0, 0)), withEdid(active(600, 340), edid521x293)},
     std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Outputs, MonitorChoice, testing::ValuesIn(choiceCases));

} // namespace
