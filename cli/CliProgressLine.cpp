#include "CliProgressLine.h"

#include <cstdio>

#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds kRedrawInterval{100};
constexpr char kClearLine[] = "\r\033[K"; // carriage return, then erase to the end of the line (ECMA-48 EL)

// stderr is one per process, and so is the line drawn on it: the one progress line that is shown, if any.
std::mutex g_mutex;
const CliProgressLine* g_shown = nullptr;

void Put(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

} // namespace

CliProgressLine::CliProgressLine() : CliProgressLine(::isatty(STDERR_FILENO) == 1) {}

CliProgressLine::CliProgressLine(bool draw) : m_draw(draw) {
    if (!m_draw)
        return;
    std::lock_guard lock(g_mutex);
    g_shown = this;
}

CliProgressLine::~CliProgressLine() {
    if (!m_draw)
        return;
    std::lock_guard lock(g_mutex);
    if (g_shown == this)
        g_shown = nullptr;
    if (!m_text.isEmpty())
        Put(kClearLine);
    std::fflush(stderr);
}

void CliProgressLine::Show(const QString& text, bool final) {
    if (!m_draw)
        return;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(g_mutex);
    m_text = text.toUtf8();
    if (!final && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    DrawLocked();
}

void CliProgressLine::Finish(const QString& text) {
    if (!m_draw)
        return;
    std::lock_guard lock(g_mutex);
    Put(kClearLine + text.toUtf8() + '\n');
    std::fflush(stderr);
    m_text.clear();
    if (g_shown == this)
        g_shown = nullptr;
}

void CliProgressLine::DrawLocked() const {
    Put(kClearLine + m_text);
    std::fflush(stderr);
}

void CliProgressLine::WriteToStdout(const QByteArray& bytes, bool flush) {
    std::lock_guard lock(g_mutex);
    const bool redraw = g_shown && !g_shown->m_text.isEmpty() && ::isatty(STDOUT_FILENO) == 1;
    if (redraw) {
        Put(kClearLine);
        std::fflush(stderr);
    }
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    if (flush || redraw)
        std::fflush(stdout);
    if (redraw)
        g_shown->DrawLocked();
}

void CliProgressLine::WriteToStderr(const QByteArray& bytes) {
    std::lock_guard lock(g_mutex);
    const bool redraw = g_shown && !g_shown->m_text.isEmpty();
    if (redraw)
        Put(kClearLine);
    Put(bytes);
    if (redraw)
        g_shown->DrawLocked();
    else
        std::fflush(stderr);
}
