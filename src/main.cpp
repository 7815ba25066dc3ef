// screen-size: prints the physical size of the screen as one JSON line.
#ifdef _WIN32
#include <windows.h>
#else
#include "screen_dc.h"
#endif

#include "report_output.h"
#include "screen_report.h"

int main() {
    // The screen's context is held until the process ends, as GDI allows for the whole screen.
    HDC screen = GetDC(nullptr);
    const ScreenSize size{GetDeviceCaps(screen, HORZSIZE), GetDeviceCaps(screen, VERTSIZE)};
    return writeReportLine(formatReportLine(size));
}
