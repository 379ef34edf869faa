// The device selection window's logic: scan on its thread, "Use Selected Device" for one and several rows,
// its refusals and questions, "Continue without Device Selection", the test message, custom SMSC.

#include "fakes/DeviceTestSupport.h"
#include "fakes/ScriptedPrompter.h"

#include "devices/DeviceMessages.h"
#include "devices/DeviceSelectionController.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"

#include <condition_variable>
#include <mutex>

using DeviceTest::StartSim;
using Answer = Prompter::Answer;

namespace {

DeviceSelectionController::Options TestOptions() {
    DeviceSelectionController::Options o;
    o.scanTimeoutMs = DeviceTest::kReplyTimeoutMs;
    o.deviceTimeoutMs = DeviceTest::kReplyTimeoutMs;
    o.timing = DeviceTest::Timing();
    return o;
}

struct Fixture {
    explicit Fixture(std::vector<SimModem*> sims, DeviceSelectionController::Options options = TestOptions())
        : controller(
              devices, prompter,
              [sims] {
                  std::vector<PortInfo> ports;
                  for (SimModem* s : sims)
                      ports.push_back({s->PortName(), QStringLiteral("Simulated GSM Modem"), PortInfo::Kind::Device});
                  return ports;
              },
              options) {}

    MainDeviceState devices;
    ScriptedPrompter prompter;
    DeviceSelectionController controller;
};

// Lets a test hold the scan inside its first port until released.
class GateObserver : public ScanObserver {
public:
    void OnPortStarted(int, const PortInfo&) override {
        std::unique_lock lock(m_mutex);
        m_entered = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    void WaitEntered() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_entered; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_open = false;
};

} // namespace

TEST(DeviceSelection, ScanOnItsThreadFillsRowsAndRebuildsTheCustomSmscTable) {
    auto a = StartSim(QStringLiteral("default"), QStringLiteral("111111111111111"));
    auto b = StartSim(QStringLiteral("text-only"), QStringLiteral("222222222222222"));
    Fixture f({a.get(), b.get()});
    f.devices.CustomSmsc().Set(QStringLiteral("/dev/old"), QStringLiteral("+1"), true);
    ASSERT_TRUE(f.controller.StartScan(nullptr));
    EXPECT_FALSE(f.controller.StartScan(nullptr)); // one scan at a time
    f.controller.WaitForScan();
    EXPECT_FALSE(f.controller.IsScanning());
    const auto rows = f.controller.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].smsMode, DeviceRecord::kModeText);
    EXPECT_EQ(f.devices.CustomSmsc().Entries(),
              (QStringList{a->PortName() + QStringLiteral("||||N"), b->PortName() + QStringLiteral("||||N")}));
    EXPECT_TRUE(f.prompter.Messages().isEmpty());
}

TEST(DeviceSelection, NoDeviceFoundIsReported) {
    auto dead = StartSim(QStringLiteral("dead"));
    Fixture f({dead.get()});
    const auto result = f.controller.ScanNow(nullptr);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(f.prompter.Messages(), QStringList{DeviceMessages::kNoDeviceFound});
    EXPECT_EQ(f.prompter.Asked().at(0).caption, QStringLiteral("Message"));
}

TEST(DeviceSelection, StopAndCloseWhileScanningAsk) {
    auto a = StartSim();
    Fixture f({a.get()});
    GateObserver gate;
    ASSERT_TRUE(f.controller.StartScan(&gate));
    gate.WaitEntered();
    f.prompter.Script({Answer::No, Answer::Yes, Answer::No, Answer::Yes});
    EXPECT_FALSE(f.controller.OnStop());  // No: the scan goes on
    EXPECT_TRUE(f.controller.OnStop());   // Yes: stopping
    EXPECT_FALSE(f.controller.OnClose()); // No: stays open
    // Buttons that need the discovery port do nothing while the scan holds it.
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({0}, {}));
    gate.Open();
    EXPECT_TRUE(f.controller.OnClose()); // Yes, or already finished
    EXPECT_EQ(f.prompter.Messages().mid(0, 3),
              (QStringList{DeviceMessages::kStopScan, DeviceMessages::kStopScan, DeviceMessages::kTerminateScan}));
    EXPECT_FALSE(f.controller.IsScanning());
    // A stopped scan does not report that nothing was found.
    EXPECT_FALSE(f.prompter.Messages().contains(DeviceMessages::kNoDeviceFound));
}

TEST(DeviceSelection, UsingOneDeviceReplacesTheSelection) {
    auto a = StartSim(QStringLiteral("default"), QStringLiteral("111111111111111"));
    auto b = StartSim(QStringLiteral("default"), QStringLiteral("222222222222222"));
    Fixture f({a.get(), b.get()});
    f.controller.ScanNow(nullptr);
    ASSERT_TRUE(f.controller.OnUseSelectedDevice({0, 1}, {}));
    ASSERT_EQ(f.devices.DeviceCount(), 2);
    // Using the wizard again with one device leaves only that one, without "All Device".
    ASSERT_TRUE(f.controller.OnUseSelectedDevice({1}, {}));
    // The entry names the port once.
    const QString entry = b->PortName() + QStringLiteral(" - Simulated GSM Modem");
    EXPECT_EQ(f.devices.DeviceEntries(), QStringList{entry});
    const DeviceRecord record = *f.devices.Record(0);
    EXPECT_EQ(record.slot, 0);
    EXPECT_EQ(record.portName, b->PortName());
    EXPECT_EQ(record.smsMode, DeviceRecord::kModePdu);
    EXPECT_EQ(f.devices.CurrentSmsMode(), DeviceRecord::kModePdu);
    EXPECT_EQ(
        f.devices.SelectedDevicesText(),
        QStringLiteral("\r\nConnected Device Details:\r\n--------------------------------\r\n\r\n"
                       "Com Port: %1\r\n\r\nCom Port Details: %1 (Simulated GSM Modem)\r\n\r\n"
                       "Default SMSC No.: +919845087001\r\n\r\nCustom SMSC No.: \r\n\r\nSMS Mode: PDU Mode\r\n\r\n"
                       "SUP SMS Mode: PDU Mode & Text Mode\r\n\r\nUSE CUS SMSC: N\r\n\r\n")
            .arg(b->PortName()));
    EXPECT_TRUE(f.prompter.Messages().isEmpty());
}

TEST(DeviceSelection, SeveralDevicesAreTakenTogetherWithAllDevice) {
    auto a = StartSim(QStringLiteral("default"), QStringLiteral("111111111111111"));
    auto b = StartSim(QStringLiteral("text-only"), QStringLiteral("222222222222222"));
    auto c = StartSim(QStringLiteral("no-smsc"), QStringLiteral("333333333333333"));
    Fixture f({a.get(), b.get(), c.get()});
    f.controller.ScanNow(nullptr);
    ASSERT_EQ(f.controller.Rows().size(), 3u);
    // The device without any SMSC is asked about and declined; the other two are taken.
    f.prompter.Script({Answer::No});
    ASSERT_TRUE(f.controller.OnUseSelectedDevice({0, 1, 2}, {}));
    EXPECT_EQ(f.prompter.Messages(), QStringList{DeviceMessages::kNoDefaultSmsc});
    EXPECT_EQ(f.prompter.Asked().at(0).caption, QStringLiteral("Confirm"));
    const QStringList entries = f.devices.DeviceEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[0].startsWith(a->PortName() + QStringLiteral(" - ")));
    EXPECT_TRUE(entries[1].startsWith(b->PortName() + QStringLiteral(" - ")));
    EXPECT_EQ(entries[2], QStringLiteral("All Device"));
    EXPECT_EQ(f.devices.SmsModesBySlot(), (std::vector<int>{DeviceRecord::kModePdu, DeviceRecord::kModeText}));
    EXPECT_EQ(f.devices.SelectedDevicesText().count(QStringLiteral("Connected Device Details:")), 2);
    EXPECT_EQ(DeviceTexts::PortOfEntry(entries[1]), b->PortName());
}

TEST(DeviceSelection, DeviceWithoutSmscIsTakenWhenConfirmedOrWithACustomNumber) {
    auto c = StartSim(QStringLiteral("no-smsc"));
    Fixture f({c.get()});
    f.controller.ScanNow(nullptr);
    f.prompter.Script({Answer::No});
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({0}, {}));
    EXPECT_EQ(f.devices.DeviceCount(), 0);
    f.prompter.Script({Answer::Yes});
    EXPECT_TRUE(f.controller.OnUseSelectedDevice({0}, {}));
    EXPECT_EQ(f.devices.DeviceCount(), 1);
    // With a custom SMSC ticked nothing is asked, and the record carries it.
    f.prompter.Clear();
    ASSERT_TRUE(f.controller.OnUseSelectedDevice({0}, {true, QStringLiteral(" +15550001111 ")}));
    EXPECT_TRUE(f.prompter.Messages().isEmpty());
    const DeviceRecord r = *f.devices.Record(0);
    EXPECT_TRUE(r.useCustomSmsc);
    EXPECT_EQ(r.customSmsc, QStringLiteral("+15550001111"));
    EXPECT_EQ(r.smscNumber, QStringLiteral("+15550001111"));
    EXPECT_EQ(f.devices.CustomSmsc().Find(c->PortName())->number, QStringLiteral("+15550001111"));
    EXPECT_TRUE(f.devices.CustomSmsc().Find(c->PortName())->inUse);
}

TEST(DeviceSelection, RefusalsOfUseSelectedDevice) {
    auto a = StartSim();
    Fixture f({a.get()});
    f.controller.ScanNow(nullptr);
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({}, {}));
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({0}, {true, QStringLiteral("91+98")}));
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({0}, {true, QString()}));
    EXPECT_EQ(f.prompter.Messages(), (QStringList{DeviceMessages::kSelectValidDevice, DeviceMessages::kInvalidSmsc,
                                                  DeviceMessages::kInvalidSmsc}));
    EXPECT_EQ(f.devices.DeviceCount(), 0);

    // The device went away after the scan: the modem layer's error is shown, nothing is taken.
    f.prompter.Clear();
    a->Stop();
    EXPECT_FALSE(f.controller.OnUseSelectedDevice({0}, {}));
    ASSERT_EQ(f.prompter.Messages().size(), 1);
    EXPECT_TRUE(f.prompter.Messages().at(0).startsWith(DeviceMessages::kDeviceNotWorking));
    EXPECT_EQ(f.devices.DeviceCount(), 0);
}

TEST(DeviceSelection, ContinueWithoutDeviceSelection) {
    auto a = StartSim();
    Fixture f({a.get()});
    EXPECT_TRUE(f.controller.OnContinueWithoutDeviceSelection(false)); // no rows: nothing to ask
    f.controller.ScanNow(nullptr);
    EXPECT_TRUE(f.controller.OnContinueWithoutDeviceSelection(true));
    f.prompter.Script({Answer::No, Answer::Yes});
    EXPECT_FALSE(f.controller.OnContinueWithoutDeviceSelection(false));
    EXPECT_TRUE(f.controller.OnContinueWithoutDeviceSelection(false));
    EXPECT_EQ(f.prompter.Messages(), (QStringList{DeviceMessages::kSmsModeBlank, DeviceMessages::kSmsModeBlank}));
}

TEST(DeviceSelection, TestMessage) {
    auto a = StartSim();
    Fixture f({a.get()});
    f.controller.ScanNow(nullptr);
    EXPECT_EQ(f.controller.OnSendTestMessage(0, QStringLiteral("12+34"), {}), QString());
    EXPECT_EQ(f.controller.OnSendTestMessage(5, QStringLiteral("+15551234567"), {}), QString());
    EXPECT_EQ(f.controller.OnSendTestMessage(0, QStringLiteral("+1 (555) 123-4567"), {}),
              QStringLiteral("Message sent successfully."));
    EXPECT_EQ(f.prompter.Messages(),
              (QStringList{DeviceMessages::kInvalidTestNumber, DeviceMessages::kSelectValidDevice,
                           QStringLiteral("Message sent successfully.")}));
    const auto sent = a->Submissions();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].to, QStringLiteral("+15551234567"));
    EXPECT_EQ(sent[0].text, QStringLiteral("Test message has been sent by VRIX Bulk SMS"));
    EXPECT_EQ(sent[0].smsc, QString()); // the device's own SMSC

    // In text mode, with a custom SMSC ticked.
    ASSERT_TRUE(f.controller.SetRowSmsMode(0, DeviceRecord::kModeText));
    EXPECT_EQ(f.controller.OnSendTestMessage(0, QStringLiteral("5551234"), {true, QStringLiteral("+15550001111")}),
              QStringLiteral("Message sent successfully."));
    ASSERT_EQ(a->Submissions().size(), 2u);
    EXPECT_EQ(a->Submissions()[1].mode, QStringLiteral("text"));
}

TEST(DeviceSelection, TestMessageFailureShowsTheDevicesError) {
    auto a = StartSim(QStringLiteral("cms:38"));
    Fixture f({a.get()});
    f.controller.ScanNow(nullptr);
    EXPECT_EQ(f.controller.OnSendTestMessage(0, QStringLiteral("5551234"), {}),
              QStringLiteral("Error : +CMS ERROR: 38"));
    EXPECT_EQ(f.prompter.Messages(), QStringList{QStringLiteral("Error : +CMS ERROR: 38")});
}

TEST(DeviceSelection, SaveAndResetCustomSmscOfARow) {
    auto a = StartSim();
    Fixture f({a.get()});
    f.controller.ScanNow(nullptr);
    const QString port = a->PortName();
    EXPECT_FALSE(f.controller.OnSaveCustomSmsc(-1, QStringLiteral("+15551234567")));
    EXPECT_FALSE(f.controller.OnSaveCustomSmsc(0, QStringLiteral("91+98")));
    EXPECT_TRUE(f.controller.OnSaveCustomSmsc(0, QStringLiteral("+15551234567")));
    EXPECT_EQ(f.devices.CustomSmsc().Entries(), QStringList{port + QStringLiteral("||+15551234567||Y")});
    EXPECT_EQ(f.controller.Rows()[0].smscNumber, QStringLiteral("+15551234567"));
    // Taking the device, the check box decides: unticked, the device's own SMSC and "||N".
    ASSERT_TRUE(f.controller.OnUseSelectedDevice({0}, {}));
    EXPECT_FALSE(f.devices.Record(0)->useCustomSmsc);
    EXPECT_EQ(f.devices.Record(0)->smscNumber, QStringLiteral("+919845087001"));
    EXPECT_EQ(f.devices.CustomSmsc().Entries(), QStringList{port + QStringLiteral("||||N")});
    EXPECT_TRUE(f.controller.OnResetCustomSmsc(0));
    EXPECT_FALSE(f.devices.CustomSmsc().Find(port).has_value());
    EXPECT_EQ(f.controller.Rows()[0].smscNumber, QStringLiteral("+919845087001"));
    EXPECT_EQ(f.prompter.Messages(), (QStringList{DeviceMessages::kNoDeviceSelected, DeviceMessages::kInvalidSmsc,
                                                  QStringLiteral("Custom SMSC No. save for %1.").arg(port),
                                                  QStringLiteral("Custom SMSC No. reset for %1.").arg(port)}));
}

TEST(DeviceSelection, DetailPairsSplitLabelsFromValues) {
    auto a = StartSim();
    Fixture f({a.get()});
    f.controller.ScanNow(nullptr);
    const auto pairs = f.controller.DetailPairs(0);
    ASSERT_GE(pairs.size(), 11u);
    EXPECT_EQ(pairs[0], (QPair<QString, QString>{QStringLiteral("COM Port"), a->PortName()}));
    EXPECT_EQ(pairs[2], (QPair<QString, QString>{QStringLiteral("Manufacturer"), QStringLiteral("SIMCOM")}));
    EXPECT_EQ(pairs[7], (QPair<QString, QString>{QStringLiteral("Default SMSC No."), QStringLiteral("+919845087001")}));
    EXPECT_EQ(pairs.back(), (QPair<QString, QString>{QStringLiteral("SMS Capabilities"), QStringLiteral("Yes")}));
    EXPECT_TRUE(f.controller.DetailPairs(3).empty());
}

// The wizard selects the devices the user chose last time (found by IMEI, whatever their ports now), beside the
// rows the user selected; with neither, the last row as before.
TEST(DeviceSelection, RememberedDevicesAreSelectedByImei) {
    auto a = StartSim(QStringLiteral("default"), QStringLiteral("111111111111111"));
    auto b = StartSim(QStringLiteral("default"), QStringLiteral("222222222222222"));
    auto c = StartSim(QStringLiteral("default"), QStringLiteral("333333333333333"));
    DeviceSelectionController::Options options = TestOptions();
    options.rememberedImeis = {QStringLiteral("333333333333333"), QStringLiteral("111111111111111")};
    Fixture f({a.get(), b.get(), c.get()}, options);
    f.controller.ScanNow(nullptr);
    ASSERT_EQ(f.controller.Rows().size(), 3u);
    EXPECT_EQ(f.controller.RowsToSelect({}), (std::vector<int>{0, 2}));
    EXPECT_EQ(f.controller.RowsToSelect({1}), (std::vector<int>{0, 1, 2}));

    Fixture none({a.get(), b.get()});
    none.controller.ScanNow(nullptr);
    EXPECT_EQ(none.controller.RowsToSelect({}), (std::vector<int>{1}));
}
