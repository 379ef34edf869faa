// Encodes 100,000 messages of 1,600 characters, every part of each through EncodeMessage, once with 7-bit
// texts and once with UCS2 texts, and prints the wall time of each run. Target: under 1 s per run.
#include "sms/PduEncoder.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kMessages = 100000;
constexpr qsizetype kCharacters = 1600;
constexpr int kDistinctTexts = 16;

// Texts of exactly kCharacters UTF-16 units, drawing the pool's characters (whole surrogate pairs) in a
// different order for each text.
std::vector<QString> MakeTexts(const QString& pool) {
    std::vector<QString> characters;
    for (qsizetype i = 0; i < pool.size(); ++i) {
        const qsizetype units = pool.at(i).isHighSurrogate() && i + 1 < pool.size() ? 2 : 1;
        characters.push_back(pool.mid(i, units));
        i += units - 1;
    }
    std::vector<QString> texts;
    for (int t = 0; t < kDistinctTexts; ++t) {
        QString text;
        text.reserve(kCharacters + 1);
        for (std::size_t i = 0; text.size() < kCharacters; ++i)
            text +=
                characters[(i * static_cast<std::size_t>(2 * t + 1) + static_cast<std::size_t>(t)) % characters.size()];
        if (text.size() > kCharacters) // a pair across the end
            text = text.left(kCharacters - 1) + QLatin1Char('.');
        texts.push_back(text);
    }
    return texts;
}

// CPU time of the calling thread: the machine is shared, so wall time also counts other programs' turns.
double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct RunResult {
    double seconds = 0;
    double cpuSeconds = 0;
    long long parts = 0;
    long long hexDigits = 0;
};

RunResult Encode(const std::vector<QString>& texts, bool unicode, int messages) {
    const QString recipient = QStringLiteral("+447700900123");
    const QString smsc = QStringLiteral("+447700900001");
    RunResult r;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    for (int i = 0; i < messages; ++i) {
        const std::vector<Pdu::EncodedPdu> pdus =
            Pdu::EncodeMessage(texts[static_cast<std::size_t>(i % kDistinctTexts)], recipient, smsc, false, unicode,
                               static_cast<std::uint16_t>(i));
        r.parts += static_cast<long long>(pdus.size());
        for (const Pdu::EncodedPdu& pdu : pdus)
            r.hexDigits += pdu.hex.size();
    }
    r.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

void Report(const char* name, const RunResult& r) {
    std::printf("%-6s %d messages x %lld characters: %lld parts, %lld hex digits; %.3f s wall, %.3f s CPU "
                "(%.2f us/message)%s\n",
                name, kMessages, static_cast<long long>(kCharacters), r.parts, r.hexDigits, r.seconds, r.cpuSeconds,
                r.cpuSeconds * 1e6 / kMessages, r.seconds < 1.0 ? "" : "  ** over 1 s wall **");
}

} // namespace

int main() {
    // GSM text with a sprinkling of extension characters (two septets each) and line feeds.
    const std::vector<QString> gsm =
        MakeTexts(QString::fromUtf8("The quick brown fox jumps over the lazy dog, 0123456789! Price: 5€ {ok} "
                                    "àéüÄÖ@£$_ΔΩ?\n"));
    // Cyrillic, Greek, CJK and a few surrogate pairs.
    const std::vector<QString> ucs2 =
        MakeTexts(QString::fromUtf8("Привет мир, Γειά σου κόσμε, 你好世界 — ok? \xF0\x9F\x98\x80 ") +
                  QString::fromUtf8("\xF0\x9F\x91\x8D"));

    Encode(gsm, false, kMessages / 20); // warm-up: caches, allocator
    Encode(ucs2, true, kMessages / 20);
    const RunResult sevenBit = Encode(gsm, false, kMessages);
    const RunResult unicode = Encode(ucs2, true, kMessages);
    Report("7-bit", sevenBit);
    Report("UCS2", unicode);
    return sevenBit.seconds < 1.0 && unicode.seconds < 1.0 ? 0 : 1;
}
