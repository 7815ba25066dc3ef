#include "x11_replies.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t replyHeaderLength = 32;

// A fixed-size value at `offset`, in this machine's byte order; empty past the end.
template <typename Value>
std::optional<Value> valueAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(Value)) {
        return std::nullopt;
    }
    Value value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// X pads every list to a multiple of four bytes.
constexpr std::size_t padded(std::size_t length) {
    return (length + 3) & ~std::size_t{3};
}

// `count` 32-bit ids from `offset`, of which at most maxRandrResources are kept; empty when
// they do not all fit.
std::optional<std::vector<std::uint32_t>> idList(std::span<const std::uint8_t> reply,
                                                 std::size_t offset, std::size_t count) {
    if (offset > reply.size() || (reply.size() - offset) / 4 < count) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> ids(std::min(count, maxRandrResources));
    std::memcpy(ids.data(), reply.data() + offset, ids.size() * 4);
    return ids;
}

} // namespace

std::optional<std::uint32_t> setupScreenRoot(std::span<const std::uint8_t> setup, int screen) {
    constexpr std::size_t fixedLength = 40;
    constexpr std::size_t formatLength = 8;
    constexpr std::size_t screenFixedLength = 40;
    constexpr std::size_t depthFixedLength = 8;
    constexpr std::size_t visualLength = 24;
    const auto vendorLength = valueAt<std::uint16_t>(setup, 24);
    const auto screenCount = valueAt<std::uint8_t>(setup, 28);
    const auto formatCount = valueAt<std::uint8_t>(setup, 29);
    if (!vendorLength || !screenCount || !formatCount || setup.size() < fixedLength || screen < 0 ||
        screen >= *screenCount) {
        return std::nullopt;
    }
    // Offsets stay far below any overflow: each step adds at most a few hundred kilobytes.
    std::size_t offset = fixedLength + padded(*vendorLength) + *formatCount * formatLength;
    for (int index = 0;; ++index) {
        const auto root = valueAt<std::uint32_t>(setup, offset);
        const auto depthCount = valueAt<std::uint8_t>(setup, offset + 39);
        if (!root || !depthCount) {
            return std::nullopt;
        }
        offset += screenFixedLength;
        for (int depth = 0; depth < *depthCount; ++depth) {
            const auto visualCount = valueAt<std::uint16_t>(setup, offset + 2);
            if (!visualCount) {
                return std::nullopt;
            }
            offset += depthFixedLength + std::size_t{*visualCount} * visualLength;
        }
        // The screen is whole only when its last depth's visuals are there too.
        if (offset > setup.size()) {
            return std::nullopt;
        }
        if (index == screen) {
            return root;
        }
    }
}

std::optional<ScreenResources> readScreenResources(std::span<const std::uint8_t> reply) {
    const auto timestamp = valueAt<std::uint32_t>(reply, 12);
    const auto crtcCount = valueAt<std::uint16_t>(reply, 16);
    const auto outputCount = valueAt<std::uint16_t>(reply, 18);
    if (!timestamp || !crtcCount || !outputCount) {
        return std::nullopt;
    }
    const std::size_t crtcsAt = replyHeaderLength;
    const std::size_t outputsAt = crtcsAt + std::size_t{*crtcCount} * 4;
    auto crtcs = idList(reply, crtcsAt, *crtcCount);
    auto outputs = idList(reply, outputsAt, *outputCount);
    if (!crtcs || !outputs) {
        return std::nullopt;
    }
    return ScreenResources{*timestamp, std::move(*crtcs), std::move(*outputs)};
}

std::optional<OutputInfo> readOutputInfo(std::span<const std::uint8_t> reply) {
    // The fixed part is 36 bytes, the name's length last.
    if (reply.size() < 36) {
        return std::nullopt;
    }
    return OutputInfo{
        .crtc = *valueAt<std::uint32_t>(reply, 12),
        .mmWidth = *valueAt<std::uint32_t>(reply, 16),
        .mmHeight = *valueAt<std::uint32_t>(reply, 20),
        .connected = *valueAt<std::uint8_t>(reply, 24) == 0, // RandR's "Connected"
    };
}

std::optional<std::uint16_t> readCrtcRotation(std::span<const std::uint8_t> reply) {
    if (reply.size() < replyHeaderLength) {
        return std::nullopt;
    }
    return valueAt<std::uint16_t>(reply, 24);
}

std::optional<std::span<const std::uint8_t>> readByteProperty(std::span<const std::uint8_t> reply,
                                                              std::uint32_t type) {
    const auto format = valueAt<std::uint8_t>(reply, 1);
    const auto replyType = valueAt<std::uint32_t>(reply, 8);
    const auto itemCount = valueAt<std::uint32_t>(reply, 16);
    if (!format || !replyType || !itemCount || *format != 8 || *replyType != type ||
        reply.size() < replyHeaderLength || reply.size() - replyHeaderLength < *itemCount) {
        return std::nullopt;
    }
    return reply.subspan(replyHeaderLength, *itemCount);
}
