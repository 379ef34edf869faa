// The connection test cases, their run against the simulated modem with stop, "Use Selected Case", the log;
// and the selected device details window's logic.

#include "fakes/DeviceTestSupport.h"
#include "fakes/ScriptedPrompter.h"

#include "devices/ConnectionTestController.h"
#include "devices/DeviceDetailsController.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "devices/PortScanner.h"

#include <QFile>
#include <QTemporaryDir>

using DeviceTest::StartSim;
using Answer = Prompter::Answer;

namespace {

// The record a scan makes of the simulator, taken into the main window's selection as slot 0.
DeviceRecord ScannedRecord(SimModem& sim) {
    PortScanner::Options options;
    options.replyTimeoutMs = DeviceTest::kReplyTimeoutMs;
    options.timing = DeviceTest::Timing();
    const auto result = PortScanner(options).ScanPorts({PortInfo{sim.PortName(), {}, PortInfo::Kind::Device}}, nullptr);
    EXPECT_EQ(result.rows.size(), 1u);
    return result.rows.empty() ? DeviceRecord{} : result.rows[0];
}

DeviceRecord Record(const char* supported, const char* defaultSmsc, const char* model = "X100") {
    DeviceRecord r;
    r.portName = QStringLiteral("/dev/ttyUSB3");
    r.displayName = QStringLiteral("/dev/ttyUSB3 (Modem)");
    r.supportedSmsModes = QLatin1String(supported);
    r.defaultSmsc = QLatin1String(defaultSmsc);
    r.details = QStringLiteral("Model :") + QLatin1String(model) + QStringLiteral("\nDefault SMSC No. :") +
                QLatin1String(defaultSmsc) + QLatin1Char('\n');
    return r;
}

ConnectionTestController::Options TestOptions() {
    ConnectionTestController::Options o;
    o.replyTimeoutMs = DeviceTest::kReplyTimeoutMs;
    o.timing = DeviceTest::Timing();
    o.afterCaseMs = 0;
    return o;
}

QStringList CaseNames(const std::vector<ConnectionTestCase>& cases) {
    QStringList names;
    for (const auto& c : cases)
        names << c.label + QLatin1Char(' ') + c.name;
    return names;
}

class StopAtCase : public ConnectionTestObserver {
public:
    StopAtCase(ConnectionTestController*& controller, int index) : m_controller(controller), m_index(index) {}
    void OnCaseStarted(int index) override {
        started << index;
        if (index == m_index) {
            m_controller->OnStop();
            labelAtStop = m_controller->StatusLabel();
        }
    }
    void OnStatusLabel(const QString& text) override { labels << text; }
    QList<int> started;
    QStringList labels;
    QString labelAtStop; // what the window shows the moment Stop is pressed

private:
    ConnectionTestController*& m_controller;
    int m_index;
};

} // namespace

TEST(ConnectionTestCases, ListingRules) {
    struct Case {
        const char* supported;
        const char* smsc;
        QStringList names;
    };
    const Case cases[] = {
        {"PDU Mode & Text Mode",
         "+919845087001",
         {"Case 1: PDU_DEF_SMSC", "Case 2: PDU_CUS_SMSC", "Case 3: TXT_DEF_SMSC", "Case 4: TXT_CUS_SMSC"}},
        {"PDU Mode", "", {"Case 1: PDU_CUS_SMSC"}},
        {"Text Mode", "+1", {"Case 1: TXT_DEF_SMSC", "Case 2: TXT_CUS_SMSC"}},
        {"PDU Mode & Text Mode", "", {"Case 1: PDU_CUS_SMSC", "Case 2: TXT_CUS_SMSC"}},
        {"None", "+1", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaseNames(ConnectionTestCase::ListFor(Record(c.supported, c.smsc))), c.names) << c.supported;

    const auto listed = ConnectionTestCase::ListFor(Record("PDU Mode", "+1"));
    EXPECT_EQ(listed[0].description, QStringLiteral("PDU Mode with Default SMSC"));
    EXPECT_EQ(listed[0].caseSms, QStringLiteral("PDU Mode with Default SMSC is working for Device Model: X100"));
    EXPECT_EQ(listed[1].description, QStringLiteral("PDU Mode with Custom SMSC"));
}

TEST(ConnectionTest, RunsEveryCaseInItsModeWithItsSmsc) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    EXPECT_EQ(test.StartButtonCaption(), QStringLiteral("Start Test for Device Connected at : ") + sim->PortName());
    ASSERT_TRUE(test.RunTest(QStringLiteral("+15551234567"), QStringLiteral("+15550001111"), nullptr));
    const auto cases = test.Cases();
    ASSERT_EQ(cases.size(), 4u);
    for (const auto& c : cases)
        EXPECT_EQ(c.status, QStringLiteral("Message sent successfully.")) << c.name.toStdString();
    const auto sent = sim->Submissions();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].mode, QStringLiteral("pdu"));
    EXPECT_EQ(sent[0].smsc, QString());
    EXPECT_EQ(sent[0].text, QStringLiteral("PDU Mode with Default SMSC is working for Device Model: SIM800 Simulated"));
    EXPECT_EQ(sent[1].smsc, QStringLiteral("+15550001111"));
    EXPECT_EQ(sent[2].mode, QStringLiteral("text"));
    EXPECT_EQ(sent[3].text, QStringLiteral("Text Mode with Custom SMSC is working for Device Model: SIM800 Simulated"));
    EXPECT_TRUE(prompter.Messages().isEmpty());
}

TEST(ConnectionTest, FailingCasesDoNotStopTheRun) {
    auto sim = StartSim(QStringLiteral("cms:500"));
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    ASSERT_TRUE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+15550001111"), nullptr));
    for (const auto& c : test.Cases())
        EXPECT_EQ(c.status, QStringLiteral("Error : +CMS ERROR: 500"));
}

TEST(ConnectionTest, StoppingDuringCaseTwoLeavesThreeAndFourWithoutStatus) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController* self = nullptr;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    self = &test;
    StopAtCase observer(self, 1);
    ASSERT_TRUE(test.OnStartTest(QStringLiteral("5551234"), QStringLiteral("+15550001111"), &observer));
    test.WaitForTest();
    const auto cases = test.Cases();
    EXPECT_FALSE(cases[0].status.isEmpty());
    EXPECT_FALSE(cases[1].status.isEmpty()); // the case being sent finishes
    EXPECT_TRUE(cases[2].status.isEmpty());
    EXPECT_TRUE(cases[3].status.isEmpty());
    EXPECT_EQ(observer.started, (QList<int>{0, 1}));
    EXPECT_EQ(test.StatusLabel(), QStringLiteral("Stopped"));
    EXPECT_EQ(observer.labelAtStop, QStringLiteral("Stopped")) << "not only when the case being sent ends";
    EXPECT_EQ(observer.labels.mid(0, 3),
              (QStringList{"Connecting Device", "Initialize Device", "Execute Case 1: PDU Mode with Default SMSC"}));
    EXPECT_EQ(sim->SubmissionCount(), 2);
}

TEST(ConnectionTest, StopCutsThePauseAfterACaseShort) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController::Options options = TestOptions();
    options.afterCaseMs = 60000;
    ConnectionTestController* self = nullptr;
    ConnectionTestController test(devices, prompter, 0, options);
    self = &test;
    class StopAfterFirst : public ConnectionTestObserver {
    public:
        explicit StopAfterFirst(ConnectionTestController*& c) : m_c(c) {}
        void OnCaseFinished(int, const QString&) override { m_c->OnStop(); }

    private:
        ConnectionTestController*& m_c;
    } observer(self);
    ASSERT_TRUE(test.OnStartTest(QStringLiteral("5551234"), QStringLiteral("+1555"), &observer));
    test.WaitForTest(); // returns at once instead of after a minute
    EXPECT_EQ(sim->SubmissionCount(), 1);
}

TEST(ConnectionTest, Refusals) {
    auto sim = StartSim();
    MainDeviceState devices;
    ScriptedPrompter prompter;
    {
        ConnectionTestController none(devices, prompter, 0, TestOptions());
        EXPECT_FALSE(none.RunTest(QStringLiteral("5551234"), QStringLiteral("+1"), nullptr));
    }
    DeviceRecord record = ScannedRecord(*sim);
    devices.ReplaceSelection({record});
    {
        ConnectionTestController test(devices, prompter, 0, TestOptions());
        EXPECT_FALSE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("91+98"), nullptr));
        EXPECT_FALSE(test.RunTest(QStringLiteral("55-51+234"), QStringLiteral("+1"), nullptr));
        // With only the default-SMSC cases ticked, the custom number is not needed.
        test.SetTicked(1, false);
        test.SetTicked(3, false);
        EXPECT_TRUE(test.RunTest(QStringLiteral("5551234"), QString(), nullptr));
        EXPECT_TRUE(test.Cases()[1].status.isEmpty());
        EXPECT_EQ(sim->SubmissionCount(), 2);
    }
    record.details.replace(QStringLiteral("SMS Capabilities : Yes"), QStringLiteral("SMS Capabilities : Not Detected"));
    devices.ReplaceSelection({record});
    {
        ConnectionTestController test(devices, prompter, 0, TestOptions());
        EXPECT_FALSE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+1"), nullptr));
    }
    EXPECT_EQ(prompter.Messages(),
              (QStringList{DeviceMessages::kNoDeviceSelected, DeviceMessages::kInvalidSmsc,
                           DeviceMessages::kInvalidTestNumber, DeviceMessages::kNoSmsCapabilitiesRefusal}));
}

TEST(ConnectionTest, DeviceThatCannotBeOpenedIsReported) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    sim->Stop();
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    EXPECT_TRUE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+1"), nullptr));
    ASSERT_EQ(prompter.Messages().size(), 1);
    EXPECT_TRUE(prompter.Messages()[0].startsWith(
        QStringLiteral("Either no Mobile Device is connected on this port or selected device is not working "
                       "properly.\n\nOR\n\nDevice Connection Error : ")));
    for (const auto& c : test.Cases())
        EXPECT_TRUE(c.status.isEmpty());
    // The label says so instead of staying on "Connecting Device".
    EXPECT_EQ(test.StatusLabel(), QStringLiteral("Could not connect to the device"));
}

TEST(ConnectionTest, CommandsAreRefusedWhileRunningAndCloseAsks) {
    auto sim = StartSim(QStringLiteral("slow:300"));
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    ASSERT_TRUE(test.OnStartTest(QStringLiteral("5551234"), QStringLiteral("+1"), nullptr));
    EXPECT_TRUE(test.IsRunning());
    EXPECT_FALSE(test.OnClearStatus());
    EXPECT_FALSE(test.OnUseSelectedCase(0, QString()));
    EXPECT_EQ(test.OnSaveLog(QStringLiteral("/tmp/x")), QString());
    prompter.Script({Answer::No, Answer::Yes});
    EXPECT_FALSE(test.OnClose());
    EXPECT_TRUE(test.OnClose());
    EXPECT_FALSE(test.IsRunning());
    EXPECT_EQ(prompter.Messages(), (QStringList{DeviceMessages::kTestInProgress, DeviceMessages::kTestInProgress,
                                                DeviceMessages::kTestInProgress, DeviceMessages::kTestCloseWhileRunning,
                                                DeviceMessages::kTestCloseWhileRunning}));
}

TEST(ConnectionTest, UseSelectedCaseAppliesItsSettings) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    const QString port = sim->PortName();
    const QString device = devices.Record(0)->displayName;
    EXPECT_FALSE(test.OnUseSelectedCase(-1, QString()));
    prompter.Script({Answer::No});
    EXPECT_FALSE(test.OnUseSelectedCase(3, QStringLiteral("+15550001111")));
    EXPECT_EQ(devices.Record(0)->smsMode, DeviceRecord::kModePdu);
    prompter.Script({Answer::Yes});
    EXPECT_TRUE(test.OnUseSelectedCase(3, QStringLiteral("+15550001111")));
    DeviceRecord r = *devices.Record(0);
    EXPECT_EQ(r.smsMode, DeviceRecord::kModeText);
    EXPECT_TRUE(r.useCustomSmsc);
    EXPECT_EQ(r.smscNumber, QStringLiteral("+15550001111"));
    EXPECT_EQ(devices.CustomSmsc().Entries(), QStringList{port + QStringLiteral("||+15550001111||Y")});
    // A default-SMSC case goes back to the device's own SMSC.
    prompter.Script({Answer::Yes});
    EXPECT_TRUE(test.OnUseSelectedCase(0, QString()));
    r = *devices.Record(0);
    EXPECT_EQ(r.smsMode, DeviceRecord::kModePdu);
    EXPECT_FALSE(r.useCustomSmsc);
    EXPECT_EQ(r.smscNumber, QStringLiteral("+919845087001"));
    EXPECT_EQ(devices.CustomSmsc().Entries(), QStringList{port + QStringLiteral("||+15550001111||N")});

    const QStringList messages = prompter.Messages();
    ASSERT_EQ(messages.size(), 6);
    EXPECT_EQ(messages[0], DeviceMessages::kSelectCase);
    EXPECT_EQ(messages[1],
              QStringLiteral("You have selected 'Text Mode with Custom SMSC' settings for sending SMS using "
                             "'%1' connected at %2.\n\nDo you want to continue with selected settings?")
                  .arg(device, port));
    EXPECT_EQ(messages[3], QStringLiteral("Selected connection settings 'Text Mode with Custom SMSC' for device '%1' "
                                          "have been applied successfully.")
                               .arg(device));
}

TEST(ConnectionTest, StatusLogAndClose) {
    auto sim = StartSim(QStringLiteral("pdu-only,no-smsc"));
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController test(devices, prompter, 0, TestOptions());
    EXPECT_EQ(CaseNames(test.Cases()), QStringList{"Case 1: PDU_CUS_SMSC"});
    QTemporaryDir dir;
    EXPECT_EQ(test.OnSaveLog(dir.filePath(QStringLiteral("result.log"))), QString());
    EXPECT_TRUE(test.OnClose()); // nothing run, nothing to ask
    ASSERT_TRUE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+15550001111"), nullptr));

    const QString saved = test.OnSaveLog(dir.filePath(QStringLiteral("result.log")));
    EXPECT_EQ(saved, dir.filePath(QStringLiteral("result.log.txt")));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    const QString expected =
        devices.Record(0)->details + QStringLiteral("\r\n\r\nCase 1:\r\nMessage sent successfully.\r\n"
                                                    "PDU Mode with Custom SMSC is working for Device "
                                                    "Model: SIM800 Simulated\r\n\r\n");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(test.OnSaveLog(dir.filePath(QStringLiteral("again.TXT"))), dir.filePath(QStringLiteral("again.TXT")));
    EXPECT_EQ(test.OnSaveLog(dir.filePath(QStringLiteral("missing/folder/x.txt"))), QString());

    prompter.Script({Answer::No, Answer::Yes});
    EXPECT_FALSE(test.OnClose());
    EXPECT_TRUE(test.OnClearStatus());
    EXPECT_TRUE(test.Cases()[0].status.isEmpty());
    const QStringList messages = prompter.Messages();
    EXPECT_EQ(messages, (QStringList{DeviceMessages::kNoCaseExecuted, DeviceMessages::kLogSaved,
                                     DeviceMessages::kLogSaved, DeviceMessages::kFileError,
                                     QStringLiteral("You have not selected any connection settings yet for device "
                                                    "connected at %1.\nAre you sure to continue?")
                                         .arg(sim->PortName()),
                                     DeviceMessages::kClearStatus + DeviceTexts::DeviceEntry(*devices.Record(0)) +
                                         QStringLiteral("'?")}));
}

TEST(ConnectionTest, NonOverlappedTransportAndSetCustomSmsc) {
    auto sim = StartSim(QStringLiteral("no-smsc"));
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    ConnectionTestController::Options options = TestOptions();
    options.nonOverlapped = true;
    ConnectionTestController test(devices, prompter, 0, options);
    // Text mode hands the device no SMSC: without one stored, only the PDU case gets through ...
    ASSERT_TRUE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+15550001111"), nullptr));
    EXPECT_EQ(CaseNames(test.Cases()), (QStringList{"Case 1: PDU_CUS_SMSC", "Case 2: TXT_CUS_SMSC"}));
    EXPECT_EQ(test.Cases()[0].status, QStringLiteral("Message sent successfully."));
    EXPECT_EQ(test.Cases()[1].status, QStringLiteral("Error : +CMS ERROR: 330"));
    EXPECT_EQ(sim->SubmissionCount(), 1);
    EXPECT_FALSE(test.OnSetCustomSmsc(QStringLiteral("91+98")));
    EXPECT_TRUE(test.OnSetCustomSmsc(QStringLiteral("+15550002222")));
    EXPECT_TRUE(sim->CommandsReceived().contains(QStringLiteral("AT+CSCA=\"+15550002222\",145")));
    // ... until "Set Cus SMSC" wrote one into the device.
    ASSERT_TRUE(test.RunTest(QStringLiteral("5551234"), QStringLiteral("+15550001111"), nullptr));
    EXPECT_EQ(test.Cases()[1].status, QStringLiteral("Message sent successfully."));
    EXPECT_EQ(sim->SubmissionCount(), 3);
    EXPECT_EQ(prompter.Messages(), QStringList{DeviceMessages::kInvalidSmsc});
}

TEST(DeviceDetails, CustomSmscModeTestMessageAndTroubleshooting) {
    auto sim = StartSim();
    MainDeviceState devices;
    devices.ReplaceSelection({ScannedRecord(*sim)});
    ScriptedPrompter prompter;
    DeviceTestMessage::Options options{DeviceTest::kReplyTimeoutMs, DeviceTest::Timing()};
    DeviceDetailsController details(devices, prompter, options);
    const QString port = sim->PortName();

    EXPECT_FALSE(details.OnSaveCustomSmsc(-1, QString(), QStringLiteral("+15551234567")));
    EXPECT_FALSE(details.OnSaveCustomSmsc(0, QString(), QStringLiteral("91+98")));
    EXPECT_TRUE(details.OnSaveCustomSmsc(-1, port, QStringLiteral("+15551234567"))); // by the port field
    EXPECT_EQ(devices.CustomSmsc().Entries(), QStringList{port + QStringLiteral("||+15551234567||Y")});
    EXPECT_EQ(DeviceDetailsController::RowValues(*devices.Record(0)),
              (std::vector<QString>{port, devices.Record(0)->displayName, QStringLiteral("+15551234567"),
                                    QStringLiteral("PDU Mode"), QStringLiteral("PDU Mode & Text Mode"),
                                    QStringLiteral("+919845087001"), QStringLiteral("Y")}));
    EXPECT_TRUE(devices.SelectedDevicesText().contains(QStringLiteral("Custom SMSC No.: +15551234567\r\n")));

    // The test message goes with the saved custom SMSC, in the record's mode.
    EXPECT_EQ(details.OnSendTestMessage(0, QStringLiteral("5551234")), QStringLiteral("Message sent successfully."));
    ASSERT_EQ(sim->SubmissionCount(), 1);
    EXPECT_EQ(sim->Submissions()[0].smsc, QStringLiteral("+15551234567"));

    EXPECT_TRUE(details.OnResetCustomSmsc(0, QString()));
    EXPECT_TRUE(devices.CustomSmsc().Entries().isEmpty());
    EXPECT_EQ(devices.Record(0)->smscNumber, QStringLiteral("+919845087001"));

    EXPECT_TRUE(details.OnSmsModeChanged(0, DeviceRecord::kModeText));
    EXPECT_EQ(devices.SmsModesBySlot(), std::vector<int>{DeviceRecord::kModeText});
    EXPECT_TRUE(details.OnSmsModeChanged(0, DeviceRecord::kModePdu));
    EXPECT_FALSE(details.OnSmsModeChanged(4, DeviceRecord::kModePdu));

    prompter.Script({Answer::Yes});
    EXPECT_TRUE(details.OnAdvancedTroubleshooting(0));
    EXPECT_FALSE(details.OnAdvancedTroubleshooting(0)); // No
    EXPECT_FALSE(details.OnAdvancedTroubleshooting(-1));
    EXPECT_EQ(details.OnSendTestMessage(-1, QStringLiteral("5551234")), QString());

    const auto asked = prompter.Asked();
    QStringList messages;
    for (const auto& q : asked)
        messages << q.message;
    EXPECT_EQ(messages, (QStringList{DeviceMessages::kNoDeviceSelected, DeviceMessages::kInvalidSmsc,
                                     QStringLiteral("Custom SMSC No. save for %1.").arg(port),
                                     QStringLiteral("Message sent successfully."),
                                     QStringLiteral("Custom SMSC No. reset for %1.").arg(port),
                                     DeviceMessages::kTextModeInformation, DeviceMessages::kSelectValidDevice,
                                     DeviceMessages::kAdvancedTroubleshooting, DeviceMessages::kAdvancedTroubleshooting,
                                     DeviceMessages::kSelectValidDevice, DeviceMessages::kSelectValidDevice}));
    EXPECT_EQ(asked[5].caption, QStringLiteral("Information"));
    EXPECT_EQ(asked[7].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked[7].buttons, Prompter::Buttons::YesNo);
}

TEST(DeviceDetails, DeviceWithUndetectedCapabilitiesAsksBeforeTheTestMessage) {
    auto sim = StartSim(QStringLiteral("no-smsc"));
    MainDeviceState devices;
    DeviceRecord record = ScannedRecord(*sim);
    record.details.replace(QStringLiteral("SMS Capabilities : Yes"), QStringLiteral("SMS Capabilities : Not Detected"));
    devices.ReplaceSelection({record});
    ScriptedPrompter prompter;
    DeviceDetailsController details(devices, prompter, {DeviceTest::kReplyTimeoutMs, DeviceTest::Timing()});
    prompter.Script({Answer::No});
    EXPECT_EQ(details.OnSendTestMessage(0, QStringLiteral("5551234")), QString());
    prompter.Script({Answer::Yes, Answer::No});
    EXPECT_EQ(details.OnSendTestMessage(0, QStringLiteral("5551234")), QString());
    EXPECT_EQ(prompter.Messages(),
              (QStringList{DeviceMessages::kNoSmsCapabilitiesQuestion, DeviceMessages::kNoSmsCapabilitiesQuestion,
                           DeviceMessages::kNoDefaultSmsc}));
    EXPECT_EQ(sim->SubmissionCount(), 0);
}
