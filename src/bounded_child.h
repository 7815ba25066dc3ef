// Asking a display server from a child process, so that a server, a library or a resolver
// that hangs or crashes costs the program at most a fixed time and never the process itself.
#pragma once

#include "screen_report.h"

#include <chrono>
#include <optional>

// How long the program waits for a display server: a local one answers in milliseconds, a
// remote one in well under a second; one that accepted us and then went silent never does.
inline constexpr std::chrono::milliseconds displayAnswerLimit{5000};

// What a source tells of the screen: empty when it had no answer, else the size it found.
using SourceAnswer = std::optional<ScreenSize>;

// Runs `ask` in a forked child whose standard output and error go nowhere, and returns its
// answer. Empty when the child could not be started, ended without an answer (crashed,
// aborted, gave none), or did not answer within `limit`, after which it is killed. The child
// is always reaped; the caller's signal dispositions and descriptors are left as they were.
SourceAnswer askInBoundedChild(SourceAnswer (*ask)(), std::chrono::milliseconds limit);
