// The primary monitor that GNOME's compositor publishes on the session bus: the Wayland
// protocols themselves know no primary monitor.
#pragma once

#include <optional>
#include <string>

// The connector name ("eDP-1") of the monitor of the logical monitor that
// org.gnome.Mutter.DisplayConfig marks primary. Empty when there is no session bus, no such
// service, or no primary in its answer; the session bus library is loaded at run time.
std::optional<std::string> gnomePrimaryConnector();
