#include "wl_monitor_choice.h"

#include "drm_connectors.h"
#include "size_rules.h"

#include <algorithm>
#include <utility>

std::optional<std::size_t> chosenWaylandOutput(std::span<const WaylandOutput> outputs,
                                               const std::optional<std::string> &primary) {
    if (outputs.empty()) {
        return std::nullopt;
    }
    const auto index = [&](auto found) {
        return static_cast<std::size_t>(found - outputs.begin());
    };
    if (primary) {
        const auto named = std::ranges::find(outputs, *primary, &WaylandOutput::name);
        if (named != outputs.end()) {
            return index(named);
        }
    }
    const auto builtIn = std::ranges::find_if(outputs, [](const WaylandOutput &output) {
        return !output.name.empty() && isBuiltInConnector(output.name);
    });
    return builtIn != outputs.end() ? index(builtIn) : 0;
}

ScreenSize waylandOutputSize(const WaylandOutput &output, std::optional<ScreenSize> fromEdid) {
    auto size = fromEdid;
    if (!size && isKnownSize(output.mmWidth, output.mmHeight)) {
        size = toScreenSize(output.mmWidth, output.mmHeight);
    }
    if (!size) {
        return {0, 0};
    }
    // wl_output's transforms 1 and 3 turn by 90 and 270 degrees; 5 and 7 are their flips.
    const bool quarterTurn =
        output.transform >= 0 && output.transform <= 7 && (output.transform & 1) != 0;
    if (quarterTurn) {
        std::swap(size->screenWidth, size->screenHeight);
    }
    return *size;
}
