// The sent items and templates windows, Help and About, reached from the main window's buttons: the wiring of
// each command to its controller (the controllers' rules are tested headless).

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/AppShell.h"
#include "app/UserGuide.h"
#include "app/gui/CAboutDlg.h"
#include "composer/gui/RecordsWindows.h"
#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "fakes/FileBytes.h"
#include "records/SentItemsExport.h"
#include "records/InboxStore.h"
#include "records/gui/CExport_Option.h"
#include "records/gui/CInbox.h"
#include "exclusion/gui/COptOut_Settings.h"
#include "exclusion/OptOutSettings.h"
#include <QComboBox>
#include "records/gui/COpen_Export_Log.h"
#include "records/gui/CSent_Items.h"
#include "sending/gui/CStatus_Export_Opt.h"
#include "templates/TemplateStore.h"
#include "templates/gui/CUpdateTemp.h"
#include "templates/gui/CViewTemplates.h"
#include "ui/ComposerEdit.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

#include <functional>

namespace {

using FileBytes::ReadAll;

// Answers the modal window of type W that a command is about to exec(): `answer` runs on it from a timer once it
// is the active modal window.
template <typename W> void WhenModal(std::function<void(W*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget()); w != nullptr && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}

// The open window of that class over the main window, or null.
template <typename W> W* Open(QWidget* parent) {
    for (W* w : parent->findChildren<W*>()) {
        if (w->isVisible())
            return w;
    }
    return nullptr;
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

QString Utf16Text(const QByteArray& bytes) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

class RecordsWindowsTest : public MainWindowFixture {
protected:
    RecordsWindowsTest() {
        OpenWindow();
        m_records = window->findChild<RecordsWindows*>();
        EXPECT_NE(m_records, nullptr);
        m_records->SetLauncher([this](const QString& path) {
            m_launched << path;
            return true;
        });
        FileChooser chooser;
        chooser.save = [this](QWidget*, const QString&, const QString& filters, QString* selected) {
            m_filters << filters;
            if (!m_saveFilter.isEmpty())
                *selected = m_saveFilter;
            return m_savePath;
        };
        chooser.open = [this](QWidget*, const QString&, const QString& filters, QString*) {
            m_filters << filters;
            return m_openPath;
        };
        m_records->SetFileChooser(chooser);
    }

    Session& S() { return window->UserSession(); }

    RecordsWindows* m_records = nullptr;
    QStringList m_launched;
    QStringList m_filters;
    QString m_savePath;
    QString m_saveFilter;
    QString m_openPath;
};

TEST_F(RecordsWindowsTest, HelpOpensTheUserGuideAndAboutShowsNameAndVersion) {
    window->Button(QStringLiteral("Help"))->click();
    ASSERT_EQ(m_launched.size(), 1);
    EXPECT_TRUE(m_launched.front().endsWith(QLatin1String("/") + UserGuide::kFileName));
    EXPECT_TRUE(prompter.Asked().empty());

    window->Button(QStringLiteral("About Us"))->click();
    CAboutDlg* about = Open<CAboutDlg>(window.get());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About VRIX Bulk SMS"));
    EXPECT_EQ(about->NameLabel()->text(), AppShell::kProductName);
    EXPECT_EQ(about->VersionLabel()->text(), QStringLiteral("Version ") + AppShell::Version());
    about->accept();
    EXPECT_TRUE(WaitFor([&] { return Open<CAboutDlg>(window.get()) == nullptr; }));
}

TEST_F(RecordsWindowsTest, SentItemsSelectDetailsDeleteCopyToComposerAndExport) {
    const auto record = [](const char* number, const char* message, const char* date, const char* status) {
        return SentItemRecord{QString::fromUtf8(number), QString::fromUtf8(message), QString::fromUtf8(date),
                              QString::fromUtf8(status)};
    };
    ASSERT_TRUE(S().SentItems().Rewrite({
        record("+4401", "hello", "04/03/2024", "Message sent successfully."),
        record("+4402", "two\nlines", "05/03/2024", "Error : +CMS ERROR: 38"),
        record("+4403", "third", "05/03/2024", "Message sent successfully."),
        record("+4404", "fourth", "06/03/2024", "Error : +CMS ERROR: 500"),
        record("+4405", "fifth", "07/03/2024", "Message sent to device."),
    }));
    static_cast<void>(window->List().AddNumbers(0, {QStringLiteral("+4499")}, QStringLiteral("old"), {}, {}));
    window->RefreshList();

    window->Button(QStringLiteral("Sent Items"))->click();
    CSent_Items* sent = Open<CSent_Items>(window.get());
    ASSERT_NE(sent, nullptr);
    ASSERT_TRUE(WaitFor([&] { return sent->IsLoaded() && !sent->IsBusy(); }));
    EXPECT_EQ(sent->windowTitle(), QStringLiteral("Sent Items"));
    EXPECT_EQ(sent->TotalLabel()->text(), QStringLiteral("Total Items : 5"));
    QTableView* list = sent->List();
    ASSERT_EQ(list->model()->rowCount(), 5);
    EXPECT_EQ(list->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Status"));
    EXPECT_GE(list->columnWidth(0), 100); // wider where the font needs it for a whole number

    // Select: the details of the focused entry and the count.
    list->setCurrentIndex(list->model()->index(1, 0));
    list->selectRow(1);
    EXPECT_EQ(sent->Details()->toPlainText(),
              QString(sent->Controller().DetailsText(1)).replace(QLatin1String("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(sent->Details()->toPlainText().startsWith(QLatin1String("Number\t:  +4402")));
    EXPECT_EQ(sent->SelectedLabel()->text(), QStringLiteral("Selected Items : 1"));
    Key(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(sent->SelectedLabel()->text(), QStringLiteral("Selected Items : 5"));

    // Copy the first two entries to the composer, appending to the row already there.
    list->clearSelection();
    list->selectRow(0);
    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    prompter.Script({Prompter::Answer::No});
    sent->Button(QStringLiteral("Send selected items to SMS Composer"))->click();
    ASSERT_TRUE(WaitFor([&] { return !sent->IsBusy(); }));
    ASSERT_EQ(window->List().Count(), 3);
    EXPECT_EQ(window->List().Number(0), QStringLiteral("+4401"));
    EXPECT_EQ(window->List().Message(1), QStringLiteral("two\nlines"));
    EXPECT_EQ(window->ListModel().rowCount(), 3);
    EXPECT_EQ(prompter.Asked().front().caption, QStringLiteral("Information"));
    EXPECT_EQ(prompter.Messages().back(), QStringLiteral("Selected sent items inserted in SMS Composer successfully."));

    // Delete: the log is rewritten from the rest.
    list->clearSelection();
    list->selectRow(0);
    list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    sent->Button(QStringLiteral("Clear Selected"))->click();
    ASSERT_TRUE(WaitFor([&] { return !sent->IsBusy(); }));
    EXPECT_EQ(sent->TotalLabel()->text(), QStringLiteral("Total Items : 3"));
    QList<SentItemRecord> onDisk;
    ASSERT_TRUE(S().SentItems().Load(&onDisk));
    ASSERT_EQ(onDisk.size(), 3);
    EXPECT_EQ(onDisk.at(0).number, QStringLiteral("+4402"));
    EXPECT_EQ(onDisk.at(2).number, QStringLiteral("+4405"));

    // Export: the failed entries of 5 to 6 March as HTML, then the export-done window.
    m_savePath = m_dir.filePath(QStringLiteral("failed"));
    WhenModal<CStatus_Export_Opt>([](CStatus_Export_Opt* filter) {
        for (QRadioButton* option : filter->findChildren<QRadioButton*>()) {
            if (option->text() == QLatin1String("Only Failed items"))
                option->setChecked(true);
        }
        filter->accept();
    });
    WhenModal<CExport_Option>([](CExport_Option* options) {
        EXPECT_EQ(options->StartDateEdit()->date(), QDate(2024, 3, 5)); // first and last entry
        EXPECT_EQ(options->EndDateEdit()->date(), QDate(2024, 3, 7));
        EXPECT_EQ(options->StartDateEdit()->displayFormat(), QStringLiteral("dd/MM/yyyy"));
        options->EndDateEdit()->setDate(QDate(2024, 3, 6));
        options->FormatOption(ExportFormat::Html)->setChecked(true);
        options->OkButton()->click();
    });
    sent->Button(QStringLiteral("Export"))->click();
    ASSERT_TRUE(WaitFor([&] { return !sent->IsBusy() && Open<COpen_Export_Log>(sent) != nullptr; }));
    EXPECT_EQ(m_filters.back(), QStringLiteral("Html Files(*.html)"));
    const QString html = Utf16Text(ReadAll(m_savePath + QStringLiteral(".html")));
    EXPECT_TRUE(html.contains(QLatin1String("two<br>lines")));
    EXPECT_TRUE(html.contains(QLatin1String("+4404")));
    EXPECT_FALSE(html.contains(QLatin1String("+4405")));
    COpen_Export_Log* done = Open<COpen_Export_Log>(sent);
    done->accept();
    EXPECT_EQ(m_launched, QStringList{m_savePath + QStringLiteral(".html")});

    // Clear All asks, then leaves an empty log.
    prompter.Script({Prompter::Answer::Yes});
    sent->Button(QStringLiteral("Clear All"))->click();
    ASSERT_TRUE(WaitFor([&] { return !sent->IsBusy(); }));
    EXPECT_EQ(prompter.Asked().back().message, SentItemsController::kClearAllQuestion);
    EXPECT_EQ(ReadAll(S().SentItems().Path()), QByteArray("\xFF\xFE"));
    EXPECT_EQ(list->model()->rowCount(), 0);
    sent->Button(QStringLiteral("Export"))->click();
    EXPECT_EQ(prompter.Messages().back(), SentItemsExport::kEmptyList);

    sent->Button(QStringLiteral("Close"))->click();
    EXPECT_TRUE(WaitFor([&] { return Open<CSent_Items>(window.get()) == nullptr; }));
}

TEST_F(RecordsWindowsTest, TemplatesAddUpdateDeleteUseImportExportAndClose) {
    const TemplateStore store(S().Paths().TemplatesFile());
    ASSERT_TRUE(store.Append(QStringList{QStringLiteral("b"), QStringLiteral("a")}));

    window->Button(QStringLiteral("View Templates"))->click();
    CViewTemplates* view = Open<CViewTemplates>(window.get());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitFor([&] { return view->IsLoaded() && !view->IsBusy(); }));
    QTableView* list = view->List();
    EXPECT_EQ(view->TotalLabel()->text(), QStringLiteral("Total Items : 2"));
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Template Message"));

    // Add New: the dialog's text goes to the top and into the store at once.
    view->Button(QStringLiteral("Add New"))->click();
    CUpdateTemp* add = view->TemplateDialog();
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->windowTitle(), QStringLiteral("Add Template"));
    add->TextBox()->setPlainText(QStringLiteral("a"));
    add->OkButton()->click(); // already a template: the dialog stays
    EXPECT_EQ(prompter.Messages().back(), QStringLiteral("Entered template already exists."));
    add->TextBox()->setPlainText(QStringLiteral("new\nline"));
    add->TextBox()->moveCursor(QTextCursor::End);
    Key(add->TextBox(), Qt::Key_Tab);
    EXPECT_EQ(add->TextBox()->toPlainText(), QStringLiteral("new\nline\t"));
    EXPECT_EQ(add->Counter()->text(), QStringLiteral("10 Characters"));
    add->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return view->TemplateDialog() == nullptr; }));
    EXPECT_EQ(view->Controller().Rows(), (QStringList{"new\r\nline\t", "a", "b"}));
    EXPECT_EQ(list->model()->rowCount(), 3);
    QStringList stored;
    ASSERT_TRUE(store.Read(&stored, TemplateStore::Duplicates::Exact));
    EXPECT_EQ(stored, view->Controller().Rows());

    // Update through a double-click on the row.
    list->selectRow(1);
    Q_EMIT list->doubleClicked(list->model()->index(1, 0));
    CUpdateTemp* update = view->TemplateDialog();
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->windowTitle(), QStringLiteral("Update Template"));
    EXPECT_EQ(update->OkButton()->text(), QStringLiteral("Update"));
    EXPECT_EQ(update->TextBox()->toPlainText(), QStringLiteral("a"));
    update->TextBox()->setPlainText(QStringLiteral("a2"));
    update->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return view->TemplateDialog() == nullptr; }));
    EXPECT_EQ(list->model()->index(1, 0).data().toString(), QStringLiteral("a2"));

    // Delete in the list removes the selected row.
    list->selectRow(2);
    Key(list, Qt::Key_Delete);
    EXPECT_EQ(view->Controller().Rows(), (QStringList{"new\r\nline\t", "a2"}));
    EXPECT_EQ(view->TotalLabel()->text(), QStringLiteral("Total Items : 2"));

    // Use Template: into the composer at its caret.
    window->Form().composer->setPlainText(QStringLiteral("Hi "));
    window->Form().composer->moveCursor(QTextCursor::End);
    list->selectRow(1);
    view->Button(QStringLiteral("Use Template"))->click();
    EXPECT_EQ(window->Form().composer->toPlainText(), QStringLiteral("Hi a2"));
    EXPECT_EQ(window->Composer().Text(), QStringLiteral("Hi a2"));
    EXPECT_EQ(prompter.Messages().back(), TemplatesController::kMovedToComposer);

    // Import: the chosen column of a workbook, new texts on top.
    const QString book = m_dir.filePath(QStringLiteral("templates.xlsx"));
    ASSERT_TRUE(SpreadsheetExport(prompter)
                    .Export(SpreadsheetExportTable{{QStringLiteral("Texts")}},
                            QList<QStringList>{{QStringLiteral("imported one")}, {QStringLiteral("a2")}},
                            SpreadsheetExport::Filter::All, book, SpreadsheetExport::Format::Xlsx)
                    .Ok());
    m_openPath = book;
    view->Button(QStringLiteral("Import Templates"))->click();
    CExcel_Info_Dlg* picker = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (picker = Open<CExcel_Info_Dlg>(view)) != nullptr; }));
    picker->SheetCombo()->setCurrentIndex(0);
    ASSERT_TRUE(WaitFor([&] { return !picker->IsReading() && picker->ColumnList()->count() == 1; }));
    picker->ColumnList()->item(0)->setCheckState(Qt::Checked);
    picker->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !view->IsBusy(); }));
    EXPECT_EQ(view->Controller().Rows(), (QStringList{"imported one", "Texts", "new\r\nline\t", "a2"}));
    EXPECT_EQ(view->TotalLabel()->text(), QStringLiteral("Total Items : 4"));
    EXPECT_EQ(list->model()->rowCount(), 4);

    // Export to a text report, then the export-done window.
    m_savePath = m_dir.filePath(QStringLiteral("templates"));
    m_saveFilter = QStringLiteral("Text Files(*.txt)");
    view->Button(QStringLiteral("Export Templates"))->click();
    ASSERT_TRUE(WaitFor([&] { return !view->IsBusy() && Open<COpen_Export_Log>(view) != nullptr; }));
    const QString report = Utf16Text(ReadAll(m_savePath + QStringLiteral(".txt")));
    EXPECT_TRUE(report.contains(QLatin1String("S.No : 4\r\n---------\r\nMessage  : a2\r\n"))) << report.toStdString();
    Open<COpen_Export_Log>(view)->OpenCheck()->setChecked(false);
    Open<COpen_Export_Log>(view)->accept();
    EXPECT_TRUE(m_launched.isEmpty());

    // Every change is in the store already: closing keeps a template another process added meanwhile.
    ASSERT_TRUE(store.Append(QStringLiteral("late")));
    view->Button(QStringLiteral("Close"))->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CViewTemplates>(window.get()) == nullptr; }));
    ASSERT_TRUE(store.Read(&stored, TemplateStore::Duplicates::Exact));
    EXPECT_EQ(stored, (QStringList{"late", "imported one", "Texts", "new\r\nline\t", "a2"}));
}

} // namespace

// The inbox lists what the devices handed over, shows one whole, and deletes the selected entries from the file.
TEST_F(RecordsWindowsTest, InboxListsShowsAndDeletes) {
    const InboxStore inbox(S().Paths().InboxFile());
    InboxRecord stop{InboxRecord::Kind::Message, "2026-12-08T10:00:00", "/dev/ttyUSB0", "+4401", "26/12/08,09:59:58+00",
                     "STOP", "", "", true, {}};
    InboxRecord hello{InboxRecord::Kind::Message, "2026-12-08T10:01:00", "/dev/ttyUSB1", "+4402", "", "Hello\nthere",
                      "", "", false, {}};
    InboxRecord broken{InboxRecord::Kind::Undecodable, "2026-12-08T10:02:00", "/dev/ttyUSB0", "", "", "", "07FF",
                       "cut short", false, {}};
    for (const InboxRecord& r : {stop, hello, broken})
        ASSERT_TRUE(inbox.Append(r));

    window->Button(QStringLiteral("Inbox"))->click();
    CInbox* dialog = Open<CInbox>(window.get());
    ASSERT_NE(dialog, nullptr);
    QTableView* list = dialog->List();
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->model()->index(0, 4).data().toString(), QStringLiteral("Opt-out"));
    EXPECT_EQ(list->model()->index(2, 2).data().toString(), QStringLiteral("cut short"));
    list->selectRow(1);
    EXPECT_TRUE(dialog->Details()->toPlainText().contains(QStringLiteral("Hello\nthere")));
    EXPECT_TRUE(dialog->Details()->toPlainText().contains(QStringLiteral("/dev/ttyUSB1")));

    dialog->Button(QStringLiteral("Delete"))->click();
    ASSERT_EQ(list->model()->rowCount(), 2);
    QList<InboxRecord> left;
    ASSERT_TRUE(inbox.Load(&left));
    EXPECT_EQ(left, (QList<InboxRecord>{stop, broken}));
    dialog->Button(QStringLiteral("Close"))->click();
}

// "Reply" puts the sender into the Recipient list for the composer's text and returns to the main window; the
// opt-out settings keep the keywords and list through the session, refusing settings without a keyword.
TEST_F(RecordsWindowsTest, InboxRepliesThroughTheListAndEditsOptOutSettings) {
    const InboxStore inbox(S().Paths().InboxFile());
    InboxRecord hello{InboxRecord::Kind::Message, "2026-12-08T10:01:00", "/dev/ttyUSB1", "+15550301202", "", "Hello",
                      "", "", false, {}};
    ASSERT_TRUE(inbox.Append(hello));
    window->Button(QStringLiteral("Inbox"))->click();
    CInbox* dialog = Open<CInbox>(window.get());
    ASSERT_NE(dialog, nullptr);
    dialog->List()->selectRow(0);
    dialog->Button(QStringLiteral("Reply"))->click();
    ASSERT_EQ(S().List().Count(), 1);
    EXPECT_EQ(S().List().Row(0).number, QStringLiteral("+15550301202"));
    EXPECT_FALSE(dialog->isVisible());

    COptOut_Settings settings(S(), window.get());
    settings.Keywords()->setPlainText(QStringLiteral("STOP\nhalt\n stop \n\n"));
    settings.List()->setCurrentText(QStringLiteral("Unsubscribed"));
    settings.accept();
    EXPECT_EQ(S().OptOuts().keywords, QStringList({QStringLiteral("STOP"), QStringLiteral("halt")}));
    EXPECT_EQ(S().OptOuts().list, QStringLiteral("Unsubscribed"));
    settings.Keywords()->setPlainText(QStringLiteral("  \n"));
    settings.accept();
    EXPECT_TRUE(prompter.Messages().contains(OptOutSettings::kNoKeyword));
    EXPECT_EQ(S().OptOuts().keywords, QStringList({QStringLiteral("STOP"), QStringLiteral("halt")}));
}
