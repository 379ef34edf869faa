#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Follows the lines of everything a device sends, so that what was begun before a command is told apart from
// the command's reply: an unsolicited line whose rest is still arriving (devices write them in pieces), and the
// data lines an unsolicited header announces (the PDU after "+CMT: ,24", 3GPP TS 27.005 3.4.1). Lines end at CR
// or LF; blank lines do not count. One per port, fed every byte the port reads.
class LineFollower {
public:
    // Takes bytes as they were read. Returns how many at their start still belong to what was begun before
    // the last Arm(): all of them while that has not ended, 0 when nothing is being passed over.
    qsizetype Follow(QByteArrayView bytes);
    // A command goes out: an unfinished line, or data lines still due, are to be passed over in what follows.
    void Arm() { m_passing = !m_open.isEmpty() || m_dataDue > 0; }
    // True while the bytes taken belong to what was begun before the last Arm().
    bool Passing() const { return m_passing; }
    void Reset();

private:
    void LineEnded();

    static constexpr qsizetype kMaxLine = 512; // enough to tell a header; longer lines are cut, never kept whole

    QByteArray m_open; // the bytes after the last line end
    int m_dataDue = 0; // data lines still to come for an unsolicited header
    bool m_passing = false;
};
