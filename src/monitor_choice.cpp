#include "monitor_choice.h"

#include "edid.h"
#include "size_rules.h"

#include <algorithm>
#include <utility>

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
    auto size = edidScreenSize(chosen->edid);
    if (!size && isKnownSize(chosen->mmWidth, chosen->mmHeight)) {
        size = toScreenSize(chosen->mmWidth, chosen->mmHeight);
    }
    if (size && chosen->quarterTurn) {
        std::swap(size->screenWidth, size->screenHeight);
    }
    return size;
}
