// A deadline for a socket that a library waits on without one: when it passes, the socket is
// shut down, so that the wait ends as if the peer had gone.
#pragma once

#include <chrono>
#include <csignal>
#include <ctime>

class SocketDeadline {
  public:
    // Starts the clock for the socket that is, or will be, descriptor `socket`.
    SocketDeadline(int socket, std::chrono::milliseconds limit);
    // Stops the clock; a deadline that passed meanwhile leaves no signal behind.
    ~SocketDeadline();
    SocketDeadline(const SocketDeadline &) = delete;
    SocketDeadline &operator=(const SocketDeadline &) = delete;

    // The socket turned out to be another descriptor: the rest of the time applies to it.
    void retarget(int socket);

  private:
    bool start(int socket, std::chrono::nanoseconds limit);
    void stop();

    std::chrono::steady_clock::time_point end_;
    int socket_;
    bool armed_ = false;
    timer_t timer_{};
    struct sigaction previousAction_ {};
    sigset_t previousMask_{};
};

// The descriptor that the next socket or file opened by this process will get.
int nextFreeDescriptor();
