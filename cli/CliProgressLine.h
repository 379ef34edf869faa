#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <mutex>

// A one-line progress display on stderr, redrawn in place ("\r", then the line cleared) at most ten times a
// second, for as long as the object lives. It draws only when stderr is a terminal: piped or redirected, stderr
// gets nothing from it. Lines written with CliErr meanwhile appear above it. Any thread may call it.
class CliProgressLine {
public:
    // Draws when stderr is a terminal (isatty), or when told to.
    CliProgressLine();
    explicit CliProgressLine(bool draw);
    ~CliProgressLine(); // clears the line
    CliProgressLine(const CliProgressLine&) = delete;
    CliProgressLine& operator=(const CliProgressLine&) = delete;

    bool Draws() const { return m_draw; }
    // Shows the text, unless the last redraw was less than 100 ms ago; final texts are shown at once.
    void Show(const QString& text, bool final = false);
    // Leaves the text on the terminal as an ordinary line; the progress line ends.
    void Finish(const QString& text);

    // Writes to stderr: with a progress line shown, the line is cleared first and drawn again below the bytes.
    // CliErr writes through this.
    static void WriteToStderr(const QByteArray& bytes);
    // Writes to stdout, flushed when asked; when stdout is the terminal the progress line is drawn on, the line is
    // cleared first and drawn again below the bytes. CliOut and the JSON output write through this.
    static void WriteToStdout(const QByteArray& bytes, bool flush);

private:
    void DrawLocked() const;

    bool m_draw;
    QByteArray m_text;
    std::chrono::steady_clock::time_point m_lastDraw{};
};
