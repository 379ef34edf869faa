// The first reading of an inbox of 1,000,000 stored messages for their keys (what a collector does before it
// stores anything, so a message read again is known), then a reading of one more appended. Prints both times, the
// CPU time and the peak memory; exit status 1 when a key is not found.
#include "BenchMeasure.h"

#include "records/InboxKeys.h"
#include "records/InboxStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kMessages = 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Inbox.vrix"));
    InboxRecord record;
    record.received = QStringLiteral("2026-12-08T10:00:00");
    record.device = QStringLiteral("/dev/ttyUSB0");
    record.sent = QStringLiteral("25/01/14,12:00:00+00");
    record.text = QStringLiteral("Thanks, see you on Sunday at the usual place.");
    if (!InboxStore(path).Rewrite({})) // the file with its byte-order mark
        return 2;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return 2;
    QStringList keys;
    QString text;
    for (int i = 0; i < kMessages; ++i) {
        record.number = QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0'));
        record.raw = QStringLiteral("00040C91447700%1").arg(i, 10, 16, QLatin1Char('0')).toUpper();
        record.keys = {InboxKeys::KeyOf(QStringLiteral("350000000000301"), record.raw)};
        if (i % 1000 == 0)
            keys << record.keys;
        text += InboxStore::FormatLine(record) + QStringLiteral("\r\n");
        if (i % 10000 == 9999 || i == kMessages - 1) {
            file.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
            text.clear();
        }
    }
    file.close();
    const qint64 bytes = QFileInfo(path).size();

    InboxKeys reader(path);
    const double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    if (!reader.Refresh())
        return 2;
    const double first = SecondsSince(start);
    const double firstCpu = CpuSeconds() - cpu;
    for (const QString& key : keys)
        if (!reader.Contains(key))
            return 1;
    record.raw = QStringLiteral("00040C914477FFFF");
    record.keys = {InboxKeys::KeyOf(QStringLiteral("350000000000301"), record.raw)};
    if (!InboxStore(path).Append(record))
        return 2;
    start = std::chrono::steady_clock::now();
    if (!reader.Refresh() || !reader.Contains(record.keys[0]))
        return 1;
    const double next = SecondsSince(start);
    std::printf("inbox of %d messages (%.0f MB): keys read in %.3f s (CPU %.3f s), %zu keys; one appended read in "
                "%.6f s; peak RSS %ld MiB\n",
                kMessages, static_cast<double>(bytes) / 1e6, first, firstCpu, reader.Count(), next,
                PeakRssKiB() / 1024);
    return 0;
}
