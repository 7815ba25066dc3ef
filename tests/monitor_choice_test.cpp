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
            .mmHeight = height};
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
};

INSTANTIATE_TEST_SUITE_P(Outputs, MonitorChoice, testing::ValuesIn(choiceCases));

} // namespace
