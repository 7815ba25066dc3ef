// The report: the screen's diagonal in inches and the one JSON line the program prints.
#pragma once

#include <cstdint>
#include <string>

struct ScreenSize {
    std::int32_t screenWidth;  // millimetres, as the platform reports them
    std::int32_t screenHeight; // millimetres, as the platform reports them

    friend bool operator==(const ScreenSize &, const ScreenSize &) = default;
};

// The program's fixed conversion factor; every printed diagonal follows from it.
inline constexpr double inchesPerMillimetre = 0.03937;

double diagonalInches(ScreenSize size);

// The whole report line, its final line feed included.
std::string formatReportLine(ScreenSize size);
