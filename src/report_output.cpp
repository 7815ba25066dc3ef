#include "report_output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

int reportWriteError(int reason) {
    // Standard error is unbuffered: this needs no descriptor but 2 itself.
    std::fprintf(stderr, "screen-size: write error: %s\n",
                 std::strerror(reason != 0 ? reason : EIO));
    return 1;
}

} // namespace

int writeReportLine(const std::string &line) {
#ifndef _WIN32
    // A reader that went away, or a file-size limit, is a write error to report, not a reason
    // to die silently.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    errno = 0;
    if (std::printf("%s", line.c_str()) < 0) {
        return reportWriteError(errno);
    }
    // The line may still sit in the buffer: only a successful flush means it went out whole.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        return reportWriteError(errno);
    }
    return 0;
}
