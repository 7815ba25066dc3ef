// A Wayland compositor of the tests' own, with nothing but the outputs a case asks for: the
// program's client is checked against exactly what it is told.
//
// usage: fake_compositor SOCKET [--xdg-output] [--silent] OUTPUT...
//   OUTPUT is NAME:WIDTH_MM:HEIGHT_MM:TRANSFORM:VERSION, NAME "-" for an output without one
//   (wl_output before version 4 sends no name; with --xdg-output, xdg-output sends it).
//   --silent accepts clients and never answers them.
// It listens on $XDG_RUNTIME_DIR/SOCKET, prints "ready", and runs until it is killed.
#include "xdg-output-unstable-v1-server-protocol.h"

#include <wayland-server.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Output {
    std::string name; // empty: none
    int mmWidth;
    int mmHeight;
    int transform;
    int version;
};

void releaseResource(wl_client * /*client*/, wl_resource *resource) {
    wl_resource_destroy(resource);
}

const struct wl_output_interface outputImplementation = {releaseResource};

void bindOutput(wl_client *client, void *data, std::uint32_t version, std::uint32_t id) {
    const auto *output = static_cast<const Output *>(data);
    wl_resource *resource =
        wl_resource_create(client, &wl_output_interface, static_cast<int>(version), id);
    if (resource == nullptr) {
        wl_client_post_no_memory(client);
        return;
    }
    wl_resource_set_implementation(resource, &outputImplementation, data, nullptr);
    wl_output_send_geometry(resource, 0, 0, output->mmWidth, output->mmHeight,
                            WL_OUTPUT_SUBPIXEL_UNKNOWN, "screen-size", "fixture",
                            output->transform);
    wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED, 1920, 1080,
                        60000);
    if (version >= WL_OUTPUT_SCALE_SINCE_VERSION) {
        wl_output_send_scale(resource, 1);
    }
    if (version >= WL_OUTPUT_NAME_SINCE_VERSION && !output->name.empty()) {
        wl_output_send_name(resource, output->name.c_str());
    }
    if (version >= WL_OUTPUT_DONE_SINCE_VERSION) {
        wl_output_send_done(resource);
    }
}

void destroyXdgOutput(wl_client * /*client*/, wl_resource *resource) {
    wl_resource_destroy(resource);
}
const struct zxdg_output_v1_interface xdgOutputImplementation = {destroyXdgOutput};

void getXdgOutput(wl_client *client, wl_resource *manager, std::uint32_t id,
                  wl_resource *outputResource) {
    const auto *output = static_cast<const Output *>(wl_resource_get_user_data(outputResource));
    const int version = wl_resource_get_version(manager);
    wl_resource *resource = wl_resource_create(client, &zxdg_output_v1_interface, version, id);
    if (resource == nullptr) {
        wl_client_post_no_memory(client);
        return;
    }
    wl_resource_set_implementation(resource, &xdgOutputImplementation, nullptr, nullptr);
    zxdg_output_v1_send_logical_position(resource, 0, 0);
    zxdg_output_v1_send_logical_size(resource, 1920, 1080);
    if (version >= ZXDG_OUTPUT_V1_NAME_SINCE_VERSION && !output->name.empty()) {
        zxdg_output_v1_send_name(resource, output->name.c_str());
    }
    zxdg_output_v1_send_done(resource);
}

const struct zxdg_output_manager_v1_interface managerImplementation = {releaseResource,
                                                                       getXdgOutput};

void bindManager(wl_client *client, void * /*data*/, std::uint32_t version, std::uint32_t id) {
    wl_resource *resource = wl_resource_create(client, &zxdg_output_manager_v1_interface,
                                               static_cast<int>(version), id);
    if (resource == nullptr) {
        wl_client_post_no_memory(client);
        return;
    }
    wl_resource_set_implementation(resource, &managerImplementation, nullptr, nullptr);
}

bool parseOutput(const char *text, Output &output) {
    char name[64];
    if (std::sscanf(text, "%63[^:]:%d:%d:%d:%d", name, &output.mmWidth, &output.mmHeight,
                    &output.transform, &output.version) != 5 ||
        output.version < 1 || output.version > 4) {
        return false;
    }
    output.name = std::strcmp(name, "-") == 0 ? "" : name;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fputs("usage: fake_compositor SOCKET [--xdg-output] [--silent] OUTPUT...\n", stderr);
        return 2;
    }
    bool xdgOutput = false;
    bool silent = false;
    std::vector<Output> outputs;
    outputs.reserve(static_cast<std::size_t>(argc));
    for (int i = 2; i < argc; ++i) {
        Output output;
        if (std::strcmp(argv[i], "--xdg-output") == 0) {
            xdgOutput = true;
        } else if (std::strcmp(argv[i], "--silent") == 0) {
            silent = true;
        } else if (parseOutput(argv[i], output)) {
            outputs.push_back(output);
        } else {
            std::fprintf(stderr, "fake_compositor: not an output: %s\n", argv[i]);
            return 2;
        }
    }
    wl_display *display = wl_display_create();
    if (display == nullptr || wl_display_add_socket(display, argv[1]) != 0) {
        std::fputs("fake_compositor: cannot listen (is XDG_RUNTIME_DIR set?)\n", stderr);
        return 1;
    }
    for (Output &output : outputs) {
        wl_global_create(display, &wl_output_interface, output.version, &output, bindOutput);
    }
    if (xdgOutput) {
        wl_global_create(display, &zxdg_output_manager_v1_interface, 3, nullptr, bindManager);
    }
    std::puts("ready");
    std::fflush(stdout);
    if (silent) {
        // Connections queue up on the socket; nobody ever reads them.
        for (;;) {
            pause();
        }
    }
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
