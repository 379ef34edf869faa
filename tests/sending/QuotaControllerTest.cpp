// The quota window's table, numbers, editing, OK and Reset; the quota settings text; the usage list.

#include "sending/QuotaController.h"
#include "devices/DeviceTexts.h"
#include "devices/MainDeviceState.h"
#include "fakes/ScriptedPrompter.h"
#include "sending/QuotaSettings.h"
#include "sending/QuotaState.h"
#include "sending/SendOptionsModel.h"

#include <gtest/gtest.h>

namespace {

using Answer = Prompter::Answer;
using Row = QuotaController::Row;

QString SelectedText(const QStringList& ports) {
    std::vector<DeviceRecord> records;
    for (const QString& port : ports) {
        DeviceRecord r;
        r.portName = port;
        r.displayName = DeviceTexts::DisplayName(port, QStringLiteral("SIMCOM SIM800"));
        records.push_back(r);
    }
    MainDeviceState state;
    state.ReplaceSelection(records);
    return state.SelectedDevicesText();
}

struct QuotaRig {
    QuotaState quota;
    SendOptionsModel options;
    ScriptedPrompter prompter;
    QString selected = SelectedText({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"});

    QuotaController Open(qsizetype total) { return QuotaController(selected, quota, options, total, prompter); }
};

} // namespace

TEST(QuotaController, RowsComeFromTheSelectedDevicesAndThePreviousSettings) {
    QuotaRig rig;
    rig.quota.SetSettingsText(QStringLiteral(";/dev/ttyUSB1;old name;Manual;7;N;\n;/dev/gone;x;Manual;4;Y;\n"
                                             ";/dev/ttyACM0;/dev/ttyACM0 (SIMCOM SIM800);Auto;Auto;Y;\n\n"));
    QuotaController c = rig.Open(20);
    ASSERT_EQ(c.RowCount(), 3);
    EXPECT_EQ(c.Rows()[0], (Row{"/dev/ttyUSB0", "/dev/ttyUSB0 (SIMCOM SIM800)", "Auto", "Auto", "Auto", true}));
    // Details always come from the selection; type, number and tick from the settings.
    EXPECT_EQ(c.Rows()[1], (Row{"/dev/ttyUSB1", "/dev/ttyUSB1 (SIMCOM SIM800)", "Manual", "7", "Manual", false}));
    EXPECT_EQ(c.Rows()[2].type, QStringLiteral("Auto"));
    EXPECT_EQ(c.RowValues(1), (QStringList{"/dev/ttyUSB1", "/dev/ttyUSB1 (SIMCOM SIM800)", "Manual", "7", "Manual"}));
    // The unticked Manual row is not counted.
    EXPECT_EQ(c.TotalMessages(), 20);
    EXPECT_EQ(c.AssignedQuota(), 0);
    EXPECT_TRUE(c.SetTicked(1, true));
    EXPECT_EQ(c.AssignedQuota(), 7);
    EXPECT_EQ(c.AvailableQuota(), 13);
}

TEST(QuotaController, TypeAndNumberEditing) {
    QuotaRig rig;
    QuotaController c = rig.Open(10);
    EXPECT_FALSE(c.IsAssignEditable(0));
    EXPECT_FALSE(c.SetAssign(0, QStringLiteral("3"))); // Auto rows show "Auto"
    EXPECT_FALSE(c.SetType(0, QStringLiteral("manual")));
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Manual")));
    EXPECT_EQ(c.Rows()[0].assign, QStringLiteral("0"));
    EXPECT_EQ(c.Rows()[0].last, QStringLiteral("Manual"));

    struct Case {
        const char* text;
        bool accepted;
    };
    for (const Case& k :
         {Case{"12", true}, Case{"", true}, Case{"007", true}, Case{"999999999", true}, Case{"1000000000", false},
          Case{"-1", false}, Case{"1a", false}, Case{" 5", false}, Case{"\xd9\xa3", false} /* Arabic-Indic three */}) {
        const QString before = c.Rows()[0].assign;
        EXPECT_EQ(c.SetAssign(0, QString::fromUtf8(k.text)), k.accepted) << k.text;
        EXPECT_EQ(c.Rows()[0].assign, k.accepted ? QString::fromUtf8(k.text) : before) << k.text;
    }
    ASSERT_TRUE(c.SetAssign(0, QStringLiteral("4")));
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Manual"))); // choosing Manual again keeps the number
    EXPECT_EQ(c.Rows()[0].assign, QStringLiteral("4"));
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Auto")));
    EXPECT_EQ(c.Rows()[0].assign, QStringLiteral("Auto"));
    EXPECT_FALSE(c.SetTicked(3, true));
    EXPECT_FALSE(c.SetType(-1, QStringLiteral("Auto")));
}

TEST(QuotaController, SettingsTextIsExact) {
    QuotaRig rig;
    QuotaController c = rig.Open(10);
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Manual")));
    ASSERT_TRUE(c.SetAssign(0, QStringLiteral("3")));
    ASSERT_TRUE(c.SetTicked(1, false));
    ASSERT_TRUE(c.SetType(2, QStringLiteral("Manual")));
    ASSERT_TRUE(c.SetAssign(2, QStringLiteral("0")));
    EXPECT_EQ(c.SettingsText(), QStringLiteral(";/dev/ttyUSB0;/dev/ttyUSB0 (SIMCOM SIM800);Manual;3;Y;\n"
                                               ";/dev/ttyUSB1;/dev/ttyUSB1 (SIMCOM SIM800);Auto;Auto;N;\n"
                                               ";/dev/ttyACM0;/dev/ttyACM0 (SIMCOM SIM800);Manual;0;Y;\n"
                                               "\n"));
    EXPECT_EQ(QuotaSettings::Format({}), QStringLiteral("\n"));
}

TEST(QuotaSettings, ParsesWhatItFormatsEvenWithSeparatorsInTheDetails) {
    const std::vector<QuotaSettings::Line> lines = {
        {"/dev/ttyUSB0", "Maker; Model; rev 2", "Manual", "12", true},
        {"/dev/ttyUSB1", "", "Auto", "Auto", false},
    };
    EXPECT_EQ(QuotaSettings::Parse(QuotaSettings::Format(lines)), lines);
    // Lines with too few fields are passed over; CR LF line ends read the same.
    EXPECT_EQ(QuotaSettings::Parse(QStringLiteral(";x;y;\r\n;/dev/a;d;Manual;5;Y;\r\n\r\n")),
              (std::vector<QuotaSettings::Line>{{"/dev/a", "d", "Manual", "5", true}}));
    EXPECT_EQ(QuotaSettings::AssignValue(QStringLiteral("Auto")), 0);
    EXPECT_EQ(QuotaSettings::AssignValue(QStringLiteral("42")), 42);
    EXPECT_EQ(QuotaSettings::AssignValue(QStringLiteral("99999999999999999999999")), 1'000'000'000'000);
}

TEST(QuotaController, OkRefusesUntilTheAssignmentFitsTheList) {
    QuotaRig rig;
    QuotaController c = rig.Open(10);
    for (int r = 0; r < 3; ++r)
        ASSERT_TRUE(c.SetTicked(r, false));
    EXPECT_FALSE(c.Ok());
    EXPECT_EQ(rig.prompter.Messages(), QStringList{QStringLiteral("Please select a device.")});

    ASSERT_TRUE(c.SetTicked(0, true));
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Manual")));
    ASSERT_TRUE(c.SetAssign(0, QStringLiteral("11")));
    rig.prompter.Clear();
    EXPECT_FALSE(c.Ok());
    EXPECT_EQ(rig.prompter.Messages(),
              QStringList{QStringLiteral("Currently assigned SMS Quota should not be greater than the Total number of "
                                         "Messages to be sent in your SMS list.")});
    // Refusals change nothing outside the window.
    EXPECT_TRUE(rig.quota.SettingsText().isEmpty());
    EXPECT_FALSE(rig.options.QuotaManagement());

    // Fewer than the list, and no ticked Auto device to take the rest: OK/Cancel question.
    ASSERT_TRUE(c.SetAssign(0, QStringLiteral("4")));
    rig.prompter.Clear();
    rig.prompter.Script({Answer::Cancel});
    EXPECT_FALSE(c.Ok());
    const auto asked = rig.prompter.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message,
              QStringLiteral("Currently assigned SMS Quota is lesser than the Total number of Messages to be sent in "
                             "your SMS list.\n\nThe Total number of SMS in list is 10\nBut only 4 messages have been "
                             "assigned to connected devices yet.\n6 unassigned Messages in the SMS list will remain "
                             "unsent.\n\nDo you want to continue?"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked[0].buttons, Prompter::Buttons::OkCancel);
    EXPECT_TRUE(rig.quota.SettingsText().isEmpty());

    rig.prompter.Script({Answer::Ok});
    EXPECT_TRUE(c.Ok());
    EXPECT_EQ(rig.quota.SettingsText(), c.SettingsText());
    EXPECT_TRUE(rig.options.QuotaManagement());
}

TEST(QuotaController, ATickedAutoDeviceTakesTheRestWithoutAQuestion) {
    QuotaRig rig;
    QuotaController c = rig.Open(10);
    ASSERT_TRUE(c.SetType(0, QStringLiteral("Manual")));
    ASSERT_TRUE(c.SetAssign(0, QStringLiteral("3")));
    EXPECT_TRUE(c.Ok());
    EXPECT_TRUE(rig.prompter.Asked().empty());
    // Reopening shows what was confirmed.
    QuotaController again = rig.Open(10);
    EXPECT_EQ(again.Rows(), c.Rows());
}

TEST(QuotaController, ResetAsksThenPutsEveryRowBackToAuto) {
    QuotaRig rig;
    QuotaController c = rig.Open(10);
    ASSERT_TRUE(c.SetType(1, QStringLiteral("Manual")));
    ASSERT_TRUE(c.SetAssign(1, QStringLiteral("5")));
    ASSERT_TRUE(c.SetTicked(2, false));
    const auto before = c.Rows();
    rig.prompter.Script({Answer::No});
    EXPECT_FALSE(c.Reset());
    EXPECT_EQ(c.Rows(), before);
    EXPECT_EQ(rig.prompter.Messages(),
              QStringList{QStringLiteral("This option will clear the all assigned quota. Are you sure you want to "
                                         "continue?")});
    rig.prompter.Script({Answer::Yes});
    EXPECT_TRUE(c.Reset());
    for (const Row& r : c.Rows()) {
        EXPECT_EQ(r.type, QStringLiteral("Auto"));
        EXPECT_EQ(r.assign, QStringLiteral("Auto"));
    }
    EXPECT_FALSE(c.Rows()[2].ticked);
    EXPECT_EQ(c.AssignedQuota(), 0);
}

TEST(QuotaController, TheWindowOpensOnlyOverAList) {
    ScriptedPrompter prompter;
    EXPECT_FALSE(QuotaController::MayOpen(0, prompter));
    EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("Phone numbers-Messages list is empty.")});
    EXPECT_TRUE(QuotaController::MayOpen(1, prompter));
    EXPECT_EQ(prompter.Asked().size(), 1u);
}

TEST(QuotaState, ManualQuotaIsReducedByTheUsageList) {
    QuotaState quota;
    quota.SetSettingsText(QStringLiteral(";/dev/ttyUSB0;a;Manual;5;Y;\n;/dev/ttyUSB1;b;Auto;Auto;Y;\n\n"));
    using Quota = DeviceQuota;
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/ttyUSB0")), (Quota{5, DeviceQuota::Mode::Manual}));
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/ttyUSB1")), (Quota{}));
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/other")), (Quota{}));
    quota.AddUsage(QStringLiteral("/dev/ttyUSB0"), 2);
    quota.AddUsage(QStringLiteral("/dev/ttyUSB1"), 9);
    quota.AddUsage(QStringLiteral("/dev/ttyUSB0"), 1);
    EXPECT_EQ(quota.UsageEntries(), (QStringList{"/dev/ttyUSB0|2", "/dev/ttyUSB1|9", "/dev/ttyUSB0|1"}));
    EXPECT_EQ(quota.UsedBy(QStringLiteral("/dev/ttyUSB0")), 3);
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/ttyUSB0")), (Quota{2, DeviceQuota::Mode::Manual}));
    quota.AddUsage(QStringLiteral("/dev/ttyUSB0"), 4);
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/ttyUSB0")), (Quota{0, DeviceQuota::Mode::Manual})); // never below 0
    quota.ClearUsage();
    EXPECT_EQ(quota.QuotaFor(QStringLiteral("/dev/ttyUSB0")), (Quota{5, DeviceQuota::Mode::Manual}));

    QString port;
    int sent = 0;
    ASSERT_TRUE(QuotaState::ParseUsageEntry(QStringLiteral("/dev/odd|name|12"), &port, &sent));
    EXPECT_EQ(port, QStringLiteral("/dev/odd|name"));
    EXPECT_EQ(sent, 12);
    EXPECT_FALSE(QuotaState::ParseUsageEntry(QStringLiteral("no count"), &port, &sent));
}
