#include "monitor_choice.h"

#include "size_rules.h"

#include <algorithm>

std::optional<ScreenSize> chosenMonitorSize(std::span<const RandrOutput> outputs) {
    const auto active = [](const RandrOutput &output) {
        return output.connected && output.hasCrtc;
    };
    auto chosen = std::find_if(outputs.begin(), outputs.end(), [&](const RandrOutput &output) {
        return output.primary && active(output);
    });
    if (chosen == outputs.end()) {
        chosen = std::find_if(outputs.begin(), outputs.end(), active);
    }
    if (chosen == outputs.end()) {
        return std::nullopt;
    }
    std::int64_t width = chosen->mmWidth;
    std::int64_t height = chosen->mmHeight;
    if (chosen->quarterTurn) {
        std::swap(width, height);
    }
    if (!isKnownSize(width, height)) {
        return std::nullopt;
    }
    return toScreenSize(width, height);
}
