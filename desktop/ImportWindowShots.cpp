#include "ImportWindowShots.h"

#include "app/FileOpener.h"
#include "composer/ExcelImportProgress.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "excel_import/gui/CDynamic_Excel_Msg.h"
#include "excel_import/gui/CExl_Msg_EG.h"
#include "excel_import/gui/CLoad_Xl_SMS_Modeless.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/gui/CExclusion_Wizard.h"
#include "exclusion/gui/CUpdate_Ex_Num.h"
#include "records/SpreadsheetExport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QThread>

namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// A school's results, as the example window describes them: parent's mobile, parent's name, pupil, class,
// section, total marks, marks obtained, status.
QString ResultsBook(Prompter& prompter, const QString& dataDir) {
    const QStringList parents = {QStringLiteral("Mr. Robert Brown"), QStringLiteral("Mrs. Anna Novak"),
                                 QStringLiteral("Mr. Kenji Sato"),   QStringLiteral("Ms. Laura Rossi"),
                                 QStringLiteral("Mr. Omar Haddad"),  QStringLiteral("Mrs. Priya Nair")};
    const QStringList pupils = {QStringLiteral("Emily Brown"), QStringLiteral("Jakub Novak"),
                                QStringLiteral("Yui Sato"),    QStringLiteral("Marco Rossi"),
                                QStringLiteral("Sara Haddad"), QStringLiteral("Arjun Nair")};
    QList<QStringList> rows;
    for (int i = 0; i < 40; ++i) {
        const int marks = 380 + (i * 37) % 220;
        rows << QStringList{QStringLiteral("+1555030%1").arg(i, 4, 10, QLatin1Char('0')),
                            parents.at(i % parents.size()),
                            pupils.at(i % pupils.size()),
                            QStringLiteral("VII"),
                            QString(QChar(u'A' + i % 3)),
                            QStringLiteral("600"),
                            QString::number(marks),
                            marks >= 400 ? QStringLiteral("Passed") : QStringLiteral("Failed")};
    }
    const QString path = QDir(dataDir).filePath(QStringLiteral("results.xlsx"));
    const SpreadsheetExportTable table{{QStringLiteral("Parent Mobile"), QStringLiteral("Parent Name"),
                                        QStringLiteral("Student Name"), QStringLiteral("Class"),
                                        QStringLiteral("Section"), QStringLiteral("Total Marks"),
                                        QStringLiteral("Marks Obtained"), QStringLiteral("Status")}};
    const bool ok = SpreadsheetExport(prompter)
                        .Export(table, rows, SpreadsheetExport::Filter::All, path, SpreadsheetExport::Format::Xlsx)
                        .Ok();
    return ok ? path : QString();
}

// Saves the window under another name (one per page).
void SaveAs(QWidget* window, const QString& name, const std::function<void(QWidget*)>& save) {
    const QString own = window->objectName();
    window->setObjectName(name);
    save(window);
    window->setObjectName(own);
}

void ExcelWizard(CVRIX_Bulk_SMSDlg& main, Prompter& prompter, const QString& book,
                 const std::function<void(QWidget*)>& save, const std::function<void(const char*)>& fail) {
    {
        CDynamic_Excel_Msg wizard(prompter, &main);
        wizard.DynamicRadio()->setChecked(true);
        save(&wizard);
        // Page 2, numbers and messages.
        wizard.NumberMessageRadio()->setChecked(true);
        wizard.ActionButton()->click();
        wizard.BrowseTo(book);
        wizard.show();
        if (!WaitUntil([&] { return !wizard.IsBusy(); }))
            fail("wizard sheet names");
        wizard.SheetCombo()->setCurrentIndex(0);
        if (!WaitUntil([&] { return !wizard.IsBusy() && wizard.NumberCombo()->count() > 0; }))
            fail("wizard columns");
        wizard.NumberCombo()->setCurrentIndex(0);
        wizard.MessageCombo()->setCurrentIndex(2);
        SaveAs(&wizard, QStringLiteral("CDynamic_Excel_Msg_2_numbers_and_messages"), save);
        wizard.hide();
    }
    CDynamic_Excel_Msg wizard(prompter, &main);
    CVRIX_Bulk_SMSDlg* target = &main;
    wizard.SetTarget(&main.List(), [target] { return target->UserSession().CheckOptions(); });
    wizard.DynamicRadio()->setChecked(true);
    wizard.ActionButton()->click();
    wizard.BrowseTo(book);
    wizard.show();
    if (!WaitUntil([&] { return !wizard.IsBusy(); }))
        fail("wizard sheet names");
    wizard.SheetCombo()->setCurrentIndex(0);
    if (!WaitUntil([&] { return !wizard.IsBusy() && wizard.ColumnList()->count() > 0; }))
        fail("wizard columns");
    wizard.ColumnList()->item(0)->setCheckState(Qt::Checked);
    SaveAs(&wizard, QStringLiteral("CDynamic_Excel_Msg_2_dynamic"), save);
    wizard.ActionButton()->click();
    wizard.TemplateField()->setPlainText(QStringLiteral(
        "Dear <COL-2> ,\nThis is to inform you that <COL-3> , studying in <COL-4> <COL-5> has <COL-8> by obtaining "
        "<COL-7> marks out of <COL-6> in monthly tests.\nRegards\n\nXYZ School"));
    wizard.ColumnTable()->selectRow(2);
    SaveAs(&wizard, QStringLiteral("CDynamic_Excel_Msg_3_template"), save);
    wizard.hide();

    CExl_Msg_EG example(&main);
    save(&example);
    example.hide();

    ExcelImportProgress progress;
    progress.Started(40);
    progress.RowRead(17, 40, QStringLiteral("+15550300016"),
                     ExcelMessageImport::Preview(QStringLiteral(
                         "Dear Mr. Robert Brown ,\nThis is to inform you that Emily Brown , studying in VII B has "
                         "Passed by obtaining 572 marks out of 600 in monthly tests.\nRegards\n\nXYZ School")),
                     true);
    CLoad_Xl_SMS_Modeless reading(progress, &main);
    reading.Start(nullptr);
    save(&reading);
    reading.Stop();
}

void ExclusionWizard(CVRIX_Bulk_SMSDlg& main, Prompter& prompter, const std::function<void(QWidget*)>& save,
                     const std::function<void(const char*)>& fail) {
    ExclusionStore& store = main.UserSession().ExclusionFiles();
    QStringList customers;
    for (int i = 0; i < 1000; ++i)
        customers << QStringLiteral("+1555040%1").arg(i, 4, 10, QLatin1Char('0'));
    if (!store.AppendList(QStringLiteral("Customer Care Team"), customers).Ok() ||
        !store.AppendList(QStringLiteral("Administration"), {QStringLiteral("+15550500001")}).Ok() ||
        !store.AppendList(QStringLiteral("Opted out"), {QStringLiteral("+15550600001")}).Ok() ||
        !store.SaveApplied({QStringLiteral("Administration"), QStringLiteral("Opted out")}).Ok())
        fail("sample exclusion lists");
    FileOpener opener(prompter, [](const QString&) { return true; });
    CExclusion_Wizard wizard(store, prompter, opener, &main);
    wizard.AvailableView()->selectRow(0);
    save(&wizard);
    wizard.Button(QStringLiteral("Add New"))->click();
    wizard.NameField()->setText(QStringLiteral("Sales Team members"));
    SaveAs(&wizard, QStringLiteral("CExclusion_Wizard_2_name"), save);
    wizard.Button(QStringLiteral("< Back"))->click();
    wizard.AvailableView()->selectRow(0);
    wizard.Button(QStringLiteral("Update"))->click();
    if (!WaitUntil([&] { return !wizard.IsBusy() && wizard.NumbersView()->model()->rowCount() == 1000; }))
        fail("exclusion numbers");
    wizard.NumbersView()->selectRow(3);
    SaveAs(&wizard, QStringLiteral("CExclusion_Wizard_3_numbers"), save);
    CUpdate_Ex_Num edit(wizard.Controller(), 3, customers.at(3), &wizard);
    save(&edit);
    edit.hide();
    wizard.hide();
}

} // namespace

void ImportWindowShots::Take(CVRIX_Bulk_SMSDlg& main, Prompter& prompter, const QString& dataDir,
                             const std::function<void(QWidget*)>& save, const std::function<void(const char*)>& fail) {
    const QString book = ResultsBook(prompter, dataDir);
    if (book.isEmpty())
        fail("sample results workbook");
    else
        ExcelWizard(main, prompter, book, save, fail);
    ExclusionWizard(main, prompter, save, fail);
}
