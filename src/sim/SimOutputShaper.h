#pragma once

#include "sim/SimProfile.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <random>
#include <vector>

// One piece of what the modem writes to its port: written delayMs after the piece before it (or after the
// moment it was produced, when nothing is waiting).
struct SimOutput {
    QByteArray bytes;
    int delayMs = 0;
};

// Gives the simulated modem's output the profile's line effects: stray bytes (garbage), network lines
// before replies and between commands (quirky, urc:), and writes in pieces (quirky, pieces:). Choices come
// from a generator seeded by the profile, so a run can be repeated.
class SimOutputShaper {
public:
    explicit SimOutputShaper(const SimProfile& profile);

    // A reply to a command (or a submission), written delayMs from now.
    void Reply(const QByteArray& reply, int delayMs, std::vector<SimOutput>* out);
    // Unsolicited output (indications, network lines): pieces only, nothing added.
    void Unsolicited(const QByteArray& bytes, std::vector<SimOutput>* out);

    // The timed network lines of urc:MS: when the next is due (nothing when off); writing the due one schedules
    // the one after, counted from when its last piece goes out (so lines never pile up behind each other).
    std::optional<qint64> NextLineMs() const;
    void Line(qint64 nowMs, std::vector<SimOutput>* out);

private:
    QByteArray RandomLine();
    int Gap(int low, int high);
    void Split(const QByteArray& bytes, int delayMs, std::vector<SimOutput>* out);

    SimProfile m_profile;
    std::minstd_rand m_random;
    int m_replyCount = 0;
    qint64 m_nextLineMs = -1;
};
