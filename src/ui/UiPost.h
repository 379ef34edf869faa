#pragma once

#include <QMetaObject>

// The hand-over from a worker thread (an engine's observer call) to a window: f(window) runs later on the
// window's thread, and not at all when the window was destroyed meanwhile.
template <typename Window, typename F> void PostToWindow(Window* window, F f) {
    QMetaObject::invokeMethod(
        window, [window, f = std::move(f)] { f(window); }, Qt::QueuedConnection);
}
