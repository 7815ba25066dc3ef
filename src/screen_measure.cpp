#include "screen_measure.h"

#include "x11_source.h"

ScreenSize measureScreen() {
    if (const auto x11 = x11ScreenSize()) {
        return *x11;
    }
    return {0, 0};
}
