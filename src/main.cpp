// screen-size: prints the physical size of the screen as one JSON line.
#ifdef _WIN32
#include <windows.h>
#else
#include "screen_dc.h"
#endif

#include "monitor_edid.h"
#include "report_output.h"
#include "screen_report.h"

int main() {
    // The screen's context is held until the process ends, as GDI allows for the whole screen.
    HDC screen = GetDC(nullptr);
    const ScreenSize deviceContextSize{GetDeviceCaps(screen, HORZSIZE),
                                       GetDeviceCaps(screen, VERTSIZE)};
    // GDI may work its millimetres out from the resolution and the DPI setting; the monitor's
    // own EDID, where the platform keeps it apart, knows the glass.
    return writeReportLine(formatReportLine(monitorEdidSize().value_or(deviceContextSize)));
}
