#include "bounded_child.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child's answer on the pipe: one write far below PIPE_BUF, so it arrives whole or not.
struct AnswerMessage {
    std::uint8_t found;
    std::int32_t width;
    std::int32_t height;
};

// A descriptor that swallows writes: the null device, or where there is none, a pipe whose
// reader is gone (writes fail with EPIPE; the child ignores SIGPIPE).
int writeSink() {
    const int nullDevice = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullDevice >= 0) {
        return nullDevice;
    }
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    close(ends[0]);
    return ends[1];
}

// In the child: standard output and error point at the sink, so that no library message
// reaches ours and no socket the child opens can take descriptor 1 or 2.
bool silenceStandardStreams() {
    const int sink = writeSink();
    if (sink < 0) {
        return false;
    }
    const bool pointed = (sink == STDOUT_FILENO || dup2(sink, STDOUT_FILENO) >= 0) &&
                         (sink == STDERR_FILENO || dup2(sink, STDERR_FILENO) >= 0);
    if (sink > STDERR_FILENO) {
        close(sink);
    }
    return pointed;
}

[[noreturn]] void runChild(SourceAnswer (*ask)(), int answerEnd) {
    std::signal(SIGPIPE, SIG_IGN);
    // Descriptors 1 and 2 are taken over below; the answer must not be one of them.
    if (answerEnd <= STDERR_FILENO) {
        answerEnd = fcntl(answerEnd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    }
    if (answerEnd < 0 || !silenceStandardStreams()) {
        _exit(1);
    }
    const SourceAnswer answer = ask();
    AnswerMessage message{};
    if (answer) {
        message = {1, answer->screenWidth, answer->screenHeight};
    }
    const ssize_t written = write(answerEnd, &message, sizeof message);
    // _exit: the parent's atexit handlers and stdio buffers are not the child's to run.
    _exit(written == static_cast<ssize_t>(sizeof message) ? 0 : 1);
}

// Reads the child's message until it is whole, the pipe closes or the time is up.
SourceAnswer awaitAnswer(int answerEnd, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    AnswerMessage message{};
    auto *bytes = reinterpret_cast<unsigned char *>(&message);
    std::size_t received = 0;
    while (received < sizeof message) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd waiting{answerEnd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        const ssize_t count = read(answerEnd, bytes + received, sizeof message - received);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return std::nullopt; // the child ended without a whole answer
        }
        received += static_cast<std::size_t>(count);
    }
    if (message.found != 1) {
        return std::nullopt;
    }
    return ScreenSize{message.width, message.height};
}

void reap(pid_t child) {
    // Whether it answered, hangs or has ended, nothing more is wanted from it.
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

SourceAnswer askInBoundedChild(SourceAnswer (*ask)(), std::chrono::milliseconds limit) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        runChild(ask, ends[1]);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return std::nullopt;
    }
    const SourceAnswer answer = awaitAnswer(ends[0], limit);
    close(ends[0]);
    reap(child);
    return answer;
}
