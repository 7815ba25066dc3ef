#include "bounded_child.h"
#include "print_screen_size.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

SourceAnswer answers() {
    return ScreenSize{597, 336};
}
SourceAnswer knowsNothing() {
    return std::nullopt;
}
SourceAnswer hangs() {
    for (;;) {
        pause();
    }
}
SourceAnswer spins() {
    volatile unsigned turns = 0;
    for (;;) {
        turns = turns + 1U;
    }
}
SourceAnswer crashes() {
    std::raise(SIGSEGV);
    return ScreenSize{1, 1};
}
SourceAnswer aborts() {
    std::abort();
}
SourceAnswer exitsAtOnce() {
    _exit(0);
}
SourceAnswer talks() {
    std::fputs("from the child's standard output\n", stdout);
    std::fflush(stdout);
    std::fputs("from the child's standard error\n", stderr);
    (void)!write(STDOUT_FILENO, "raw\n", 4);
    (void)!write(STDERR_FILENO, "raw\n", 4);
    return ScreenSize{300, 400};
}

struct ChildCase {
    const char *what;
    SourceAnswer (*ask)();
    SourceAnswer expected;
};

class BoundedChild : public testing::TestWithParam<ChildCase> {};

TEST_P(BoundedChild, AnswersOrNothingWithinTheLimitAndLeavesNoChild) {
    const ChildCase &c = GetParam();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(askInBoundedChild(c.ask, 500ms), c.expected) << c.what;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << c.what;
    // Reaped: no child of ours is left, not even a zombie.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << c.what;
    EXPECT_EQ(errno, ECHILD) << c.what;
}

const ChildCase childCases[] = {
    {"an answer", answers, ScreenSize{597, 336}},
    {"an answer of nothing", knowsNothing, std::nullopt},
    {"a child that hangs in a system call", hangs, std::nullopt},
    {"a child that spins", spins, std::nullopt},
    {"a child that crashes", crashes, std::nullopt},
    {"a child that aborts", aborts, std::nullopt},
    {"a child that ends without an answer", exitsAtOnce, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Children, BoundedChild, testing::ValuesIn(childCases));

TEST(BoundedChildStreams, NothingTheChildWritesReachesOurs) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const SourceAnswer answer = askInBoundedChild(talks, 2s);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, (ScreenSize{300, 400}));
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST(BoundedChildStreams, OurStandardStreamsClosedAnswerStillArrives) {
    // With descriptors 1 and 2 closed the answer pipe takes them; the child must move it.
    const int savedOut = dup(STDOUT_FILENO);
    const int savedErr = dup(STDERR_FILENO);
    close(STDOUT_FILENO);
    close(STDERR_FILENO);
    const SourceAnswer answer = askInBoundedChild(talks, 2s);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    close(savedOut);
    close(savedErr);
    EXPECT_EQ(answer, (ScreenSize{300, 400}));
    EXPECT_EQ(fcntl(STDOUT_FILENO, F_GETFD), 0) << "standard output is ours again";
}

TEST(BoundedChildSignals, DispositionsAreLeftAsTheyWere) {
    struct sigaction before[3]{};
    const int signals[3] = {SIGCHLD, SIGPIPE, SIGALRM};
    for (int i = 0; i < 3; ++i) {
        sigaction(signals[i], nullptr, &before[i]);
    }
    askInBoundedChild(hangs, 100ms);
    askInBoundedChild(answers, 1s);
    for (int i = 0; i < 3; ++i) {
        struct sigaction after {};
        sigaction(signals[i], nullptr, &after);
        EXPECT_EQ(after.sa_handler, before[i].sa_handler) << "signal " << signals[i];
    }
}

} // namespace
