#pragma once

#include "app/WorkRunner.h"
#include "ui/ListWork.h"

#include <functional>

// A controller's WorkRunner over a window's ListWork: the work on a pool thread behind the please-wait box,
// then the controller's `done` and the window's `refresh` on the window's thread.
inline WorkRunner ListWorkRunner(ListWork& work, std::function<void()> refresh) {
    return [&work, refresh = std::move(refresh)](const QString& waitText, std::function<void()> job,
                                                 std::function<void()> done) {
        work.Run(waitText, std::move(job), [done = std::move(done), refresh] {
            done();
            refresh();
        });
    };
}
