#include "screen_measure.h"

#include "drm_source.h"
#include "x11_source.h"

ScreenSize measureScreen() {
    // The X display knows the monitor the person's session shows; without one, the kernel
    // still knows what is plugged in.
    if (const auto x11 = x11ScreenSize()) {
        return *x11;
    }
    if (const auto drm = drmScreenSize()) {
        return *drm;
    }
    return {0, 0};
}
