#pragma once

#include "ui/UiTask.h"

#include <QObject>
#include <QString>

#include <functional>

class CPlease_Wail_Modeless;
class QTimer;
class QWidget;

// A window's long work over its lists (imports, clears, exports): while it runs, the window is disabled
// behind the modeless please-wait box, a 500 ms timer refreshes what the window shows of its counts, and the
// window's busy commands (those that test IsBusy()) do nothing. One piece of work at a time.
class ListWork final : public QObject {
    Q_OBJECT
public:
    // refresh: what the timer and the end of the work bring up to date (row counts, the list view).
    ListWork(QWidget* window, std::function<void()> refresh);

    bool IsBusy() const { return m_busy; }
    CPlease_Wail_Modeless* PleaseWait() const { return m_pleaseWait; }

    void Begin(const QString& waitText);
    // The window back, and the work no longer running.
    void End();
    // While the user answers a window in the middle of the work: the please-wait box steps aside and the
    // window is enabled again; the work still counts as running until End.
    void StepAside();

    // Begin, `work` on a pool thread, then on the window's thread: the window back, `done` with the work's
    // result (its notices over the enabled window), and the work no longer running.
    template <typename Result>
    void Run(const QString& waitText, std::function<Result()> work, std::function<void(Result)> done) {
        Begin(waitText);
        UiTask::Run<Result>(m_window, std::move(work), [this, done = std::move(done)](Result result) {
            Restore();
            done(std::move(result));
            Finish();
        });
    }
    void Run(const QString& waitText, std::function<void()> work, std::function<void()> done) {
        Run<bool>(
            waitText,
            [work = std::move(work)] {
                work();
                return true;
            },
            [done = std::move(done)](bool) { done(); });
    }

private:
    void Restore();
    void Finish();

    QWidget* m_window;
    std::function<void()> m_refresh;
    CPlease_Wail_Modeless* m_pleaseWait;
    QTimer* m_timer;
    bool m_busy = false;
};
