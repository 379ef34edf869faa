// The Excel import wizard and the exclusion list wizard as the main window opens them: each from its button,
// the wizard from a workbook to personalised rows in the Recipient list, and the exclusion wizard from a new
// list to a send that leaves its numbers out. Questions are answered by the scripted prompter.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "composer/gui/ImportWindows.h"
#include "devices/DeviceRecord.h"
#include "excel_import/gui/CDynamic_Excel_Msg.h"
#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "excel_import/gui/CExl_Msg_EG.h"
#include "excel_import/gui/CLoad_Xl_SMS_Modeless.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/gui/CExclusion_Wizard.h"
#include "exclusion/gui/CUpdate_Ex_Num.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/SendJob.h"
#include "sending/gui/CSMS_Sending.h"
#include "sim/SimModem.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>

namespace {

using Answer = Prompter::Answer;

class ImportWindowsTest : public MainWindowFixture {
protected:
    ImportWindowsTest() { OpenWindow(); }

    template <typename Window> Window* Open() {
        for (Window* w : window->findChildren<Window*>()) {
            if (w->isVisible())
                return w;
        }
        return nullptr;
    }
    void Key(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    QString Book(int rows) {
        QList<QStringList> data;
        for (int i = 1; i <= rows; ++i)
            data << QStringList{QStringLiteral("+4477009%1").arg(i, 5, 10, QLatin1Char('0')),
                                QStringLiteral("Pupil %1").arg(i), QStringLiteral("%1").arg(500 + i)};
        const QString path = m_dir.filePath(QStringLiteral("results.xlsx"));
        EXPECT_TRUE(SpreadsheetExport(prompter)
                        .Export(SpreadsheetExportTable{{QStringLiteral("Mobile"), QStringLiteral("Pupil"),
                                                        QStringLiteral("Marks")}},
                                data, SpreadsheetExport::Filter::All, path, SpreadsheetExport::Format::Xlsx)
                        .Ok());
        return path;
    }
};

TEST_F(ImportWindowsTest, EachWizardOpensFromItsButton) {
    window->Button(ImportWindows::kExcel)->click();
    auto* excel = Open<CDynamic_Excel_Msg>();
    ASSERT_NE(excel, nullptr);
    EXPECT_EQ(excel->windowTitle(), QStringLiteral("Dynamic Message Import Wizard"));
    EXPECT_TRUE(excel->NumberMessageRadio()->isChecked());
    EXPECT_EQ(excel->BackButton()->text(), QStringLiteral("Close"));
    excel->findChild<QPushButton*>(QStringLiteral("Show me an Example"))->click();
    auto* example = excel->findChild<CExl_Msg_EG*>();
    ASSERT_NE(example, nullptr);
    EXPECT_EQ(example->windowTitle(), QStringLiteral("Example of personalized Dynamic Message"));
    example->accept();
    excel->BackButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CDynamic_Excel_Msg>() == nullptr; }));

    window->Button(ImportWindows::kExclusion)->click();
    auto* exclusion = Open<CExclusion_Wizard>();
    ASSERT_NE(exclusion, nullptr);
    EXPECT_EQ(exclusion->windowTitle(), QStringLiteral("Exclusion List Wizard"));
    EXPECT_EQ(exclusion->AvailableView()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("Available Lists"));
    Key(exclusion, Qt::Key_Escape); // Esc closes like Close: nothing unsaved, nothing asked
    ASSERT_TRUE(WaitFor([&] { return Open<CExclusion_Wizard>() == nullptr; }));
    EXPECT_TRUE(prompter.Messages().isEmpty());
}

TEST_F(ImportWindowsTest, TheWizardTurnsAWorkbookIntoPersonalisedRows) {
    window->List().InsertRow(0, QStringLiteral("15550001"), QStringLiteral("old"), {});
    window->RefreshList();
    const QString book = Book(30);
    prompter.Script({Answer::Yes}); // clear the list first
    window->Button(ImportWindows::kExcel)->click();
    EXPECT_EQ(prompter.Messages(), QStringList{Session::kListFillQuestion});
    auto* wizard = Open<CDynamic_Excel_Msg>();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(window->List().Count(), 0);

    wizard->DynamicRadio()->click();
    wizard->ActionButton()->click();
    EXPECT_EQ(wizard->ActionButton()->text(), QStringLiteral("Next"));
    wizard->BrowseTo(book);
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    EXPECT_EQ(wizard->PathField()->text(), book);
    ASSERT_EQ(wizard->SheetCombo()->count(), 1);
    wizard->SheetCombo()->setCurrentIndex(0);
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy() && wizard->ColumnList()->count() == 3; }));
    wizard->ActionButton()->click(); // no number column checked
    EXPECT_EQ(prompter.Messages().last(), ExcelWizardController::kNoNumberColumn);
    EXPECT_EQ(QApplication::focusWidget(), wizard->ColumnList());
    wizard->ColumnList()->item(0)->setCheckState(Qt::Checked);
    wizard->ActionButton()->click();
    EXPECT_EQ(wizard->ActionButton()->text(), QStringLiteral("Finish"));
    ASSERT_EQ(wizard->ColumnTable()->rowCount(), 3);
    EXPECT_EQ(wizard->ColumnTable()->item(1, 2)->text(), QStringLiteral("<COL-2>"));

    // The template: typed text, then two placeholders from the table (Use Column, a double click).
    wizard->TemplateField()->setPlainText(QStringLiteral("Dear parent of "));
    wizard->TemplateField()->moveCursor(QTextCursor::End);
    wizard->ColumnTable()->selectRow(1);
    wizard->UseColumnButton()->click();
    wizard->TemplateField()->insertPlainText(QStringLiteral(": "));
    Q_EMIT wizard->ColumnTable()->cellDoubleClicked(2, 0);
    EXPECT_EQ(wizard->TemplateField()->toPlainText(), QStringLiteral("Dear parent of <COL-2>: <COL-3>"));
    ASSERT_EQ(wizard->PreviewTable()->rowCount(), 5);
    EXPECT_EQ(wizard->PreviewTable()->item(0, 0)->text(), QStringLiteral("+447700900001"));
    EXPECT_EQ(wizard->PreviewTable()->item(0, 1)->text(), QStringLiteral("Dear parent of Pupil 1: 501"));

    // The progress window's last texts, as the wizard closes.
    QStringList progress;
    QObject::connect(wizard, &QDialog::finished, wizard, [&] {
        CLoad_Xl_SMS_Modeless* reading = wizard->ProgressWindow();
        progress << reading->TotalText() << reading->CurrentText() << reading->NumberText();
    });
    wizard->ActionButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CDynamic_Excel_Msg>() == nullptr; }));
    EXPECT_EQ(progress,
              (QStringList{QStringLiteral("Total Records : 31"), QStringLiteral("Currently Reading : 31 / 31 Records"),
                           QStringLiteral("+447700900030")}));
    ASSERT_EQ(window->List().Count(), 30);
    EXPECT_EQ(window->List().Number(29), QStringLiteral("+447700900030"));
    EXPECT_EQ(window->List().Message(29), QStringLiteral("Dear parent of Pupil 30: 530"));
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 30"));
    EXPECT_EQ(window->ListModel().rowCount(), 30);
}

TEST_F(ImportWindowsTest, AStoredListTakesATextFileAndAWorkbookColumnAndIsExported) {
    ExclusionStore& store = window->UserSession().ExclusionFiles();
    ASSERT_TRUE(store.AppendList(QStringLiteral("Staff"), {QStringLiteral("+15550001")}).Ok());
    const QString text = m_dir.filePath(QStringLiteral("more.txt"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("+1555-0002, (555) 0003\n+15550001");
    }
    const QString book = Book(4);

    window->Button(ImportWindows::kExclusion)->click();
    auto* wizard = Open<CExclusion_Wizard>();
    ASSERT_NE(wizard, nullptr);
    wizard->AvailableView()->selectRow(0);
    wizard->Button(QStringLiteral("Update"))->click();
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    EXPECT_EQ(wizard->CountLabel()->text(), QStringLiteral("Total Numbers : 1"));

    // A text file: the numbers it adds go to the top; the one already listed is skipped.
    wizard->ChooseFile(text);
    EXPECT_EQ(wizard->PathField()->text(), text);
    wizard->Button(QStringLiteral("Load"))->click();
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    EXPECT_EQ(wizard->NumbersView()->model()->index(0, 0).data().toString(), QStringLiteral("+15550002"));
    EXPECT_EQ(wizard->CountLabel()->text(), QStringLiteral("Total Numbers : 3"));

    // A workbook: its sheet and number column are chosen in the picker, then read.
    wizard->ChooseFile(book);
    wizard->Button(QStringLiteral("Load"))->click();
    CExcel_Info_Dlg* picker = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (picker = Open<CExcel_Info_Dlg>()) != nullptr; }));
    picker->SheetCombo()->setCurrentIndex(0);
    ASSERT_TRUE(WaitFor([&] { return !picker->IsReading() && picker->ColumnList()->count() == 3; }));
    picker->ColumnList()->item(0)->setCheckState(Qt::Checked);
    picker->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CExcel_Info_Dlg>() == nullptr && !wizard->IsBusy(); }));
    EXPECT_EQ(wizard->CountLabel()->text(), QStringLiteral("Total Numbers : 7"));
    EXPECT_EQ(wizard->NumbersView()->model()->index(0, 0).data().toString(), QStringLiteral("+447700900001"));

    // Exported as text, with the export-finished window.
    wizard->ExportTo(m_dir.filePath(QStringLiteral("staff")), 2);
    COpen_Export_Log* done = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (done = Open<COpen_Export_Log>()) != nullptr; }));
    done->reject();
    QFile exported(m_dir.filePath(QStringLiteral("staff.txt")));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray written = exported.readAll();
    EXPECT_TRUE(written.endsWith("+447700900003\r\n+447700900004\r\n+15550002\r\n5550003\r\n"
                                 "+15550001\r\n\r\n"))
        << written.toStdString();

    prompter.Script({Answer::Yes});
    wizard->Button(QStringLiteral("Save"))->click();
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    EXPECT_EQ(store.LoadList(QStringLiteral("Staff")).lines.size(), 7);
    wizard->Button(QStringLiteral("Close"))->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CExclusion_Wizard>() == nullptr; }));
}

TEST_F(ImportWindowsTest, AnExclusionListMadeInTheWizardKeepsItsNumbersOutOfASend) {
    window->Form().useExclusion->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    const QStringList numbers{QStringLiteral("+15550100"), QStringLiteral("+15550101"), QStringLiteral("+15550102")};
    static_cast<void>(window->List().AddNumbers(0, numbers, QStringLiteral("Hi"), QStringLiteral("Hi"), {}));
    window->RefreshList();

    window->Button(ImportWindows::kExclusion)->click();
    auto* wizard = Open<CExclusion_Wizard>();
    ASSERT_NE(wizard, nullptr);
    wizard->Button(QStringLiteral("Add New"))->click();
    wizard->NameField()->setText(QStringLiteral("Opted out"));
    wizard->Button(QStringLiteral("Next >"))->click();
    EXPECT_EQ(wizard->CurrentListLabel()->text(), QStringLiteral("Currently using exclusion list : Opted out"));
    for (const char* typed : {"+15550101", "+15559999", "+15550102"}) {
        wizard->NumberField()->setText(QString::fromLatin1(typed));
        Key(wizard->NumberField(), Qt::Key_Return); // Enter adds
    }
    EXPECT_TRUE(wizard->NumberField()->text().isEmpty());
    EXPECT_EQ(wizard->CountLabel()->text(), QStringLiteral("Total Numbers : 3"));

    // One number edited, one removed with the Delete key.
    QTableView* view = wizard->NumbersView();
    ASSERT_EQ(view->model()->rowCount(), 3);
    view->setCurrentIndex(view->model()->index(1, 0));
    view->selectRow(1);
    wizard->Button(QStringLiteral("Update Number"))->click();
    auto* edit = wizard->findChild<CUpdate_Ex_Num*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->NumberField()->text(), QStringLiteral("+15559999"));
    edit->NumberField()->setText(QStringLiteral("+15550102"));
    edit->UpdateButton()->click(); // a duplicate: refused, the window stays
    EXPECT_EQ(prompter.Messages().last(), QStringLiteral("Entered number already exists."));
    ASSERT_TRUE(edit->isVisible());
    edit->NumberField()->setText(QStringLiteral("+15550000"));
    edit->UpdateButton()->click();
    EXPECT_EQ(view->model()->index(1, 0).data().toString(), QStringLiteral("+15550000"));
    view->selectRow(1);
    Key(view, Qt::Key_Delete);
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    EXPECT_EQ(view->model()->rowCount(), 2);

    prompter.Script({Answer::Yes});
    wizard->Button(QStringLiteral("Save"))->click();
    ASSERT_TRUE(WaitFor([&] { return !wizard->IsBusy(); }));
    ASSERT_EQ(wizard->AvailableView()->model()->rowCount(), 1);
    wizard->AvailableView()->selectRow(0);
    wizard->Button(QStringLiteral("Add >>"))->click();
    EXPECT_EQ(wizard->AppliedView()->model()->index(0, 0).data().toString(), QStringLiteral("Opted out"));
    prompter.Script({Answer::Yes}); // save the applied lists when closing
    wizard->Button(QStringLiteral("Close"))->click();
    EXPECT_EQ(prompter.Messages().last(), ExclusionWizardController::kUnsavedApplied);
    ASSERT_TRUE(WaitFor([&] { return Open<CExclusion_Wizard>() == nullptr && !window->IsListBusy(); }));
    // "Use Exclusion Rules" is on: the set was rebuilt from the saved lists.
    EXPECT_TRUE(window->UserSession().Exclusion().IsExcluded(u"+15550101"));
    EXPECT_FALSE(window->UserSession().Exclusion().IsExcluded(u"+15550100"));

    // A typed number of the list is refused; a send leaves the list's numbers out.
    window->Form().number->setText(QStringLiteral("+15550102"));
    window->Button(QStringLiteral("Add"))->click();
    EXPECT_EQ(prompter.Messages().last(), QStringLiteral("Entered number is in exclusion list."));
    window->Form().number->clear();

    SimModem modem{SimModem::Options()};
    QString error;
    ASSERT_TRUE(modem.Start(&error)) << error.toStdString();
    DeviceRecord device;
    device.portName = modem.PortName();
    device.displayName = QStringLiteral("Simulated modem");
    device.smsMode = DeviceRecord::kModePdu;
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }));
    CSMS_Sending* sending = window->SendingWindow();
    ASSERT_TRUE(WaitFor([&] { return sending->StatusText() == QLatin1String("Finish."); }, 60000));
    QStringList statuses;
    for (int r = 0; r < sending->Run().Job().RowCount(); ++r)
        statuses << sending->Run().Job().Text(r, SendJob::kStatus);
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Message sent successfully."), QStringLiteral("Excluded."),
                                     QStringLiteral("Excluded.")}));
    EXPECT_EQ(modem.SubmissionCount(), 1);
    ASSERT_TRUE(WaitFor([&] { return sending->StopButton()->text() == QLatin1String("Close"); }));
    sending->StopButton()->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr; }));
}

} // namespace
