// Writing the report line to standard output.
#pragma once

#include <string>

// Writes the line and flushes it; the exit status for the program: 0 when the whole line
// went out, 1 (with the reason on standard error) when it did not.
int writeReportLine(const std::string &line);
