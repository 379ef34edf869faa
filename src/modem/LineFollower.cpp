#include "modem/LineFollower.h"

#include "modem/ModemReply.h"

namespace {
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
} // namespace

qsizetype LineFollower::Follow(QByteArrayView bytes) {
    qsizetype passed = m_passing ? bytes.size() : 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (!IsLineEnd(c)) {
            if (m_open.size() < kMaxLine)
                m_open.append(c);
            continue;
        }
        if (!m_open.isEmpty())
            LineEnded();
        // What was begun before ends with the line end after it (CR LF, or a lone CR or LF).
        if (m_passing && m_dataDue == 0 && (i + 1 == bytes.size() || !IsLineEnd(bytes.at(i + 1)))) {
            m_passing = false;
            passed = i + 1;
        }
    }
    return passed;
}

void LineFollower::LineEnded() {
    if (m_dataDue > 0)
        --m_dataDue;
    else
        m_dataDue = ModemReply::UnsolicitedDataLines(QString::fromLatin1(m_open));
    m_open.clear();
}

void LineFollower::Reset() {
    m_open.clear();
    m_dataDue = 0;
    m_passing = false;
}
