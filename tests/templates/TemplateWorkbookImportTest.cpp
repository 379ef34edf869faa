// "Import Templates" from workbooks: file checks, the chosen columns into the list and the store, messages.
#include "templates/TemplateWorkbookImport.h"
#include "fakes/WorkbookTestSupport.h"

#include "app/DataPaths.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"
#include "templates/TemplateStore.h"
#include "templates/TemplatesController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

using workbook_test::Choose;

QString DataFile(const char* name) {
    return workbook_test::DataFile(QLatin1String(name));
}

class TemplateWorkbookImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_paths.EnsureDataFiles();
        ASSERT_TRUE(m_templates.Load());
    }
    // The store as a freshly opened window shows it.
    QStringList Stored() const {
        QStringList rows;
        EXPECT_TRUE(TemplateStore(m_paths.TemplatesFile()).Read(&rows, TemplateStore::Duplicates::Exact));
        return rows;
    }

    QTemporaryDir m_dir;
    DataPaths m_paths{m_dir.path()};
    ScriptedPrompter m_prompter;
    TemplatesController m_templates{m_paths, m_prompter};
    TemplateWorkbookImport m_import{m_templates, m_prompter};
};

TEST_F(TemplateWorkbookImportTest, FileChecks) {
    const QString xlsx = m_dir.filePath(QStringLiteral("t.XLSX"));
    const QString csv = m_dir.filePath(QStringLiteral("t.csv"));
    for (const QString& path : {xlsx, csv}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const struct {
        QString path;
        bool accepted;
        QString message;
        QString caption;
    } cases[] = {
        {xlsx, true, {}, {}},
        {csv, false, "Please select a valid file.", "Message"},
        {m_dir.filePath(QStringLiteral("none.xls")), false, "File does not exist on selected location.", "Warning"},
        {m_dir.path(), false, "File does not exist on selected location.", "Warning"},
        {QString(), false, "File does not exist on selected location.", "Warning"},
    };
    for (const auto& c : cases) {
        m_prompter.Clear();
        EXPECT_EQ(m_import.CheckFile(c.path), c.accepted) << c.path.toStdString();
        const auto asked = m_prompter.Asked();
        if (c.accepted) {
            EXPECT_TRUE(asked.empty());
        } else {
            ASSERT_EQ(asked.size(), 1u) << c.path.toStdString();
            EXPECT_EQ(asked[0].message, c.message);
            EXPECT_EQ(asked[0].caption, c.caption);
        }
    }
}

TEST_F(TemplateWorkbookImportTest, CheckedColumnsGoOnTopAndIntoTheStore) {
    ASSERT_TRUE(m_templates.AddNew(QStringLiteral("r2c1")));
    ASSERT_TRUE(m_templates.AddNew(QStringLiteral("kept")));
    QStringList names;
    ASSERT_TRUE(m_import.ReadSheetNames(DataFile("openpyxl_sheets.xlsx"), &names));
    ASSERT_EQ(names.value(0), QStringLiteral("AtC3"));

    // The block at C3: columns 1 and 3 checked, column 2 not; r2c1 is a template already.
    const auto outcome = m_import.Run(DataFile("openpyxl_sheets.xlsx"), Choose(1, {{1, true}, {2, false}, {3, true}}));
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(outcome.added, 5);
    EXPECT_EQ(m_import.Added(), 5);
    const QStringList expected = {"r3c3", "r2c3", "r1c3", "r3c1", "r1c1", "kept", "r2c1"};
    EXPECT_EQ(m_templates.Rows(), expected);
    EXPECT_EQ(Stored(), expected);
    EXPECT_TRUE(m_prompter.Asked().empty());

    // The same again: every text is a template already.
    const auto again = m_import.Run(DataFile("openpyxl_sheets.xlsx"), Choose(1, {{1, true}, {3, true}}));
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(m_import.Added(), 0);
    EXPECT_EQ(m_templates.Rows(), expected);
    EXPECT_EQ(m_prompter.Messages(), QStringList{TemplateWorkbookImport::kNothingAdded});
}

TEST_F(TemplateWorkbookImportTest, CellTextsKeepLinesSpacesAndCaseAndRepeatsCountOnce) {
    // A workbook of our own writer: the heading row is read as data like every other row.
    const QString path = m_dir.filePath(QStringLiteral("own.xls"));
    const QList<QStringList> rows = {
        {QStringLiteral("Two\nlines")},
        {QStringLiteral("  padded ")},
        {QStringLiteral("two\nlines")},
        {QStringLiteral("Two\nlines")},
        {QString()},
        {QStringLiteral("it's |AP*|DX/ not a break")},
    };
    ASSERT_TRUE(SpreadsheetExport(m_prompter)
                    .Export(SpreadsheetExportTable::Templates(), rows, SpreadsheetExport::Filter::All, path,
                            SpreadsheetExport::Format::Xls)
                    .Ok());
    const auto outcome = m_import.Run(path, Choose(1, {{1, true}}));
    EXPECT_TRUE(outcome.status.Ok());
    EXPECT_EQ(outcome.added, 5);
    const QStringList expected = {"it's |AP*|DX/ not a break", "two\nlines", "  padded ", "Two\nlines",
                                  "Template Message"};
    EXPECT_EQ(m_templates.Rows(), expected);
    // The stored marker text comes back as a line break: the store has no escape for it.
    QStringList stored = expected;
    stored[0] = QStringLiteral("it's \n not a break");
    EXPECT_EQ(Stored(), stored);
}

TEST_F(TemplateWorkbookImportTest, ReaderFailuresAreShownAndTextsReadBeforeThemStay) {
    // Column E holds 50 in row 11; column C holds 12, then #DIV/0! in row 2, which ends the read.
    auto outcome = m_import.Run(DataFile("libreoffice_formulas.xlsx"), Choose(1, {{5, true}, {3, true}}));
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    EXPECT_EQ(m_templates.Rows(), QStringList({"12", "50"}));
    EXPECT_EQ(Stored(), QStringList({"12", "50"}));
    ASSERT_EQ(m_prompter.Asked().size(), 1u);
    EXPECT_EQ(m_prompter.Asked()[0].caption, "Excel Error");
    EXPECT_EQ(m_prompter.Asked()[0].message, "Excel Error : File reading process is discarded.");

    m_prompter.Clear();
    outcome = m_import.Run(DataFile("libreoffice_password.xls"), Choose(1, {{1, true}}));
    EXPECT_EQ(outcome.status.error, ReaderError::AutomationError);
    outcome = m_import.Run(DataFile("openpyxl_sheets.xlsx"), Choose(4, {{1, true}})); // the chart sheet
    EXPECT_EQ(outcome.status.error, ReaderError::SheetFailed);
    const QStringList messages = m_prompter.Messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], "Excel Error : File reading process is discarded.");
    EXPECT_TRUE(messages[1].startsWith("Failed to get Excel Worksheet!")) << messages[1].toStdString();
    EXPECT_EQ(m_templates.Rows().size(), 2); // no "nothing added" notice after a failure either

    QStringList names;
    m_prompter.Clear();
    EXPECT_FALSE(m_import.ReadSheetNames(m_dir.filePath(QStringLiteral("none.xlsx")), &names));
    ASSERT_EQ(m_prompter.Asked().size(), 1u);
    EXPECT_TRUE(m_prompter.Asked()[0].message.startsWith("Failed to open Excel file!"));
}

TEST_F(TemplateWorkbookImportTest, UnwritableStoreAddsNothing) {
    ASSERT_TRUE(QFile::remove(m_paths.TemplatesFile()));
    ASSERT_TRUE(QDir().mkpath(m_paths.TemplatesFile())); // a folder where the store should be
    const auto outcome = m_import.Run(DataFile("openpyxl_sheets.xlsx"), Choose(1, {{1, true}}));
    EXPECT_TRUE(outcome.storeFailed);
    EXPECT_EQ(outcome.added, 0);
    EXPECT_TRUE(m_templates.Rows().isEmpty());
    ASSERT_EQ(m_prompter.Messages().size(), 1);
    EXPECT_TRUE(m_prompter.Messages()[0].startsWith("Error in file")) << m_prompter.Messages()[0].toStdString();
}

TEST_F(TemplateWorkbookImportTest, CountIsReadableWhileAWorkerImports) {
    const QString path = m_dir.filePath(QStringLiteral("many.xlsx"));
    QList<QStringList> rows;
    for (int i = 0; i < 20000; ++i)
        rows.append({QStringLiteral("template %1").arg(i)});
    ASSERT_TRUE(SpreadsheetExport(m_prompter)
                    .Export(SpreadsheetExportTable::Templates(), rows, SpreadsheetExport::Filter::All, path,
                            SpreadsheetExport::Format::Xlsx)
                    .Ok());
    std::atomic<bool> done{false};
    qsizetype lastSeen = 0;
    bool neverWentBack = true;
    std::thread worker([&] {
        (void)m_import.Run(path, Choose(1, {{1, true}}));
        done = true;
    });
    while (!done) {
        const qsizetype seen = m_import.Added();
        neverWentBack = neverWentBack && seen >= lastSeen;
        lastSeen = seen;
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_TRUE(neverWentBack);
    EXPECT_EQ(m_import.Added(), 20001);
    EXPECT_EQ(m_templates.Rows().size(), 20001);
    EXPECT_EQ(m_templates.Rows().front(), "template 19999");
    EXPECT_EQ(Stored().size(), 20001);
}

} // namespace
