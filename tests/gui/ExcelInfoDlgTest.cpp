// The sheet and column picker over workbooks written by other programs and by our own writer, and "Load
// Contacts From File" from a workbook: the picker opens window-modal over the main window, and what it hands
// back fills the Recipient list behind the please-wait box.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "excel_import/WorkbookReader.h"
#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/GuiPrompter.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

using Answer = Prompter::Answer;

QString DataWorkbook(const QString& name) {
    return QStringLiteral(BULKSMS_TEST_DATA) + QStringLiteral("/workbooks/") + name;
}

QStringList ItemTexts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<bool> ItemChecks(const QListWidget* list) {
    QList<bool> out;
    for (int i = 0; i < list->count(); ++i)
        out << (list->item(i)->checkState() == Qt::Checked);
    return out;
}

// Chooses the sheet at `position` and waits until its columns are listed.
bool ChooseSheet(CExcel_Info_Dlg* picker, int position) {
    picker->SheetCombo()->setCurrentIndex(position);
    return WaitFor([picker] { return !picker->IsReading(); });
}

class ExcelInfoDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WorkbookReader::ReadSheetNames(m_path, &m_sheets));
        picker = std::make_unique<CExcel_Info_Dlg>(m_path, m_sheets, prompter);
        picker->show();
    }
    int Position(const char* name) const { return static_cast<int>(m_sheets.indexOf(QString::fromUtf8(name))); }

    const QString m_path = DataWorkbook(QStringLiteral("openpyxl_sheets.xlsx"));
    QStringList m_sheets;
    ScriptedPrompter prompter;
    std::unique_ptr<CExcel_Info_Dlg> picker;
};

TEST_F(ExcelInfoDlgTest, OpensWithTheSheetsInOrderAndNothingChosen) {
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Select Excel Sheet To Open"));
    ASSERT_EQ(picker->SheetCombo()->count(), m_sheets.size());
    for (int i = 0; i < m_sheets.size(); ++i) {
        EXPECT_EQ(picker->SheetCombo()->itemText(i), m_sheets.at(i));
        EXPECT_EQ(picker->SheetCombo()->itemData(i).toInt(), i + 1);
    }
    EXPECT_EQ(picker->SheetCombo()->currentIndex(), -1);
    EXPECT_EQ(picker->ColumnList()->count(), 0);
    EXPECT_FALSE(picker->SelectAllCheck()->isChecked());
    EXPECT_EQ(picker->SelectAllCheck()->text(), QStringLiteral("Select All"));
    EXPECT_EQ(picker->OkButton()->text(), QStringLiteral("OK"));
    EXPECT_NE(picker->findChild<QPushButton*>(QStringLiteral("Cancel")), nullptr);
    EXPECT_EQ(picker->focusWidget(), picker->SheetCombo());
    EXPECT_TRUE(prompter.Asked().empty()); // nothing is read before the user chooses
}

TEST_F(ExcelInfoDlgTest, ChosenSheetFillsTheColumnsUncheckedAndOkRefusesUntilOneIsChecked) {
    // OK before any sheet: no column listed; the picker stays open with the focus on the sheets.
    picker->OkButton()->click();
    ASSERT_EQ(prompter.Messages(), QStringList{QStringLiteral("There is no column.\n\nOR\n\nNo column is selected.")});
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Message"));
    EXPECT_EQ(prompter.Asked().back().icon, Prompter::Icon::Information);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->focusWidget(), picker->SheetCombo());

    ASSERT_TRUE(ChooseSheet(picker.get(), Position("Headers")));
    EXPECT_EQ(ItemTexts(picker->ColumnList()),
              QStringList({"Mobile", "Untitled Column 1", "Name", "City", "Untitled Column 2", "Note"}));
    EXPECT_EQ(ItemChecks(picker->ColumnList()), QList<bool>(6, false));
    for (int i = 0; i < picker->ColumnList()->count(); ++i)
        EXPECT_EQ(picker->ColumnList()->item(i)->data(Qt::UserRole).toInt(), i + 1);
    EXPECT_TRUE(picker->SheetCombo()->isEnabled());

    // Nothing checked: refused, the focus on the columns.
    prompter.Clear();
    picker->OkButton()->click();
    EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("No column is selected.")});
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->focusWidget(), picker->ColumnList());

    // "Select All" checks every column; unchecking one clears it, checking it again sets it.
    picker->SelectAllCheck()->click();
    EXPECT_EQ(ItemChecks(picker->ColumnList()), QList<bool>(6, true));
    picker->ColumnList()->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(picker->SelectAllCheck()->isChecked());
    picker->ColumnList()->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(picker->SelectAllCheck()->isChecked());
    picker->SelectAllCheck()->click();
    EXPECT_EQ(ItemChecks(picker->ColumnList()), QList<bool>(6, false));

    picker->ColumnList()->item(0)->setCheckState(Qt::Checked);
    picker->ColumnList()->item(3)->setCheckState(Qt::Checked);
    prompter.Clear();
    picker->OkButton()->click();
    EXPECT_TRUE(prompter.Asked().empty());
    EXPECT_EQ(picker->result(), QDialog::Accepted);
    EXPECT_FALSE(picker->isVisible());
    const ExcelInfoController::Choice& choice = picker->Chosen();
    EXPECT_EQ(choice.sheet, Position("Headers") + 1);
    ASSERT_EQ(choice.columns.size(), 6);
    QList<bool> checks;
    for (const ExcelInfoController::Column& column : choice.columns)
        checks << column.checked;
    EXPECT_EQ(checks, QList<bool>({true, false, false, true, false, false}));
    EXPECT_EQ(choice.columns[3].name, QStringLiteral("City"));
    EXPECT_EQ(choice.columns[3].number, 4);
}

TEST_F(ExcelInfoDlgTest, EmptyAndChartSheetsEmptyTheColumnsWithTheirMessages) {
    ASSERT_TRUE(ChooseSheet(picker.get(), Position("Headers")));
    picker->SelectAllCheck()->click();
    ASSERT_TRUE(ChooseSheet(picker.get(), Position("Empty")));
    EXPECT_EQ(picker->ColumnList()->count(), 0);
    EXPECT_FALSE(picker->SelectAllCheck()->isChecked());
    ASSERT_EQ(prompter.Messages(), QStringList{QStringLiteral("Excel sheet is empty.")});
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Message"));

    ASSERT_TRUE(ChooseSheet(picker.get(), Position("Chart")));
    EXPECT_EQ(picker->ColumnList()->count(), 0);
    ASSERT_EQ(prompter.Asked().size(), 2u);
    EXPECT_TRUE(prompter.Asked().back().message.startsWith(QStringLiteral("Failed to get Excel Worksheet!")));
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Excel Error"));
    EXPECT_EQ(prompter.Asked().back().icon, Prompter::Icon::Error);

    // Choosing a readable sheet again lists its columns afresh, unchecked.
    ASSERT_TRUE(ChooseSheet(picker.get(), Position("AtC3")));
    EXPECT_EQ(ItemTexts(picker->ColumnList()), QStringList({"r1c1", "r1c2", "r1c3"}));
    EXPECT_EQ(ItemChecks(picker->ColumnList()), QList<bool>(3, false));
}

TEST_F(ExcelInfoDlgTest, WhileASheetIsReadThePickerCannotCloseAndTakesALaterChoiceAfterwards) {
    // The read's result comes back through the event loop, so until it is processed the read is running.
    picker->SheetCombo()->setCurrentIndex(Position("Headers"));
    ASSERT_TRUE(picker->IsReading());
    EXPECT_FALSE(picker->SheetCombo()->isEnabled());
    EXPECT_FALSE(picker->OkButton()->isEnabled());
    picker->reject();
    picker->accept();
    EXPECT_TRUE(picker->isVisible());
    EXPECT_TRUE(prompter.Asked().empty());
    picker->SheetCombo()->setCurrentIndex(Position("AtC3")); // moved meanwhile: read when the first read ends
    ASSERT_TRUE(WaitFor([&] { return !picker->IsReading(); }));
    EXPECT_EQ(ItemTexts(picker->ColumnList()), QStringList({"r1c1", "r1c2", "r1c3"}));
    EXPECT_TRUE(picker->SheetCombo()->isEnabled());
    EXPECT_TRUE(picker->OkButton()->isEnabled());

    picker->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    EXPECT_EQ(picker->result(), QDialog::Rejected);
    EXPECT_FALSE(picker->isVisible());
}

TEST_F(ExcelInfoDlgTest, TheReadsNoticeComesUpOverTheOpenPickerAndTheReadEndsOnceItIsAnswered) {
    // With the desktop's prompter the reading thread waits while the user-interface thread shows the box over
    // the window-modal picker; neither may wait for the other.
    GuiPrompter gui;
    CExcel_Info_Dlg modal(m_path, m_sheets, gui);
    modal.open();
    QString boxText;
    bool boxEnabled = false;
    QTimer answer; // the box runs its own event loop; answer it from inside that loop
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxText = box->text();
            boxEnabled = box->isEnabled();
            box->done(QMessageBox::Ok);
        }
    });
    answer.start();
    ASSERT_TRUE(ChooseSheet(&modal, Position("Empty")));
    EXPECT_EQ(boxText, QStringLiteral("Excel sheet is empty."));
    EXPECT_TRUE(boxEnabled);
}

// "Load Contacts From File" with a workbook, from the main window.
class LoadWorkbookContactsTest : public MainWindowFixture {
protected:
    LoadWorkbookContactsTest() { OpenWindow(); }

    // A workbook written by our own exporter: heading row Number, Name, then the rows.
    QString Book(const QString& name, const QList<QStringList>& rows, SpreadsheetExport::Format format) {
        ScriptedPrompter quiet;
        const QString path = m_dir.filePath(name);
        const SpreadsheetExport::Result result = SpreadsheetExport(quiet).Export(
            SpreadsheetExportTable{QStringList{"Number", "Name"}}, rows, SpreadsheetExport::Filter::All, path, format);
        EXPECT_TRUE(result.Ok()) << result.detail.toStdString();
        return path;
    }
    // The picker the main window has open (closed ones wait for deletion), or null.
    CExcel_Info_Dlg* OpenPicker() const {
        for (CExcel_Info_Dlg* picker : window->findChildren<CExcel_Info_Dlg*>()) {
            if (picker->isVisible())
                return picker;
        }
        return nullptr;
    }
    CExcel_Info_Dlg* WaitForPicker() {
        CExcel_Info_Dlg* picker = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (picker = OpenPicker()) != nullptr; }));
        return picker;
    }
    QStringList Numbers() const {
        QStringList out;
        for (const RecipientRow& row : window->List().Rows())
            out << row.number;
        return out;
    }
};

TEST_F(LoadWorkbookContactsTest, ChosenColumnsFillTheListAtTheTopWithTheComposerText) {
    for (const SpreadsheetExport::Format format : {SpreadsheetExport::Format::Xlsx, SpreadsheetExport::Format::Xls}) {
        SCOPED_TRACE(format == SpreadsheetExport::Format::Xlsx ? "xlsx" : "xls");
        static_cast<void>(window->List().RemoveAll());
        static_cast<void>(window->List().AddNumbers(0, {QStringLiteral("+15559990000")}, {}, {}, {}));
        window->RefreshList();
        window->Form().composer->setPlainText(QStringLiteral("Hello"));
        const QString book =
            Book(format == SpreadsheetExport::Format::Xlsx ? QStringLiteral("contacts.xlsx")
                                                           : QStringLiteral("contacts.XLS"), // any letter case
                 {{"+15550001", "Ann"}, {"(555) 000-2", "Bob"}, {"", "nobody"}, {"+15550003", "+15550004"}}, format);

        window->OnLoadContactsFrom(book);
        CExcel_Info_Dlg* picker = WaitForPicker();
        ASSERT_NE(picker, nullptr);
        EXPECT_TRUE(window->IsListBusy()); // nothing else touches the list while the user chooses
        EXPECT_EQ(picker->windowModality(), Qt::WindowModal);
        EXPECT_EQ(picker->SheetCombo()->itemText(0), QStringLiteral("Sheet1"));
        ASSERT_TRUE(ChooseSheet(picker, 0));
        ASSERT_EQ(ItemTexts(picker->ColumnList()), QStringList({"Number", "Name"}));
        picker->SelectAllCheck()->click();
        picker->OkButton()->click();
        ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));

        // Columns left to right, each top to bottom; the heading and the names fail the number check.
        EXPECT_EQ(Numbers(), QStringList({"+15550001", "5550002", "+15550003", "+15550004", "+15559990000"}));
        EXPECT_EQ(window->List().Message(0), QStringLiteral("Hello"));
        EXPECT_EQ(window->List().Message(3), QStringLiteral("Hello"));
        EXPECT_TRUE(prompter.Asked().empty());
        EXPECT_TRUE(window->isEnabled());
        EXPECT_EQ(window->ListModel().rowCount(), 5);
    }
}

TEST_F(LoadWorkbookContactsTest, CancelReaderFailuresAndNothingAddedEndTheImport) {
    const QString book = Book(QStringLiteral("names.xlsx"), {{"Mobile", "Ann"}}, SpreadsheetExport::Format::Xlsx);

    // Cancel in the picker: nothing is read.
    window->OnLoadContactsFrom(book);
    CExcel_Info_Dlg* picker = WaitForPicker();
    ASSERT_NE(picker, nullptr);
    picker->findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_TRUE(window->List().IsEmpty());
    EXPECT_TRUE(prompter.Asked().empty());

    // Only texts that fail the number check: the nothing-added notice.
    window->OnLoadContactsFrom(book);
    picker = WaitForPicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(ChooseSheet(picker, 0));
    picker->ColumnList()->item(0)->setCheckState(Qt::Checked);
    picker->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_TRUE(window->List().IsEmpty());
    ASSERT_EQ(prompter.Messages().size(), 1);
    EXPECT_TRUE(prompter.Messages().back().startsWith(QLatin1String("Either file is corrupted")));

    // A file named like a workbook that is none: the reader's failure, in the Excel error box, and no picker.
    prompter.Clear();
    QFile fake(m_dir.filePath(QStringLiteral("fake.xlsx")));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("these are not the bytes of a workbook");
    fake.close();
    window->OnLoadContactsFrom(fake.fileName());
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(OpenPicker(), nullptr);
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_TRUE(prompter.Asked().back().message.startsWith(QLatin1String("Failed to open Excel file!")));
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Excel Error"));
    EXPECT_EQ(prompter.Asked().back().icon, Prompter::Icon::Error);

    // A missing workbook is refused before anything is read, as a text file is.
    prompter.Clear();
    window->OnLoadContactsFrom(m_dir.filePath(QStringLiteral("missing.xls")));
    EXPECT_FALSE(window->IsListBusy());
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked().back().message, QStringLiteral("File does not exist on selected location."));
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Warning"));
}

TEST_F(LoadWorkbookContactsTest, AnErrorValueInAChosenCellKeepsTheNumbersReadBeforeIt) {
    // Column C of the formulas sheet: 12, then #DIV/0! (see tests/data/workbooks/README.md).
    window->OnLoadContactsFrom(DataWorkbook(QStringLiteral("libreoffice_formulas.xlsx")));
    CExcel_Info_Dlg* picker = WaitForPicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(ChooseSheet(picker, 0));
    ASSERT_GE(picker->ColumnList()->count(), 3);
    picker->ColumnList()->item(2)->setCheckState(Qt::Checked);
    picker->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked().back().message, QStringLiteral("Excel Error : File reading process is discarded."));
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Excel Error"));
    EXPECT_EQ(Numbers(), QStringList{QStringLiteral("12")});
    EXPECT_EQ(window->ListModel().rowCount(), 1);
}

} // namespace
