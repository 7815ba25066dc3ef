#include "drm_source.h"

#include "drm_connectors.h"
#include "edid.h"
#include "file_bytes.h"

#include <algorithm>
#include <dirent.h>
#include <string_view>
#include <vector>

namespace {

// Only the 128-byte base block is used; this bounds what a broken or hostile file costs.
constexpr std::size_t edidReadLimit = std::size_t{32} * 1024;

std::vector<DrmConnector> listConnectors(const std::string &folder) {
    std::vector<DrmConnector> connectors;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr) {
        return connectors;
    }
    while (const dirent *entry = readdir(directory)) {
        if (auto connector = parseDrmConnector(entry->d_name)) {
            connectors.push_back(std::move(*connector));
        }
    }
    closedir(directory);
    std::sort(connectors.begin(), connectors.end(), comesBefore);
    return connectors;
}

bool isConnected(const std::string &connectorFolder) {
    const std::vector<std::uint8_t> status = readFileStart(connectorFolder + "/status", 64);
    const std::string_view text(reinterpret_cast<const char *>(status.data()), status.size());
    return text == "connected\n" || text == "connected";
}

// The size from a connector's EDID, when it is connected.
std::optional<ScreenSize> connectedSize(const std::string &classDrmFolder,
                                        const DrmConnector &connector) {
    const std::string folder = classDrmFolder + "/" + connector.entry;
    if (!isConnected(folder)) {
        return std::nullopt;
    }
    return edidScreenSize(readFileStart(folder + "/edid", edidReadLimit));
}

} // namespace

std::optional<ScreenSize> drmScreenSize(const std::string &classDrmFolder) {
    for (const DrmConnector &connector : listConnectors(classDrmFolder)) {
        if (const auto size = connectedSize(classDrmFolder, connector)) {
            return size;
        }
    }
    return std::nullopt;
}

std::optional<ScreenSize> drmConnectorSize(std::string_view connector,
                                           const std::string &classDrmFolder) {
    for (const DrmConnector &candidate : listConnectors(classDrmFolder)) {
        if (candidate.connector == connector) {
            if (const auto size = connectedSize(classDrmFolder, candidate)) {
                return size;
            }
        }
    }
    return std::nullopt;
}
