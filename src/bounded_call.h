// Running a call that may block forever (a server that accepts us and never answers) with a
// limit on how long the program waits for it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>

// The call's result when it returns within `limit`; empty when it does not. A call that
// overruns is left running on its own thread, which ends with the process. Where no thread
// can be started, the call runs here, without a limit.
template <typename Result>
std::optional<Result> callWithin(std::chrono::milliseconds limit, std::optional<Result> (*call)()) {
    struct Shared {
        std::optional<Result> (*call)();
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::optional<Result> result;
    };
    auto shared = std::make_shared<Shared>();
    shared->call = call;

    // The thread holds its own reference, so the state outlives whichever side ends first.
    auto *threadReference = new std::shared_ptr<Shared>(shared);
    const auto run = [](void *argument) -> void * {
        const std::unique_ptr<std::shared_ptr<Shared>> reference(
            static_cast<std::shared_ptr<Shared> *>(argument));
        Shared &state = **reference;
        auto result = state.call();
        const std::lock_guard lock(state.mutex);
        state.result = std::move(result);
        state.done = true;
        state.finished.notify_one();
        return nullptr;
    };
    // A small stack: the call needs little, and a smaller mapping is quicker to set up.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, std::size_t{256} * 1024);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread{};
    const int created = pthread_create(&thread, &attributes, run, threadReference);
    pthread_attr_destroy(&attributes);
    if (created != 0) {
        delete threadReference;
        return call();
    }

    std::unique_lock lock(shared->mutex);
    if (!shared->finished.wait_for(lock, limit, [&] { return shared->done; })) {
        return std::nullopt;
    }
    return std::move(shared->result);
}
