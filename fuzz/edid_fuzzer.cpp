// libFuzzer target: any bytes as an EDID, and as a /sys/class/drm entry name. Neither may
// crash, read out of bounds or invoke undefined behaviour, and a size found must be real.
#include "drm_connectors.h"
#include "edid.h"
#include "size_rules.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto screen = edidScreenSize(bytes)) {
        if (!isKnownSize(screen->screenWidth, screen->screenHeight) || !readEdidImageSizes(bytes)) {
            __builtin_trap();
        }
    }
    const std::string_view name(reinterpret_cast<const char *>(data), size);
    if (const auto connector = parseDrmConnector(name)) {
        if (connector->connector.empty() || comesBefore(*connector, *connector)) {
            __builtin_trap();
        }
    }
    return 0;
}
