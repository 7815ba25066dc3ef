// Where the screen's millimetres come from on systems without GDI.
#pragma once

#include "screen_report.h"

// The physical size of the screen from the first source that knows it; 0 by 0 when none does.
ScreenSize measureScreen();
