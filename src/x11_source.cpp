#include "x11_source.h"

#include "shared_library.h"
#include "stderr_silencer.h"

#include <xcb/xcb.h>

namespace {

// The libxcb functions the program calls, looked up at run time.
struct Xcb {
    decltype(xcb_connect) *connect;
    decltype(xcb_connection_has_error) *connectionHasError;
    decltype(xcb_disconnect) *disconnect;
    decltype(xcb_get_setup) *getSetup;
    decltype(xcb_setup_roots_iterator) *setupRootsIterator;
    decltype(xcb_screen_next) *screenNext;

    explicit Xcb(const SharedLibrary &library)
        : connect(library.function<decltype(xcb_connect)>("xcb_connect")),
          connectionHasError(
              library.function<decltype(xcb_connection_has_error)>("xcb_connection_has_error")),
          disconnect(library.function<decltype(xcb_disconnect)>("xcb_disconnect")),
          getSetup(library.function<decltype(xcb_get_setup)>("xcb_get_setup")),
          setupRootsIterator(
              library.function<decltype(xcb_setup_roots_iterator)>("xcb_setup_roots_iterator")),
          screenNext(library.function<decltype(xcb_screen_next)>("xcb_screen_next")) {}

    bool complete() const {
        return connect != nullptr && connectionHasError != nullptr && disconnect != nullptr &&
               getSetup != nullptr && setupRootsIterator != nullptr && screenNext != nullptr;
    }
};

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

} // namespace

std::optional<ScreenSize> x11ScreenSize() {
    const SharedLibrary library("libxcb.so.1");
    const Xcb xcb(library);
    if (!xcb.complete()) {
        return std::nullopt;
    }
    const XcbConnection connection(xcb);
    if (!connection.usable()) {
        return std::nullopt;
    }
    const xcb_screen_t *screen = connection.defaultScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return ScreenSize{screen->width_in_millimeters, screen->height_in_millimeters};
}
