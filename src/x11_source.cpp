#include "x11_source.h"

#include "monitor_choice.h"
#include "shared_library.h"
#include "size_rules.h"
#include "socket_deadline.h"
#include "stderr_silencer.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace {

// How long the program waits for the X display: a local server answers in milliseconds, a
// remote one in well under a second; one that accepted us and then went silent never does.
constexpr std::chrono::milliseconds x11AnswerLimit{5000};

// The libxcb functions the program calls, looked up at run time.
struct Xcb {
    decltype(xcb_connect) *connect = nullptr;
    decltype(xcb_connection_has_error) *connectionHasError = nullptr;
    decltype(xcb_disconnect) *disconnect = nullptr;
    decltype(xcb_get_setup) *getSetup = nullptr;
    decltype(xcb_setup_roots_iterator) *setupRootsIterator = nullptr;
    decltype(xcb_screen_next) *screenNext = nullptr;
    decltype(xcb_get_extension_data) *getExtensionData = nullptr;
    decltype(xcb_get_file_descriptor) *getFileDescriptor = nullptr;

    bool load(const SharedLibrary &library) {
        return library.load(connect, "xcb_connect") &&
               library.load(connectionHasError, "xcb_connection_has_error") &&
               library.load(disconnect, "xcb_disconnect") &&
               library.load(getSetup, "xcb_get_setup") &&
               library.load(setupRootsIterator, "xcb_setup_roots_iterator") &&
               library.load(screenNext, "xcb_screen_next") &&
               library.load(getExtensionData, "xcb_get_extension_data") &&
               library.load(getFileDescriptor, "xcb_get_file_descriptor");
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
    decltype(xcb_randr_get_screen_resources_current_crtcs) *resourcesCrtcs = nullptr;
    decltype(xcb_randr_get_screen_resources_current_crtcs_length) *resourcesCrtcsLength = nullptr;
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
               library.load(resourcesCrtcs, "xcb_randr_get_screen_resources_current_crtcs") &&
               library.load(resourcesCrtcsLength,
                            "xcb_randr_get_screen_resources_current_crtcs_length") &&
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

bool hasRandrExtension(const Xcb &xcb, const XcbRandr &randr, xcb_connection_t *connection) {
    const xcb_query_extension_reply_t *extension = xcb.getExtensionData(connection, randr.id);
    return extension != nullptr && extension->present != 0;
}

struct CrtcRotation {
    xcb_randr_crtc_t crtc;
    std::uint16_t rotation;
};

// The rotation of each CRTC that answered its request.
std::vector<CrtcRotation>
crtcRotations(const XcbRandr &randr, xcb_connection_t *connection,
              std::span<const xcb_randr_crtc_t> crtcs,
              const std::vector<xcb_randr_get_crtc_info_cookie_t> &cookies) {
    std::vector<CrtcRotation> rotations;
    rotations.reserve(crtcs.size());
    for (std::size_t i = 0; i < crtcs.size(); ++i) {
        const Reply<xcb_randr_get_crtc_info_reply_t> crtc(
            randr.getCrtcInfoReply(connection, cookies[i], nullptr));
        if (crtc != nullptr) {
            rotations.push_back({crtcs[i], crtc->rotation});
        }
    }
    return rotations;
}

// Every output of the screen with what the monitor choice needs, in two round trips: the
// version with the screen's resources and primary output, then every output and CRTC at once.
// Empty when the server's RandR is older than 1.3.
std::vector<RandrOutput> randrOutputs(const XcbRandr &randr, xcb_connection_t *connection,
                                      xcb_window_t root) {
    const auto versionCookie = randr.queryVersion(connection, 1, 3);
    const auto resourcesCookie = randr.getResources(connection, root);
    const auto primaryCookie = randr.getOutputPrimary(connection, root);
    const Reply<xcb_randr_query_version_reply_t> version(
        randr.queryVersionReply(connection, versionCookie, nullptr));
    // Before 1.3 the two other requests fail; their replies are then empty.
    const Reply<xcb_randr_get_screen_resources_current_reply_t> resources(
        randr.getResourcesReply(connection, resourcesCookie, nullptr));
    const Reply<xcb_randr_get_output_primary_reply_t> primary(
        randr.getOutputPrimaryReply(connection, primaryCookie, nullptr));
    const bool atLeast13 =
        version != nullptr && (version->major_version > 1 ||
                               (version->major_version == 1 && version->minor_version >= 3));
    if (!atLeast13 || resources == nullptr) {
        return {};
    }
    const xcb_randr_output_t *outputIds = randr.resourcesOutputs(resources.get());
    const int outputCount = randr.resourcesOutputsLength(resources.get());
    const xcb_randr_crtc_t *crtcIds = randr.resourcesCrtcs(resources.get());
    const int crtcCount = randr.resourcesCrtcsLength(resources.get());
    if (outputIds == nullptr || outputCount <= 0) {
        return {};
    }
    const auto outputs = std::span(outputIds, static_cast<std::size_t>(outputCount));
    const auto crtcs = crtcIds != nullptr && crtcCount > 0
                           ? std::span(crtcIds, static_cast<std::size_t>(crtcCount))
                           : std::span<const xcb_randr_crtc_t>();
    const xcb_timestamp_t timestamp = resources->config_timestamp;

    std::vector<xcb_randr_get_output_info_cookie_t> outputCookies;
    outputCookies.reserve(outputs.size());
    for (const xcb_randr_output_t output : outputs) {
        outputCookies.push_back(randr.getOutputInfo(connection, output, timestamp));
    }
    std::vector<xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    crtcCookies.reserve(crtcs.size());
    for (const xcb_randr_crtc_t crtc : crtcs) {
        crtcCookies.push_back(randr.getCrtcInfo(connection, crtc, timestamp));
    }

    const std::vector<CrtcRotation> rotations =
        crtcRotations(randr, connection, crtcs, crtcCookies);
    const auto rotationOf = [&](xcb_randr_crtc_t crtc) -> std::optional<std::uint16_t> {
        const auto found = std::ranges::find(rotations, crtc, &CrtcRotation::crtc);
        return found != rotations.end() ? std::optional(found->rotation) : std::nullopt;
    };

    constexpr auto quarterTurns = XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270;
    std::vector<RandrOutput> described;
    described.reserve(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Reply<xcb_randr_get_output_info_reply_t> info(
            randr.getOutputInfoReply(connection, outputCookies[i], nullptr));
        if (info == nullptr) {
            continue;
        }
        const auto rotation =
            info->crtc != XCB_NONE ? rotationOf(info->crtc) : std::optional<std::uint16_t>();
        described.push_back({
            .connected = info->connection == XCB_RANDR_CONNECTION_CONNECTED,
            .hasCrtc = rotation.has_value(),
            .primary = primary != nullptr && primary->output == outputs[i],
            .quarterTurn = rotation.has_value() && (*rotation & quarterTurns) != 0,
            .mmWidth = info->mm_width,
            .mmHeight = info->mm_height,
        });
    }
    return described;
}

// Everything the X display says of the screen's size, from loading libxcb to disconnecting.
std::optional<ScreenSize> askX11(SocketDeadline &deadline) {
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
    deadline.retarget(xcb.getFileDescriptor(connection.get()));
    const xcb_screen_t *screen = connection.defaultScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    if (randrLoaded && hasRandrExtension(xcb, randr, connection.get())) {
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

} // namespace

std::optional<ScreenSize> x11ScreenSize() {
    // Without a display name libxcb cannot connect anywhere; loading it would only cost time.
    const char *displayName = std::getenv("DISPLAY");
    if (displayName == nullptr || *displayName == '\0') {
        return std::nullopt;
    }
    // When the server refuses us, libxcb writes the server's reason to standard error.
    const StderrSilencer silencer;
    // libxcb waits for the server without a limit; a server that accepted us and went silent
    // (stopped, frozen) would hold the program forever. The connection's socket will be the
    // next free descriptor, as libxcb opens it first.
    SocketDeadline deadline(nextFreeDescriptor(), x11AnswerLimit);
    return askX11(deadline);
}
