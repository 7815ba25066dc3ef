// A stand-in for GNOME's display-config service on a session bus of the tests' own: it
// answers org.gnome.Mutter.DisplayConfig.GetCurrentState with one monitor and one logical
// monitor for each connector named, the one given as primary marked so.
// usage: fake_display_config PRIMARY CONNECTOR...   (the bus is DBUS_SESSION_BUS_ADDRESS's)
// It prints "ready" once it owns the name, and serves until it is killed.
#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct State {
    std::string primary;
    std::vector<std::string> connectors;
};

int getCurrentState(sd_bus_message *call, void *data, sd_bus_error * /*error*/) {
    const auto *state = static_cast<const State *>(data);
    sd_bus_message *reply = nullptr;
    int result = sd_bus_message_new_method_return(call, &reply);
    const auto append = [&](int status) {
        if (result >= 0 && status < 0) {
            result = status;
        }
    };
    append(sd_bus_message_append(reply, "u", 1U));
    append(sd_bus_message_open_container(reply, 'a', "((ssss)a(siiddada{sv})a{sv})"));
    for (const std::string &connector : state->connectors) {
        // A monitor with one mode of 1920x1080 at 60 Hz, as Mutter describes it.
        append(sd_bus_message_open_container(reply, 'r', "(ssss)a(siiddada{sv})a{sv}"));
        append(sd_bus_message_append(reply, "(ssss)", connector.c_str(), "SAM", "C24F390",
                                     "H4ZMB01592"));
        append(sd_bus_message_append(reply, "a(siiddada{sv})", 1, "1920x1080@60", 1920, 1080, 60.0,
                                     1.0, 1, 1.0, 0));
        append(sd_bus_message_append(reply, "a{sv}", 0));
        append(sd_bus_message_close_container(reply));
    }
    append(sd_bus_message_close_container(reply));
    append(sd_bus_message_open_container(reply, 'a', "(iiduba(ssss)a{sv})"));
    int x = 0;
    for (const std::string &connector : state->connectors) {
        const int primary = connector == state->primary ? 1 : 0;
        append(sd_bus_message_append(reply, "(iiduba(ssss)a{sv})", x, 0, 1.0, 0U, primary, 1,
                                     connector.c_str(), "SAM", "C24F390", "H4ZMB01592", 0));
        x += 1920;
    }
    append(sd_bus_message_close_container(reply));
    append(sd_bus_message_append(reply, "a{sv}", 0));
    if (result >= 0) {
        result = sd_bus_send(nullptr, reply, nullptr);
    }
    sd_bus_message_unref(reply);
    return result;
}

const sd_bus_vtable displayConfig[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetCurrentState", "", "ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}",
                  getCurrentState, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fputs("usage: fake_display_config PRIMARY CONNECTOR...\n", stderr);
        return 2;
    }
    State state{argv[1], {argv + 2, argv + argc}};
    sd_bus *bus = nullptr;
    if (sd_bus_open_user(&bus) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, "/org/gnome/Mutter/DisplayConfig",
                                 "org.gnome.Mutter.DisplayConfig", displayConfig, &state) < 0 ||
        sd_bus_request_name(bus, "org.gnome.Mutter.DisplayConfig", 0) < 0) {
        std::fputs("fake_display_config: cannot serve on the session bus\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) {
            return 1;
        }
        if (processed == 0 && sd_bus_wait(bus, UINT64_MAX) < 0) {
            return 1;
        }
    }
}
