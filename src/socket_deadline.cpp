#include "socket_deadline.h"

#include <algorithm>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The timer carries the descriptor in its signal, so the handler needs no shared state.
void onDeadline(int /*signal*/, siginfo_t *info, void * /*context*/) {
    if (info->si_code == SI_TIMER) {
        shutdown(info->si_value.sival_int, SHUT_RDWR);
    }
}

sigset_t alarmOnly() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGALRM);
    return set;
}

} // namespace

int nextFreeDescriptor() {
    // The kernel hands out the lowest free descriptor: this probe's is the next one.
    const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (probe >= 0) {
        close(probe);
    }
    return probe;
}

SocketDeadline::SocketDeadline(int socket, std::chrono::milliseconds limit)
    : end_(std::chrono::steady_clock::now() + limit), socket_(socket) {
    armed_ = socket >= 0 && start(socket, limit);
}

SocketDeadline::~SocketDeadline() {
    stop();
}

void SocketDeadline::retarget(int socket) {
    if (socket == socket_ || socket < 0) {
        return;
    }
    stop();
    socket_ = socket;
    const auto left = end_ - std::chrono::steady_clock::now();
    armed_ = start(socket, std::max(left, std::chrono::nanoseconds{1}));
}

bool SocketDeadline::start(int socket, std::chrono::nanoseconds limit) {
    struct sigaction action {};
    action.sa_sigaction = onDeadline;
    action.sa_flags = SA_SIGINFO; // no SA_RESTART: a wait it interrupts sees the shut socket
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGALRM, &action, &previousAction_) != 0) {
        return false;
    }
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    event.sigev_value.sival_int = socket;
    if (timer_create(CLOCK_MONOTONIC, &event, &timer_) != 0) {
        sigaction(SIGALRM, &previousAction_, nullptr);
        return false;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
    itimerspec when{};
    when.it_value.tv_sec = seconds.count();
    when.it_value.tv_nsec = (limit - seconds).count();
    timer_settime(timer_, 0, &when, nullptr);
    // A parent may have left SIGALRM blocked; it must reach the handler while the clock runs.
    const sigset_t alarm = alarmOnly();
    pthread_sigmask(SIG_UNBLOCK, &alarm, &previousMask_);
    return true;
}

void SocketDeadline::stop() {
    if (!armed_) {
        return;
    }
    armed_ = false;
    const sigset_t alarm = alarmOnly();
    pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
    timer_delete(timer_);
    // A signal raised just before the timer went must not reach the previous disposition,
    // whose default ends the process.
    const timespec now{};
    while (sigtimedwait(&alarm, nullptr, &now) > 0) {
    }
    sigaction(SIGALRM, &previousAction_, nullptr);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}
