// The kernel's DRM connectors as /sys/class/drm names them: card<N>-<connector>.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct DrmConnector {
    std::string entry;     // the folder's name, such as "card0-eDP-1"
    unsigned long card;    // N
    std::string connector; // such as "eDP-1" or "HDMI-A-2"
    bool builtIn;          // a panel of the machine itself: eDP, LVDS, DSI or DPI
};

// A connector name ("eDP-1", "LVDS-2") of a panel built into the machine: eDP, LVDS, DSI, DPI.
bool isBuiltInConnector(std::string_view connector);

// Empty for entries that are no connector ("card0", "renderD128", "version").
std::optional<DrmConnector> parseDrmConnector(std::string_view entry);

// The order in which connectors are asked: built-in panels first, then by card number, then
// by connector name with numbers compared as numbers (HDMI-A-2 before HDMI-A-10).
bool comesBefore(const DrmConnector &first, const DrmConnector &second);
