// "..." and "Load" of the exclusion list wizard: text files and workbooks into the numbers list.
#include "exclusion/ExclusionNumberImport.h"
#include "fakes/WorkbookTestSupport.h"

#include "exclusion/ExclusionNumberList.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using workbook_test::Choose;

QString DataFile(const char* name) {
    return workbook_test::DataFile(QLatin1String(name));
}

using Kind = ExclusionNumberImport::Kind;

const QString kNothingTaken = QStringLiteral(
    "Either file is corrupted or selected file contains invalid characters.\n\nOR\n\nNumbers are skipped because "
    "of duplicate number already exits in the exclusion list.");

class ExclusionNumberImportTest : public ::testing::Test {
protected:
    QString Put(const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QLatin1String(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // A workbook of our own writer with the columns Number and Message; row 1 is that heading.
    QString Workbook(const char* name, const QList<QStringList>& rows) {
        const QString path = m_dir.filePath(QLatin1String(name));
        const auto written =
            SpreadsheetExport(m_prompter)
                .Export(SpreadsheetExportTable::RecipientList(), rows, SpreadsheetExport::Filter::All, path,
                        path.endsWith(QLatin1String(".xls")) ? SpreadsheetExport::Format::Xls
                                                             : SpreadsheetExport::Format::Xlsx);
        EXPECT_TRUE(written.Ok()) << written.message.toStdString();
        return path;
    }

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    ExclusionNumberList m_list{QStringList{QStringLiteral("0123")}};
    ExclusionNumberImport m_import{m_list, m_prompter};
};

TEST_F(ExclusionNumberImportTest, ChosenFileAndLoadPathChecks) {
    const QString txt = Put("n.TXT", "1");
    const QString xlsx = Put("n.XlsX", "");
    const QString xls = Put("n.xls", "");
    const QString csv = Put("n.csv", "1");
    const QString missing = m_dir.filePath(QStringLiteral("none.txt"));
    const QString valid = QStringLiteral("Please select a valid file.");
    const QString absent = QStringLiteral("File does not exist on selected location.");
    const struct {
        QString path;
        bool chosen;
        QString chosenMessage, chosenCaption;
        std::optional<Kind> load;
        QString loadMessage;
    } cases[] = {
        {txt, true, {}, {}, Kind::Text, {}},
        {xlsx, true, {}, {}, Kind::Workbook, {}},
        {xls, true, {}, {}, Kind::Workbook, {}},
        {csv, false, valid, "Message", std::nullopt, valid},
        {missing, false, absent, "Warning", std::nullopt, "Please select a valid file path."},
        {QString(), false, absent, "Warning", std::nullopt, "Please select a valid file path."},
        {m_dir.path(), false, absent, "Warning", std::nullopt, "Please select a valid file path."},
    };
    for (const auto& c : cases) {
        m_prompter.Clear();
        EXPECT_EQ(m_import.CheckChosenFile(c.path), c.chosen) << c.path.toStdString();
        auto asked = m_prompter.Asked();
        ASSERT_EQ(asked.size(), c.chosen ? 0u : 1u) << c.path.toStdString();
        if (!c.chosen) {
            EXPECT_EQ(asked[0].message, c.chosenMessage);
            EXPECT_EQ(asked[0].caption, c.chosenCaption);
        }
        m_prompter.Clear();
        EXPECT_EQ(m_import.CheckLoadPath(c.path), c.load) << c.path.toStdString();
        EXPECT_EQ(m_prompter.Messages(), c.load ? QStringList() : QStringList{c.loadMessage}) << c.path.toStdString();
    }
}

TEST_F(ExclusionNumberImportTest, TextFiles) {
    // A hyphen inside the first number, a comma, parentheses and a space in the second, LF-only line ends and
    // no final line end; "0123" is listed already and "x1" is no number.
    auto outcome = m_import.RunText(Put("a.txt", "98-7654,(0770) 1\n0123\nx1\n+4412"));
    EXPECT_EQ(outcome.taken, 3);
    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(m_import.Taken(), 3);
    EXPECT_EQ(m_list.Numbers(), QStringList({"987654", "07701", "+4412", "0123"}));
    EXPECT_TRUE(m_prompter.Asked().empty());

    const struct {
        const char* name;
        QByteArray bytes;
        QString message;
        bool refused;
    } refusals[] = {
        {"utf8.txt",
         "\xEF\xBB\xBF"
         "5551",
         "Please select the ANSI encoded text file.", true},
        {"utf16.txt",
         QByteArray("\xFF\xFE"
                    "5\0",
                    4),
         "Please select the ANSI encoded text file.", true},
        {"empty.txt", QByteArray(), "File is empty.", true},
        {"same.txt", "0123\r\n987654\r\n", kNothingTaken, false},
    };
    for (const auto& r : refusals) {
        m_prompter.Clear();
        outcome = m_import.RunText(Put(r.name, r.bytes));
        EXPECT_EQ(outcome.taken, 0) << r.name;
        EXPECT_EQ(outcome.refused, r.refused) << r.name;
        EXPECT_EQ(m_prompter.Messages(), QStringList{r.message}) << r.name;
    }
    EXPECT_EQ(m_list.Count(), 4);

    // A file that vanished between "..." and "Load": its file error text.
    m_prompter.Clear();
    outcome = m_import.RunText(m_dir.filePath(QStringLiteral("gone.txt")));
    EXPECT_TRUE(outcome.refused);
    ASSERT_EQ(m_prompter.Messages().size(), 1);
    EXPECT_TRUE(m_prompter.Messages()[0].startsWith("Error in file accessing."))
        << m_prompter.Messages()[0].toStdString();
}

TEST_F(ExclusionNumberImportTest, WorkbookCellsAreTokensInColumnOrder) {
    const QString path = Workbook("w.xlsx", {{QStringLiteral("+44 (7700) 900-001"), QStringLiteral("111")},
                                             {QStringLiteral("0123"), QStringLiteral("1,2")},
                                             {QString(), QStringLiteral("  222 ")},
                                             {QStringLiteral("abc"), QStringLiteral("+447700900001")}});
    QStringList names;
    ASSERT_TRUE(m_import.ReadSheetNames(path, &names));
    EXPECT_EQ(names, QStringList{QStringLiteral("Sheet1")});
    const auto outcome = m_import.RunWorkbook(path, Choose(1, {{1, true}, {2, true}}));
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(outcome.taken, 3);
    // The headings and "abc" are no numbers, "0123" is listed, "+447700900001" repeats the first cell, and a
    // cell is one token: "1,2" is not split at its comma.
    EXPECT_EQ(m_list.Numbers(), QStringList({"+447700900001", "111", "222", "0123"}));
    EXPECT_TRUE(m_prompter.Asked().empty());

    const auto again = m_import.RunWorkbook(path, Choose(1, {{1, false}, {2, true}}));
    EXPECT_EQ(again.taken, 0);
    EXPECT_EQ(m_prompter.Messages(), QStringList{kNothingTaken});
}

TEST_F(ExclusionNumberImportTest, WorkbookRowsAreNotCapped) {
    QList<QStringList> rows;
    for (int i = 0; i < 60000; ++i)
        rows.append({QStringLiteral("44%1").arg(i, 8, 10, QLatin1Char('0')), QString()});
    const QString path = Workbook("many.xlsx", rows);
    const auto outcome = m_import.RunWorkbook(path, Choose(1, {{1, true}, {2, false}}));
    EXPECT_EQ(outcome.taken, 60000);
    EXPECT_EQ(m_import.Taken(), 60000);
    EXPECT_EQ(m_list.Count(), 60001);
    EXPECT_EQ(m_list.Numbers().at(59999), QStringLiteral("4400059999"));
}

TEST_F(ExclusionNumberImportTest, WorkbookReaderFailures) {
    // Column E holds 50 in row 11; column C holds 12, then #DIV/0! in row 2, which ends the read: the numbers
    // read before it are taken, the error is shown, and no "nothing taken" notice follows any failure.
    auto outcome = m_import.RunWorkbook(DataFile("libreoffice_formulas.xls"), Choose(1, {{5, true}, {3, true}}));
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    EXPECT_EQ(outcome.taken, 2);
    EXPECT_EQ(m_list.Numbers(), QStringList({"50", "12", "0123"}));
    outcome = m_import.RunWorkbook(DataFile("libreoffice_password.xlsx"), Choose(1, {{1, true}}));
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    outcome = m_import.RunWorkbook(DataFile("openpyxl_sheets.xlsx"), Choose(3, {{1, true}})); // the empty sheet
    EXPECT_EQ(outcome.status.error, ReaderError::SheetEmpty);
    const auto asked = m_prompter.Asked();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].caption, "Excel Error");
    EXPECT_EQ(asked[0].message, "Excel Error : File reading process is discarded.");
    EXPECT_EQ(asked[1].message, "Excel Error : File reading process is discarded.");
    EXPECT_EQ(asked[2].message, "Excel sheet is empty.");
    EXPECT_EQ(asked[2].caption, "Message");

    m_prompter.Clear();
    QStringList names;
    EXPECT_FALSE(m_import.ReadSheetNames(m_dir.filePath(QStringLiteral("none.xls")), &names));
    ASSERT_EQ(m_prompter.Messages().size(), 1);
    EXPECT_TRUE(m_prompter.Messages()[0].startsWith("Failed to open Excel file!"));
}

} // namespace
