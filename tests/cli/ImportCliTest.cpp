// bulksms-cli import and import-excel, run as separate processes over text files and generated workbooks.
#include "fakes/WorkbookTestSupport.h"

#include "CliProcess.h"
#include "composer/ContactTextImport.h"

using namespace workbook_test;

namespace {

// "A", "B", ... for the first 26 columns.
QByteArray Ref(int row, int column) {
    return QByteArray(1, static_cast<char>('A' + column - 1)) + QByteArray::number(row);
}

// One sheet of text cells from row 1, column A; an empty text leaves its cell out.
QByteArray SheetOf(const QList<QStringList>& rows) {
    QByteArray data;
    for (int r = 0; r < rows.size(); ++r) {
        data += "<row r=\"" + QByteArray::number(r + 1) + "\">";
        for (int c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].isEmpty())
                continue;
            data += "<c r=\"" + Ref(r + 1, c + 1) + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                    rows[r][c].toHtmlEscaped().toUtf8() + "</t></is></c>";
        }
        data += "</row>";
    }
    return SheetXml(data);
}

class ImportCli : public CliTest {
protected:
    // A workbook of two sheets: "First" from the rows given, "Second" with one number.
    QString Workbook(const QList<QStringList>& rows, const QString& name = QStringLiteral("book.xlsx")) {
        XlsxParts parts;
        parts.sheets = {{"First", "worksheet", "worksheets/sheet1.xml"},
                        {"Second", "worksheet", "worksheets/sheet2.xml"}};
        parts.parts = {{"xl/worksheets/sheet1.xml", SheetOf(rows)},
                       {"xl/worksheets/sheet2.xml", SheetOf({{QStringLiteral("+15550999")}})}};
        return File(name, parts.Build());
    }
};

} // namespace

TEST_F(ImportCli, TextFileNumbersInFileOrderWithTheComposerText) {
    const QString path = File(QStringLiteral("numbers.TXT"), "0044 123,+4498\r\n\r\n,abc\n+4498\n 555 ");
    CliRun run = RunCli({"import", path, "--message", "Hi\nthere"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines,
              QStringList({"0044123\tHi\\nthere", "+4498\tHi\\nthere", "+4498\tHi\\nthere", "555\tHi\\nthere"}));

    run = RunCli({"import", path, "--skip-duplicates"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines, QStringList({"0044123\t", "+4498\t", "555\t"}));
}

TEST_F(ImportCli, RefusalsEndWithTheirMessageAndExitOne) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString message;
    };
    const std::vector<Case> cases = {
        {"bom.txt", "\xEF\xBB\xBF+15550001\n", ContactTextImport::kNotAnsi},
        {"utf16.txt", QByteArray("\xFF\xFE+\0001\000", 6), ContactTextImport::kNotAnsi},
        {"empty.txt", "", ContactTextImport::kEmpty},
        {"blank.txt", "\r\n\n , \n", ContactTextImport::kNothingAdded},
        {"letters.txt", "Mobile\nabc\n", ContactTextImport::kNothingAdded},
        {"numbers.csv", "+15550001\n", QStringLiteral("Please select a valid file.")},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli({"import", File(QString::fromLatin1(c.name), c.bytes)});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_TRUE(run.lines.isEmpty()) << c.name;
        EXPECT_EQ(run.err.trimmed(), c.message) << c.name;
    }
    const CliRun missing = RunCli({"import", m_dir.filePath(QStringLiteral("gone.txt"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.trimmed(), ContactTextImport::kMissing);
}

TEST_F(ImportCli, WorkbookColumnsLeftToRightEachTopToBottom) {
    const QString book =
        Workbook({{"Mobile", "Name", "Other"}, {"+15550001", "Ann", "+15550003"}, {"+15550002", "Bob", "+15550001"}});
    // Named in any order, taken left to right; the header texts fail the number check.
    CliRun run = RunCli({"import", book, "--columns", "c,1", "--message", "News"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines, QStringList({"+15550001\tNews", "+15550002\tNews", "+15550003\tNews", "+15550001\tNews"}));

    run = RunCli({"import", book, "--columns", "A,C", "--skip-duplicates"});
    EXPECT_EQ(run.lines, QStringList({"+15550001\t", "+15550002\t", "+15550003\t"}));

    run = RunCli({"import", book, "--sheet", "2", "--columns", "A"});
    EXPECT_EQ(run.lines, QStringList({"+15550999\t"}));

    // Only names: nothing is added.
    run = RunCli({"import", book, "--columns", "B"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), ContactTextImport::kNothingAdded);

    run = RunCli({"import", book, "--sheet", "3", "--columns", "A"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("Failed to get Excel Worksheet!"))) << run.err.toStdString();

    const CliRun password = RunCli({"import", DataFile(QStringLiteral("libreoffice_password.xlsx")), "--columns", "A"});
    EXPECT_EQ(password.exitCode, 1);
    EXPECT_FALSE(password.err.isEmpty());
}

TEST_F(ImportCli, UsageErrorsExitTwo) {
    const QString book = Workbook({{"+15550001"}});
    const QString text = File(QStringLiteral("n.txt"), "+15550001\n");
    const std::vector<QStringList> cases = {
        {"import"},
        {"import", book},                    // a workbook needs --columns
        {"import", book, "--columns", "A1"}, // not a column
        {"import", book, "--columns", "0"},  // columns count from 1
        {"import", book, "--columns", "A", "--sheet", "0"},
        {"import", text, "--columns", "A"},                                      // columns are for workbooks
        {"import-excel", book, "--number-column", "A", "--message-column", "B"}, // no sheet
        {"import-excel", book, "--sheet", "1", "--number-column", "A"},          // no message source
        {"import-excel", book, "--sheet", "1", "--number-column", "A", "--message-column", "B", "--template", "x"},
        {"import-excel", book, "--sheet", "1", "--number-column", "A", "--number-column", "C", "--message-column", "B"},
        {"import-excel", book, "--sheet", "1", "--number-column", "K", "--message-column", "B"}, // beyond column 10
        {"import-excel", book, "--sheet", "1", "--message-column", "B"},                         // no number column
    };
    for (const QStringList& args : cases)
        EXPECT_EQ(RunCli(args).exitCode, 2) << args.join(' ').toStdString();
}

TEST_F(ImportCli, NumberAndMessageColumnsRowByRow) {
    const QString longMessage = QString(1700, QLatin1Char('m'));
    const QString book = Workbook({{"Mobile", "Message", "Text"},
                                   {"+15550001", "line1\nline2", "x"},
                                   {"+15550002", longMessage, "y"},
                                   {"+15550001", "again", "z"},
                                   {"not a number", "dropped", "w"}});
    CliRun run = RunCli({"import-excel", book, "--sheet", "1", "--number-column", "A", "--message-column", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.lines.size(), 3);
    EXPECT_EQ(run.lines[0], QStringLiteral("+15550001\tline1\\nline2"));
    EXPECT_EQ(run.lines[1], QStringLiteral("+15550002\t") + QString(1600, QLatin1Char('m')));
    EXPECT_EQ(run.lines[2], QStringLiteral("+15550001\tagain"));

    run = RunCli(
        {"import-excel", book, "--sheet", "1", "--number-column", "A", "--message-column", "C", "--skip-duplicates"});
    EXPECT_EQ(run.lines, QStringList({"+15550001\tx", "+15550002\ty"}));

    run = RunCli({"import-excel", book, "--sheet", "1", "--number-column", "B", "--message-column", "A"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), ContactTextImport::kNothingAdded);

    run = RunCli({"import-excel", File(QStringLiteral("book.txt"), "x"), "--sheet", "1", "--number-column", "A",
                  "--message-column", "B"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), QStringLiteral("Please select a valid file."));
}

TEST_F(ImportCli, TemplateFilledPerRowNumberColumnFirstThenRow) {
    const QString book =
        Workbook({{"Parent", "Name", "Other"}, {"+15550001", "Ann", "+15550011"}, {"+15550002", "", "+15550012"}});
    CliRun run = RunCli({"import-excel", book, "--sheet", "1", "--number-column", "C", "--number-column", "A",
                         "--template", "Dear <COL-2>, <COL-12>|<COL-13>|<col-2>"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines,
              QStringList({"+15550001\tDear Ann, |<COL-13>|<col-2>", "+15550002\tDear , |<COL-13>|<col-2>",
                           "+15550011\tDear Ann, |<COL-13>|<col-2>", "+15550012\tDear , |<COL-13>|<col-2>"}));

    run = RunCli({"import-excel", book, "--sheet", "1", "--number-column", "A", "--template", "  \n "});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), QStringLiteral("Please enter some text message."));
}

TEST_F(ImportCli, ExclusionListsOfTheDataFolderAreApplied) {
    const QString data = m_dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(data));
    const QString excluded = File(QStringLiteral("excluded.txt"), "+15550002\n");
    ASSERT_EQ(RunCli({"exclusion", "--data", data, "--create", "blocked", "--numbers", excluded}).exitCode, 0);
    ASSERT_EQ(RunCli({"exclusion", "--data", data, "--apply", "blocked"}).exitCode, 0);

    const QString book = Workbook({{"+15550001", "a"}, {"+15550002", "b"}});
    CliRun run = RunCli({"import-excel", book, "--sheet", "1", "--number-column", "A", "--message-column", "B",
                         "--exclusion", "--data", data});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines, QStringList({"+15550001\ta"}));

    run = RunCli({"import", File(QStringLiteral("n.txt"), "+15550002,+15550003"), "--exclusion", "--data", data});
    EXPECT_EQ(run.lines, QStringList({"+15550003\t"}));
    // Without the option the list is not consulted.
    run = RunCli({"import", m_dir.filePath(QStringLiteral("n.txt")), "--data", data});
    EXPECT_EQ(run.lines, QStringList({"+15550002\t", "+15550003\t"}));
}

// --country makes one person of one number however it is written, lists the numbers impossible there on stderr
// (kept, or dropped with --drop-impossible), and is remembered by the next command; "" compares texts again.
TEST_F(ImportCli, CountryJoinsNumberFormsListsImpossibleOnesAndIsRemembered) {
    const QString path = File(QStringLiteral("numbers.txt"), "07700 900555,+44 7700-900555,(0044) 7700 900555,12\n");
    CliRun run = RunCli({"import", path, "--skip-duplicates", "--country", "gb"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines, QStringList({"07700900555\t", "12\t"}));
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 of the numbers taken cannot be phone numbers of GB:\n\n12\n")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("They were kept in the list."))) << run.err.toStdString();

    run = RunCli({"import", path, "--skip-duplicates", "--drop-impossible"}); // GB remembered
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines, QStringList({"07700900555\t"}));
    EXPECT_TRUE(run.err.contains(QStringLiteral("They were removed from the list."))) << run.err.toStdString();

    run = RunCli({"import", path, "--skip-duplicates", "--country", ""});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.lines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    run = RunCli({"import", path, "--country", "XX"});
    EXPECT_EQ(run.exitCode, 2);
}
