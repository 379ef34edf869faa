#pragma once

// What the benchmarks that drive windows offscreen share: answers to every question, waiting on the event loop,
// letting a window paint, and timings in milliseconds.

#include "app/Prompter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QWidget>

#include <functional>

// Answers OK to notices and Yes to questions.
class YesPrompter final : public Prompter {
public:
    Answer Ask(const QString&, const QString&, Icon, Buttons buttons) override {
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
};

// Runs the event loop until `done`, or false after timeoutMs.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 300000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Lets every pending event and paint of the window run.
inline void Settle(QWidget* window) {
    QCoreApplication::processEvents();
    window->repaint();
    QCoreApplication::processEvents();
}

inline double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// The visible window of that class the parent has open, or null.
template <typename Window> Window* OpenChild(QWidget* parent) {
    for (Window* w : parent->findChildren<Window*>()) {
        if (w->isVisible())
            return w;
    }
    return nullptr;
}
