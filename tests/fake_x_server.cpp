// A small X server of the tests' own that speaks just enough of the protocol for the program
// (the connection setup, QueryExtension, InternAtom and the RandR requests it makes), and can
// lie about lengths, go silent, trickle or flood, as a broken or hostile server would.
//
// usage: fake_x_server MODE DISPLAY_NUMBER [EDID_FILE]
// It listens on /tmp/.X11-unix/X<N> and on 127.0.0.1:6000+N, prints "ready" once both
// accept, and serves one client after another until it is killed.
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "wire_bytes.h"

namespace {

struct Mode {
    const char *name;
    const char *what;
    // Lies in the connection setup.
    std::optional<std::uint16_t> vendorLength = std::nullopt;
    std::optional<std::uint8_t> screenCount = std::nullopt;
    std::optional<std::uint8_t> depthCount = std::nullopt;
    std::optional<std::uint16_t> visualCount = std::nullopt;
    // Lies in the RandR replies.
    bool resourcesCountsTooLarge = false;
    bool outputInfoTooShort = false;
    bool propertyItemsTooMany = false;
    // Behaviour.
    enum class Silence { never, afterSetup, afterFirstRandrRequest } silence = Silence::never;
    bool trickle = false;      // one byte at a time, 1 ms apart
    int floodEvents = 0;       // events sent before every reply
    std::uint16_t outputs = 2; // honest counts: the second output is the monitor
    std::uint16_t crtcs = 1;
    bool noRandr = false;
};

const Mode modes[] = {
    {.name = "honest", .what = "an honest server"},
    {.name = "no-randr", .what = "a server without RandR", .noRandr = true},
    {.name = "vendor-length", .what = "a vendor length of 65535", .vendorLength = 65535},
    {.name = "screen-count", .what = "255 screens in a one-screen setup", .screenCount = 255},
    {.name = "depth-count", .what = "255 depths in a one-depth screen", .depthCount = 255},
    {.name = "visual-count", .what = "65535 visuals in a one-visual depth", .visualCount = 65535},
    {.name = "resources-counts",
     .what = "65535 CRTCs and outputs in a 32-byte reply",
     .resourcesCountsTooLarge = true},
    {.name = "output-info-short",
     .what = "output replies shorter than their fixed part",
     .outputInfoTooShort = true},
    {.name = "property-items",
     .what = "an EDID property longer than its reply",
     .propertyItemsTooMany = true},
    {.name = "silent-after-setup",
     .what = "silent after the setup",
     .silence = Mode::Silence::afterSetup},
    {.name = "silent-after-randr",
     .what = "silent after the first RandR request",
     .silence = Mode::Silence::afterFirstRandrRequest},
    {.name = "trickle", .what = "replies one byte at a time", .trickle = true},
    {.name = "flood", .what = "10000 events before every reply", .floodEvents = 10000},
    {.name = "many-outputs",
     .what = "65535 outputs and CRTCs, honestly sent",
     .outputs = 65535,
     .crtcs = 65535},
};

constexpr std::uint8_t randrOpcode = 140;
constexpr std::uint32_t rootWindow = 0x100;
constexpr std::uint32_t firstCrtc = 0x400;
constexpr std::uint32_t firstOutput = 0x10000;
constexpr std::uint32_t edidAtom = 300;
constexpr std::uint32_t integerAtom = 19;
// The monitor: the second output, on the first CRTC, 597 x 336 mm (a 27-inch 16:9 panel).
constexpr std::uint32_t monitorOutput = firstOutput + 1;
constexpr std::uint32_t monitorWidth = 597;
constexpr std::uint32_t monitorHeight = 336;

class Client {
  public:
    Client(int socket, const Mode &mode, std::vector<std::uint8_t> edid)
        : socket_(socket), mode_(mode), edid_(std::move(edid)) {}

    void serve() {
        if (!readClientSetup()) {
            return;
        }
        sendSetup();
        if (mode_.silence == Mode::Silence::afterSetup) {
            return drain();
        }
        while (auto request = readRequest()) {
            ++sequence_;
            if (!answer(*request)) {
                return;
            }
        }
    }

  private:
    bool readExactly(void *buffer, std::size_t length) {
        auto *bytes = static_cast<std::uint8_t *>(buffer);
        while (length > 0) {
            const ssize_t count = read(socket_, bytes, length);
            if (count <= 0) {
                return false;
            }
            bytes += count;
            length -= static_cast<std::size_t>(count);
        }
        return true;
    }

    bool send(const std::vector<std::uint8_t> &bytes) {
        if (mode_.trickle) {
            for (const std::uint8_t byte : bytes) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                if (write(socket_, &byte, 1) != 1) {
                    return false;
                }
            }
            return true;
        }
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t count = write(socket_, bytes.data() + sent, bytes.size() - sent);
            if (count <= 0) {
                return false;
            }
            sent += static_cast<std::size_t>(count);
        }
        return true;
    }

    // Reads until the client goes, answering nothing.
    void drain() {
        std::uint8_t buffer[4096];
        while (read(socket_, buffer, sizeof buffer) > 0) {
        }
    }

    bool readClientSetup() {
        std::uint8_t header[12];
        if (!readExactly(header, sizeof header) || header[0] != 'l') {
            return false;
        }
        std::uint16_t nameLength = 0;
        std::uint16_t dataLength = 0;
        std::memcpy(&nameLength, header + 6, 2);
        std::memcpy(&dataLength, header + 8, 2);
        std::vector<std::uint8_t> rest(((nameLength + 3u) & ~3u) + ((dataLength + 3u) & ~3u));
        return readExactly(rest.data(), rest.size());
    }

    void sendSetup() {
        const std::string_view vendor = "screen-size fake X";
        WireBytes setup;
        setup.put<std::uint8_t>(1).put<std::uint8_t>(0).put<std::uint16_t>(11);
        setup.put<std::uint16_t>(0).put<std::uint16_t>(0); // the length, patched below
        setup.put<std::uint32_t>(1).put<std::uint32_t>(0x00200000).put<std::uint32_t>(0x001fffff);
        setup.put<std::uint32_t>(256);
        setup.put<std::uint16_t>(mode_.vendorLength.value_or(vendor.size()));
        setup.put<std::uint16_t>(65535);
        setup.put<std::uint8_t>(mode_.screenCount.value_or(1)).put<std::uint8_t>(1);
        setup.put<std::uint8_t>(0).put<std::uint8_t>(0).put<std::uint8_t>(32).put<std::uint8_t>(32);
        setup.put<std::uint8_t>(8).put<std::uint8_t>(255).zeros(4);
        setup.text(vendor);
        setup.put<std::uint8_t>(24).put<std::uint8_t>(32).put<std::uint8_t>(32).zeros(5);
        // The screen: 1920 x 1080 pixels, 508 x 286 mm as a 96-dpi server works it out.
        setup.put<std::uint32_t>(rootWindow).put<std::uint32_t>(0x20);
        setup.put<std::uint32_t>(0xffffff).put<std::uint32_t>(0).put<std::uint32_t>(0);
        setup.put<std::uint16_t>(1920).put<std::uint16_t>(1080);
        setup.put<std::uint16_t>(508).put<std::uint16_t>(286);
        setup.put<std::uint16_t>(1).put<std::uint16_t>(1).put<std::uint32_t>(0x21);
        setup.put<std::uint8_t>(0).put<std::uint8_t>(0).put<std::uint8_t>(24);
        setup.put<std::uint8_t>(mode_.depthCount.value_or(1));
        setup.put<std::uint8_t>(24).put<std::uint8_t>(0);
        setup.put<std::uint16_t>(mode_.visualCount.value_or(1)).zeros(4);
        setup.put<std::uint32_t>(0x21).put<std::uint8_t>(4).put<std::uint8_t>(8);
        setup.put<std::uint16_t>(256).put<std::uint32_t>(0xff0000).put<std::uint32_t>(0xff00);
        setup.put<std::uint32_t>(0xff).zeros(4);
        setup.patch<std::uint16_t>(6, static_cast<std::uint16_t>((setup.size() - 8) / 4));
        send(setup.data());
    }

    struct Request {
        std::uint8_t opcode;
        std::uint8_t data;
        std::vector<std::uint8_t> bytes; // the whole request, header included
        template <typename Value> Value at(std::size_t offset) const {
            Value value{};
            if (offset + sizeof value <= bytes.size()) {
                std::memcpy(&value, bytes.data() + offset, sizeof value);
            }
            return value;
        }
    };

    std::optional<Request> readRequest() {
        Request request;
        request.bytes.resize(4);
        if (!readExactly(request.bytes.data(), 4)) {
            return std::nullopt;
        }
        request.opcode = request.bytes[0];
        request.data = request.bytes[1];
        const auto units = request.at<std::uint16_t>(2);
        if (units == 0) {
            return std::nullopt; // BIG-REQUESTS: the program never sends one
        }
        request.bytes.resize(std::size_t{units} * 4);
        if (!readExactly(request.bytes.data() + 4, request.bytes.size() - 4)) {
            return std::nullopt;
        }
        return request;
    }

    // A reply's first 8 bytes; its length is patched by `finish`.
    WireBytes reply(std::uint8_t data = 0) {
        WireBytes bytes;
        bytes.put<std::uint8_t>(1).put<std::uint8_t>(data).put<std::uint16_t>(sequence_);
        bytes.put<std::uint32_t>(0);
        return bytes;
    }
    bool finish(WireBytes &bytes, std::optional<std::uint32_t> lengthOverride = std::nullopt) {
        if (bytes.size() < 32) {
            bytes.zeros(32 - bytes.size());
        }
        bytes.patch<std::uint32_t>(4, lengthOverride.value_or((bytes.size() - 32) / 4));
        return flood() && send(bytes.data());
    }
    bool error(const Request &request) {
        // BadRequest, for every request the program is not expected to make.
        WireBytes bytes;
        bytes.zeros(32);
        bytes.data()[1] = 1;
        bytes.patch<std::uint16_t>(2, sequence_);
        bytes.patch<std::uint16_t>(8, request.data);
        bytes.data()[10] = request.opcode;
        return send(bytes.data());
    }
    bool flood() {
        if (mode_.floodEvents == 0) {
            return true;
        }
        WireBytes events;
        for (int i = 0; i < mode_.floodEvents; ++i) {
            // MotionNotify events, as a moving pointer would send them.
            events.put<std::uint8_t>(6).put<std::uint8_t>(0).put<std::uint16_t>(sequence_);
            events.zeros(28);
        }
        return send(events.data());
    }

    bool answer(const Request &request) {
        switch (request.opcode) {
        case 98: { // QueryExtension
            const auto length = request.at<std::uint16_t>(4);
            const std::string name(request.bytes.begin() + 8,
                                   request.bytes.begin() + 8 +
                                       std::min<std::size_t>(length, request.bytes.size() - 8));
            const bool randr = name == "RANDR" && !mode_.noRandr;
            WireBytes bytes = reply();
            bytes.put<std::uint8_t>(randr ? 1 : 0).put<std::uint8_t>(randr ? randrOpcode : 0);
            bytes.put<std::uint8_t>(randr ? 89 : 0).put<std::uint8_t>(randr ? 147 : 0);
            return finish(bytes);
        }
        case 16: { // InternAtom
            const auto length = request.at<std::uint16_t>(4);
            const std::string name(request.bytes.begin() + 8,
                                   request.bytes.begin() + 8 +
                                       std::min<std::size_t>(length, request.bytes.size() - 8));
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(name == "EDID" ? edidAtom : 301);
            return finish(bytes);
        }
        case randrOpcode:
            if (mode_.silence == Mode::Silence::afterFirstRandrRequest) {
                drain();
                return false;
            }
            return answerRandr(request);
        default:
            return error(request);
        }
    }

    bool answerRandr(const Request &request) {
        const bool asksForScreen = request.data == 25 || request.data == 31;
        if (asksForScreen && request.at<std::uint32_t>(4) != rootWindow) {
            return error(request); // a window this server never made
        }
        switch (request.data) {
        case 0: { // QueryVersion
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(1).put<std::uint32_t>(5);
            return finish(bytes);
        }
        case 25: { // GetScreenResourcesCurrent
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(1).put<std::uint32_t>(1);
            const bool lie = mode_.resourcesCountsTooLarge;
            bytes.put<std::uint16_t>(lie ? 65535 : mode_.crtcs);
            bytes.put<std::uint16_t>(lie ? 65535 : mode_.outputs);
            bytes.put<std::uint16_t>(0).put<std::uint16_t>(0).zeros(8);
            if (!lie) {
                for (std::uint32_t i = 0; i < mode_.crtcs; ++i) {
                    bytes.put<std::uint32_t>(firstCrtc + i);
                }
                for (std::uint32_t i = 0; i < mode_.outputs; ++i) {
                    bytes.put<std::uint32_t>(firstOutput + i);
                }
            }
            return finish(bytes);
        }
        case 31: { // GetOutputPrimary
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(monitorOutput);
            return finish(bytes);
        }
        case 9: { // GetOutputInfo
            const auto output = request.at<std::uint32_t>(4);
            const bool monitor = output == monitorOutput;
            const std::string name = "OUT-" + std::to_string(output - firstOutput);
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(1).put<std::uint32_t>(monitor ? firstCrtc : 0);
            bytes.put<std::uint32_t>(monitor ? monitorWidth : 0);
            bytes.put<std::uint32_t>(monitor ? monitorHeight : 0);
            bytes.put<std::uint8_t>(monitor ? 0 : 1).put<std::uint8_t>(0); // connected or not
            // The monitor has one CRTC and one mode, which is its preferred one.
            bytes.put<std::uint16_t>(monitor ? 1 : 0).put<std::uint16_t>(monitor ? 1 : 0);
            bytes.put<std::uint16_t>(monitor ? 1 : 0).put<std::uint16_t>(0);
            bytes.put<std::uint16_t>(static_cast<std::uint16_t>(name.size()));
            if (monitor) {
                bytes.put<std::uint32_t>(firstCrtc).put<std::uint32_t>(0x50);
            }
            bytes.text(name);
            if (mode_.outputInfoTooShort) {
                return finish(bytes, 0);
            }
            return finish(bytes);
        }
        case 20: { // GetCrtcInfo
            const auto crtc = request.at<std::uint32_t>(4);
            WireBytes bytes = reply();
            bytes.put<std::uint32_t>(1).put<std::uint16_t>(0).put<std::uint16_t>(0);
            bytes.put<std::uint16_t>(1920).put<std::uint16_t>(1080);
            bytes.put<std::uint32_t>(crtc == firstCrtc ? 0x50 : 0);
            bytes.put<std::uint16_t>(1).put<std::uint16_t>(0x3f); // not rotated
            bytes.put<std::uint16_t>(crtc == firstCrtc ? 1 : 0).put<std::uint16_t>(1);
            if (crtc == firstCrtc) {
                bytes.put<std::uint32_t>(monitorOutput);
            }
            bytes.put<std::uint32_t>(monitorOutput);
            return finish(bytes);
        }
        case 15: { // GetOutputProperty
            const auto output = request.at<std::uint32_t>(4);
            const auto property = request.at<std::uint32_t>(8);
            WireBytes bytes = reply(8);
            if (output != monitorOutput || property != edidAtom || edid_.empty()) {
                bytes.put<std::uint32_t>(0).put<std::uint32_t>(0).put<std::uint32_t>(0);
                return finish(bytes);
            }
            bytes.put<std::uint32_t>(integerAtom).put<std::uint32_t>(0);
            bytes.put<std::uint32_t>(static_cast<std::uint32_t>(
                mode_.propertyItemsTooMany ? edid_.size() + 4096 : edid_.size()));
            bytes.zeros(12).raw(edid_);
            return finish(bytes);
        }
        default:
            return error(request);
        }
    }

    int socket_;
    const Mode &mode_;
    std::vector<std::uint8_t> edid_;
    std::uint16_t sequence_ = 0;
};

int listenUnix(int display) {
    mkdir("/tmp/.X11-unix", 01777);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", display);
    unlink(address.sun_path);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    if (listener < 0 ||
        bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0) {
        std::perror("fake_x_server: unix socket");
        return -1;
    }
    return listener;
}

int listenTcp(int display) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(6000 + display));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (listener < 0 ||
        bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0) {
        std::perror("fake_x_server: tcp socket");
        return -1;
    }
    return listener;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s MODE DISPLAY_NUMBER [EDID_FILE]\nmodes:\n", argv[0]);
        for (const Mode &mode : modes) {
            std::fprintf(stderr, "  %-20s %s\n", mode.name, mode.what);
        }
        return 2;
    }
    const Mode *mode = nullptr;
    for (const Mode &candidate : modes) {
        if (std::string_view(candidate.name) == argv[1]) {
            mode = &candidate;
        }
    }
    if (mode == nullptr) {
        std::fprintf(stderr, "fake_x_server: no mode %s\n", argv[1]);
        return 2;
    }
    const int display = std::stoi(argv[2]);
    std::vector<std::uint8_t> edid;
    if (argc > 3) {
        std::ifstream file(argv[3], std::ios::binary);
        edid.assign(std::istreambuf_iterator<char>(file), {});
    }
    std::signal(SIGPIPE, SIG_IGN);
    const int listeners[2] = {listenUnix(display), listenTcp(display)};
    if (listeners[0] < 0 || listeners[1] < 0) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    pollfd waiting[2] = {{listeners[0], POLLIN, 0}, {listeners[1], POLLIN, 0}};
    while (poll(waiting, 2, -1) >= 0) {
        for (const pollfd &listener : waiting) {
            if ((listener.revents & POLLIN) == 0) {
                continue;
            }
            const int client = accept(listener.fd, nullptr, nullptr);
            if (client >= 0) {
                // Each client on standard error, for the checks that no client came.
                std::fputs("client\n", stderr);
                Client(client, *mode, edid).serve();
                close(client);
            }
        }
    }
    return 0;
}
