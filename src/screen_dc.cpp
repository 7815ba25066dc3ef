#include "screen_dc.h"

#include "monitor_edid.h"
#include "screen_measure.h"

struct ScreenDeviceContext {
    ScreenSize millimetres;
};

HDC GetDC(HWND /*window*/) {
    // The one screen the program knows; like a GDI context it lives until the process ends.
    static ScreenDeviceContext screen{};
    screen.millimetres = measureScreen();
    return &screen;
}

int GetDeviceCaps(HDC context, int index) {
    if (context == nullptr) {
        return 0;
    }
    switch (index) {
    case HORZSIZE:
        return context->millimetres.screenWidth;
    case VERTSIZE:
        return context->millimetres.screenHeight;
    default:
        return 0;
    }
}

std::optional<ScreenSize> monitorEdidSize() {
    // GetDeviceCaps above already answers from the monitor's EDID wherever one is known.
    return std::nullopt;
}
