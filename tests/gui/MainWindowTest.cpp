// The main window's wiring: start states, the option controls, Add and its refusals with the focus, the
// composer's counter, SMS count and GSM warning, Tab and the length limit, the clear commands, Reset, Exit.

#include "GuiTestSupport.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "fakes/ScriptedPrompter.h"
#include "sending/ComposerTextQuestion.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTemporaryDir>

namespace {

// Answers the composer text question from a script and counts the questions.
class ScriptedComposerQuestion final : public ComposerTextQuestion {
public:
    Answer Ask() override {
        ++asked;
        return answer;
    }
    Answer answer;
    int asked = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        AppShell::Startup(m_dir.path());
        CVRIX_Bulk_SMSDlg::Options options;
        options.timing = ModemTiming::Fast();
        options.shutdown = [this] { ++shutdowns; };
        options.composerQuestion = &question;
        window = std::make_unique<CVRIX_Bulk_SMSDlg>(prompter, demos, options);
        window->show();
    }

    void Key(QWidget* target, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(target, &press);
    }

    void AddRows(int count) {
        QStringList numbers;
        for (int i = 0; i < count; ++i)
            numbers << QStringLiteral("+4470000%1").arg(i, 4, 10, QLatin1Char('0'));
        static_cast<void>(window->List().AddNumbers(0, numbers, {}, {}, {}));
        window->ListModel().Refresh();
    }

    QTemporaryDir m_dir;
    ScriptedPrompter prompter;
    ScriptedComposerQuestion question;
    DemoModems demos;
    int shutdowns = 0;
    std::unique_ptr<CVRIX_Bulk_SMSDlg> window;
};

TEST_F(MainWindowTest, OpensWithTheStartStates) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VRIX Bulk SMS"));
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("0 Characters"));
    EXPECT_EQ(window->Form().messageType->currentText(), QStringLiteral("Standard SMS"));
    EXPECT_EQ(window->Form().deviceText->text(), CVRIX_Bulk_SMSDlg::kNoDevice);
    for (QComboBox* combo : {window->Form().pauseEvery, window->Form().pauseFor, window->Form().retryCount}) {
        EXPECT_FALSE(combo->isEnabled());
        EXPECT_EQ(combo->currentIndex(), -1);
    }
    for (QCheckBox* check : {window->Form().delayed, window->Form().retry, window->Form().unicode,
                             window->Form().skipDuplicates, window->Form().useExclusion, window->Form().saveSentItems,
                             window->Form().saveTemplates, window->Form().clearAfterSend})
        EXPECT_FALSE(check->isChecked()) << check->text().toStdString();
    EXPECT_FALSE(window->Form().clearAfterSend->isVisibleTo(window.get()));
    EXPECT_EQ(window->Form().pauseFor->count(), 32);
    EXPECT_EQ(window->focusWidget(), window->Form().number);
}

TEST_F(MainWindowTest, OptionCheckBoxesFillAndClearTheirDropDowns) {
    window->Form().delayed->click();
    EXPECT_TRUE(window->Form().pauseEvery->isEnabled());
    EXPECT_EQ(window->Form().pauseEvery->currentText(), QStringLiteral("15"));
    EXPECT_EQ(window->Form().pauseFor->currentText(), QStringLiteral(" 2  Minutes"));
    window->Form().delayed->click();
    EXPECT_EQ(window->Form().pauseEvery->currentIndex(), -1);
    EXPECT_EQ(window->Form().pauseFor->currentIndex(), -1);
    EXPECT_FALSE(window->Form().pauseFor->isEnabled());
    // "Retry every failed message" goes with the retry drop-down.
    EXPECT_FALSE(window->Form().retryAllErrors->isEnabled());
    window->Form().retry->click();
    EXPECT_EQ(window->Form().retryCount->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(window->Form().retryAllErrors->isEnabled());
    window->Form().retryAllErrors->click();
    EXPECT_TRUE(window->SendOptions().Options().retryAllErrors);
    window->Form().retry->click();
    EXPECT_EQ(window->Form().retryCount->currentIndex(), -1);
    EXPECT_FALSE(window->Form().retryAllErrors->isEnabled());
}

TEST_F(MainWindowTest, AddInsertsAtTheTopOrShowsTheRefusalAndKeepsTheField) {
    window->Form().composer->setPlainText(QStringLiteral("Hi"));
    window->Form().number->setText(QStringLiteral("( 0044) 20-7946"));
    window->Button(QStringLiteral("Add"))->click();
    window->Form().number->setText(QStringLiteral("+4412"));
    Key(window->Form().number, Qt::Key_Return); // Enter in the number field adds too
    EXPECT_TRUE(prompter.Asked().empty());
    ASSERT_EQ(window->ListModel().rowCount(), 2);
    EXPECT_EQ(window->ListModel().index(0, 0).data().toString(), QStringLiteral("+4412"));
    EXPECT_EQ(window->ListModel().index(1, 0).data().toString(), QStringLiteral("0044207946"));
    EXPECT_EQ(window->ListModel().index(1, 1).data().toString(), QStringLiteral("Hi"));
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 2"));
    EXPECT_TRUE(window->Form().number->text().isEmpty());

    window->Form().skipDuplicates->setChecked(true);
    for (const QString& number : {QStringLiteral("44+12"), QStringLiteral("+4412")}) {
        window->Form().number->setText(number);
        window->Form().composer->setFocus();
        window->Button(QStringLiteral("Add"))->click();
        EXPECT_EQ(window->Form().number->text(), number);
        EXPECT_EQ(window->focusWidget(), window->Form().number);
    }
    const auto asked = prompter.Asked();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].message, QStringLiteral("Please enter a valid phone number."));
    EXPECT_EQ(asked[1].message, QStringLiteral("Entered number already exists."));
    EXPECT_EQ(asked[1].caption, QStringLiteral("Message"));
    EXPECT_EQ(asked[1].icon, Prompter::Icon::Information);
}

TEST_F(MainWindowTest, NumberFieldRefusesOtherKeystrokes) {
    for (const char* typed : {"1", "a", "+", "-", " ", "9"})
        Key(window->Form().number, 0, QString::fromLatin1(typed));
    EXPECT_EQ(window->Form().number->text(), QStringLiteral("1+9"));
    EXPECT_EQ(window->Form().number->maxLength(), 20);
}

TEST_F(MainWindowTest, ComposerCountsCodeUnitsAndShowsSmsCountAndGsmWarning) {
    struct Case {
        QString text;
        bool unicode;
        QString counter;
        QString sms;
        bool warning;
    };
    const QString gsm160(160, QLatin1Char('a'));
    const std::vector<Case> cases = {
        {QStringLiteral("a\nb"), false, QStringLiteral("4 Characters"), QStringLiteral("1 SMS"), false},
        {gsm160, false, QStringLiteral("160 Characters"), QStringLiteral("1 SMS"), false},
        {gsm160 + QLatin1Char('a'), false, QStringLiteral("161 Characters"), QStringLiteral("2 SMS"), false},
        {QStringLiteral("Olá"), false, QStringLiteral("3 Characters"), QStringLiteral("1 SMS"), true},
        {QStringLiteral("Olá"), true, QStringLiteral("3 Characters"), QStringLiteral("1 SMS"), false},
        {QString(71, QChar(0x0416)), true, QStringLiteral("71 Characters"), QStringLiteral("2 SMS"), false},
        {QStringLiteral("\U0001F600"), true, QStringLiteral("2 Characters"), QStringLiteral("1 SMS"), false},
    };
    for (const Case& c : cases) {
        window->Form().unicode->setChecked(c.unicode);
        window->Form().composer->setPlainText(c.text);
        EXPECT_EQ(window->Form().counterLabel->text(), c.counter) << c.text.toStdString();
        EXPECT_EQ(window->Form().smsCountLabel->text(), c.sms) << c.text.toStdString();
        EXPECT_EQ(window->Form().gsmWarning->isVisibleTo(window.get()), c.warning) << c.text.toStdString();
    }
    // The Unicode option never changes the counter.
    window->Form().unicode->click();
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("2 Characters"));
}

TEST_F(MainWindowTest, TabInsertsATabAndTypingStopsAtTheLimit) {
    ComposerEdit* edit = window->Form().composer;
    Key(edit, Qt::Key_Tab, QStringLiteral("\t"));
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("\t"));
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("1 Characters"));
    edit->setPlainText(QString(1599, QLatin1Char('x')));
    edit->moveCursor(QTextCursor::End);
    Key(edit, Qt::Key_Return); // a line break counts 2: it does not fit
    Key(edit, 0, QStringLiteral("y"));
    Key(edit, 0, QStringLiteral("z"));
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("1600 Characters"));
    EXPECT_TRUE(edit->toPlainText().endsWith(QLatin1String("xy")));
}

TEST_F(MainWindowTest, InputMethodCommitsStopAtTheLimitAndTheCounterAgrees) {
    ComposerEdit* edit = window->Form().composer;
    edit->setFocus();
    edit->setPlainText(QString(1598, QLatin1Char('x')));
    edit->moveCursor(QTextCursor::End);
    // A compose sequence commits three characters where two fit.
    QInputMethodEvent compose;
    compose.setCommitString(QStringLiteral("\u00E9\u00E8\u00E0"));
    QCoreApplication::sendEvent(edit, &compose);
    EXPECT_TRUE(edit->toPlainText().endsWith(QStringLiteral("x\u00E9\u00E8"))) << edit->toPlainText().right(5).toStdString();
    // A dead key's pre-edit text, then its commit: nothing is left to fit.
    QInputMethodEvent deadKey(QStringLiteral("\u00B4"), {});
    QCoreApplication::sendEvent(edit, &deadKey);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00E1"));
    QCoreApplication::sendEvent(edit, &commit);
    EXPECT_EQ(edit->ComposerLength(), 1600);
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("1600 Characters"));
    EXPECT_EQ(window->Composer().Text(), edit->toPlainText());
}

TEST_F(MainWindowTest, ClearAllAsksWithWarningAndClearSelectedRunsBehindThePleaseWaitBox) {
    window->Button(QStringLiteral("Clear All"))->click();
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Phone numbers-Messages list is empty."));
    window->Button(QStringLiteral("Clear Selected"))->click();
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Phone numbers-Messages list is empty."));
    prompter.Clear();

    AddRows(5);
    window->Button(QStringLiteral("Clear Selected"))->click();
    EXPECT_EQ(prompter.Messages().value(0),
              QStringLiteral("Please select at least one record from the phone numbers-messages list to continue."));
    window->Form().listView->selectRow(1);
    window->Form().listView->selectionModel()->select(window->ListModel().index(2, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QString kept0 = window->List().Number(0);
    const QString kept3 = window->List().Number(3);
    Key(window->Form().listView, Qt::Key_Delete);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }));
    EXPECT_TRUE(window->isEnabled());
    ASSERT_EQ(window->List().Count(), 3);
    EXPECT_EQ(window->List().Number(0), kept0);
    EXPECT_EQ(window->List().Number(1), kept3);
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 3"));

    prompter.Clear();
    prompter.Script({Prompter::Answer::No, Prompter::Answer::Yes});
    window->Button(QStringLiteral("Clear All"))->click();
    EXPECT_EQ(window->List().Count(), 3);
    window->Button(QStringLiteral("Clear All"))->click();
    EXPECT_EQ(window->List().Count(), 0);
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 0"));
    const auto asked = prompter.Asked();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked[0].icon, Prompter::Icon::Warning);
    EXPECT_EQ(asked[0].buttons, Prompter::Buttons::YesNo);
}

TEST_F(MainWindowTest, ResetPutsBackEveryStartStateButKeepsTheDevices) {
    DeviceRecord device;
    device.portName = QStringLiteral("/dev/ttyDEMO0");
    device.displayName = QStringLiteral("Demo");
    device.smsMode = DeviceRecord::kModePdu;
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    AddRows(3);
    window->Form().composer->setPlainText(QStringLiteral("Text"));
    window->Form().number->setText(QStringLiteral("123"));
    window->Form().messageType->setCurrentIndex(0);
    for (QCheckBox* check : {window->Form().delayed, window->Form().retry, window->Form().unicode,
                             window->Form().skipDuplicates, window->Form().saveSentItems, window->Form().saveTemplates})
        check->setChecked(true);

    prompter.Script({Prompter::Answer::No});
    window->Button(QStringLiteral("Reset"))->click();
    EXPECT_EQ(window->List().Count(), 3);

    prompter.Script({Prompter::Answer::Yes});
    window->Button(QStringLiteral("Reset"))->click();
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Are you sure you want to continue to reset?"));
    EXPECT_EQ(window->List().Count(), 0);
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(window->Form().counterLabel->text(), QStringLiteral("0 Characters"));
    EXPECT_TRUE(window->Form().number->text().isEmpty());
    EXPECT_EQ(window->Form().messageType->currentText(), QStringLiteral("Standard SMS"));
    EXPECT_FALSE(window->Composer().IsUnicodeChecked());
    for (QCheckBox* check : {window->Form().delayed, window->Form().retry, window->Form().unicode,
                             window->Form().skipDuplicates, window->Form().saveSentItems, window->Form().saveTemplates})
        EXPECT_FALSE(check->isChecked());
    for (QComboBox* combo : {window->Form().pauseEvery, window->Form().pauseFor, window->Form().retryCount})
        EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(window->Devices().DeviceCount(), 1);
    EXPECT_EQ(window->Form().deviceCombo->count(), 1);
    EXPECT_EQ(window->focusWidget(), window->Form().number);
}

TEST_F(MainWindowTest, ExitAsksAndEscDoesNotClose) {
    Key(window.get(), Qt::Key_Escape);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(shutdowns, 0);
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Do you want to exit from VRIX Bulk SMS Software?"));
    prompter.Script({Prompter::Answer::Yes});
    window->Button(QStringLiteral("Exit"))->click();
    EXPECT_EQ(shutdowns, 1);
}

TEST_F(MainWindowTest, SendChecksDevicesThenTheTypedNumberThenTheList) {
    // The checks run under the wait cursor, which is gone once they end.
    QList<bool> waiting;
    prompter.onAsk = [&waiting](const QString&) {
        waiting << (QApplication::overrideCursor() != nullptr &&
                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    };
    window->Button(QStringLiteral("Send"))->click();
    EXPECT_EQ(waiting, QList<bool>{true});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(prompter.Messages().value(0).startsWith(
        QLatin1String("Either Mobile Device is not connected properly or No Mobile Phone Device is selected.")));
    DeviceRecord device;
    device.portName = QStringLiteral("/dev/ttyDEMO0");
    device.displayName = QStringLiteral("Demo");
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    AddRows(2);
    window->Form().number->setText(QStringLiteral("123"));
    window->Form().composer->setFocus();
    window->Button(QStringLiteral("Send"))->click();
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Please insert entered number to the list."));
    EXPECT_EQ(window->focusWidget(), window->Form().number);
    EXPECT_FALSE(window->IsSending());
}

TEST_F(MainWindowTest, SendWithEmptiedPauseDropDownsFocusesPauseEvery) {
    DeviceRecord device;
    device.portName = QStringLiteral("/dev/ttyDEMO0");
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    AddRows(2);
    window->Form().delayed->click();
    window->Form().pauseEvery->setCurrentIndex(-1);
    window->Form().pauseFor->setCurrentIndex(-1);
    window->Button(QStringLiteral("Send"))->click();
    EXPECT_EQ(prompter.Messages().value(0),
              QStringLiteral("No values have been selected in 'Delayed Delivery Options'."));
    EXPECT_EQ(window->focusWidget(), window->Form().pauseEvery);
    window->Form().pauseEvery->setCurrentIndex(0);
    window->Button(QStringLiteral("Send"))->click();
    EXPECT_EQ(prompter.Messages().value(1),
              QStringLiteral("No values have been selected in 'Delayed Delivery Options'."));
    EXPECT_EQ(window->focusWidget(), window->Form().pauseFor);
}

TEST_F(MainWindowTest, ChangedComposerTextIsAskedOnceAndFillsTheBlankRows) {
    DeviceRecord device;
    device.portName = m_dir.filePath(QStringLiteral("no-such-port"));
    window->Devices().ReplaceSelection({device});
    window->RefreshDevices();
    AddRows(2); // blank messages
    static_cast<void>(window->List().AddNumber(0, QStringLiteral("+4412"), QStringLiteral("Own"), {}, {}));
    window->RefreshList();
    window->Form().composer->setPlainText(QStringLiteral("Composed"));
    question.answer = {ComposerTextQuestion::Button::Yes, ComposerTextQuestion::Scope::BlankRowsOnly};
    window->Button(QStringLiteral("Send"))->click();
    EXPECT_EQ(question.asked, 1);
    EXPECT_EQ(window->List().Message(0), QStringLiteral("Own"));
    EXPECT_EQ(window->List().Message(1), QStringLiteral("Composed"));
    EXPECT_EQ(window->List().Message(2), QStringLiteral("Composed"));
    EXPECT_EQ(window->ListModel().index(1, 1).data().toString(), QStringLiteral("Composed"));
    // The device cannot be opened: the preparation says so and no run starts.
    ASSERT_TRUE(WaitFor([&] { return !window->IsSending(); }));
    EXPECT_EQ(window->SendingWindow(), nullptr);
    EXPECT_FALSE(prompter.Messages().isEmpty());
    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsSending(); }));
    EXPECT_EQ(question.asked, 1); // the same text is not asked about again
}

TEST_F(MainWindowTest, SelectAllAndDeleteOverAMillionRows) {
    AddRows(1000000);
    EXPECT_EQ(window->ListModel().rowCount(), 1000000);
    window->Form().listView->setFocus();
    window->Form().listView->selectAll();
    window->Form().listView->scrollToBottom();
    Key(window->Form().listView, Qt::Key_Delete);
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy(); }, 60000));
    EXPECT_EQ(window->List().Count(), 0);
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 0"));
}

} // namespace
