// Auto and Manual device preparation over simulated modems and ports that do not exist, with scripted
// answers; a Manual quota limiting a real run.

#include "SimDeviceRig.h"

#include "fakes/ScriptedPrompter.h"
#include "modem/CSMSException.h"
#include "sending/DevicePreparation.h"
#include "sending/QuotaState.h"
#include "sending/SendRun.h"

#include <gtest/gtest.h>

namespace {

using Answer = Prompter::Answer;

struct PrepRig : SimDeviceRig {
    ScriptedPrompter prompter;
    QuotaState quota;
    DevicePreparation prep{slots, prompter, devices, quota};

    static QStringList Entries(const DevicePreparation::Result& r) {
        QStringList entries;
        for (const RunDevice& d : r.devices)
            entries << d.entry;
        return entries;
    }

    // A run of `count` rows over the prepared devices, to its end.
    void RunRows(const DevicePreparation::Result& prepared, int count, bool quotaManagement) {
        std::vector<std::pair<QString, QString>> rows;
        for (int i = 0; i < count; ++i)
            rows.emplace_back(QStringLiteral("+4477009%1").arg(100 + i), QStringLiteral("Hello"));
        SendContext ctx;
        ctx.rowCount = [&rows] { return static_cast<int>(rows.size()); };
        ctx.rowAt = [&rows](int i) { return rows.at(static_cast<size_t>(i)); };
        ctx.options.quotaManagement = quotaManagement;
        ctx.slots = &slots;
        ctx.prompter = &prompter;
        ctx.clock = SendClock(0.01);
        prep.FillContext(prepared, ctx);
        SendRun run(ctx);
        run.Open();
        ASSERT_TRUE(run.WaitForEnd(60000));
    }
};

QString OpenError(const QString& port) {
    CSMSSerialPort p;
    try {
        p.Open(5000, port);
    } catch (const CSMSException& e) {
        return QStringLiteral("Error : ") + GetErrorText(e);
    }
    return {};
}

} // namespace

TEST(DevicePreparation, AutoTakesEveryDeviceThatOpensAndAddsAllDevice) {
    PrepRig rig;
    rig.AddSim();
    rig.AddSim();
    const auto r = rig.prep.Prepare(QStringLiteral("All Device"), false);
    ASSERT_TRUE(r.ready);
    EXPECT_EQ(PrepRig::Entries(r), (QStringList{rig.Entry(0), rig.Entry(1)}));
    EXPECT_EQ(r.selectedEntry, QStringLiteral("All Device"));
    EXPECT_EQ(rig.prep.DevicesInUse(), (QStringList{rig.Entry(0), rig.Entry(1), "All Device"}));
    EXPECT_TRUE(rig.prompter.Asked().empty());
    // The test opening leaves no port held.
    for (int s = 0; s < ModemSlots::kSlotCount; ++s)
        EXPECT_FALSE(rig.slots.SerialPort(s).IsOpen()) << s;
}

TEST(DevicePreparation, AutoWithOneSelectedDeviceOpensOnlyThatOne) {
    PrepRig rig;
    rig.AddMissing();
    rig.AddSim();
    const auto r = rig.prep.Prepare(rig.Entry(1), false);
    ASSERT_TRUE(r.ready);
    EXPECT_EQ(PrepRig::Entries(r), QStringList{rig.Entry(1)});
    EXPECT_EQ(r.selectedEntry, rig.Entry(1));
    EXPECT_EQ(rig.prep.DevicesInUse(), QStringList{rig.Entry(1)}); // one device: no "All Device"
    EXPECT_TRUE(rig.prompter.Asked().empty());                     // the missing one was never tried
}

TEST(DevicePreparation, AutoAsksWhenSomeDevicesFail) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        PrepRig rig;
        const QString gone = rig.AddMissing();
        rig.AddSim();
        rig.prompter.Script({answer});
        const auto r = rig.prep.Prepare(QStringLiteral("All Device"), false);
        const auto asked = rig.prompter.Asked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].message, OpenError(gone) + QStringLiteral("\n\n") + DevicePreparation::kSomeFailed);
        EXPECT_EQ(asked[0].buttons, Prompter::Buttons::YesNo);
        EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
        EXPECT_EQ(r.ready, answer == Answer::Yes);
        if (answer == Answer::Yes) {
            // The remembered "All Device" is gone with one device left: the last entry is selected.
            EXPECT_EQ(PrepRig::Entries(r), QStringList{rig.Entry(1)});
            EXPECT_EQ(r.selectedEntry, rig.Entry(1));
        }
    }
}

TEST(DevicePreparation, AutoStopsWhenEveryDeviceFails) {
    PrepRig rig;
    const QString a = rig.AddMissing();
    const QString b = rig.AddMissing();
    const auto r = rig.prep.Prepare(QStringLiteral("All Device"), false);
    EXPECT_FALSE(r.ready);
    EXPECT_EQ(rig.prompter.Messages(),
              QStringList{OpenError(a) + "\n" + OpenError(b) + "\n\n" +
                          QStringLiteral("All Device not connected properly or not functioning.\n\nPlease use Mobile "
                                         "Phone Connection Wizard for finding device or establishing connection.")});
    EXPECT_EQ(rig.prompter.Asked()[0].buttons, Prompter::Buttons::Ok);
    EXPECT_TRUE(rig.prep.DevicesInUse().isEmpty());
}

TEST(DevicePreparation, AutoWithoutAnyDevice) {
    PrepRig rig;
    rig.AddSim();
    EXPECT_FALSE(rig.prep.Prepare(QStringLiteral("/dev/none - nothing"), false).ready);
    EXPECT_EQ(rig.prompter.Messages(), QStringList{DevicePreparation::kNoDevice});
}

TEST(DevicePreparation, ManualTakesTickedDevicesWithQuota) {
    PrepRig rig;
    const QString a = rig.AddSim();
    const QString b = rig.AddSim();
    const QString c = rig.AddSim();
    const QString d = rig.AddSim();
    rig.quota.SetSettingsText(";" + a + ";x;Manual;3;Y;\n;" + b + ";x;Manual;0;Y;\n;" + c + ";x;Auto;Auto;N;\n;" + d +
                              ";x;Auto;Auto;Y;\n;/dev/unselected;x;Auto;Auto;Y;\n\n");
    const auto r = rig.prep.Prepare(QStringLiteral("All Device"), true);
    ASSERT_TRUE(r.ready);
    // Quota 0 and the unticked device are left out; a line for a device no longer selected too.
    EXPECT_EQ(PrepRig::Entries(r), (QStringList{rig.Entry(0), rig.Entry(3)}));
    EXPECT_EQ(rig.prep.DevicesInUse(), (QStringList{rig.Entry(0), rig.Entry(3), "All Device"}));
    EXPECT_EQ(r.selectedEntry, QStringLiteral("All Device"));
    using Quota = DeviceQuota;
    EXPECT_EQ(rig.prep.QuotaFor(a), (Quota{3, DeviceQuota::Mode::Manual}));
    EXPECT_EQ(rig.prep.QuotaFor(d), (Quota{}));

    // One selected device: only its line counts, and "All Device" is still added.
    const auto one = rig.prep.Prepare(rig.Entry(0), true);
    ASSERT_TRUE(one.ready);
    EXPECT_EQ(PrepRig::Entries(one), QStringList{rig.Entry(0)});
    EXPECT_EQ(one.selectedEntry, rig.Entry(0));
    EXPECT_EQ(rig.prep.DevicesInUse(), (QStringList{rig.Entry(0), "All Device"}));
    EXPECT_TRUE(rig.prompter.Asked().empty());
}

TEST(DevicePreparation, ManualRefusesWhenNoLineQualifies) {
    PrepRig rig;
    const QString a = rig.AddSim();
    const QString b = rig.AddSim();
    rig.quota.SetSettingsText(";" + a + ";x;Manual;0;Y;\n;" + b + ";x;Auto;Auto;Y;\n\n");
    EXPECT_FALSE(rig.prep.Prepare(rig.Entry(0), true).ready); // the selected device has quota 0
    EXPECT_EQ(rig.prompter.Messages(),
              QStringList{QStringLiteral("Please check your Quota Management settings.\n\nIn your Quota Management "
                                         "Settings, No device or Selected Device has not been assigned sufficient "
                                         "quota to send sms.")});
    rig.prompter.Clear();
    rig.quota.SetSettingsText(QString());
    EXPECT_FALSE(rig.prep.Prepare(QStringLiteral("All Device"), true).ready);
    EXPECT_EQ(rig.prompter.Messages(), QStringList{DevicePreparation::kCheckQuota});
}

TEST(DevicePreparation, ManualQuotaOfThreeStopsTheDeviceAndZeroExcludesIt) {
    PrepRig rig;
    const QString a = rig.AddSim();
    const QString b = rig.AddSim();
    rig.quota.SetSettingsText(";" + a + ";x;Manual;3;Y;\n;" + b + ";x;Manual;0;Y;\n\n");
    rig.quota.AddUsage(a, 3); // an earlier run's usage does not count against this one
    const auto r = rig.prep.Prepare(QStringLiteral("All Device"), true);
    ASSERT_TRUE(r.ready);
    EXPECT_EQ(rig.prep.QuotaFor(a), (DeviceQuota{3, DeviceQuota::Mode::Manual}));
    rig.RunRows(r, 6, true);
    EXPECT_EQ(rig.Submitted(0), 3);
    EXPECT_EQ(rig.Submitted(1), 0);
    EXPECT_EQ(rig.quota.UsageEntries(), QStringList{a + QStringLiteral("|3")});
    // The used-up device left the devices in use.
    EXPECT_EQ(rig.prep.DevicesInUse(), QStringList{QStringLiteral("All Device")});
    EXPECT_EQ(rig.prep.QuotaFor(a), (DeviceQuota{0, DeviceQuota::Mode::Manual}));
}

TEST(DevicePreparation, ManualAndAutoDevicesShareARun) {
    PrepRig rig;
    const QString a = rig.AddSim();
    const QString b = rig.AddSim(QStringLiteral("slow:20"));
    rig.quota.SetSettingsText(";" + a + ";x;Manual;2;Y;\n;" + b + ";x;Auto;Auto;Y;\n\n");
    const auto r = rig.prep.Prepare(QStringLiteral("All Device"), true);
    ASSERT_TRUE(r.ready);
    rig.RunRows(r, 8, true);
    EXPECT_LE(rig.Submitted(0), 2);
    EXPECT_EQ(rig.Submitted(0) + rig.Submitted(1), 8);
    EXPECT_EQ(rig.Accepted().size(), 8u);
    EXPECT_EQ(rig.quota.UsedBy(a), rig.Submitted(0));
    EXPECT_EQ(rig.quota.UsedBy(b), rig.Submitted(1));
}
