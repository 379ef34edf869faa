#include "sim/SimOutputShaper.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// Unsolicited lines of network and vendor reports that devices put between (and before) replies.
const char* const kUrcLines[] = {"+CREG: 1", "^RSSI: 17", "RING", "+CGREG: 1", "^MODE: 5,5", "^BOOT:20952548,0,0,0,72"};

} // namespace

SimOutputShaper::SimOutputShaper(const SimProfile& profile)
    : m_profile(profile), m_random(profile.seed == 0 ? 1 : profile.seed) {
    if (m_profile.urcEveryMs > 0)
        m_nextLineMs = m_profile.urcEveryMs;
}

QByteArray SimOutputShaper::RandomLine() {
    return kUrcLines[m_random() % std::size(kUrcLines)];
}

int SimOutputShaper::Gap(int low, int high) {
    return low + static_cast<int>(m_random() % static_cast<unsigned>(high - low + 1));
}

std::optional<qint64> SimOutputShaper::NextLineMs() const {
    if (m_nextLineMs < 0)
        return std::nullopt;
    return m_nextLineMs;
}

void SimOutputShaper::Line(qint64 nowMs, std::vector<SimOutput>* out) {
    const std::size_t first = out->size();
    Split("\r\n" + RandomLine() + "\r\n", 0, out);
    qint64 writing = 0;
    for (std::size_t i = first; i < out->size(); ++i)
        writing += (*out)[i].delayMs;
    // About every urcEveryMs: between half and one and a half of it.
    const int every = m_profile.urcEveryMs;
    m_nextLineMs = nowMs + writing + every / 2 + Gap(0, every);
}

void SimOutputShaper::Reply(const QByteArray& reply, int delayMs, std::vector<SimOutput>* out) {
    ++m_replyCount;
    QByteArray bytes;
    if (m_profile.garbage && m_replyCount % 2 == 0) {
        static const std::array<QByteArray, 4> kStray = {QByteArray("\x00", 1), QByteArray("\xFF"),
                                                         QByteArray("\x80\x00\xFE", 3), QByteArray("\x00\xFF\x80", 3)};
        bytes += kStray[static_cast<std::size_t>(m_replyCount / 2) % kStray.size()];
    }
    if (m_profile.quirky && m_replyCount % 3 == 0)
        bytes += (m_replyCount / 3) % 2 ? "\r\n+CREG: 1\r\n" : "\r\n^RSSI: 17\r\n";
    // Now and then a network line just before a reply, as the device had it queued.
    if (m_profile.urcEveryMs > 0 && m_random() % 4 == 0)
        bytes += "\r\n" + RandomLine() + "\r\n";
    bytes += reply;
    Split(bytes, delayMs, out);
}

void SimOutputShaper::Unsolicited(const QByteArray& bytes, std::vector<SimOutput>* out) {
    Split(bytes, 0, out);
}

void SimOutputShaper::Split(const QByteArray& bytes, int delayMs, std::vector<SimOutput>* out) {
    const qsizetype size = bytes.size();
    std::vector<qsizetype> cuts;
    int gapLow = 0;
    int gapHigh = 0;
    if (m_profile.piecesMaxMs > 0 && size >= 2) {
        // Two or three pieces: one cut anywhere, and for half of the writes a second one, half of those within
        // the final four bytes so the final token ("OK\r\n") and its line end get split too.
        cuts.push_back(1 + static_cast<qsizetype>(m_random() % static_cast<unsigned>(size - 1)));
        if (size >= 3 && m_random() % 2 == 0) {
            const qsizetype tail = std::min<qsizetype>(4, size - 1);
            cuts.push_back(m_random() % 2 == 0 ? size - 1 - static_cast<qsizetype>(m_random() % tail)
                                               : 1 + static_cast<qsizetype>(m_random() % (size - 1)));
        }
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        gapLow = m_profile.piecesMinMs;
        gapHigh = m_profile.piecesMaxMs;
    } else if (m_profile.quirky && size >= 2) {
        // Several writes a few ms apart, cut inside the first bytes, the middle and the final token.
        cuts = {1 + m_replyCount % 3, size / 2, size - 1 - m_replyCount % 3};
        gapLow = gapHigh = 2;
    }
    qsizetype from = 0;
    bool first = true;
    for (const qsizetype cut : cuts) {
        if (cut <= from || cut >= size)
            continue;
        out->push_back({bytes.mid(from, cut - from), first ? delayMs : Gap(gapLow, gapHigh)});
        first = false;
        from = cut;
    }
    out->push_back({bytes.mid(from), first ? delayMs : Gap(gapLow, gapHigh)});
}
