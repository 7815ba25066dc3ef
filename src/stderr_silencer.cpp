#include "stderr_silencer.h"

#include <fcntl.h>
#include <unistd.h>

StderrSilencer::StderrSilencer() : savedStderr_(fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3)) {
    // Also when standard error was closed: the null device then holds descriptor 2, so no
    // socket or file opened meanwhile can take it and receive the libraries' messages.
    const int nullDevice = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullDevice >= 0) {
        if (nullDevice != STDERR_FILENO) {
            dup2(nullDevice, STDERR_FILENO);
            close(nullDevice);
        }
    } else {
        close(STDERR_FILENO);
    }
}

StderrSilencer::~StderrSilencer() {
    if (savedStderr_ >= 0) {
        dup2(savedStderr_, STDERR_FILENO);
        close(savedStderr_);
    } else {
        close(STDERR_FILENO);
    }
}
