#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <utility>

// Long work off the user-interface thread: `work` runs on a pool thread, then `done` runs on the UI thread
// with its result, unless `context` was destroyed meanwhile.
namespace UiTask {

template <typename Result> void Run(QObject* context, std::function<Result()> work, std::function<void(Result)> done) {
    QPointer<QObject> guard(context);
    // Workers may wait on each other (a stop waits for a send); the default of one thread per core is too few.
    if (QThreadPool::globalInstance()->maxThreadCount() < 16)
        QThreadPool::globalInstance()->setMaxThreadCount(16);
    QThreadPool::globalInstance()->start([guard, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<Result>(work());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, result, done = std::move(done)] {
                if (guard)
                    done(std::move(*result));
            },
            Qt::QueuedConnection);
    });
}

inline void Run(QObject* context, std::function<void()> work, std::function<void()> done) {
    Run<bool>(
        context,
        [work = std::move(work)] {
            work();
            return true;
        },
        [done = std::move(done)](bool) { done(); });
}

} // namespace UiTask
