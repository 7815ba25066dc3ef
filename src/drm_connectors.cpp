#include "drm_connectors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "HDMI-A-1" is of type "HDMI-A": the name without its trailing "-<number>".
std::string_view connectorType(std::string_view connector) {
    const auto dash = connector.rfind('-');
    if (dash == std::string_view::npos || dash + 1 == connector.size()) {
        return connector;
    }
    for (std::size_t i = dash + 1; i < connector.size(); ++i) {
        if (!isDigit(connector[i])) {
            return connector;
        }
    }
    return connector.substr(0, dash);
}

bool isBuiltInType(std::string_view type) {
    constexpr std::array<std::string_view, 4> builtInTypes{"eDP", "LVDS", "DSI", "DPI"};
    return std::ranges::any_of(builtInTypes,
                               [&](std::string_view builtIn) { return type == builtIn; });
}

// The run of digits at `position`, without leading zeros (but one); moves past the run.
std::string_view takeNumber(std::string_view text, std::size_t &position) {
    const std::size_t start = position;
    while (position < text.size() && isDigit(text[position])) {
        ++position;
    }
    std::string_view run = text.substr(start, position - start);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    return run;
}

// Numbers without leading zeros: the longer is the larger, else the digits decide.
int compareNumbers(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

// Negative, zero or positive as `a` sorts before, with or after `b`, reading runs of digits
// as numbers.
int compareNaturally(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            if (const int order = compareNumbers(takeNumber(a, i), takeNumber(b, j)); order != 0) {
                return order;
            }
        } else if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        } else {
            ++i;
            ++j;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

} // namespace

bool isBuiltInConnector(std::string_view connector) {
    return isBuiltInType(connectorType(connector));
}

std::optional<DrmConnector> parseDrmConnector(std::string_view entry) {
    constexpr std::string_view prefix = "card";
    if (entry.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    const std::string_view rest = entry.substr(prefix.size());
    unsigned long card = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), card);
    if (error != std::errc{} || end == rest.data() || end == rest.data() + rest.size() ||
        *end != '-') {
        return std::nullopt;
    }
    const std::string_view connector = rest.substr(static_cast<std::size_t>(end - rest.data()) + 1);
    if (connector.empty()) {
        return std::nullopt;
    }
    return DrmConnector{std::string(entry), card, std::string(connector),
                        isBuiltInConnector(connector)};
}

bool comesBefore(const DrmConnector &first, const DrmConnector &second) {
    if (first.builtIn != second.builtIn) {
        return first.builtIn;
    }
    if (first.card != second.card) {
        return first.card < second.card;
    }
    if (const int order = compareNaturally(first.connector, second.connector); order != 0) {
        return order < 0;
    }
    return first.entry < second.entry; // "eDP-01" and "eDP-1": still a strict order
}
