// The spreadsheet export, read back by independent readers: Debian's python3-openpyxl for .xlsx and
// python3-xlrd for .xls (both installed by tools/deps.sh).
#include "records/SpreadsheetExport.h"
#include "app/FileError.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExportXlsx.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Format = SpreadsheetExport::Format;
using Filter = SpreadsheetExport::Filter;

// Reads workbooks with openpyxl or xlrd (argument 1) and prints, for each workbook and each of its sheets: its name,
// its rows (all of them when there are at most 50, else the first three and the last two), the row count, the column
// count, the distinct cell types, and a SHA-1 over every row (cells joined by U+001F, each row ended by U+001E) to
// compare whole sheets. Rows lose their trailing empty cells (both readers pad rows to the sheet's width). openpyxl
// hands inline strings over without decoding the "_xHHHH_" escapes of characters XML cannot carry, which Excel
// and xlrd decode; for openpyxl they are decoded here.
const char* kReadBack = R"(
import sys, json, hashlib, re
def unescape(text):
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), text)
def summary(name, rows, types):
    for r in rows:
        while r and r[-1] == "":
            r.pop()
    h = hashlib.sha1()
    for r in rows:
        h.update(("\x1f".join(r) + "\x1e").encode("utf-8"))
    shown = rows if len(rows) <= 50 else rows[:3] + rows[-2:]
    return {"name": name, "count": len(rows), "cols": max([len(r) for r in rows] or [0]),
            "rows": shown, "types": sorted(types), "sha1": h.hexdigest()}
def with_openpyxl(path):
    import openpyxl
    sheets = []
    wb = openpyxl.load_workbook(path, read_only=True)
    for ws in wb.worksheets:
        rows, types = [], set()
        for row in ws.iter_rows():
            cells = []
            for c in row:
                if c.value is None:
                    cells.append("")
                else:
                    types.add(c.data_type)
                    cells.append(unescape(c.value) if isinstance(c.value, str) else repr(c.value))
            rows.append(cells)
        sheets.append(summary(ws.title, rows, types))
    return sheets
def with_xlrd(path):
    import xlrd
    sheets = []
    wb = xlrd.open_workbook(path)
    for ws in wb.sheets():
        rows, types = [], set()
        for r in range(ws.nrows):
            cells = []
            for c in ws.row(r):
                if c.ctype == xlrd.XL_CELL_TEXT:
                    types.add("s")
                    cells.append(c.value)  # xlrd decodes the escapes of .xlsx itself
                elif c.ctype == xlrd.XL_CELL_EMPTY:
                    cells.append("")
                else:
                    types.add(str(c.ctype))
                    cells.append(repr(c.value))
            rows.append(cells)
        sheets.append(summary(ws.name, rows, types))
    return sheets
reader = with_openpyxl if sys.argv[1] == "openpyxl" else with_xlrd
json.dump([reader(path) for path in sys.argv[2:]], sys.stdout)
)";

QString Python() {
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

struct Sheet {
    QString name;
    int count = 0;
    int columns = 0;
    QList<QStringList> rows;
    QStringList types;
    QByteArray sha1;
};

// The sheets of each workbook, as the reader saw them. openpyxl reads .xlsx only; xlrd reads both formats
// (and is the faster of the two for the long sheets).
enum class Reader { Openpyxl, Xlrd };

QList<QList<Sheet>> ReadBack(const QStringList& paths, Reader reader) {
    QProcess p;
    p.start(Python(), QStringList{QStringLiteral("-c"), QString::fromUtf8(kReadBack),
                                  reader == Reader::Openpyxl ? QStringLiteral("openpyxl") : QStringLiteral("xlrd")} +
                          paths);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QList<QList<Sheet>> workbooks;
    for (const QJsonValue& w : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QList<Sheet> out;
        for (const QJsonValue& s : w.toArray()) {
            Sheet sheet;
            sheet.name = s[QStringLiteral("name")].toString();
            sheet.count = s[QStringLiteral("count")].toInt();
            sheet.columns = s[QStringLiteral("cols")].toInt();
            for (const QJsonValue& r : s[QStringLiteral("rows")].toArray()) {
                QStringList row;
                for (const QJsonValue& c : r.toArray())
                    row << c.toString();
                sheet.rows << row;
            }
            for (const QJsonValue& t : s[QStringLiteral("types")].toArray())
                sheet.types << t.toString();
            sheet.sha1 = s[QStringLiteral("sha1")].toString().toLatin1();
            out << sheet;
        }
        workbooks << out;
    }
    EXPECT_EQ(workbooks.size(), paths.size());
    return workbooks;
}

QList<Sheet> ReadBack(const QString& path) {
    return ReadBack(QStringList{path}, Reader::Xlrd).value(0);
}

QByteArray Sha1(const QList<QStringList>& rows) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QStringList& row : rows)
        hash.addData((row.join(QChar(0x1F)) + QChar(0x1E)).toUtf8());
    return hash.result().toHex();
}

// Rows as a reader sees them: trailing empty cells of a row are not there.
QList<QStringList> Trimmed(QList<QStringList> rows) {
    for (QStringList& row : rows) {
        while (!row.isEmpty() && row.last().isEmpty())
            row.removeLast();
    }
    return rows;
}

// Equal row lists, or a failure naming the first row that differs (sheets are too long to print whole).
::testing::AssertionResult SameRows(const QList<QStringList>& actual, const QList<QStringList>& expected) {
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const QStringList a = actual.value(i);
        const QStringList e = expected.value(i);
        if (a != e)
            return ::testing::AssertionFailure()
                   << "row " << i << ": read " << a.join(QStringLiteral(" | ")).left(200).toStdString() << " but wrote "
                   << e.join(QStringLiteral(" | ")).left(200).toStdString();
    }
    return ::testing::AssertionSuccess();
}

QString Extension(Format format) {
    return format == Format::Xls ? QStringLiteral("xls") : QStringLiteral("xlsx");
}

class SpreadsheetExportFormats : public ::testing::TestWithParam<Format> {
protected:
    QString Path(const QString& name) const { return m_dir.filePath(name + QLatin1Char('.') + Extension(GetParam())); }

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    SpreadsheetExport m_export{m_prompter};
};

// Texts a spreadsheet tends to change: leading zeros, long digit strings, formulas, quotes, line breaks,
// characters outside the BMP, control characters, texts that look like escapes, a 1600-character message.
QList<QStringList> TrickyRows(int columns) {
    const QStringList texts = {
        QStringLiteral("07700900123"),
        QStringLiteral("12345678901234567890"),
        QStringLiteral("+447700900123"),
        QStringLiteral("=SUM(A1:A2)"),
        QStringLiteral("it's \"quoted\" <b>&amp;</b>"),
        QStringLiteral("line one\r\nline two\nthree"),
        QStringLiteral("Gr\u00fc\u00dfe \u0416 \u263a \U0001F600"),
        QStringLiteral("bell\u0007 and \u0001"),
        QStringLiteral("_x0041_ stays as typed"),
        QStringLiteral("  padded  "),
        QString(1600, QLatin1Char('m')),
        QStringLiteral("Message sent successfully."),
    };
    QList<QStringList> rows;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << (c == 1 ? QString() : texts.at((i + c) % texts.size())); // column 2 left empty
        rows << row;
    }
    return rows;
}

TEST_P(SpreadsheetExportFormats, EveryColumnSetWritesItsHeadingAndTextCells) {
    const std::pair<const char*, SpreadsheetExportTable> tables[] = {
        {"recipients", SpreadsheetExportTable::RecipientList()},
        {"numbers", SpreadsheetExportTable::RecipientNumbers()},
        {"exclusion", SpreadsheetExportTable::ExclusionList()},
        {"sent", SpreadsheetExportTable::SentItems()},
        {"status-retry", SpreadsheetExportTable::SendingStatus(true)},
        {"status", SpreadsheetExportTable::SendingStatus(false)},
        {"templates", SpreadsheetExportTable::Templates()},
    };
    QStringList paths;
    for (const auto& [name, table] : tables) {
        SCOPED_TRACE(name);
        const QList<QStringList> rows = TrickyRows(static_cast<int>(table.columns.size()));
        paths << Path(QString::fromUtf8(name));
        const SpreadsheetExport::Result result = m_export.Export(table, rows, Filter::All, paths.last(), GetParam());
        ASSERT_TRUE(result.Ok()) << result.detail.toStdString();
        EXPECT_EQ(result.rowsWritten, rows.size());
        EXPECT_EQ(result.sheets, 1);
    }
    // Both readers for .xlsx; xlrd for .xls.
    QList<Reader> readers = {Reader::Xlrd};
    if (GetParam() == Format::Xlsx)
        readers << Reader::Openpyxl;
    for (Reader reader : readers) {
        const QList<QList<Sheet>> workbooks = ReadBack(paths, reader);
        ASSERT_EQ(workbooks.size(), static_cast<qsizetype>(std::size(tables)));
        for (qsizetype i = 0; i < workbooks.size(); ++i) {
            const auto& [name, table] = tables[i];
            SCOPED_TRACE(std::string(name) + (reader == Reader::Xlrd ? " xlrd" : " openpyxl"));
            const QList<Sheet>& sheets = workbooks[i];
            ASSERT_EQ(sheets.size(), 1);
            EXPECT_EQ(sheets[0].name, QStringLiteral("Sheet1"));
            EXPECT_TRUE(SameRows(sheets[0].rows, Trimmed(QList<QStringList>{table.columns} +
                                                         TrickyRows(static_cast<int>(table.columns.size())))));
            // Text cells only, never numbers or formulas.
            EXPECT_EQ(sheets[0].types, QStringList{QStringLiteral("s")});
        }
    }
    EXPECT_TRUE(m_prompter.Asked().empty());
}

TEST_P(SpreadsheetExportFormats, StatusFiltersTakeTheirRows) {
    const QList<QStringList> rows = {
        {"1", "a", "Sent", "Message sent successfully.", "0"},
        {"2", "b", "Failed", "Error : +CMS ERROR: 38", "1"},
        {"3", "c", "Sent", "Message sent to device.", "0"},
        {"4", "d", "Skipped", "Skipped.", "0"},
    };
    const SpreadsheetExportTable table = SpreadsheetExportTable::SendingStatus(true);
    const std::pair<Filter, QList<QStringList>> cases[] = {
        {Filter::All, rows},
        {Filter::Successful, {rows[0], rows[2]}},
        {Filter::Failed, {rows[1]}},
    };
    QStringList paths;
    for (const auto& [filter, expected] : cases) {
        paths << Path(QStringLiteral("filtered%1").arg(paths.size()));
        ASSERT_TRUE(m_export.Export(table, rows, filter, paths.last(), GetParam()).Ok());
    }
    const QList<QList<Sheet>> workbooks = ReadBack(paths, Reader::Xlrd);
    ASSERT_EQ(workbooks.size(), 3);
    for (qsizetype i = 0; i < workbooks.size(); ++i)
        EXPECT_EQ(workbooks[i][0].rows, QList<QStringList>{table.columns} + cases[i].second);
    // "FAL" on a run without failures writes the heading row alone.
    const QString path = Path(QStringLiteral("nofailures"));
    const SpreadsheetExport::Result result =
        m_export.Export(table, QList<QStringList>{rows[0], rows[2]}, Filter::Failed, path, GetParam());
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.rowsWritten, 0);
    EXPECT_EQ(ReadBack(path)[0].rows, QList<QStringList>{table.columns});
}

TEST_P(SpreadsheetExportFormats, AnExistingFileIsReplacedAndKeptWhenTheExportFails) {
    const QString path = Path(QStringLiteral("replace"));
    const SpreadsheetExportTable table = SpreadsheetExportTable::RecipientList();
    ASSERT_TRUE(m_export.Export(table, {{"111", "first"}, {"222", "second"}}, Filter::All, path, GetParam()).Ok());
    ASSERT_TRUE(m_export.Export(table, {{"333", "third"}}, Filter::All, path, GetParam()).Ok());
    EXPECT_EQ(ReadBack(path)[0].rows, (QList<QStringList>{{"Number", "Message"}, {"333", "third"}}));
    // Through a symbolic link the file it names is replaced, and the link stays.
    const QString link = Path(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(m_export.Export(table, {{"444", "fourth"}}, Filter::All, link, GetParam()).Ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBack(path)[0].rows, (QList<QStringList>{{"Number", "Message"}, {"444", "fourth"}}));
    ASSERT_TRUE(m_export.Export(table, {{"333", "third"}}, Filter::All, path, GetParam()).Ok());
    const QByteArray before = [&] {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }();
    // More columns than an .xls sheet holds: the writer fails midway, and the earlier file stays.
    if (GetParam() == Format::Xls) {
        SpreadsheetExportTable tooWide;
        for (int i = 0; i < 300; ++i)
            tooWide.columns << QStringLiteral("C%1").arg(i);
        const SpreadsheetExport::Result failed =
            m_export.Export(tooWide, {QStringList(300, QStringLiteral("v"))}, Filter::All, path, GetParam());
        EXPECT_EQ(failed.outcome, SpreadsheetExport::Result::Outcome::WriteFailed);
        EXPECT_EQ(failed.message, QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk."));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
    // No scratch file is left behind either way.
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files), QStringList());
}

TEST_P(SpreadsheetExportFormats, UnwritableTargetsAreRefused) {
    // A folder in the way: its file error text (the test runs as root, so permissions cannot refuse).
    const QString folder = Path(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    SpreadsheetExport::Result result =
        m_export.Export(SpreadsheetExportTable::Templates(), {{"t"}}, Filter::All, folder, GetParam());
    EXPECT_EQ(result.outcome, SpreadsheetExport::Result::Outcome::FileNotWritable);
    EXPECT_EQ(result.message, QStringLiteral("Error in file accessing.\n\nOR\n\nIs a directory"));
    // A named pipe: refused without being opened (opening it for writing would wait for a reader).
    const QString fifo = Path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    result = m_export.Export(SpreadsheetExportTable::Templates(), {{"t"}}, Filter::All, fifo, GetParam());
    EXPECT_EQ(result.outcome, SpreadsheetExport::Result::Outcome::FileNotWritable);
    EXPECT_EQ(result.message, QStringLiteral("Error in file accessing.\n\nOR\n\nNot a regular file"));
    // A folder that does not exist: nothing can be created.
    result = m_export.Export(SpreadsheetExportTable::Templates(), {{"t"}}, Filter::All,
                             m_dir.filePath(QStringLiteral("missing/out.") + Extension(GetParam())), GetParam());
    EXPECT_EQ(result.outcome, SpreadsheetExport::Result::Outcome::WriteFailed);
    EXPECT_EQ(result.message, SpreadsheetExport::kWriteError);
}

TEST_P(SpreadsheetExportFormats, RunningOutOfRoomFailsAndLeavesNoFile) {
    // A child process whose files may not grow past 64 KB stands in for a full disk: writes fail with EFBIG.
    const QString path = Path(QStringLiteral("full"));
    const QList<QStringList> rows =
        QList<QStringList>(5000, QStringList{QStringLiteral("447700900001"), QString(200, QLatin1Char('m'))});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ScriptedPrompter prompter;
        SpreadsheetExport exporter(prompter);
        QList<QStringList> unique;
        for (int i = 0; i < rows.size(); ++i) // different texts, so the .xls string table grows too
            unique << QStringList{rows[i][0], rows[i][1] + QString::number(i)};
        const SpreadsheetExport::Result result =
            exporter.Export(SpreadsheetExportTable::RecipientList(), unique, Filter::All, path, GetParam());
        const bool expected = result.outcome == SpreadsheetExport::Result::Outcome::WriteFailed &&
                              result.message == SpreadsheetExport::kWriteError;
        ::_exit(expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files), QStringList());
}

// Status rows of a long run; every message differs, so the .xls string table crosses many CONTINUE records
// and the stream outgrows the 109 allocation-table sectors of the compound file header.
QList<QStringList> StatusRows(int count) {
    QList<QStringList> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows << QStringList{QStringLiteral("07%1").arg(700000000 + i),
                            QStringLiteral("Dear customer %1, ").arg(i) + QString(80, QLatin1Char('x')),
                            QStringLiteral("Sent through /dev/ttyUSB0 - Modem"),
                            i % 7 ? QStringLiteral("Message sent successfully.")
                                  : QStringLiteral("Error : +CMS ERROR: 500")};
    return rows;
}

TEST_P(SpreadsheetExportFormats, SeventyThousandStatusRows) {
    const QList<QStringList> rows = StatusRows(70000);
    const SpreadsheetExportTable table = SpreadsheetExportTable::SendingStatus(false);
    const QString path = Path(QStringLiteral("status70k"));
    m_prompter.Script({Prompter::Answer::Yes});
    const SpreadsheetExport::Result result = m_export.Export(table, rows, Filter::All, path, GetParam());
    ASSERT_TRUE(result.Ok()) << result.detail.toStdString();
    EXPECT_EQ(result.rowsWritten, 70000);
    const QList<Sheet> sheets = ReadBack(path);
    if (GetParam() == Format::Xlsx) {
        EXPECT_TRUE(m_prompter.Asked().empty());
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_EQ(sheets[0].count, 70001);
        EXPECT_EQ(sheets[0].sha1, Sha1(QList<QStringList>{table.columns} + rows));
        return;
    }
    // .xls: asked once, then 65,535 + 4,465 rows, each sheet under its own heading row.
    ASSERT_EQ(m_prompter.Asked().size(), 1u);
    EXPECT_EQ(m_prompter.Asked()[0].message, SpreadsheetExport::kSplitQuestion);
    EXPECT_EQ(m_prompter.Asked()[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(m_prompter.Asked()[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(result.sheets, 2);
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].name, QStringLiteral("Sheet1"));
    EXPECT_EQ(sheets[1].name, QStringLiteral("Sheet2"));
    EXPECT_EQ(sheets[0].count, 65536);
    EXPECT_EQ(sheets[1].count, 4466);
    EXPECT_EQ(sheets[0].sha1, Sha1(QList<QStringList>{table.columns} + rows.mid(0, 65535)));
    EXPECT_EQ(sheets[1].sha1, Sha1(QList<QStringList>{table.columns} + rows.mid(65535)));
    EXPECT_EQ(sheets[1].rows.front(), table.columns);
    EXPECT_EQ(sheets[1].rows.back(), rows.back());
    EXPECT_EQ(sheets[0].types, QStringList{QStringLiteral("s")});
}

TEST_P(SpreadsheetExportFormats, DecliningTheSecondSheetKeepsTheFirst) {
    if (GetParam() == Format::Xlsx)
        GTEST_SKIP() << "an .xlsx sheet holds a million rows";
    const QList<QStringList> rows = StatusRows(65536);
    const QString path = Path(QStringLiteral("declined"));
    m_prompter.Script({Prompter::Answer::No});
    const SpreadsheetExport::Result result =
        m_export.Export(SpreadsheetExportTable::SendingStatus(false), rows, Filter::All, path, GetParam());
    ASSERT_TRUE(result.Ok());
    EXPECT_TRUE(result.declinedNextSheet);
    EXPECT_EQ(result.rowsWritten, 65535);
    const QList<Sheet> sheets = ReadBack(path);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].count, 65536);
    // Exactly 65,535 rows need no second sheet and no question.
    m_prompter.Clear();
    ASSERT_TRUE(
        m_export.Export(SpreadsheetExportTable::SendingStatus(false), rows.mid(0, 65535), Filter::All, path, GetParam())
            .Ok());
    EXPECT_TRUE(m_prompter.Asked().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, SpreadsheetExportFormats, ::testing::Values(Format::Xls, Format::Xlsx),
                         [](const auto& param) { return param.param == Format::Xls ? "xls" : "xlsx"; });

TEST(SpreadsheetExport, ExtensionsFiltersAndSheetNames) {
    const struct {
        const char* path;
        Format format;
        const char* result;
    } paths[] = {
        {"/tmp/out", Format::Xls, "/tmp/out.xls"},        {"/tmp/out", Format::Xlsx, "/tmp/out.xlsx"},
        {"/tmp/out.XLS", Format::Xls, "/tmp/out.XLS"},    {"/tmp/out.xls", Format::Xlsx, "/tmp/out.xls.xlsx"},
        {"/tmp/out.xlsx", Format::Xlsx, "/tmp/out.xlsx"},
    };
    for (const auto& p : paths)
        EXPECT_EQ(SpreadsheetExport::PathWithExtension(QString::fromUtf8(p.path), p.format),
                  QString::fromUtf8(p.result));
    EXPECT_EQ(SpreadsheetExport::FormatOfFilterIndex(0), Format::Xls);
    EXPECT_EQ(SpreadsheetExport::FormatOfFilterIndex(1), Format::Xlsx);
    EXPECT_EQ(SpreadsheetExport::FilterFromCode(QStringLiteral("ALL")), Filter::All);
    EXPECT_EQ(SpreadsheetExport::FilterFromCode(QStringLiteral("SUC")), Filter::Successful);
    EXPECT_EQ(SpreadsheetExport::FilterFromCode(QStringLiteral("FAL")), Filter::Failed);
    EXPECT_EQ(SpreadsheetExport::FilterFromCode(QStringLiteral("all")), std::nullopt);
    EXPECT_TRUE(SpreadsheetExport::Passes(Filter::Failed, QStringLiteral("Error : timeout")));
    EXPECT_FALSE(SpreadsheetExport::Passes(Filter::Successful, QStringLiteral("Message sent successfully. ")));
    EXPECT_EQ(SpreadsheetExport::SheetName(2), QStringLiteral("Sheet2"));
}

TEST(SpreadsheetExportXlsx, CharactersXmlCannotCarryAreEscaped) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QStringLiteral("tab\tline\ncr\r"), QStringLiteral("tab\tline\ncr\r")},
        {QStringLiteral("a\u0001b"), QStringLiteral("a_x0001_b")},
        {QStringLiteral("_x0041_"), QStringLiteral("_x005F_x0041_")},
        {QStringLiteral("_x00G1_"), QStringLiteral("_x00G1_")},
        {QString(QChar(0xD800)), QStringLiteral("_xD800_")},
        {QStringLiteral("\U0001F600"), QStringLiteral("\U0001F600")},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(SpreadsheetExportXlsx::EscapeForXml(text), escaped);
}

} // namespace
