#include "x11_source.h"

#include "bounded_child.h"
#include "monitor_choice.h"
#include "shared_library.h"
#include "x11_replies.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The libxcb functions the program calls, looked up at run time.
struct Xcb {
    decltype(xcb_connect) *connect = nullptr;
    decltype(xcb_connection_has_error) *connectionHasError = nullptr;
    decltype(xcb_disconnect) *disconnect = nullptr;
    decltype(xcb_get_setup) *getSetup = nullptr;
    decltype(xcb_get_extension_data) *getExtensionData = nullptr;
    decltype(xcb_intern_atom) *internAtom = nullptr;
    decltype(xcb_intern_atom_reply) *internAtomReply = nullptr;

    bool load(const SharedLibrary &library) {
        return library.load(connect, "xcb_connect") &&
               library.load(connectionHasError, "xcb_connection_has_error") &&
               library.load(disconnect, "xcb_disconnect") &&
               library.load(getSetup, "xcb_get_setup") &&
               library.load(getExtensionData, "xcb_get_extension_data") &&
               library.load(internAtom, "xcb_intern_atom") &&
               library.load(internAtomReply, "xcb_intern_atom_reply");
    }
};

// The libxcb-randr functions the program calls, looked up at run time.
struct XcbRandr {
    xcb_extension_t *id = nullptr;
    decltype(xcb_randr_query_version) *queryVersion = nullptr;
    decltype(xcb_randr_query_version_reply) *queryVersionReply = nullptr;
    decltype(xcb_randr_get_screen_resources_current) *getResources = nullptr;
    decltype(xcb_randr_get_screen_resources_current_reply) *getResourcesReply = nullptr;
    decltype(xcb_randr_get_output_primary) *getOutputPrimary = nullptr;
    decltype(xcb_randr_get_output_primary_reply) *getOutputPrimaryReply = nullptr;
    decltype(xcb_randr_get_output_info) *getOutputInfo = nullptr;
    decltype(xcb_randr_get_output_info_reply) *getOutputInfoReply = nullptr;
    decltype(xcb_randr_get_crtc_info) *getCrtcInfo = nullptr;
    decltype(xcb_randr_get_crtc_info_reply) *getCrtcInfoReply = nullptr;
    decltype(xcb_randr_get_output_property) *getOutputProperty = nullptr;
    decltype(xcb_randr_get_output_property_reply) *getOutputPropertyReply = nullptr;

    bool load(const SharedLibrary &library) {
        id = static_cast<xcb_extension_t *>(library.symbol("xcb_randr_id"));
        return id != nullptr && library.load(queryVersion, "xcb_randr_query_version") &&
               library.load(queryVersionReply, "xcb_randr_query_version_reply") &&
               library.load(getResources, "xcb_randr_get_screen_resources_current") &&
               library.load(getResourcesReply, "xcb_randr_get_screen_resources_current_reply") &&
               library.load(getOutputPrimary, "xcb_randr_get_output_primary") &&
               library.load(getOutputPrimaryReply, "xcb_randr_get_output_primary_reply") &&
               library.load(getOutputInfo, "xcb_randr_get_output_info") &&
               library.load(getOutputInfoReply, "xcb_randr_get_output_info_reply") &&
               library.load(getCrtcInfo, "xcb_randr_get_crtc_info") &&
               library.load(getCrtcInfoReply, "xcb_randr_get_crtc_info_reply") &&
               library.load(getOutputProperty, "xcb_randr_get_output_property") &&
               library.load(getOutputPropertyReply, "xcb_randr_get_output_property_reply");
    }
};

// libxcb allocates each reply with malloc and leaves it to the caller to free.
struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename ReplyType> using Reply = std::unique_ptr<ReplyType, FreeReply>;

// A reply's bytes as they arrived: libxcb allocates the 32-byte header and the 4-byte units
// that the header's length announces, and not one byte more.
template <typename ReplyType>
std::span<const std::uint8_t> replyBytes(const Reply<ReplyType> &reply) {
    if (reply == nullptr) {
        return {};
    }
    const auto *generic = reinterpret_cast<const xcb_generic_reply_t *>(reply.get());
    return {reinterpret_cast<const std::uint8_t *>(reply.get()),
            32 + std::size_t{generic->length} * 4};
}

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

    // The default screen's root window; empty when the setup lacks the screen whole.
    std::optional<std::uint32_t> defaultScreenRoot() const {
        const xcb_setup_t *setup = xcb_.getSetup(connection_);
        if (setup == nullptr) {
            return std::nullopt;
        }
        // libxcb holds the setup's 8-byte header and the 4-byte units it announces.
        const std::span bytes(reinterpret_cast<const std::uint8_t *>(setup),
                              8 + std::size_t{setup->length} * 4);
        return setupScreenRoot(bytes, defaultScreen_);
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
    std::uint32_t crtc;
    std::uint16_t rotation;
};

// The rotation of each CRTC whose reply is whole.
std::vector<CrtcRotation>
crtcRotations(const XcbRandr &randr, xcb_connection_t *connection,
              std::span<const std::uint32_t> crtcs,
              const std::vector<xcb_randr_get_crtc_info_cookie_t> &cookies) {
    std::vector<CrtcRotation> rotations;
    rotations.reserve(crtcs.size());
    for (std::size_t i = 0; i < crtcs.size(); ++i) {
        const Reply<xcb_randr_get_crtc_info_reply_t> crtc(
            randr.getCrtcInfoReply(connection, cookies[i], nullptr));
        if (const auto rotation = readCrtcRotation(replyBytes(crtc))) {
            rotations.push_back({crtcs[i], *rotation});
        }
    }
    return rotations;
}

// An output's EDID property as far as the base block, which is all the EDID rule reads; empty
// when it has none or its reply does not hold what it claims.
std::vector<std::uint8_t>
edidProperty(const XcbRandr &randr, xcb_connection_t *connection,
             std::optional<xcb_randr_get_output_property_cookie_t> cookie) {
    if (!cookie) {
        return {};
    }
    const Reply<xcb_randr_get_output_property_reply_t> reply(
        randr.getOutputPropertyReply(connection, *cookie, nullptr));
    const auto bytes = readByteProperty(replyBytes(reply), XCB_ATOM_INTEGER);
    return bytes ? std::vector<std::uint8_t>(bytes->begin(), bytes->end())
                 : std::vector<std::uint8_t>();
}

// Every output of the screen with what the monitor choice needs, in two round trips: the
// version with the screen's resources and primary output, then every output, its EDID
// property (when the server knows the atom) and every CRTC at once. Empty when the server's
// RandR is older than 1.3.
std::vector<RandrOutput> randrOutputs(const XcbRandr &randr, xcb_connection_t *connection,
                                      xcb_window_t root, xcb_atom_t edidAtom) {
    const auto versionCookie = randr.queryVersion(connection, 1, 3);
    const auto resourcesCookie = randr.getResources(connection, root);
    const auto primaryCookie = randr.getOutputPrimary(connection, root);
    // Both fixed replies are shorter than the 32 bytes that libxcb always holds.
    const Reply<xcb_randr_query_version_reply_t> version(
        randr.queryVersionReply(connection, versionCookie, nullptr));
    // Before 1.3 the two other requests fail; their replies are then empty.
    const Reply<xcb_randr_get_screen_resources_current_reply_t> resourcesReply(
        randr.getResourcesReply(connection, resourcesCookie, nullptr));
    const Reply<xcb_randr_get_output_primary_reply_t> primary(
        randr.getOutputPrimaryReply(connection, primaryCookie, nullptr));
    const bool atLeast13 =
        version != nullptr && (version->major_version > 1 ||
                               (version->major_version == 1 && version->minor_version >= 3));
    const auto resources = readScreenResources(replyBytes(resourcesReply));
    if (!atLeast13 || !resources) {
        return {};
    }
    const std::vector<std::uint32_t> &outputs = resources->outputs;
    const std::vector<std::uint32_t> &crtcs = resources->crtcs;
    const xcb_timestamp_t timestamp = resources->configTimestamp;

    // The base block's 128 bytes, in the 4-byte units the request counts in.
    constexpr std::uint32_t edidBaseBlockUnits = 128 / 4;
    std::vector<xcb_randr_get_output_info_cookie_t> outputCookies;
    std::vector<std::optional<xcb_randr_get_output_property_cookie_t>> edidCookies;
    outputCookies.reserve(outputs.size());
    edidCookies.reserve(outputs.size());
    for (const std::uint32_t output : outputs) {
        outputCookies.push_back(randr.getOutputInfo(connection, output, timestamp));
        edidCookies.push_back(edidAtom == XCB_NONE
                                  ? std::nullopt
                                  : std::optional(randr.getOutputProperty(
                                        connection, output, edidAtom, XCB_ATOM_INTEGER, 0,
                                        edidBaseBlockUnits, 0, 0)));
    }
    std::vector<xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    crtcCookies.reserve(crtcs.size());
    for (const std::uint32_t crtc : crtcs) {
        crtcCookies.push_back(randr.getCrtcInfo(connection, crtc, timestamp));
    }

    const std::vector<CrtcRotation> rotations =
        crtcRotations(randr, connection, crtcs, crtcCookies);
    const auto rotationOf = [&](std::uint32_t crtc) -> std::optional<std::uint16_t> {
        const auto found = std::ranges::find(rotations, crtc, &CrtcRotation::crtc);
        return found != rotations.end() ? std::optional(found->rotation) : std::nullopt;
    };

    constexpr auto quarterTurns = XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270;
    std::vector<RandrOutput> described;
    described.reserve(outputs.size());
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Reply<xcb_randr_get_output_info_reply_t> infoReply(
            randr.getOutputInfoReply(connection, outputCookies[i], nullptr));
        const auto info = readOutputInfo(replyBytes(infoReply));
        std::vector<std::uint8_t> edid = edidProperty(randr, connection, edidCookies[i]);
        if (!info) {
            continue;
        }
        const auto rotation =
            info->crtc != XCB_NONE ? rotationOf(info->crtc) : std::optional<std::uint16_t>();
        described.push_back({
            .connected = info->connected,
            .hasCrtc = rotation.has_value(),
            .primary = primary != nullptr && primary->output == outputs[i],
            .quarterTurn = rotation.has_value() && (*rotation & quarterTurns) != 0,
            .mmWidth = info->mmWidth,
            .mmHeight = info->mmHeight,
            .edid = std::move(edid),
        });
    }
    return described;
}

// Everything the X display says of the screen's size, from loading libxcb to disconnecting.
SourceAnswer askX11() {
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
    const auto root = connection.defaultScreenRoot();
    if (!root) {
        return std::nullopt;
    }
    // Asked for together with the extension, in one round trip. Only if it exists: a server
    // without the atom has no EDID property, and asking must not create it.
    constexpr std::string_view edidName = "EDID";
    const auto edidCookie = xcb.internAtom(connection.get(), 1, edidName.size(), edidName.data());
    const bool hasRandr = randrLoaded && hasRandrExtension(xcb, randr, connection.get());
    const Reply<xcb_intern_atom_reply_t> edidAtom(
        xcb.internAtomReply(connection.get(), edidCookie, nullptr));
    // The display answered: from here on, what it does not know is unknown (0 by 0). Its core
    // screen size is never the answer, as servers work it out from an assumed DPI.
    constexpr ScreenSize unknown{0, 0};
    if (!hasRandr) {
        return unknown;
    }
    const std::vector<RandrOutput> outputs = randrOutputs(
        randr, connection.get(), *root, edidAtom != nullptr ? edidAtom->atom : XCB_NONE);
    return chosenMonitorSize(outputs).value_or(unknown);
}

} // namespace

std::optional<ScreenSize> x11ScreenSize() {
    // Without a display name libxcb cannot connect anywhere: no child is needed.
    const char *displayName = std::getenv("DISPLAY");
    if (displayName == nullptr || *displayName == '\0') {
        return std::nullopt;
    }
    // Everything from loading libxcb to the last reply may hang (an authority file that never
    // ends, a silent server or resolver) or crash; the child bounds both.
    return askInBoundedChild(askX11, displayAnswerLimit);
}
