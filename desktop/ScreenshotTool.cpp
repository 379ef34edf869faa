#include "ScreenshotTool.h"

#include "ImportWindowShots.h"

#include "app/AppShell.h"
#include "app/FileOpener.h"
#include "app/Prompter.h"
#include "app/gui/CAboutDlg.h"
#include "composer/ListEditController.h"
#include "composer/gui/CFill_Msg_In_List.h"
#include "composer/gui/CManually_Multiple_Num_Add.h"
#include "composer/gui/CUpdate_Num_Message.h"
#include "composer/gui/CUpdate_Selected_Item_SMS.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CAutomated_GSM_Sending.h"
#include "devices/gui/CDemo_Modem_Msgs.h"
#include "devices/gui/CMobile_Conn_Dlg.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "devices/gui/CSelected_Device_Details_GSM.h"
#include "excel_import/WorkbookReader.h"
#include "excel_import/gui/CExcel_Info_Dlg.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/CExport_Option.h"
#include "records/gui/COpen_Export_Log.h"
#include "records/gui/CSent_Items.h"
#include "records/gui/CInbox.h"
#include "exclusion/gui/COptOut_Settings.h"
#include "records/InboxStore.h"
#include "sending/gui/CQuota_Dlg.h"
#include "sending/gui/CSMS_Sending.h"
#include "sending/gui/CSend_Msg_Info.h"
#include "sending/gui/CStatus_Export_Opt.h"
#include "templates/TemplateStore.h"
#include "templates/gui/CUpdateTemp.h"
#include "templates/gui/CViewTemplates.h"
#include "ui/CPlease_Wail_Modeless.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

// Answers every question with its positive button and prints what it was asked.
class AnsweringPrompter final : public Prompter {
public:
    Answer Ask(const QString& message, const QString& caption, Icon, Buttons buttons) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(caption), qPrintable(message));
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
};

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class Shooter {
public:
    explicit Shooter(QString directory) : m_dir(std::move(directory)) {}

    void Save(QWidget* window) {
        window->show();
        QCoreApplication::processEvents();
        const QString path = QDir(m_dir).filePath(window->objectName() + QStringLiteral(".png"));
        // On a real display the window is taken from the screen, as the window system shows it.
        const bool onScreen = QGuiApplication::platformName() != QLatin1String("offscreen");
        if (onScreen)
            WaitUntil([window] { return window->windowHandle() && window->windowHandle()->isExposed(); }, 2000);
        const bool saved = (onScreen ? window->screen()->grabWindow(window->winId()) : window->grab()).save(path);
        std::fprintf(stderr, "%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
        m_ok = m_ok && saved;
    }
    void Fail(const char* what) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        m_ok = false;
    }
    bool Ok() const { return m_ok; }

private:
    QString m_dir;
    bool m_ok = true;
};

// The sent items window over a log of 40 attempts of the last days, two entries selected and the first one's
// details shown; its export option window; the templates window over a dozen templates with its template dialog;
// and the About window.
void ShootRecordsWindows(Shooter& shooter, CVRIX_Bulk_SMSDlg& main, FileOpener& opener) {
    Session& session = main.UserSession();
    const QStringList messages{
        QStringLiteral("Your order #%1 has shipped and will arrive tomorrow."),
        QStringLiteral("Reminder %1: your appointment is on Monday at 10:00.\nReply STOP to opt out."),
        QStringLiteral("Olá! Your table for %1 is booked. See you soon."),
    };
    const QStringList statuses{QStringLiteral("Message sent successfully."), QStringLiteral("Message sent to device."),
                               QStringLiteral("Error : +CMS ERROR: 38"), QStringLiteral("Message sent successfully.")};
    QList<SentItemRecord> log;
    for (int i = 0; i < 40; ++i)
        log << SentItemsStore::MakeRecord(QStringLiteral("+1555030%1").arg(i, 4, 10, QLatin1Char('0')),
                                          messages.at(i % messages.size()).arg(1200 + i),
                                          statuses.at(i % statuses.size()), QDate::currentDate().addDays(i / 10 - 4));
    if (!session.SentItems().Rewrite(log))
        shooter.Fail("sample sent items");
    CSent_Items sent(session, opener, &main);
    sent.show();
    if (!WaitUntil([&] { return sent.IsLoaded() && !sent.IsBusy(); }, 30000))
        shooter.Fail("sent items load");
    sent.List()->selectRow(2);
    sent.List()->selectionModel()->select(sent.List()->model()->index(5, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    shooter.Save(&sent);
    const auto [from, to] = sent.Controller().DefaultDuration();
    CExport_Option exportOption(sent.Controller(), from, to, &sent);
    shooter.Save(&exportOption);
    exportOption.hide();
    sent.hide();

    const TemplateStore store(session.Paths().TemplatesFile());
    const QStringList templates{
        QStringLiteral("Happy birthday! Enjoy 20% off all week with code BDAY20."),
        QStringLiteral("Your appointment is confirmed for Monday 10:00.\r\nReply C to cancel."),
        QStringLiteral("Payment received, thank you."),
        QStringLiteral("Our store opens at 09:00 tomorrow."),
        QStringLiteral("Your parcel is waiting at the pick-up point."),
        QStringLiteral("Flash sale: two for one on all shoes today only!"),
        QStringLiteral("Reply YES to confirm your booking."),
        QStringLiteral("Dear customer, your bill of this month is ready."),
        QStringLiteral("The meeting has moved to room 4B."),
        QStringLiteral("Thank you for your visit. Rate us: reply 1 to 5."),
    };
    if (!store.Append(templates))
        shooter.Fail("sample templates");
    CViewTemplates view(session.Paths(), session.UserPrompter(), opener, main.Form().composer, &main);
    view.show();
    if (!WaitUntil([&] { return view.IsLoaded() && !view.IsBusy(); }, 30000))
        shooter.Fail("templates load");
    view.List()->selectRow(1);
    shooter.Save(&view);
    CUpdateTemp update(CUpdateTemp::Mode::Update, view.Controller().Rows(), 1, session.UserPrompter(), &view);
    shooter.Save(&update);
    update.hide();
    view.hide();

    CAboutDlg about(&main);
    shooter.Save(&about);
    about.hide();
}

// The inbox over received messages (an opt-out, a UCS-2 one, one of three parts), a report that matched no
// sent message and an unreadable PDU, the opt-out selected; and its opt-out settings window.
void ShootInbox(Shooter& shooter, CVRIX_Bulk_SMSDlg& main, FileOpener& opener) {
    Session& session = main.UserSession();
    const InboxStore store(session.Paths().InboxFile());
    const auto add = [&](InboxRecord::Kind kind, const QString& number, const QString& text, bool optOut,
                         const QString& reason = {}, const QString& raw = {}) {
        static int minute = 0;
        InboxRecord r{kind,
                      QDateTime::currentDateTime().addSecs(-3600 + 60 * minute++).toString(Qt::ISODate),
                      QStringLiteral("/dev/serial/by-id/usb-SIMCOM_SIM800-if0%1").arg(minute % 2),
                      number,
                      QStringLiteral("26/12/08,10:%1:00+04").arg(minute, 2, 10, QLatin1Char('0')),
                      text,
                      raw,
                      reason,
                      optOut,
                      {}};
        if (!store.Append(r))
            shooter.Fail("sample inbox");
    };
    using Kind = InboxRecord::Kind;
    add(Kind::Message, QStringLiteral("+15550301200"), QStringLiteral("Thanks, the parcel arrived!"), false);
    add(Kind::Message, QStringLiteral("+15550301201"), QStringLiteral("STOP"), true);
    add(Kind::Message, QStringLiteral("+15550301202"), QStringLiteral("Can we move it to 11:00? \u2014 Ana"), false);
    add(Kind::Message, QStringLiteral("+4917612345678"), QStringLiteral("Danke! Bis Montag \U0001F44D"), false);
    add(Kind::Message, QStringLiteral("+15550301204"), QStringLiteral("stop all"), true);
    add(Kind::Message, QStringLiteral("+15550301205"),
        QStringLiteral("This is a long reply that came in three parts. ").repeated(7).trimmed(), false);
    add(Kind::Report, QStringLiteral("+15550301299"), QStringLiteral("Delivered (reference 17)"), false, {},
        QStringLiteral("0791551010010201060B915155103092F1622180014314226221800143142200"));
    add(Kind::Message, QStringLiteral("Bank"), QStringLiteral("Your code is 482913."), false);
    add(Kind::Undecodable, QString(), QString(), false, QStringLiteral("The PDU is shorter than its length says."),
        QStringLiteral("07911326040000F0040B9113"));
    add(Kind::Message, QStringLiteral("+15550301207"), QStringLiteral("Unsubscribe"), true);
    CInbox inbox(session, opener, &main);
    inbox.List()->selectRow(1);
    shooter.Save(&inbox);
    COptOut_Settings settings(session, &inbox);
    shooter.Save(&settings);
    settings.hide();
    inbox.hide();
}

} // namespace

bool ScreenshotTool::Run(const QString& directory) {
    if (!QDir().mkpath(directory))
        return false;
    QTemporaryDir data;
    AppShell::Startup(data.path());
    Shooter shooter(directory);
    AnsweringPrompter prompter;
    DemoModems demos;
    for (int i = 0; i < 2; ++i) {
        QString error;
        if (demos.AddDemoModem(&error).isEmpty())
            shooter.Fail("demo modem");
    }

    CVRIX_Bulk_SMSDlg::Options options;
    options.timing = ModemTiming::Fast();
    options.shutdown = [] {};
    CVRIX_Bulk_SMSDlg main(prompter, demos, options);
    main.show();

    CMobile_Conn_Dlg steps(&main);
    shooter.Save(&steps);
    steps.hide();

    // The device selection over the demo modems only (the machine's own ports are not ours to probe here).
    DeviceSelectionController::Options scanOptions;
    scanOptions.timing = ModemTiming::Fast();
    DemoModems* demoModems = &demos;
    CPhone_List_Dlg selection(main.Devices(), prompter, demos, scanOptions, &main,
                              [demoModems] { return demoModems->ExtraPorts(); });
    selection.show();
    if (!WaitUntil([&] { return !selection.Controller().IsScanning() && selection.DeviceList()->rowCount() == 2; },
                   30000))
        shooter.Fail("scan");
    selection.DeviceList()->selectAll();
    selection.PhoneField()->setText(QStringLiteral("+15551234567"));
    shooter.Save(&selection);
    selection.OnUseSelectedDevice();
    if (!WaitUntil([&] { return main.Devices().DeviceCount() == 2 && !selection.IsBusy(); }, 30000))
        shooter.Fail("use selected devices");
    selection.hide();
    main.RefreshDevices();

    // Sample rows and a message with a character outside the GSM alphabet.
    QStringList numbers;
    for (int i = 0; i < 24; ++i)
        numbers << QStringLiteral("+1555010%1").arg(i, 4, 10, QLatin1Char('0'));
    const QString message = QStringLiteral("Olá! Your order #1234 ships today. Reply STOP to opt out.");
    static_cast<void>(main.List().AddNumbers(0, numbers, message, message, {}));
    main.RefreshList();
    main.Form().composer->setPlainText(message);
    main.Form().number->setFocus();
    QCoreApplication::processEvents();
    shooter.Save(&main);

    // The list editing windows over the sample rows.
    CManually_Multiple_Num_Add manual(main.UserSession().ListEdit(), &main);
    manual.TextBox()->setPlainText(QStringLiteral("+15550199001\n+15550199002\t+15550199003\n(555) 019-9004\n"));
    shooter.Save(&manual);
    manual.hide();
    CFill_Msg_In_List fill(main.UserSession().ListEdit(), message, {0, 2}, &main);
    shooter.Save(&fill);
    fill.hide();
    CUpdate_Selected_Item_SMS updateSelected(main.UserSession().ListEdit(), {0, 1, 2, 5, 8}, &main);
    updateSelected.show();
    if (!WaitUntil([&] { return !updateSelected.IsBusy(); }, 30000))
        shooter.Fail("selected numbers");
    updateSelected.MessageField()->setPlainText(QStringLiteral("Your appointment is confirmed for Monday 10:00."));
    shooter.Save(&updateSelected);
    updateSelected.hide();
    if (const auto edit = main.UserSession().ListEdit().RowToEdit(0)) {
        CUpdate_Num_Message updateRow(main.UserSession().ListEdit(), *edit, {}, &main);
        shooter.Save(&updateRow);
        updateRow.hide();
    } else {
        shooter.Fail("row to edit");
    }

    // The sheet and column picker over a sample contact workbook, its first column checked.
    const QString book = data.filePath(QStringLiteral("contacts.xlsx"));
    QList<QStringList> bookRows;
    for (int i = 0; i < 12; ++i)
        bookRows << QStringList{QStringLiteral("+1555020%1").arg(i, 4, 10, QLatin1Char('0')),
                                QStringLiteral("Customer %1").arg(i + 1), QStringLiteral("Springfield"),
                                QStringLiteral("2026-12-%1").arg(i + 1, 2, 10, QLatin1Char('0'))};
    QStringList sheetNames;
    if (!SpreadsheetExport(prompter)
             .Export(SpreadsheetExportTable{{QStringLiteral("Mobile"), QStringLiteral("Name"), QStringLiteral("City"),
                                             QStringLiteral("Joined")}},
                     bookRows, SpreadsheetExport::Filter::All, book, SpreadsheetExport::Format::Xlsx)
             .Ok() ||
        !WorkbookReader::ReadSheetNames(book, &sheetNames)) {
        shooter.Fail("sample workbook");
    } else {
        CExcel_Info_Dlg picker(book, sheetNames, prompter, ReaderLimits(), &main);
        picker.show();
        picker.SheetCombo()->setCurrentIndex(0);
        if (!WaitUntil([&] { return !picker.IsReading() && picker.ColumnList()->count() > 0; }, 30000))
            shooter.Fail("picker columns");
        else
            picker.ColumnList()->item(0)->setCheckState(Qt::Checked);
        shooter.Save(&picker);
        picker.hide();
    }

    ImportWindowShots::Take(
        main, prompter, data.path(), [&](QWidget* w) { shooter.Save(w); }, [&](const char* what) { shooter.Fail(what); });

    CPlease_Wail_Modeless wait(&main);
    shooter.Save(&wait);
    wait.hide();

    // A whole run over both demo modems, shown when it has finished.
    main.OnSend();
    WaitUntil([&] { return main.SendingWindow() != nullptr; }, 30000);
    CSMS_Sending* sending = main.SendingWindow();
    if (sending == nullptr) {
        shooter.Fail("send window");
    } else {
        if (!WaitUntil([&] { return sending->StatusText() == QLatin1String("Finish."); }, 60000))
            shooter.Fail("send run");
        QCoreApplication::processEvents();
        shooter.Save(sending);
        sending->StopButton()->click();
        WaitUntil([&] { return !main.IsSending(); }, 30000);
    }

    if (main.DemoMessagesWindow() != nullptr)
        shooter.Save(main.DemoMessagesWindow());

    CSelected_Device_Details_GSM::Options detailsOptions;
    detailsOptions.testMessage.timing = ModemTiming::Fast();
    detailsOptions.timing = ModemTiming::Fast();
    CSelected_Device_Details_GSM details(main.Devices(), prompter, detailsOptions, &main);
    shooter.Save(&details);
    details.hide();

    // The connection test after a run of its cases on the first demo modem.
    ConnectionTestController::Options testOptions;
    testOptions.timing = ModemTiming::Fast();
    testOptions.afterCaseMs = 0;
    CAutomated_GSM_Sending test(main.Devices(), prompter, 0, testOptions, &main);
    test.PhoneField()->setText(QStringLiteral("+15551234567"));
    test.CustomSmscField()->setText(QStringLiteral("+15550009999"));
    test.show();
    test.OnStartTest();
    if (!WaitUntil([&] { return !test.Controller().IsRunning(); }, 30000))
        shooter.Fail("connection test");
    QCoreApplication::processEvents();
    shooter.Save(&test);
    test.hide();

    CQuota_Dlg quota(main.Devices().SelectedDevicesText(), main.Quota(), main.SendOptions(), main.List().Count(),
                     prompter, &main);
    quota.SetTypeAt(0, QStringLiteral("Manual"));
    quota.SetAssignAt(0, QStringLiteral("10"));
    shooter.Save(&quota);
    quota.hide();

    CSend_Msg_Info question(&main);
    shooter.Save(&question);
    question.hide();
    CStatus_Export_Opt filter(&main);
    shooter.Save(&filter);
    filter.hide();
    FileOpener opener(prompter, [](const QString&) { return true; });
    COpen_Export_Log exported(opener, data.filePath(QStringLiteral("status.xlsx")),
                              QStringLiteral("Sent Items have been exported successfully."), &main);
    shooter.Save(&exported);
    exported.hide();
    ShootRecordsWindows(shooter, main, opener);
    ShootInbox(shooter, main, opener);
    return shooter.Ok();
}
