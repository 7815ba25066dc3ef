// A helper for the EDID checks: plants an EDID on every RandR output of an X display, as a
// monitor's driver would, with RandR ChangeOutputProperty (which, unlike `xrandr --set`,
// creates the property).
//   plant_edid FILE   the file's bytes become each output's EDID property
//   plant_edid -      each output's EDID property is deleted
// The display is DISPLAY's.
#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: plant_edid FILE|-\n", stderr);
        return 2;
    }
    std::vector<char> edid;
    const bool remove = std::strcmp(argv[1], "-") == 0;
    if (!remove) {
        std::ifstream file(argv[1], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "plant_edid: cannot read %s\n", argv[1]);
            return 1;
        }
        edid.assign(std::istreambuf_iterator<char>(file), {});
    }
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        std::fputs("plant_edid: cannot connect to the display\n", stderr);
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = screenNumber; skip > 0; --skip) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 4, "EDID"), nullptr);
    xcb_randr_get_screen_resources_current_reply_t *resources =
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, root), nullptr);
    if (atom == nullptr || resources == nullptr) {
        std::fputs("plant_edid: the display has no RandR outputs\n", stderr);
        return 1;
    }
    const xcb_randr_output_t *outputs = xcb_randr_get_screen_resources_current_outputs(resources);
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const xcb_void_cookie_t cookie =
            remove
                ? xcb_randr_delete_output_property_checked(connection, outputs[i], atom->atom)
                : xcb_randr_change_output_property_checked(
                      connection, outputs[i], atom->atom, XCB_ATOM_INTEGER, 8,
                      XCB_PROP_MODE_REPLACE, static_cast<std::uint32_t>(edid.size()), edid.data());
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            std::fprintf(stderr, "plant_edid: output %u refused it (error %d)\n", outputs[i],
                         error->error_code);
            std::free(error);
            ++failures;
        }
    }
    std::free(atom);
    std::free(resources);
    xcb_disconnect(connection);
    return failures == 0 && count > 0 ? 0 : 1;
}
