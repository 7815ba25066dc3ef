#include "wl_gnome_primary.h"

#include "shared_library.h"

#include <systemd/sd-bus.h>

#include <cstdint>

namespace {

// Mutter answers at once; a bus or a service that does not costs at most this.
constexpr std::uint64_t busCallLimitMicroseconds = 1'000'000;

// The sd-bus functions the program calls, looked up at run time.
struct SdBus {
    decltype(sd_bus_open_user) *openUser = nullptr;
    decltype(sd_bus_flush_close_unref) *closeUnref = nullptr;
    decltype(sd_bus_set_method_call_timeout) *setMethodCallTimeout = nullptr;
    decltype(sd_bus_call_method) *callMethod = nullptr;
    decltype(sd_bus_message_unref) *messageUnref = nullptr;
    decltype(sd_bus_message_read) *read = nullptr;
    decltype(sd_bus_message_skip) *skip = nullptr;
    decltype(sd_bus_message_enter_container) *enterContainer = nullptr;
    decltype(sd_bus_message_exit_container) *exitContainer = nullptr;
    decltype(sd_bus_error_free) *errorFree = nullptr;

    bool load(const SharedLibrary &library) {
        return library.load(openUser, "sd_bus_open_user") &&
               library.load(closeUnref, "sd_bus_flush_close_unref") &&
               library.load(setMethodCallTimeout, "sd_bus_set_method_call_timeout") &&
               library.load(callMethod, "sd_bus_call_method") &&
               library.load(messageUnref, "sd_bus_message_unref") &&
               library.load(read, "sd_bus_message_read") &&
               library.load(skip, "sd_bus_message_skip") &&
               library.load(enterContainer, "sd_bus_message_enter_container") &&
               library.load(exitContainer, "sd_bus_message_exit_container") &&
               library.load(errorFree, "sd_bus_error_free");
    }
};

// From GetCurrentState's reply (u, monitors, logical monitors, properties): the first
// monitor of the logical monitor marked primary.
std::optional<std::string> primaryOf(const SdBus &bus, sd_bus_message *reply) {
    std::uint32_t serial = 0;
    if (bus.read(reply, "u", &serial) < 0 || bus.skip(reply, "a((ssss)a(siiddada{sv})a{sv})") < 0 ||
        bus.enterContainer(reply, 'a', "(iiduba(ssss)a{sv})") <= 0) {
        return std::nullopt;
    }
    std::optional<std::string> primary;
    while (bus.enterContainer(reply, 'r', "iiduba(ssss)a{sv}") > 0) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        double scale = 0;
        std::uint32_t transform = 0;
        int isPrimary = 0;
        if (bus.read(reply, "iidub", &x, &y, &scale, &transform, &isPrimary) < 0 ||
            bus.enterContainer(reply, 'a', "(ssss)") < 0) {
            return std::nullopt;
        }
        const char *connector = nullptr;
        const char *vendor = nullptr;
        const char *product = nullptr;
        const char *serialNumber = nullptr;
        bool first = true;
        while (bus.read(reply, "(ssss)", &connector, &vendor, &product, &serialNumber) > 0) {
            if (first && isPrimary != 0 && !primary && connector != nullptr) {
                primary = connector;
            }
            first = false;
        }
        if (bus.exitContainer(reply) < 0 || bus.skip(reply, "a{sv}") < 0 ||
            bus.exitContainer(reply) < 0) {
            return std::nullopt;
        }
    }
    return primary;
}

} // namespace

std::optional<std::string> gnomePrimaryConnector() {
    const SharedLibrary library("libsystemd.so.0");
    SdBus bus;
    if (!bus.load(library)) {
        return std::nullopt;
    }
    sd_bus *connection = nullptr;
    if (bus.openUser(&connection) < 0) {
        return std::nullopt;
    }
    bus.setMethodCallTimeout(connection, busCallLimitMicroseconds);
    sd_bus_error error{}; // as SD_BUS_ERROR_NULL: no name, no message, not to be freed
    sd_bus_message *reply = nullptr;
    std::optional<std::string> primary;
    if (bus.callMethod(connection, "org.gnome.Mutter.DisplayConfig",
                       "/org/gnome/Mutter/DisplayConfig", "org.gnome.Mutter.DisplayConfig",
                       "GetCurrentState", &error, &reply, "") >= 0) {
        primary = primaryOf(bus, reply);
        bus.messageUnref(reply);
    }
    bus.errorFree(&error);
    bus.closeUnref(connection);
    return primary;
}
