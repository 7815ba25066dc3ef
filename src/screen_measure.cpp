#include "screen_measure.h"

#include "drm_source.h"
#include "wl_source.h"
#include "x11_source.h"

ScreenSize measureScreen() {
    // A Wayland session's compositor knows the monitors it shows; asking it first also keeps
    // DISPLAY's Xwayland from being started only to be asked.
    if (const auto wayland = waylandScreenSize()) {
        return *wayland;
    }
    // The X display knows the monitor the person's session shows. When it answered, it is
    // the authority, also when it knows no size: it may be another machine's (ssh -X), and
    // the kernel here knows only this machine's monitors. Without one, the kernel still
    // knows what is plugged in.
    if (const auto x11 = x11ScreenSize()) {
        return *x11;
    }
    if (const auto drm = drmScreenSize()) {
        return *drm;
    }
    return {0, 0};
}
