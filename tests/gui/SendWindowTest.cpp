// Whole runs from the main window: the device wizard over two demo modems (several rows selected), Send,
// the progress window to "Finish." and "Close"; a stop during a run; the window's thread stays free.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CDemo_Modem_Msgs.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "devices/gui/CSelected_Device_Details_GSM.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"
#include "records/gui/COpen_Export_Log.h"
#include "sending/SendJob.h"
#include "sending/gui/CSMS_Sending.h"
#include "sim/SimModem.h"
#include "ui/DemoModems.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

class SendWindowTest : public MainWindowFixture {
protected:
    SendWindowTest() {
        CVRIX_Bulk_SMSDlg::Options options = TestOptions();
        options.clockScale = 0.01; // engine seconds pass a hundred times faster
        OpenWindow(options);
    }

    // The connection wizard's device selection over the demo modems only, every row taken.
    void SelectDemoModems(int count) {
        for (int i = 0; i < count; ++i) {
            QString error;
            ASSERT_FALSE(demos.AddDemoModem(&error).isEmpty()) << error.toStdString();
        }
        DeviceSelectionController::Options options;
        options.timing = ModemTiming::Fast();
        options.scanTimeoutMs = 5000; // a loaded machine may be slow to answer; a healthy demo modem answers at once
        DemoModems* d = &demos;
        CPhone_List_Dlg wizard(window->Devices(), prompter, demos, options, window.get(),
                               [d] { return d->ExtraPorts(); });
        wizard.show();
        ASSERT_TRUE(
            WaitFor([&] { return wizard.DeviceList()->rowCount() == count && !wizard.Controller().IsScanning(); }));
        EXPECT_EQ(wizard.DeviceList()->horizontalHeaderItem(0)->text(), QStringLiteral("Com Port"));
        wizard.DeviceList()->selectAll();
        wizard.Button(QStringLiteral("UseSelectedDevice"))->click();
        ASSERT_TRUE(WaitFor([&] { return wizard.result() == QDialog::Accepted && !wizard.IsBusy(); }));
        window->RefreshDevices();
    }

    void AddRows(int count) {
        QStringList numbers;
        for (int i = 0; i < count; ++i)
            numbers << QStringLiteral("+1555%1").arg(i, 6, 10, QLatin1Char('0'));
        static_cast<void>(window->List().AddNumbers(0, numbers, QStringLiteral("Hello"), QStringLiteral("Hello"), {}));
        window->ListModel().Refresh();
    }

    int Received() const {
        int n = 0;
        for (int i = 0; i < demos.DemoCount(); ++i)
            n += demos.Demo(i)->SubmissionCount();
        return n;
    }
};

// The run's end has reached the window: the status label is updated with the other progress texts, while the
// Close button and the title come with the end notice, which may be handled a moment later.
bool Ended(CSMS_Sending* sending) {
    return sending->StatusText() == QLatin1String("Finish.") && sending->StopButton()->text() == QLatin1String("Close");
}

TEST_F(SendWindowTest, WizardTakesBothDemoModemsAndARunFinishesOverBoth) {
    SelectDemoModems(2);
    ASSERT_EQ(window->Devices().DeviceCount(), 2);
    ASSERT_EQ(window->Form().deviceCombo->count(), 3);
    EXPECT_EQ(window->Form().deviceCombo->currentText(), QStringLiteral("All Device"));
    EXPECT_EQ(window->Form().deviceText->text().contains(QLatin1String("(2) Mobile Phone Device selected.")), true);
    EXPECT_TRUE(window->DemoMessagesWindow()->isVisible());

    AddRows(30);
    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }));
    CSMS_Sending* sending = window->SendingWindow();
    EXPECT_EQ(sending->windowTitle(), QStringLiteral("Sending Messages, Please wait..."));
    ASSERT_TRUE(WaitFor([&] { return Ended(sending); }, 60000));
    EXPECT_EQ(sending->windowTitle(), QStringLiteral("Sending Process, Finished."));
    EXPECT_EQ(sending->StopButton()->text(), QStringLiteral("Close"));
    EXPECT_TRUE(sending->ExportButton()->isVisible());
    EXPECT_EQ(sending->OverallBar()->value(), 30);
    EXPECT_EQ(sending->ProgressText(), SendJob::ProgressLabel(30, 30));
    for (int r = 0; r < sending->Run().Job().RowCount(); ++r)
        EXPECT_EQ(sending->Run().Job().Text(r, SendJob::kStatus), QStringLiteral("Message sent successfully."));
    EXPECT_EQ(Received(), 30);
    // Both workers run, but one may take every row before the other has opened its port (a loaded machine):
    // which modem sent how many is not checked.
    ASSERT_TRUE(WaitFor([&] { return window->DemoMessagesWindow()->MessageCount() == 30; }));

    // The status export of the failed rows (none) and of all rows.
    const QString file = m_dir.filePath(QStringLiteral("status.xlsx"));
    bool exported = false;
    QObject::connect(sending, &CSMS_Sending::ExportFinished, sending, [&](bool ok) { exported = ok; });
    sending->ExportTo(file, static_cast<int>(SpreadsheetExport::Format::Xlsx),
                      static_cast<int>(SpreadsheetExport::Filter::All));
    EXPECT_TRUE(sending->IsExporting());
    ASSERT_TRUE(WaitFor([&] { return !sending->IsExporting(); }));
    EXPECT_TRUE(exported);
    EXPECT_GT(QFileInfo(file).size(), 0);
    auto* done = sending->findChild<COpen_Export_Log*>();
    ASSERT_NE(done, nullptr);
    done->OpenCheck()->setChecked(false);
    done->accept();

    sending->StopButton()->click(); // "Close" after the end closes without asking
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr; }));
    EXPECT_TRUE(prompter.Messages().filter(QStringLiteral("Are you sure you want to continue?")).isEmpty());
    EXPECT_EQ(window->List().Count(), 30); // the send does not remove rows

    // The run's ports are released with its window: the device windows reach the modems again.
    ASSERT_TRUE(WaitFor([&] { return !window->IsSending(); }));
    prompter.Clear();
    CSelected_Device_Details_GSM::Options detailsOptions;
    detailsOptions.timing = ModemTiming::Fast();
    detailsOptions.testMessage.timing = ModemTiming::Fast();
    CSelected_Device_Details_GSM details(window->Devices(), prompter, detailsOptions, window.get());
    details.show();
    details.PhoneField()->setText(QStringLiteral("+15550001111"));
    details.Button(QStringLiteral("SendTest"))->click();
    ASSERT_TRUE(WaitFor([&] { return !prompter.Messages().isEmpty(); }));
    EXPECT_EQ(prompter.Messages().back(), QStringLiteral("Message sent successfully."));
    details.reject();
    DeviceSelectionController::Options scan;
    scan.timing = ModemTiming::Fast();
    scan.scanTimeoutMs = 5000; // a loaded machine may be slow to answer; a healthy demo modem answers at once
    MainDeviceState rescanned;
    DemoModems* d = &demos;
    DeviceSelectionController rescan(
        rescanned, prompter, [d] { return d->ExtraPorts(); }, scan);
    rescan.ScanNow(nullptr);
    EXPECT_EQ(rescan.Rows().size(), 2u);
}

// Started without a timing, the program waits on the devices' replies: each message follows the previous
// one's answer at once, where the fixed pauses wait at least two seconds. The fixed-pauses choice made in the
// window is the next start's timing.
TEST_F(SendWindowTest, RunsWaitOnRepliesByDefaultAndTheFixedPausesChoiceIsRemembered) {
    window.reset();
    CVRIX_Bulk_SMSDlg::Options options = TestOptions();
    options.timing.reset();
    options.clockScale = 0.01;
    OpenWindow(options);
    EXPECT_FALSE(window->Form().fixedPauses->isChecked());
    SelectDemoModems(2);
    AddRows(10);
    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }));
    CSMS_Sending* sending = window->SendingWindow();
    EXPECT_EQ(sending->TimingText(), ModemTiming::kReplyDriven);
    ASSERT_TRUE(WaitFor([&] { return Ended(sending); }, 60000));
    EXPECT_EQ(Received(), 10);
    const int smallestPause = ModemTiming::Standard().settleBeforeResultMs;
    for (int d = 0; d < demos.DemoCount(); ++d) {
        const std::vector<SimSubmission> sent = demos.Demo(d)->Submissions();
        for (size_t i = 1; i < sent.size(); ++i)
            EXPECT_LT(sent[i].acceptedMs - sent[i - 1].acceptedMs, smallestPause) << "device " << d << " message " << i;
    }
    sending->StopButton()->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr && !window->IsSending(); }));

    window->Form().fixedPauses->setChecked(true);
    window.reset();
    OpenWindow(options);
    EXPECT_TRUE(window->Form().fixedPauses->isChecked());
    EXPECT_FALSE(window->UserSession().Timing().waitForReplies);
    EXPECT_EQ(window->UserSession().Timing().settleBeforeResultMs, smallestPause);
}

TEST_F(SendWindowTest, StopDuringARunAsksAndLeavesTheRestStopped) {
    SimModem::Options simOptions;
    QString error;
    simOptions.profile = *SimProfile::Parse(QStringLiteral("slow:40"), &error);
    SimModem slow(simOptions);
    ASSERT_TRUE(slow.Start(&error)) << error.toStdString();
    DeviceRecord device;
    device.portName = slow.PortName();
    device.displayName = QStringLiteral("Slow modem");
    device.smsMode = DeviceRecord::kModePdu;
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    AddRows(200);

    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }));
    CSMS_Sending* sending = window->SendingWindow();
    ASSERT_TRUE(WaitFor([&] { return slow.SubmissionCount() >= 3 && sending->StopButton()->isEnabled(); }));
    prompter.Script({Prompter::Answer::Yes});
    sending->StopButton()->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr || Ended(sending); }, 30000));
    EXPECT_EQ(prompter.Messages().filter(QStringLiteral("Are you sure you want to continue?")).size(), 1);
    EXPECT_LT(slow.SubmissionCount(), 200);
    if (window->SendingWindow() != nullptr) {
        int stopped = 0;
        for (int r = 0; r < sending->Run().Job().RowCount(); ++r)
            stopped += sending->Run().Job().Text(r, SendJob::kStatus) == QLatin1String("Stopped") ? 1 : 0;
        EXPECT_GT(stopped, 0);
        sending->StopButton()->click();
        ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr; }));
    }
}

} // namespace
