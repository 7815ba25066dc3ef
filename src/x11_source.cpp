#include "x11_source.h"

#include "monitor_choice.h"
#include "shared_library.h"
#include "size_rules.h"
#include "stderr_silencer.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The libxcb functions the program calls, looked up at run time.
struct Xcb {
    decltype(xcb_connect) *connect = nullptr;
    decltype(xcb_connection_has_error) *connectionHasError = nullptr;
    decltype(xcb_disconnect) *disconnect = nullptr;
    decltype(xcb_get_setup) *getSetup = nullptr;
    decltype(xcb_setup_roots_iterator) *setupRootsIterator = nullptr;
    decltype(xcb_screen_next) *screenNext = nullptr;
    decltype(xcb_get_extension_data) *getExtensionData = nullptr;

    bool load(const SharedLibrary &library) {
        return library.load(connect, "xcb_connect") &&
               library.load(connectionHasError, "xcb_connection_has_error") &&
               library.load(disconnect, "xcb_disconnect") &&
               library.load(getSetup, "xcb_get_setup") &&
               library.load(setupRootsIterator, "xcb_setup_roots_iterator") &&
               library.load(screenNext, "xcb_screen_next") &&
               library.load(getExtensionData, "xcb_get_extension_data");
    }
};

// The libxcb-randr functions the program calls, looked up at run time.
struct XcbRandr {
    xcb_extension_t *id = nullptr;
    decltype(xcb_randr_query_version) *queryVersion = nullptr;
    decltype(xcb_randr_query_version_reply) *queryVersionReply = nullptr;
    decltype(xcb_randr_get_screen_resources_current) *getResources = nullptr;
    decltype(xcb_randr_get_screen_resources_current_reply) *getResourcesReply = nullptr;
    decltype(xcb_randr_get_screen_resources_current_outputs) *resourcesOutputs = nullptr;
    decltype(xcb_randr_get_screen_resources_current_outputs_length) *resourcesOutputsLength =
        nullptr;
    decltype(xcb_randr_get_output_primary) *getOutputPrimary = nullptr;
    decltype(xcb_randr_get_output_primary_reply) *getOutputPrimaryReply = nullptr;
    decltype(xcb_randr_get_output_info) *getOutputInfo = nullptr;
    decltype(xcb_randr_get_output_info_reply) *getOutputInfoReply = nullptr;
    decltype(xcb_randr_get_crtc_info) *getCrtcInfo = nullptr;
    decltype(xcb_randr_get_crtc_info_reply) *getCrtcInfoReply = nullptr;

    bool load(const SharedLibrary &library) {
        id = static_cast<xcb_extension_t *>(library.symbol("xcb_randr_id"));
        return id != nullptr && library.load(queryVersion, "xcb_randr_query_version") &&
               library.load(queryVersionReply, "xcb_randr_query_version_reply") &&
               library.load(getResources, "xcb_randr_get_screen_resources_current") &&
               library.load(getResourcesReply, "xcb_randr_get_screen_resources_current_reply") &&
               library.load(resourcesOutputs, "xcb_randr_get_screen_resources_current_outputs") &&
               library.load(resourcesOutputsLength,
                            "xcb_randr_get_screen_resources_current_outputs_length") &&
               library.load(getOutputPrimary, "xcb_randr_get_output_primary") &&
               library.load(getOutputPrimaryReply, "xcb_randr_get_output_primary_reply") &&
               library.load(getOutputInfo, "xcb_randr_get_output_info") &&
               library.load(getOutputInfoReply, "xcb_randr_get_output_info_reply") &&
               library.load(getCrtcInfo, "xcb_randr_get_crtc_info") &&
               library.load(getCrtcInfoReply, "xcb_randr_get_crtc_info_reply");
    }
};

// libxcb allocates each reply with malloc and leaves it to the caller to free.
struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename ReplyType> using Reply = std::unique_ptr<ReplyType, FreeReply>;

// A connection to the display that any X client would open by default.
class XcbConnection {
  public:
    explicit XcbConnection(const Xcb &xcb) : xcb_(xcb) {
        // When the server refuses us, libxcb writes the server's reason to standard error.
        const StderrSilencer silencer;
        connection_ = xcb_.connect(nullptr, &defaultScreen_);
    }
    ~XcbConnection() {
        // libxcb hands out an error object instead of null; it too must be disconnected.
        if (connection_ != nullptr) {
            xcb_.disconnect(connection_);
        }
    }
    XcbConnection(const XcbConnection &) = delete;
    XcbConnection &operator=(const XcbConnection &) = delete;

    bool usable() const {
        return connection_ != nullptr && xcb_.connectionHasError(connection_) == 0;
    }

    xcb_connection_t *get() const { return connection_; }

    // The default screen's data from the connection setup; null when the setup lacks it.
    const xcb_screen_t *defaultScreen() const {
        const xcb_setup_t *setup = xcb_.getSetup(connection_);
        if (setup == nullptr || defaultScreen_ < 0) {
            return nullptr;
        }
        xcb_screen_iterator_t screens = xcb_.setupRootsIterator(setup);
        for (int skip = defaultScreen_; skip > 0 && screens.rem > 0; --skip) {
            xcb_.screenNext(&screens);
        }
        return screens.rem > 0 ? screens.data : nullptr;
    }

  private:
    const Xcb &xcb_;
    xcb_connection_t *connection_ = nullptr;
    int defaultScreen_ = 0;
};

bool hasRandr13(const Xcb &xcb, const XcbRandr &randr, xcb_connection_t *connection) {
    const xcb_query_extension_reply_t *extension = xcb.getExtensionData(connection, randr.id);
    if (extension == nullptr || extension->present == 0) {
        return false;
    }
    const Reply<xcb_randr_query_version_reply_t> version(
        randr.queryVersionReply(connection, randr.queryVersion(connection, 1, 3), nullptr));
    return version != nullptr && (version->major_version > 1 ||
                                  (version->major_version == 1 && version->minor_version >= 3));
}

// Every output of the screen with what the monitor choice needs; the requests are all sent
// before the first reply is awaited, so the server answers them in one round trip each.
std::vector<RandrOutput> randrOutputs(const XcbRandr &randr, xcb_connection_t *connection,
                                      xcb_window_t root) {
    const auto resourcesCookie = randr.getResources(connection, root);
    const auto primaryCookie = randr.getOutputPrimary(connection, root);
    const Reply<xcb_randr_get_screen_resources_current_reply_t> resources(
        randr.getResourcesReply(connection, resourcesCookie, nullptr));
    const Reply<xcb_randr_get_output_primary_reply_t> primary(
        randr.getOutputPrimaryReply(connection, primaryCookie, nullptr));
    if (resources == nullptr) {
        return {};
    }
    const xcb_randr_output_t *ids = randr.resourcesOutputs(resources.get());
    const int count = randr.resourcesOutputsLength(resources.get());
    if (ids == nullptr || count <= 0) {
        return {};
    }
    const xcb_timestamp_t timestamp = resources->config_timestamp;

    std::vector<xcb_randr_get_output_info_cookie_t> infoCookies;
    for (int i = 0; i < count; ++i) {
        infoCookies.push_back(randr.getOutputInfo(connection, ids[i], timestamp));
    }
    std::vector<Reply<xcb_randr_get_output_info_reply_t>> infos;
    std::vector<xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    for (const auto &cookie : infoCookies) {
        infos.emplace_back(randr.getOutputInfoReply(connection, cookie, nullptr));
        const auto &info = infos.back();
        const bool active = info != nullptr && info->connection == XCB_RANDR_CONNECTION_CONNECTED &&
                            info->crtc != XCB_NONE;
        crtcCookies.push_back(active ? randr.getCrtcInfo(connection, info->crtc, timestamp)
                                     : xcb_randr_get_crtc_info_cookie_t{0});
    }

    std::vector<RandrOutput> outputs;
    for (std::size_t i = 0; i < infos.size(); ++i) {
        const auto &info = infos[i];
        if (info == nullptr) {
            continue;
        }
        Reply<xcb_randr_get_crtc_info_reply_t> crtc;
        if (crtcCookies[i].sequence != 0) {
            crtc.reset(randr.getCrtcInfoReply(connection, crtcCookies[i], nullptr));
        }
        const auto quarterTurns = XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270;
        outputs.push_back({
            .connected = info->connection == XCB_RANDR_CONNECTION_CONNECTED,
            .hasCrtc = info->crtc != XCB_NONE && crtc != nullptr,
            .primary = primary != nullptr && primary->output == ids[i],
            .quarterTurn = crtc != nullptr && (crtc->rotation & quarterTurns) != 0,
            .mmWidth = info->mm_width,
            .mmHeight = info->mm_height,
        });
    }
    return outputs;
}

} // namespace

std::optional<ScreenSize> x11ScreenSize() {
    const SharedLibrary xcbLibrary("libxcb.so.1");
    Xcb xcb;
    if (!xcb.load(xcbLibrary)) {
        return std::nullopt;
    }
    // Loaded before the connection and released after it: libxcb keeps a key that lives here.
    const SharedLibrary randrLibrary("libxcb-randr.so.0");
    XcbRandr randr;
    const bool randrLoaded = randr.load(randrLibrary);

    const XcbConnection connection(xcb);
    if (!connection.usable()) {
        return std::nullopt;
    }
    const xcb_screen_t *screen = connection.defaultScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    if (randrLoaded && hasRandr13(xcb, randr, connection.get())) {
        const std::vector<RandrOutput> outputs =
            randrOutputs(randr, connection.get(), screen->root);
        if (const auto monitor = chosenMonitorSize(outputs)) {
            return monitor;
        }
    }
    if (screen->width_in_millimeters > 0 && screen->height_in_millimeters > 0) {
        return ScreenSize{screen->width_in_millimeters, screen->height_in_millimeters};
    }
    return std::nullopt;
}
