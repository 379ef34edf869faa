// The main window's Send command: the checks in their order with messages and focus targets, the questions,
// the reloads and port closing before a run, a whole send over simulated modems, and Reset.

#include "SimDeviceRig.h"

#include "composer/MessageComposer.h"
#include "composer/RecipientList.h"
#include "exclusion/ExclusionSet.h"
#include "exclusion/ExclusionStore.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsStore.h"
#include "sending/ComposerTextQuestion.h"
#include "sending/PrompterComposerTextQuestion.h"
#include "sending/QuotaState.h"
#include "sending/SendCommand.h"
#include "sending/SendOptionsModel.h"
#include "sending/SendRun.h"
#include "sending/SendState.h"
#include "templates/TemplateCache.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using Answer = Prompter::Answer;
using Outcome = SendCommand::Outcome;
using Button = ComposerTextQuestion::Button;
using Scope = ComposerTextQuestion::Scope;

class ScriptedComposerQuestion : public ComposerTextQuestion {
public:
    Answer Ask() override {
        ++asked;
        if (script.empty())
            return {Button::Cancel, kDefaultScope};
        const Answer a = script.front();
        script.pop_front();
        return a;
    }
    std::deque<Answer> script;
    int asked = 0;
};

struct SendRig : SimDeviceRig {
    RecipientList list;
    MessageComposer composer;
    SendOptionsModel options;
    ExclusionSet exclusion;
    DataPaths paths{dir.path()};
    ExclusionStore exclusionStore{paths};
    TemplateCache templates{TemplateStore(paths.TemplatesFile())};
    SentItemsStore sentItems{paths.SentItemFile()};
    QuotaState quota;
    SendState state;
    ScriptedPrompter prompter;
    ScriptedComposerQuestion question;
    SendCommand command{SendCommand::Models{&list, &composer, &options, &devices, &exclusion, &exclusionStore,
                                            &templates, &sentItems, &slots, &state, &quota, &prompter, &question, {}, {}, {}}};
    SendCommand::WindowState window;

    SendRig() { paths.EnsureDataFiles(); }

    void AddRows(int count, const QString& message = QStringLiteral("Hi")) {
        for (int i = 0; i < count; ++i)
            list.InsertRow(list.Count(), QStringLiteral("+4477001%1").arg(1000 + list.Count()), message, {});
    }
    // A device selected as the device windows leave it: the text beside "Selected Mobile Device :" and the
    // drop-down's selection.
    void Select(const QString& entry) {
        window.deviceText = devices.DeviceCount() < 2
                                ? entry
                                : QStringLiteral("(%1) Mobile Phone Device selected.").arg(devices.DeviceCount());
        window.selectedEntry = entry;
    }
    // A selected device that is never opened by the checks.
    void SelectOffline() {
        AddRecord(QStringLiteral("/dev/offline"), QStringLiteral("Offline"));
        Select(Entry(0));
    }
};

// The run a Send opens: a real SendRun with a fast clock, waited for to its end.
SendCommand::OpenRun RunToEnd(int* opened = nullptr) {
    return [opened](SendContext ctx) {
        if (opened)
            ++*opened;
        ctx.clock = SendClock(0.01);
        SendRun run(ctx);
        run.Open();
        EXPECT_TRUE(run.WaitForEnd(60000));
    };
}

} // namespace

TEST(SendCommand, ChecksRefuseInOrderWithMessageAndFocus) {
    struct Case {
        const char* name;
        std::function<void(SendRig&)> setUp;
        QString message;
        SendFocus focus;
    };
    const std::vector<Case> cases = {
        {"no device",
         [](SendRig& r) {
             r.AddRows(1);
             r.window.numberField = "+44";
         },
         SendCommand::kNoDevice, SendFocus::None},
        {"device text but no entry selected",
         [](SendRig& r) {
             r.SelectOffline();
             r.window.selectedEntry.clear();
             r.AddRows(1);
         },
         SendCommand::kNoDevice, SendFocus::None},
        {"typed number not added, list has rows",
         [](SendRig& r) {
             r.SelectOffline();
             r.AddRows(2);
             r.window.numberField = "+447700";
         },
         "Please insert entered number to the list.", SendFocus::NumberField},
        {"typed number not added, list empty",
         [](SendRig& r) {
             r.SelectOffline();
             r.window.numberField = "+447700";
         },
         "Please insert entered number to the list.", SendFocus::NumberField},
        {"empty list", [](SendRig& r) { r.SelectOffline(); }, "Phone numbers-Messages list is empty.",
         SendFocus::NumberField},
        {"empty first number",
         [](SendRig& r) {
             r.SelectOffline();
             r.AddRows(2);
             r.list.SetRow(0, QString(), QStringLiteral("Hi"));
         },
         "Please enter a valid phone number.", SendFocus::NumberField},
        {"delayed delivery, both drop-downs emptied",
         [](SendRig& r) {
             r.SelectOffline();
             r.AddRows(1);
             r.options.SetDelayedDelivery(true);
             ASSERT_TRUE(r.options.SetPauseEvery(QString()));
             ASSERT_TRUE(r.options.SetPauseFor(QString()));
         },
         "No values have been selected in 'Delayed Delivery Options'.", SendFocus::PauseEvery},
        {"delayed delivery, duration emptied",
         [](SendRig& r) {
             r.SelectOffline();
             r.AddRows(1);
             r.options.SetDelayedDelivery(true);
             ASSERT_TRUE(r.options.SetPauseFor(QString()));
         },
         "No values have been selected in 'Delayed Delivery Options'.", SendFocus::PauseFor},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SendRig rig;
        k.setUp(rig);
        const qsizetype rows = rig.list.Count();
        const auto result = rig.command.Check(rig.window);
        EXPECT_EQ(result.outcome, Outcome::Refused);
        EXPECT_EQ(result.message, k.message);
        EXPECT_EQ(result.focus, k.focus);
        const auto asked = rig.prompter.Asked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].message, k.message);
        EXPECT_EQ(asked[0].caption, QStringLiteral("Message"));
        EXPECT_EQ(asked[0].icon, Prompter::Icon::Information);
        EXPECT_EQ(rig.question.asked, 0);
        EXPECT_EQ(rig.list.Count(), rows);
        EXPECT_FALSE(rig.command.IsSendRunning());
    }
}

TEST(SendCommand, BusyStatesIgnoreSend) {
    SendRig rig;
    rig.SelectOffline();
    rig.AddRows(1);
    SendCommand::WindowState busy = rig.window;
    busy.listWorkerRunning = true;
    EXPECT_EQ(rig.command.Check(busy).outcome, Outcome::Ignored);

    auto first = rig.command.Check(rig.window);
    ASSERT_EQ(first.outcome, Outcome::Ready);
    EXPECT_TRUE(rig.command.IsSendRunning());
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Ignored); // the first send is still on
    first = {};                                                         // its worker ended
    EXPECT_FALSE(rig.command.IsSendRunning());
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Ready);

    rig.state.windowOpen.store(1);
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Ignored);
    rig.state.windowOpen.store(0);
    EXPECT_TRUE(rig.prompter.Asked().empty());
}

TEST(SendCommand, BlankMessagesAreSentOnlyAfterConfirmation) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        SendRig rig;
        rig.SelectOffline();
        rig.AddRows(3, QString());
        rig.prompter.Script({answer});
        const auto result = rig.command.Check(rig.window);
        EXPECT_EQ(result.outcome, answer == Answer::Yes ? Outcome::Ready : Outcome::Cancelled);
        const auto asked = rig.prompter.Asked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].message, QStringLiteral("You have composed no text message yet for any of the contacts in "
                                                   "the entire list. This action will send blank message to all the "
                                                   "contacts in list.\n\nAre you sure you want to continue?"));
        EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
        EXPECT_EQ(asked[0].buttons, Prompter::Buttons::YesNo);
        EXPECT_EQ(asked[0].icon, Prompter::Icon::Question);
    }
}

TEST(SendCommand, RowsWithMessagesAndAnEmptyComposerAskNothing) {
    SendRig rig;
    rig.SelectOffline();
    rig.AddRows(3);
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Ready);
    EXPECT_TRUE(rig.prompter.Asked().empty());
    EXPECT_EQ(rig.question.asked, 0);
}

TEST(SendCommand, AChangedComposerTextIsAskedAboutOnce) {
    SendRig rig;
    rig.SelectOffline();
    rig.AddRows(2);
    rig.list.InsertRow(1, QStringLiteral("+447700999"), QString(), {});
    ASSERT_TRUE(rig.composer.SetText(QStringLiteral("New text")));

    rig.question.script = {{Button::Cancel, Scope::AllRows}};
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Cancelled);
    EXPECT_EQ(rig.question.asked, 1);
    EXPECT_EQ(rig.list.AppliedMessage(), QStringLiteral("New text")); // stored before the question
    EXPECT_EQ(rig.list.Message(0), QStringLiteral("Hi"));
    // The same text again: no question, whatever the first answer was.
    EXPECT_EQ(rig.command.Check(rig.window).outcome, Outcome::Ready);
    EXPECT_EQ(rig.question.asked, 1);
}

TEST(SendCommand, ComposerQuestionAnswersChangeTheRowsAsChosen) {
    struct Case {
        ComposerTextQuestion::Answer answer;
        Outcome outcome;
        QStringList messages;
    };
    for (const Case& k : {Case{{Button::Yes, Scope::AllRows}, Outcome::Ready, {"New", "New", "New"}},
                          Case{{Button::Yes, Scope::BlankRowsOnly}, Outcome::Ready, {"Hi", "New", "Hi"}},
                          Case{{Button::ContinueAnyway, Scope::AllRows}, Outcome::Ready, {"Hi", "", "Hi"}},
                          Case{{Button::Cancel, Scope::BlankRowsOnly}, Outcome::Cancelled, {"Hi", "", "Hi"}}}) {
        SendRig rig;
        rig.SelectOffline();
        rig.AddRows(2);
        rig.list.InsertRow(1, QStringLiteral("+447700999"), QString(), {});
        ASSERT_TRUE(rig.composer.SetText(QStringLiteral("New")));
        rig.question.script = {k.answer};
        EXPECT_EQ(rig.command.Check(rig.window).outcome, k.outcome);
        QStringList messages;
        for (int r = 0; r < 3; ++r)
            messages << rig.list.Message(r);
        EXPECT_EQ(messages, k.messages);
        EXPECT_TRUE(rig.prompter.Asked().empty());
    }
}

TEST(SendCommand, ThePrompterFormOfTheComposerQuestion) {
    ScriptedPrompter prompter;
    PrompterComposerTextQuestion question(prompter, Scope::BlankRowsOnly);
    prompter.Script({Answer::Yes, Answer::No, Answer::Cancel});
    EXPECT_EQ(question.Ask().button, Button::Yes);
    EXPECT_EQ(question.Ask().button, Button::ContinueAnyway);
    const auto last = question.Ask();
    EXPECT_EQ(last.button, Button::Cancel);
    EXPECT_EQ(last.scope, Scope::BlankRowsOnly);
    const auto asked = prompter.Asked();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].message, QStringLiteral("You have made the changes in the text in message composer.\n\nDo you "
                                               "want to update the messages in list items?"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(asked[0].buttons, Prompter::Buttons::YesNoCancel);
}

TEST(SendCommand, ReloadsExclusionsAndClosesPortsLeftOpen) {
    SendRig rig;
    const QString port = rig.AddSim();
    rig.Select(rig.Entry(0));
    rig.AddRows(1);
    ASSERT_TRUE(rig.exclusionStore.AppendList(QStringLiteral("Blocked"), {QStringLiteral("+447700111")}).Ok());
    ASSERT_TRUE(rig.exclusionStore.SaveApplied({QStringLiteral("Blocked")}).Ok());
    rig.options.SetUseExclusion(true);
    // A port a run left open on a slot beyond today's device count.
    rig.slots.SerialPort(7).Open(5000, port);
    ASSERT_TRUE(rig.slots.SerialPort(7).IsOpen());
    const auto result = rig.command.Check(rig.window);
    ASSERT_EQ(result.outcome, Outcome::Ready);
    EXPECT_TRUE(rig.exclusion.IsExcluded(u"+447700111"));
    EXPECT_FALSE(rig.slots.SerialPort(7).IsOpen());
    EXPECT_TRUE(result.plan.Options().useExclusion);
}

TEST(SendCommand, TwoDevicesOneFailsAndYesSendsThroughTheOther) {
    SendRig rig;
    rig.AddMissing();
    rig.AddSim();
    rig.Select(QStringLiteral("All Device"));
    rig.AddRows(6);
    rig.options.SetSaveSentItems(true);
    rig.prompter.Script({Answer::Yes});
    int opened = 0;
    SendCommand::RunOutcome runOutcome = SendCommand::RunOutcome::NotStarted;
    const auto result = rig.command.Send(rig.window, RunToEnd(&opened), &runOutcome);
    ASSERT_EQ(result.outcome, Outcome::Ready);
    EXPECT_EQ(runOutcome, SendCommand::RunOutcome::Finished);
    EXPECT_EQ(opened, 1);
    const QStringList messages = rig.prompter.Messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Error : ")));
    EXPECT_TRUE(messages[0].endsWith(DevicePreparation::kSomeFailed));
    // Every row went through the remaining device, once.
    EXPECT_EQ(rig.Submitted(0), 6);
    EXPECT_EQ(rig.Accepted().size(), 6u);
    QList<SentItemRecord> logged;
    ASSERT_TRUE(rig.sentItems.Load(&logged));
    EXPECT_EQ(logged.size(), 6);
    EXPECT_FALSE(rig.command.IsSendRunning());
}

TEST(SendCommand, NoToTheDeviceQuestionSendsNothing) {
    SendRig rig;
    rig.AddMissing();
    rig.AddSim();
    rig.Select(QStringLiteral("All Device"));
    rig.AddRows(2);
    int opened = 0;
    SendCommand::RunOutcome runOutcome = SendCommand::RunOutcome::Finished;
    EXPECT_EQ(rig.command.Send(rig.window, RunToEnd(&opened), &runOutcome).outcome, Outcome::Ready);
    EXPECT_EQ(runOutcome, SendCommand::RunOutcome::NotStarted);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(rig.Submitted(0), 0);
    EXPECT_FALSE(rig.command.IsSendRunning());
}

TEST(SendCommand, QuotaManagementSendsWithTheManualPreparation) {
    SendRig rig;
    const QString a = rig.AddSim();
    const QString b = rig.AddSim();
    rig.Select(QStringLiteral("All Device"));
    rig.AddRows(5);
    rig.quota.SetSettingsText(";" + a + ";x;Manual;3;Y;\n;" + b + ";x;Manual;0;Y;\n\n");
    rig.options.SetQuotaManagement(true);
    SendCommand::RunOutcome runOutcome = SendCommand::RunOutcome::NotStarted;
    ASSERT_EQ(rig.command.Send(rig.window, RunToEnd(), &runOutcome).outcome, Outcome::Ready);
    EXPECT_EQ(runOutcome, SendCommand::RunOutcome::Finished);
    EXPECT_EQ(rig.Submitted(0), 3);
    EXPECT_EQ(rig.Submitted(1), 0);
    EXPECT_EQ(rig.quota.UsageEntries(), QStringList{a + QStringLiteral("|3")});
}

TEST(SendCommand, ResetClearsTheWindowButKeepsTheDevices) {
    SendRig rig;
    rig.SelectOffline();
    rig.AddRows(3);
    ASSERT_TRUE(rig.composer.SetText(QStringLiteral("Hello")));
    rig.composer.SetMessageTypeIndex(MessageComposer::kNotification);
    rig.composer.SetUnicodeChecked(true);
    rig.list.SetAppliedMessage(QStringLiteral("Hello"));
    rig.options.SetDelayedDelivery(true);
    rig.options.SetRetries(true);
    rig.options.SetSaveSentItems(true);

    rig.prompter.Script({Answer::No});
    EXPECT_FALSE(rig.command.Reset(false).done);
    EXPECT_EQ(rig.list.Count(), 3);
    EXPECT_FALSE(rig.command.Reset(true).done); // a list worker runs: nothing, not even the question
    EXPECT_EQ(rig.prompter.Messages(), QStringList{QStringLiteral("Are you sure you want to continue to reset?")});

    rig.prompter.Script({Answer::Yes});
    const auto reset = rig.command.Reset(false);
    EXPECT_TRUE(reset.done);
    EXPECT_EQ(reset.focus, SendFocus::NumberField);
    EXPECT_EQ(reset.countText, QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(reset.counterText, QStringLiteral("0 Characters"));
    EXPECT_EQ(rig.list.Count(), 0);
    EXPECT_TRUE(rig.list.AppliedMessage().isEmpty());
    EXPECT_TRUE(rig.composer.Text().isEmpty());
    EXPECT_EQ(rig.composer.MessageTypeIndex(), MessageComposer::kStandardSms);
    EXPECT_FALSE(rig.composer.IsUnicodeChecked());
    EXPECT_FALSE(rig.options.DelayedDelivery() || rig.options.Retries() || rig.options.SaveSentItems());
    EXPECT_EQ(rig.devices.DeviceCount(), 1);
}
