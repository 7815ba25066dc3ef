// Reading what an X server sends, checked against the bytes that arrived: every count and
// length in a setup or a reply is believed only as far as the bytes it describes are there.
// The values are in this machine's byte order, the order every client asks the server for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The most outputs, and CRTCs, the program considers: far more than any real machine has,
// and few enough that a server cannot make the program ask or allocate without bound.
inline constexpr std::size_t maxRandrResources = 1024;

// The root window of screen `screen` in the connection setup (its whole bytes, header
// included). Empty when the vendor, the formats, the screens or their depths run past the
// setup's end before that screen is whole, or there is no such screen.
std::optional<std::uint32_t> setupScreenRoot(std::span<const std::uint8_t> setup, int screen);

struct ScreenResources {
    std::uint32_t configTimestamp;
    std::vector<std::uint32_t> crtcs;   // at most maxRandrResources
    std::vector<std::uint32_t> outputs; // at most maxRandrResources
};

// A RandR GetScreenResourcesCurrent reply; empty when its lists do not fit in it.
std::optional<ScreenResources> readScreenResources(std::span<const std::uint8_t> reply);

struct OutputInfo {
    std::uint32_t crtc; // 0 when the output shows nothing
    std::uint32_t mmWidth;
    std::uint32_t mmHeight;
    bool connected;
};

// A RandR GetOutputInfo reply; empty when it is shorter than its fixed part.
std::optional<OutputInfo> readOutputInfo(std::span<const std::uint8_t> reply);

// The rotation of a RandR GetCrtcInfo reply; empty when it is shorter than its fixed part.
std::optional<std::uint16_t> readCrtcRotation(std::span<const std::uint8_t> reply);

// The bytes of a GetProperty-style reply (RandR GetOutputProperty) of the given type and
// format 8; empty when it is of another type or format, or its items run past its end.
std::optional<std::span<const std::uint8_t>> readByteProperty(std::span<const std::uint8_t> reply,
                                                              std::uint32_t type);
