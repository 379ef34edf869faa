#include "records/SentItemsStore.h"
#include "records/InboxStore.h"
#include "fakes/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <thread>

// Readable failure output.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

void PrintTo(const SentItemRecord& r, std::ostream* os) {
    *os << '{' << r.number.toStdString() << " | " << r.message.toStdString() << " | " << r.date.toStdString() << " | "
        << r.status.toStdString() << '}';
}

namespace {

using FileBytes::Utf16Le;

const QByteArray kBom("\xFF\xFE");

class SentItemsStoreTest : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath("SentItem.vrix"); }
    QByteArray Bytes() const {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void Put(const QByteArray& bytes) const {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QList<SentItemRecord> Load() const {
        QList<SentItemRecord> out;
        EXPECT_TRUE(m_store.Load(&out));
        return out;
    }

    QTemporaryDir m_dir;
    SentItemsStore m_store{m_dir.filePath("SentItem.vrix")};
};

TEST_F(SentItemsStoreTest, AppendWritesTheRecordLayoutByteForByte) {
    const SentItemRecord record =
        SentItemsStore::MakeRecord("+4412", "hi\r\nyou", "Message sent successfully.", QDate(2024, 3, 5));
    EXPECT_EQ(record.date, "05/03/2024");
    ASSERT_TRUE(m_store.Append(record));
    ASSERT_TRUE(m_store.Append(SentItemsStore::MakeRecord("7", "x", "Error : +CMS ERROR: 500", QDate(2024, 12, 31))));
    EXPECT_EQ(Bytes(),
              kBom + Utf16Le(QStringLiteral("\a+4412\vhi\r|AP*|DX/you\a05/03/2024\vMessage sent successfully.\r\n"
                                            "\a7\vx\a31/12/2024\vError : +CMS ERROR: 500\r\n")));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{record, {"7", "x", "31/12/2024", "Error : +CMS ERROR: 500"}}));
}

TEST_F(SentItemsStoreTest, AppendingToAMarkOnlyFileAddsNoSecondMark) {
    Put(kBom);
    ASSERT_TRUE(m_store.Append({"1", "m", "01/01/2024", "s"}));
    EXPECT_EQ(Bytes(), kBom + Utf16Le(QStringLiteral("\a1\vm\a01/01/2024\vs\r\n")));
}

TEST_F(SentItemsStoreTest, AppendAfterAnInterruptedWriteKeepsBothRecordsWhole) {
    Put(kBom + Utf16Le(QStringLiteral("\a1\va\a01/01/2024\vs")));
    ASSERT_TRUE(m_store.Append({"2", "b", "02/01/2024", "t"}));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{{"1", "a", "01/01/2024", "s"}, {"2", "b", "02/01/2024", "t"}}));
    Put(kBom + Utf16Le(QStringLiteral("\a1\va\a01/01/2024\vs")) + "\r"); // cut inside a code unit
    ASSERT_TRUE(m_store.Append({"2", "b", "02/01/2024", "t"}));
    const QList<SentItemRecord> records = Load();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1], (SentItemRecord{"2", "b", "02/01/2024", "t"}));
}

TEST_F(SentItemsStoreTest, UnknownDateLeavesTheFieldEmptyAndTheStatusWhole) {
    const SentItemRecord record = SentItemsStore::MakeRecord("5", "m", "Message sent to device.", QDate());
    EXPECT_TRUE(record.date.isEmpty());
    ASSERT_TRUE(m_store.Append(record));
    EXPECT_EQ(Load(), QList<SentItemRecord>{record});
}

TEST_F(SentItemsStoreTest, EmptyLogsLoadEmpty) {
    EXPECT_TRUE(Load().isEmpty()) << "missing file";
    EXPECT_FALSE(QFile::exists(Path())) << "loading creates nothing";
    Put({});
    EXPECT_TRUE(Load().isEmpty());
    Put(kBom);
    EXPECT_TRUE(Load().isEmpty());
}

TEST_F(SentItemsStoreTest, MalformedAndEdgeLines) {
    struct Case {
        const char* name;
        QString text;
        QList<SentItemRecord> records;
    };
    const std::vector<Case> cases = {
        {"no VT: number only", "\a123\r\n", {{"123", "", "", ""}}},
        {"empty number skipped, next line intact",
         "\a\vm\a01/01/2024\vs\r\n\a9\vm\a01/01/2024\vs\r\n",
         {{"9", "m", "01/01/2024", "s"}}},
        {"blank lines skipped", "\r\n\n\a9\vm\a01/01/2024\vs\r\n", {{"9", "m", "01/01/2024", "s"}}},
        {"cut after the message", "\a9\vmsg\r\n", {{"9", "msg", "", ""}}},
        {"last line without line end kept",
         "\a1\va\a01/01/2024\vs\r\n\a2\vb\a02/01/2024\vt",
         {{"1", "a", "01/01/2024", "s"}, {"2", "b", "02/01/2024", "t"}}},
        {"mark in the middle ignored", "\a1\va\uFEFFb\a01/01/2024\vs\n", {{"1", "ab", "01/01/2024", "s"}}},
        {"CR inside the message stays", "\a1\va\rb\a01/01/2024\vs\r\n", {{"1", "a\rb", "01/01/2024", "s"}}},
        {"marker becomes a line feed",
         "\a1\va|AP*|DX/b|AP*|DX/\a01/01/2024\vs\r\n",
         {{"1", "a\nb\n", "01/01/2024", "s"}}},
        {"no leading BEL still parses", "1\va\a01/01/2024\vs\r\n", {{"1", "a", "01/01/2024", "s"}}},
    };
    for (const Case& c : cases) {
        Put(kBom + Utf16Le(c.text));
        EXPECT_EQ(Load(), c.records) << c.name;
    }
}

TEST_F(SentItemsStoreTest, RewriteKeepsListOrderAndAnEmptyListLeavesTheMark) {
    const QList<SentItemRecord> records = {
        {"3", "c\nd", "03/03/2024", "Message sent successfully."},
        {"1", "a", "01/01/2024", "Error : x"},
        {"2", "", "02/02/2024", "Message sent to device."},
    };
    ASSERT_TRUE(m_store.Append({"old", "o", "01/01/2000", "s"}));
    ASSERT_TRUE(m_store.Rewrite(records));
    EXPECT_EQ(Load(), records);
    EXPECT_TRUE(Bytes().startsWith(QByteArray(kBom + Utf16Le("\a3\vc|AP*|DX/d"))));
    ASSERT_TRUE(m_store.Rewrite({}));
    EXPECT_EQ(Bytes(), kBom);
}

TEST_F(SentItemsStoreTest, OpenFailuresAreReported) {
    QDir().mkpath(Path()); // a folder where the log should be
    FileError error;
    EXPECT_FALSE(m_store.Append({"1", "m", "d", "s"}, &error));
    EXPECT_EQ(error.osError, EISDIR);
    QList<SentItemRecord> records{{"x", "", "", ""}};
    EXPECT_FALSE(m_store.Load(&records, &error));
    EXPECT_TRUE(records.isEmpty());
}

TEST_F(SentItemsStoreTest, ResultsLoggedAtTheEndOfARun) {
    for (const char* status : {"", "Stopped", "Skipped.", "Excluded."})
        EXPECT_FALSE(SentItemsStore::IsLoggedAtEndOfRun(status)) << status;
    for (const char* status : {"Message sent successfully.", "Message sent to device.", "Error : 38", "Stopped."})
        EXPECT_TRUE(SentItemsStore::IsLoggedAtEndOfRun(status)) << status;
}

TEST_F(SentItemsStoreTest, ConcurrentAppendsNeverInterleave) {
    constexpr int kThreads = 8;
    constexpr int kEach = 150;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([this, t] {
                // Several store objects on the same file, as several workers have.
                const SentItemsStore store(Path());
                for (int i = 0; i < kEach; ++i) {
                    const QString message = QStringLiteral("thread %1 message %2\nsecond line").arg(t).arg(i);
                    EXPECT_TRUE(
                        store.Append({QString::number(t), message, "01/01/2024", "Message sent successfully."}));
                }
            });
        }
    }
    const QList<SentItemRecord> records = Load();
    ASSERT_EQ(records.size(), kThreads * kEach);
    std::vector<int> next(kThreads, 0);
    for (const SentItemRecord& r : records) {
        const int t = r.number.toInt();
        ASSERT_TRUE(t >= 0 && t < kThreads) << r.number.toStdString();
        EXPECT_EQ(r.message, QStringLiteral("thread %1 message %2\nsecond line").arg(t).arg(next[t]++));
        EXPECT_EQ(r.status, "Message sent successfully.");
    }
    EXPECT_EQ(Bytes().count(QByteArray("\xFF\xFE")), 1);
}

// A rewrite that cannot finish: the file size limit stops it after a few kilobytes.
bool RewriteOverTheLimit(const SentItemsStore& store) {
    QList<SentItemRecord> many;
    for (int i = 0; i < 5000; ++i)
        many.append({QString::number(i), QString(40, 'm'), "01/01/2024", "Message sent successfully."});
    const rlimit limit{8192, 8192};
    setrlimit(RLIMIT_FSIZE, &limit);
    return store.Rewrite(many);
}

TEST_F(SentItemsStoreTest, RewriteFailingMidwayLeavesTheOldLogIntact) {
    ASSERT_TRUE(m_store.Append({"keep", "me", "01/01/2024", "s"}));
    const QByteArray before = Bytes();
    // The write fails (EFBIG) in the child: Rewrite reports it and the old file stays.
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            std::_Exit(RewriteOverTheLimit(m_store) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Bytes(), before);
    // The process is killed in the middle of writing.
    EXPECT_EXIT(RewriteOverTheLimit(m_store), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Load(), (QList<SentItemRecord>{{"keep", "me", "01/01/2024", "s"}}));
}

} // namespace

namespace {
// The reading rule of the versions before delivery lines: every line by itself through ParseLine (unchanged
// since), lines without a number passed over.
QList<SentItemRecord> ReadAsBefore(const QString& text) {
    QList<SentItemRecord> records;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (auto record = SentItemsStore::ParseLine(line))
            records << *record;
    }
    return records;
}
} // namespace

// A record with a delivery state writes a second line that earlier versions pass over, and this version reads
// both old and new lines.
TEST_F(SentItemsStoreTest, DeliveryLinesStayReadableBothWays) {
    SentItemRecord plain{"+15550001", "Hi", "01/02/2026", "Message sent successfully."};
    SentItemRecord tracked{"+15550002", "Two\nlines", "01/02/2026", "Message sent successfully.",
                           "Delivery failed: Incompatible destination", "/dev/ttyUSB0", "17,18"};
    const QString written = SentItemsStore::FormatLine(plain) + SentItemsStore::FormatLine(tracked) +
                            SentItemsStore::FormatLine(plain);
    EXPECT_EQ(SentItemsStore::FormatLine(tracked),
              QStringLiteral("\a+15550002\vTwo|AP*|DX/lines\a01/02/2026\vMessage sent successfully.\r\n"
                             "\vDLR\vDelivery failed: Incompatible destination\v/dev/ttyUSB0\v17,18\r\n"));

    // An earlier version sees the three records as they always were.
    SentItemRecord trackedAsBefore = tracked;
    trackedAsBefore.delivery.clear();
    trackedAsBefore.device.clear();
    trackedAsBefore.references.clear();
    EXPECT_EQ(ReadAsBefore(written), (QList<SentItemRecord>{plain, trackedAsBefore, plain}));

    // This version reads them whole, and a file of old lines as before; a stray delivery line at the top has
    // no record to belong to and is passed over.
    Put(kBom + Utf16Le(written));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{plain, tracked, plain}));
    Put(kBom + Utf16Le(QStringLiteral("\vDLR\vDelivered\vx\v1\r\n") + SentItemsStore::FormatLine(plain)));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{plain}));

    // Append and Rewrite keep the delivery line with its record.
    Put(QByteArray());
    ASSERT_TRUE(m_store.Append(tracked));
    ASSERT_TRUE(m_store.Append(plain));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{tracked, plain}));
    ASSERT_TRUE(m_store.Rewrite({plain, tracked}));
    EXPECT_EQ(Load(), (QList<SentItemRecord>{plain, tracked}));
}

// The inbox keeps any text (line breaks, quotes, characters outside the BMP) and every kind of entry; a line
// that is no entry is passed over.
TEST(InboxStore, EntriesComeBackAsWritten) {
    QTemporaryDir dir;
    const InboxStore inbox(dir.filePath(QStringLiteral("Inbox.vrix")));
    QList<InboxRecord> none;
    ASSERT_TRUE(inbox.Load(&none));
    EXPECT_TRUE(none.empty());
    InboxRecord message{InboxRecord::Kind::Message, "2026-12-08T10:00:00", "/dev/ttyUSB0", "+15550001",
                        "26/12/08,09:59:58+04", "Two\r\nlines \"quoted\" \U0001F600", "0791...", "", true, {}};
    InboxRecord broken{InboxRecord::Kind::Undecodable, "2026-12-08T10:00:01", "/dev/ttyUSB0", "", "", "",
                       "07FF", "the PDU ends inside its SMSC field", false, {}};
    InboxRecord report{InboxRecord::Kind::Report, "2026-12-08T10:00:02", "/dev/ttyUSB1", "+15550002", "", "Delivered (reference 4)",
                       "0006040B91", "", false, {}};
    ASSERT_TRUE(inbox.Append(message));
    ASSERT_TRUE(inbox.Append(broken));
    {
        QFile file(inbox.Path());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(FileBytes::Utf16Le(QStringLiteral("not an entry\r\n")));
    }
    ASSERT_TRUE(inbox.Append(report));
    QList<InboxRecord> loaded;
    ASSERT_TRUE(inbox.Load(&loaded));
    EXPECT_EQ(loaded, (QList<InboxRecord>{message, broken, report}));
}
