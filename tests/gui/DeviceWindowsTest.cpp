// The device windows over simulated modems: the details window's SMSC save with its refusal and focus, the
// text-mode notice, "Load Phone Book" filling the Recipient list, the connection test window's run.

#include "GuiTestSupport.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CAutomated_GSM_Sending.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "devices/gui/CSelected_Device_Details_GSM.h"
#include "fakes/HoldingProcess.h"
#include "fakes/ScriptedPrompter.h"
#include "sim/SimModem.h"
#include "ui/DemoModems.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

class DeviceWindowsTest : public ::testing::Test {
protected:
    DeviceWindowsTest() {
        AppShell::Startup(m_dir.path());
        QString error;
        sim = std::make_unique<SimModem>(SimModem::Options{});
        EXPECT_TRUE(sim->Start(&error)) << error.toStdString();
        CVRIX_Bulk_SMSDlg::Options options;
        options.timing = ModemTiming::Fast();
        options.shutdown = [] {};
        window = std::make_unique<CVRIX_Bulk_SMSDlg>(prompter, demos, options);
        DeviceRecord device;
        device.portName = sim->PortName();
        device.displayName = sim->PortName() + QStringLiteral(" (Simulated)");
        device.details = QStringLiteral("Model : SIM800 Simulated\nSupported SMS Mode : PDU Mode & Text Mode\n"
                                        "Default SMSC No. : +919845087001\nSMS Capabilities : Yes\n");
        device.defaultSmsc = QStringLiteral("+919845087001");
        device.smscNumber = device.defaultSmsc;
        device.supportedSmsModes = QStringLiteral("PDU Mode & Text Mode");
        device.smsMode = DeviceRecord::kModePdu;
        window->Devices().ReplaceSelection({device});
        window->RefreshDevices();
    }

    CSelected_Device_Details_GSM::Options DetailsOptions() {
        CSelected_Device_Details_GSM::Options options;
        options.testMessage.timing = ModemTiming::Fast();
        options.timing = ModemTiming::Fast();
        options.loadPhonebook = [this](int slot) { window->OnLoadPhonebook(slot); };
        return options;
    }

    QTemporaryDir m_dir;
    ScriptedPrompter prompter;
    DemoModems demos;
    std::unique_ptr<SimModem> sim;
    std::unique_ptr<CVRIX_Bulk_SMSDlg> window;
};

TEST_F(DeviceWindowsTest, DetailsWindowSavesAndResetsTheCustomSmscAndRefusesABadOne) {
    CSelected_Device_Details_GSM details(window->Devices(), prompter, DetailsOptions(), window.get());
    details.show();
    ASSERT_EQ(details.DeviceList()->rowCount(), 1);
    EXPECT_EQ(details.CurrentSlot(), 0);

    details.CustomSmscField()->setText(QStringLiteral("91+98"));
    details.Button(QStringLiteral("SaveSmsc"))->click();
    EXPECT_EQ(prompter.Messages().value(0),
              QStringLiteral("The SMSC number does not seem to be valid. Please enter a valid SMSC number."));
    EXPECT_EQ(details.focusWidget(), details.CustomSmscField());

    details.CustomSmscField()->setText(QStringLiteral("+15551234567"));
    details.Button(QStringLiteral("SaveSmsc"))->click();
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Custom SMSC No. save for %1.").arg(sim->PortName()));
    EXPECT_TRUE(window->Devices().Record(0)->useCustomSmsc);
    EXPECT_EQ(window->Devices().Record(0)->customSmsc, QStringLiteral("+15551234567"));

    details.Button(QStringLiteral("ResetSmsc"))->click();
    EXPECT_FALSE(window->Devices().Record(0)->useCustomSmsc);
    EXPECT_TRUE(details.CustomSmscField()->text().isEmpty());

    for (QRadioButton* radio : details.findChildren<QRadioButton*>()) {
        if (radio->text() == QLatin1String("Text Mode"))
            radio->click();
    }
    EXPECT_EQ(window->Devices().Record(0)->smsMode, DeviceRecord::kModeText);
    EXPECT_EQ(prompter.Asked().back().caption, QStringLiteral("Information"));
}

TEST_F(DeviceWindowsTest, LoadPhoneBookFillsTheListFromTheDevice) {
    CSelected_Device_Details_GSM details(window->Devices(), prompter, DetailsOptions(), window.get());
    details.show();
    details.Button(QStringLiteral("LoadPhoneBook"))->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(window->List().Count(), 5);
    EXPECT_TRUE(window->List().ContainsNumber(QStringLiteral("+919845012345")));
    EXPECT_TRUE(window->List().ContainsNumber(QStringLiteral("18005550199")));
    EXPECT_TRUE(prompter.Asked().empty());

    sim->Stop(); // an unplugged device: the connection error, nothing added
    window->OnLoadPhonebook(0);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_EQ(window->List().Count(), 5);
    ASSERT_FALSE(prompter.Messages().isEmpty());
    EXPECT_TRUE(prompter.Messages().back().contains(QLatin1String("Device Connection Error : ")));
}

TEST_F(DeviceWindowsTest, ConnectionTestRunsEveryCaseAndAppliesTheChosenOne) {
    ConnectionTestController::Options options;
    options.timing = ModemTiming::Fast();
    options.afterCaseMs = 0;
    CAutomated_GSM_Sending test(window->Devices(), prompter, 0, options, window.get());
    test.show();
    ASSERT_EQ(test.CaseList()->rowCount(), 4);
    EXPECT_EQ(test.CaseList()->item(0, 1)->text(), QStringLiteral("PDU Mode with Default SMSC"));
    test.PhoneField()->setText(QStringLiteral("+15550001111"));
    test.CustomSmscField()->setText(QStringLiteral("+15550009999"));
    test.Button(QStringLiteral("StartTest"))->click();
    ASSERT_TRUE(WaitFor([&] {
        return !test.Controller().IsRunning() && test.CaseList()->item(3, 2) != nullptr &&
               !test.CaseList()->item(3, 2)->text().isEmpty();
    }));
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(test.CaseList()->item(r, 2)->text(), QStringLiteral("Message sent successfully.")) << r;
    EXPECT_EQ(sim->SubmissionCount(), 4);

    test.CaseList()->selectRow(2); // text mode with the default SMSC
    prompter.Script({Prompter::Answer::Yes});
    test.Button(QStringLiteral("UseCase"))->click();
    EXPECT_EQ(window->Devices().Record(0)->smsMode, DeviceRecord::kModeText);
}

TEST_F(DeviceWindowsTest, ConnectionTestStopShowsStoppedAtOnce) {
    ConnectionTestController::Options options;
    options.timing = ModemTiming::Fast();
    options.afterCaseMs = 60000; // the test rests after each case until it is stopped
    CAutomated_GSM_Sending test(window->Devices(), prompter, 0, options, window.get());
    test.show();
    test.PhoneField()->setText(QStringLiteral("+15550001111"));
    test.CustomSmscField()->setText(QStringLiteral("+15550009999"));
    test.Button(QStringLiteral("StartTest"))->click();
    ASSERT_TRUE(WaitFor([&] { return sim->SubmissionCount() == 1; }));
    test.Button(QStringLiteral("Stop"))->click();
    EXPECT_EQ(test.StatusLabelText(), QStringLiteral("Stopped"));
    ASSERT_TRUE(WaitFor([&] { return !test.Controller().IsRunning(); }));
    EXPECT_EQ(sim->SubmissionCount(), 1);
    EXPECT_EQ(test.StatusLabelText(), QStringLiteral("Stopped"));
}

} // namespace

namespace {

// The connection wizard over the given ports only.
struct WizardOverPorts {
    WizardOverPorts(CVRIX_Bulk_SMSDlg& window, Prompter& prompter, DemoModems& demos, std::vector<PortInfo> ports) {
        DeviceSelectionController::Options options;
        options.timing = ModemTiming::Fast();
        options.scanTimeoutMs = 2000; // room for a loaded machine; a silent port costs this once
        wizard = std::make_unique<CPhone_List_Dlg>(window.Devices(), prompter, demos, options, &window,
                                                   [ports] { return ports; });
        wizard->show();
    }
    std::unique_ptr<CPhone_List_Dlg> wizard;
};

} // namespace

TEST_F(DeviceWindowsTest, WizardSaysWhyEachPortWasLeftOutNamingItsHolder) {
    HoldingProcess holder(sim->PortName());
    ASSERT_TRUE(holder.Holding());
    const QString missing = m_dir.filePath(QStringLiteral("ttyUSB9"));
    WizardOverPorts w(*window, prompter, demos,
                      {PortInfo{sim->PortName(), {}, PortInfo::Kind::Device}, PortInfo{missing, {}, PortInfo::Kind::Device}});
    QTableWidget* ports = w.wizard->PortList();
    ASSERT_TRUE(WaitFor([&] { return !w.wizard->Controller().IsScanning() && ports->rowCount() == 2; }));
    EXPECT_EQ(ports->horizontalHeaderItem(0)->text(), QStringLiteral("Port tried"));
    EXPECT_TRUE(ports->item(0, 0)->text().contains(sim->PortName()));
    EXPECT_TRUE(ports->item(0, 1)->text().contains(QStringLiteral("(pid %1)").arg(holder.Pid())))
        << ports->item(0, 1)->text().toStdString();
    EXPECT_TRUE(ports->item(1, 1)->text().contains(QStringLiteral("No such file or directory")))
        << ports->item(1, 1)->text().toStdString();
    EXPECT_EQ(w.wizard->DeviceList()->rowCount(), 0);
}
