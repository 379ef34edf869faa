// bulksms-cli encode-pdu, run as a separate process.
#include "CliProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

CliRun EncodePdu(const QStringList& args) {
    return RunCli(QStringList{QStringLiteral("encode-pdu")} + args);
}

class PduCli : public CliTest {};

TEST_F(PduCli, SingleMessage) {
    const CliRun r = EncodePdu({QStringLiteral("--to"), QStringLiteral("+15551234567"), QStringLiteral("--text"),
                                QStringLiteral("hellohello")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines, QStringList{QStringLiteral("23 0011000B915155214365F700008F0AE8329BFD4697D9EC37")});
}

TEST_F(PduCli, PartsOfTheFirstMessageCarryReferenceOne) {
    const CliRun r = EncodePdu({QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--smsc"),
                                QStringLiteral(" +12345678901 "), QStringLiteral("--unicode"),
                                QStringLiteral("--flash"), QStringLiteral("--text"), QString(71, QChar(0x0416))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_TRUE(r.lines[0].startsWith(QStringLiteral("150 07912143658709F1510005812143F500188F8B060804000102010416")));
    EXPECT_EQ(r.lines[1], QStringLiteral("28 07912143658709F1510005812143F500188F11060804000102020416041604160416"
                                         "0416"));
}

TEST_F(PduCli, TextFileIsUtf8WithLineBreaksNormalised) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("message.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF"
            "A\r\nB\xC3\xA9"); // BOM, A CR LF B é
    f.close();
    const CliRun r = EncodePdu({QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text-file"), path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Codes 41 0A 42 05: 4 septets, "A\nB" is 3 characters plus é.
    EXPECT_EQ(r.lines, QStringList{QStringLiteral("15 0011000581"
                                                  "2143F500008F04"
                                                  "4185B000")});
}

TEST_F(PduCli, BadArguments) {
    const QStringList cases[] = {
        {QStringLiteral("--text"), QStringLiteral("hi")},
        {QStringLiteral("--to"), QStringLiteral("12345")},
        {QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text"), QStringLiteral("a"),
         QStringLiteral("--text-file"), QStringLiteral("/nonexistent")},
        {QStringLiteral("--to"), QStringLiteral("12a45"), QStringLiteral("--text"), QStringLiteral("hi")},
        {QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--smsc"), QStringLiteral("+"),
         QStringLiteral("--text"), QStringLiteral("hi")},
        {QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text-file"),
         QStringLiteral("/nonexistent/message.txt")},
        {QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text"), QStringLiteral("hi"),
         QStringLiteral("extra")},
        {QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text"), QStringLiteral("hi"),
         QStringLiteral("--class")},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const CliRun r = EncodePdu(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.lines.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
    }
}

TEST_F(PduCli, TooLongToNumberIsRefused) {
    const CliRun r = EncodePdu({QStringLiteral("--to"), QStringLiteral("12345"), QStringLiteral("--text"),
                                QString(255 * 152 + 1, QLatin1Char('a'))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.lines.isEmpty());
}

} // namespace
