#include "file_bytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::uint8_t> readFileStart(const std::string &path, std::size_t limit) {
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    struct stat status {};
    if (fstat(file, &status) == 0 && S_ISREG(status.st_mode)) {
        // sysfs reports a size of 0 for files it fills on reading: read to the end.
        bytes.resize(limit);
        std::size_t filled = 0;
        while (filled < limit) {
            const ssize_t got = read(file, bytes.data() + filled, limit - filled);
            if (got > 0) {
                filled += static_cast<std::size_t>(got);
            } else if (got == 0 || errno != EINTR) {
                break;
            }
        }
        bytes.resize(filled);
    }
    close(file);
    return bytes;
}
