// The Excel import wizard without a window: its pages and texts, the checks of Browse, Finish and Next in their
// order, the column table, the live preview, and the import into the Recipient list.
#include "fakes/ScriptedPrompter.h"
#include "fakes/WorkbookTestSupport.h"

#include "composer/ContactTextImport.h"
#include "composer/ExcelWizardController.h"
#include "composer/RecipientList.h"
#include "excel_import/ReaderError.h"
#include "exclusion/ExclusionSet.h"
#include "records/SpreadsheetExport.h"

#include <deque>
#include <functional>

using namespace workbook_test;

namespace {

using Field = ExcelWizardController::Field;
using Mode = ExcelWizardController::Mode;
using Answer = Prompter::Answer;

// A runner that keeps the work until the test lets it run, so the test sees the wizard while it is busy.
class HeldRunner {
public:
    WorkRunner Runner() {
        return [this](const QString&, std::function<void()> work, std::function<void()> done) {
            m_held.push_back({std::move(work), std::move(done)});
        };
    }
    bool Pending() const { return !m_held.empty(); }
    // Runs the held work in order, and any work that its `done` starts.
    void RunAll() {
        while (!m_held.empty()) {
            auto [work, done] = std::move(m_held.front());
            m_held.pop_front();
            work();
            done();
        }
    }

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> m_held;
};

class ExcelWizardControllerTest : public ::testing::Test {
protected:
    ExcelWizardControllerTest() {
        wizard.SetTarget(&list, [this] { return options; });
    }

    // A workbook of text cells: each sheet its rows, the first row the heading.
    QString Book(const QString& name, const QList<QStringList>& rows, const QStringList& heading) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(SpreadsheetExport(prompter)
                        .Export(SpreadsheetExportTable{heading}, rows, SpreadsheetExport::Filter::All, path,
                                SpreadsheetExport::Format::Xlsx)
                        .Ok());
        return path;
    }
    // Sheet "Sheet1": Mobile, Name, Second Mobile; rows n numbers 4477009000nn and 4477008000nn.
    QString Contacts(int n) {
        QList<QStringList> rows;
        for (int i = 1; i <= n; ++i)
            rows << QStringList{QStringLiteral("447700900%1").arg(i, 3, 10, QLatin1Char('0')),
                                QStringLiteral("Name %1").arg(i),
                                QStringLiteral("447700800%1").arg(i, 3, 10, QLatin1Char('0'))};
        return Book(QStringLiteral("contacts.xlsx"), rows,
                    {QStringLiteral("Mobile"), QStringLiteral("Name"), QStringLiteral("Second Mobile")});
    }
    // Page 2 with the file chosen and its first sheet read.
    void OpenSheet(Mode mode, const QString& path) {
        wizard.SetMode(mode);
        wizard.Continue();
        wizard.Browse(path);
        runner.RunAll();
        wizard.ChooseSheet(0);
        runner.RunAll();
    }
    QStringList Numbers() const {
        QStringList out;
        for (const RecipientRow& row : list.Rows())
            out << row.number;
        return out;
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    HeldRunner runner;
    RecipientList list;
    NumberCheckOptions options;
    ExcelWizardController wizard{prompter, runner.Runner()};
};

TEST_F(ExcelWizardControllerTest, PagesShowTheirButtonsAndTextsForEachMode) {
    struct Case {
        Mode mode;
        int page;
        const char* action;
        const char* back;
    };
    const Case cases[] = {{Mode::NumberAndMessage, 1, "Continue", "Close"},
                          {Mode::NumberAndMessage, 2, "Finish", "Back"},
                          {Mode::Dynamic, 1, "Continue", "Close"},
                          {Mode::Dynamic, 2, "Next", "Back"},
                          {Mode::Dynamic, 3, "Finish", "Back"}};
    const QString book = Contacts(3);
    for (const Case& c : cases) {
        ExcelWizardController w(prompter, InlineWorkRunner());
        w.SetMode(c.mode);
        if (c.page >= 2)
            w.Continue();
        if (c.page == 3) {
            w.Browse(book);
            w.ChooseSheet(0);
            w.SetChecked(0, true);
            ASSERT_EQ(w.Action(), Field::None);
        }
        ASSERT_EQ(w.Page(), c.page);
        EXPECT_EQ(w.ActionText(), QString::fromLatin1(c.action)) << c.page;
        EXPECT_EQ(w.BackText(), QString::fromLatin1(c.back)) << c.page;
    }
    wizard.Continue();
    EXPECT_EQ(wizard.BrowseText(), ExcelWizardController::kBrowseNumberMessage);
    EXPECT_EQ(wizard.SheetLabel(), QStringLiteral("Please select the sheet containing phone numbers and messages:"));
    EXPECT_EQ(wizard.NumberColumnLabel(), QStringLiteral("Select the column containing phone numbers:"));
    // The mode is chosen on page 1 only.
    wizard.SetMode(Mode::Dynamic);
    EXPECT_EQ(wizard.ImportMode(), Mode::NumberAndMessage);
    EXPECT_TRUE(wizard.Back());
    wizard.SetMode(Mode::Dynamic);
    EXPECT_EQ(wizard.BrowseText(), ExcelWizardController::kBrowseDynamic);
    EXPECT_EQ(wizard.NumberColumnLabel(), QStringLiteral("Please select Column(s) containing Mobile Numbers:"));
    EXPECT_FALSE(wizard.Back()); // "Close" on page 1
    EXPECT_TRUE(prompter.Messages().isEmpty());
}

TEST_F(ExcelWizardControllerTest, BrowseRefusesMissingFilesAndOtherExtensionsAndReadsTheSheetNames) {
    wizard.Continue();
    const QString text = dir.filePath(QStringLiteral("numbers.txt"));
    QFile(text).open(QIODevice::WriteOnly);
    wizard.Browse(dir.filePath(QStringLiteral("gone.xlsx")));
    wizard.Browse(text);
    wizard.Browse(QString()); // the file dialog was cancelled
    const std::vector<ScriptedPrompter::Question> asked = prompter.Asked();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].message, ExcelWizardController::kMissingFile);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(asked[0].icon, Prompter::Icon::Warning);
    EXPECT_EQ(asked[1].message, ExcelWizardController::kInvalidFile);
    EXPECT_EQ(asked[1].caption, QStringLiteral("Message"));
    EXPECT_TRUE(wizard.Path().isEmpty());
    EXPECT_FALSE(runner.Pending());

    const QString book = Contacts(2);
    wizard.Browse(book);
    EXPECT_EQ(wizard.Path(), book);
    EXPECT_TRUE(wizard.IsBusy());
    runner.RunAll();
    EXPECT_EQ(wizard.Sheets(), QStringList{QStringLiteral("Sheet1")});
    wizard.ChooseSheet(0);
    runner.RunAll();
    ASSERT_EQ(wizard.Columns().size(), 3);
    EXPECT_EQ(wizard.Columns().at(2).name, QStringLiteral("Second Mobile"));
    EXPECT_EQ(wizard.Columns().at(2).placeholder, QStringLiteral("<COL-3>"));
    EXPECT_EQ(wizard.NumberColumnPosition(), -1); // nothing chosen until the user picks
}

TEST_F(ExcelWizardControllerTest, FinishChecksTheChoicesInOrderAndStopsAtTheFirst) {
    const QString book = Contacts(3);
    const QString damaged = dir.filePath(QStringLiteral("damaged.xlsx"));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a workbook");
    }
    // Sheet 2 of this one is empty.
    const QString twoSheets = dir.filePath(QStringLiteral("two.xlsx"));
    {
        XlsxParts parts;
        parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"},
                        {"Empty", "worksheet", "worksheets/sheet2.xml"}};
        parts.parts = {{"xl/worksheets/sheet1.xml", SheetXml("<row r=\"1\"><c r=\"A1\"><v>4477001</v></c></row>")},
                       {"xl/worksheets/sheet2.xml", SheetXml("")}};
        QFile file(twoSheets);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(parts.Build());
    }
    struct Case {
        std::function<void(ExcelWizardController&)> setUp;
        QString message;
        Field field;
    };
    const std::vector<Case> cases = {
        {[](ExcelWizardController&) {}, ExcelWizardController::kNoPath, Field::Path},
        {[&](ExcelWizardController& w) { w.Browse(damaged); }, ExcelWizardController::kNoSheets, Field::Path},
        {[&](ExcelWizardController& w) { w.Browse(book); }, ExcelWizardController::kNoSheetChosen, Field::Sheet},
        {[&](ExcelWizardController& w) {
             w.Browse(twoSheets);
             w.ChooseSheet(1);
         },
         ExcelWizardController::kNoColumns, Field::NumberColumn},
        {[&](ExcelWizardController& w) {
             w.Browse(book);
             w.ChooseSheet(0);
         },
         ExcelWizardController::kNoNumberColumn, Field::NumberColumn},
        {[&](ExcelWizardController& w) {
             w.Browse(book);
             w.ChooseSheet(0);
             w.SetNumberColumn(0);
         },
         ExcelWizardController::kNoMessageColumn, Field::MessageColumn},
    };
    for (const Case& c : cases) {
        ScriptedPrompter asked;
        RecipientList rows;
        ExcelWizardController w(asked, InlineWorkRunner());
        w.SetTarget(&rows, {});
        w.Continue();
        c.setUp(w);
        EXPECT_EQ(w.Action(), c.field) << c.message.toStdString();
        ASSERT_FALSE(asked.Messages().isEmpty());
        EXPECT_EQ(asked.Messages().last(), c.message);
        EXPECT_EQ(asked.Asked().back().caption, QStringLiteral("Message"));
        EXPECT_EQ(w.Page(), 2);
        EXPECT_FALSE(w.IsFinished());
        EXPECT_EQ(rows.Count(), 0);
    }
}

TEST_F(ExcelWizardControllerTest, NumbersAndMessagesGoToTheTopInSheetOrderAndTheWizardFinishes) {
    list.InsertRow(0, QStringLiteral("15550001"), QStringLiteral("already there"), {});
    const QString book = Contacts(3);
    OpenSheet(Mode::NumberAndMessage, book);
    wizard.SetNumberColumn(0);
    wizard.SetMessageColumn(1);
    EXPECT_EQ(wizard.Action(), Field::None);
    EXPECT_TRUE(wizard.IsImporting());
    runner.RunAll();
    EXPECT_TRUE(wizard.IsFinished());
    EXPECT_FALSE(wizard.IsBusy());
    EXPECT_EQ(wizard.AddedRows(), 3);
    EXPECT_EQ(Numbers(), (QStringList{QStringLiteral("447700900001"), QStringLiteral("447700900002"),
                                      QStringLiteral("447700900003"), QStringLiteral("15550001")}));
    EXPECT_EQ(list.Message(1), QStringLiteral("Name 2"));
    // The heading row failed the number check silently; the last record is the progress window's.
    EXPECT_TRUE(prompter.Messages().isEmpty());
    const ExcelImportProgress::State state = wizard.Progress().Snapshot();
    EXPECT_EQ(state.TotalText(), QStringLiteral("Total Records : 4"));
    EXPECT_EQ(state.CurrentText(), QStringLiteral("Currently Reading : 4 / 4 Records"));
    EXPECT_EQ(state.number, QStringLiteral("447700900003"));
    EXPECT_EQ(state.taken, 3);
}

TEST_F(ExcelWizardControllerTest, NothingAddedIsToldAndTheWizardStillFinishes) {
    const QString book = Contacts(2);
    options.skipDuplicates = true;
    for (int round = 0; round < 2; ++round) {
        ExcelWizardController w(prompter, InlineWorkRunner());
        w.SetTarget(&list, [this] { return options; });
        w.Continue();
        w.Browse(book);
        w.ChooseSheet(0);
        w.SetNumberColumn(0);
        w.SetMessageColumn(1);
        EXPECT_EQ(w.Action(), Field::None);
        EXPECT_TRUE(w.IsFinished());
    }
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(prompter.Messages(), QStringList{ContactTextImport::kNothingAdded});
}

TEST_F(ExcelWizardControllerTest, AReaderFailureKeepsTheWizardOpenWithTheRowsReadBeforeIt) {
    const QString book = dir.filePath(QStringLiteral("errors.xlsx"));
    {
        // Row 3's message cell holds an error value.
        XlsxParts parts;
        parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"}};
        parts.parts = {{"xl/worksheets/sheet1.xml",
                        SheetXml("<row r=\"1\"><c r=\"A1\"><v>447700900001</v></c><c r=\"B1\" t=\"inlineStr\"><is>"
                                 "<t>one</t></is></c></row><row r=\"2\"><c r=\"A2\"><v>447700900002</v></c><c "
                                 "r=\"B2\" t=\"e\"><v>#DIV/0!</v></c></row>")}};
        QFile file(book);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(parts.Build());
    }
    OpenSheet(Mode::NumberAndMessage, book);
    wizard.SetNumberColumn(0);
    wizard.SetMessageColumn(1);
    wizard.Action();
    runner.RunAll();
    EXPECT_FALSE(wizard.IsFinished());
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_EQ(Numbers(), QStringList{QStringLiteral("447700900001")});
    const std::vector<ScriptedPrompter::Question> asked = prompter.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, QStringLiteral("Excel Error : File reading process is discarded."));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Excel Error"));
}

TEST_F(ExcelWizardControllerTest, DynamicMessagesOverTwoNumberColumnsGoColumnFirstThenRow) {
    const QString book = Contacts(2);
    OpenSheet(Mode::Dynamic, book);
    EXPECT_EQ(wizard.Action(), Field::ColumnList);
    EXPECT_EQ(prompter.Messages().last(), ExcelWizardController::kNoNumberColumn);
    wizard.SetAllChecked(true);
    EXPECT_TRUE(wizard.AllChecked());
    wizard.SetChecked(1, false); // the Name column
    EXPECT_FALSE(wizard.AllChecked());
    EXPECT_EQ(wizard.Action(), Field::None);
    ASSERT_EQ(wizard.Page(), 3);
    EXPECT_TRUE(wizard.Template().isEmpty());

    EXPECT_EQ(wizard.Action(), Field::Template);
    EXPECT_EQ(prompter.Messages().last(), ExcelWizardController::kNoTemplate);
    wizard.SetTemplate(QStringLiteral("  \t\n"));
    EXPECT_EQ(wizard.Action(), Field::Template);
    EXPECT_FALSE(wizard.PlaceholderOfRow(-1));
    EXPECT_EQ(prompter.Messages().last(), ExcelWizardController::kNoTableRow);
    EXPECT_EQ(wizard.PlaceholderOfRow(1), QStringLiteral("<COL-2>"));

    wizard.SetTemplate(QStringLiteral("Hello <COL-2>"));
    EXPECT_EQ(wizard.Action(), Field::None);
    runner.RunAll();
    EXPECT_TRUE(wizard.IsFinished());
    EXPECT_EQ(Numbers(), (QStringList{QStringLiteral("447700900001"), QStringLiteral("447700900002"),
                                      QStringLiteral("447700800001"), QStringLiteral("447700800002")}));
    EXPECT_EQ(list.Message(0), QStringLiteral("Hello Name 1"));
    EXPECT_EQ(list.Message(3), QStringLiteral("Hello Name 2"));
    EXPECT_EQ(wizard.Progress().Snapshot().TotalText(), QStringLiteral("Total Records : 6"));
}

TEST_F(ExcelWizardControllerTest, BackFromTheTemplateKeepsTheChoicesAndChangesTheLabel) {
    OpenSheet(Mode::Dynamic, Contacts(1));
    wizard.SetChecked(0, true);
    wizard.Action();
    wizard.SetTemplate(QStringLiteral("typed"));
    EXPECT_TRUE(wizard.Back());
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_EQ(wizard.NumberColumnLabel(), QStringLiteral("Please select Column(s) containing Mobile Number :"));
    EXPECT_TRUE(wizard.IsChecked(0));
    wizard.Action();
    EXPECT_EQ(wizard.Page(), 3);
    EXPECT_TRUE(wizard.Template().isEmpty()); // Next starts a new template
    // Back twice: page 1, the file and its pickers forgotten.
    wizard.Back();
    wizard.Back();
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_TRUE(wizard.Path().isEmpty());
    EXPECT_TRUE(wizard.Sheets().isEmpty());
    EXPECT_TRUE(wizard.Columns().isEmpty());
}

TEST_F(ExcelWizardControllerTest, OnlyTheFirstTenColumnsAreOffered) {
    QStringList heading;
    QStringList row;
    for (int c = 1; c <= 12; ++c) {
        heading << QStringLiteral("H%1").arg(c);
        row << QStringLiteral("%1").arg(c);
    }
    OpenSheet(Mode::Dynamic, Book(QStringLiteral("wide.xlsx"), {row}, heading));
    ASSERT_EQ(wizard.Columns().size(), 10);
    EXPECT_EQ(wizard.Columns().last().name, QStringLiteral("H10"));
}

TEST_F(ExcelWizardControllerTest, ThePreviewShowsTheFirstMessagesTheImportWouldAdd) {
    list.InsertRow(0, QStringLiteral("447700900002"), {}, {});
    ExclusionSet excluded;
    excluded.Add(u"447700900004");
    options.skipDuplicates = true;
    options.useExclusionRules = true;
    options.exclusionSet = &excluded;
    OpenSheet(Mode::Dynamic, Contacts(9));
    wizard.SetChecked(0, true);
    wizard.Action();
    EXPECT_TRUE(wizard.Preview().isEmpty()); // no template yet
    wizard.SetTemplate(QStringLiteral("Dear <COL-2>, <COL-12>!"));
    // The heading fails the number check, row 2 is a duplicate and row 4 excluded.
    const QList<ExcelWizardController::PreviewRow> preview = wizard.Preview();
    const QList<ExcelWizardController::PreviewRow> expected = {
        {QStringLiteral("447700900001"), QStringLiteral("Dear Name 1, !")},
        {QStringLiteral("447700900003"), QStringLiteral("Dear Name 3, !")},
        {QStringLiteral("447700900005"), QStringLiteral("Dear Name 5, !")},
        {QStringLiteral("447700900006"), QStringLiteral("Dear Name 6, !")},
        {QStringLiteral("447700900007"), QStringLiteral("Dear Name 7, !")}};
    EXPECT_EQ(preview, expected);
    // A long message is cut as the import stores it.
    wizard.SetTemplate(QString(2000, QLatin1Char('x')));
    EXPECT_EQ(wizard.Preview(1).first().message.size(), ExcelMessageImport::kMaxMessageChars);
    EXPECT_EQ(list.Count(), 1); // the preview adds nothing
}

TEST_F(ExcelWizardControllerTest, ActionsWaitWhileWorkRuns) {
    wizard.Continue();
    wizard.Browse(Contacts(1));
    ASSERT_TRUE(wizard.IsBusy());
    EXPECT_EQ(wizard.Action(), Field::None);
    EXPECT_TRUE(wizard.Back());
    wizard.ChooseSheet(0);
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_TRUE(prompter.Messages().isEmpty());
    runner.RunAll();
    EXPECT_FALSE(wizard.IsBusy());
    EXPECT_EQ(wizard.SheetPosition(), -1);
}

TEST(ExcelWizardExample, TheResultIsTheTemplateFilledFromOneRow) {
    const QString result = ExcelWizardController::ExampleResult();
    EXPECT_FALSE(result.contains(QStringLiteral("<COL-")));
    EXPECT_TRUE(result.contains(QStringLiteral("studying in VII C has Passed by obtaining 564 marks out of 600")));
    EXPECT_TRUE(result.endsWith(QStringLiteral("Regards\n\nXYZ School\n")));
    EXPECT_TRUE(ExcelWizardController::kExampleSheet.contains(QStringLiteral("Column 8: Passed/Failed Status\n")));
}

} // namespace
