#pragma once

#include <QString>

#include <functional>

// How a controller has its long work done: `work` runs away from the caller's thread (a window keeps its
// event loop turning behind a please-wait box showing `waitText`), then `done` runs back on the caller's
// thread. The controller touches its own state only in `done`; `work` gets what it needs captured. Tests
// pass a runner that calls both in turn.
using WorkRunner = std::function<void(const QString& waitText, std::function<void()> work, std::function<void()> done)>;

// The runner that does the work at once on the calling thread.
inline WorkRunner InlineWorkRunner() {
    return [](const QString&, std::function<void()> work, std::function<void()> done) {
        work();
        done();
    };
}
