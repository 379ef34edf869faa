// The list editing windows as the main window opens them: the buttons and the row double-click or Enter reach
// them, their results land in the Recipient list and the list view, refusals keep them open with the focus on
// the field at fault. Questions are answered by the scripted prompter.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/AppShell.h"
#include "composer/ListEditController.h"
#include "composer/gui/CFill_Msg_In_List.h"
#include "composer/gui/CManually_Multiple_Num_Add.h"
#include "composer/gui/CUpdate_Num_Message.h"
#include "composer/gui/CUpdate_Selected_Item_SMS.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "composer/gui/SelectedNumbersModel.h"
#include "fakes/ScriptedPrompter.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/NumberEdit.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>

namespace {

using Answer = Prompter::Answer;

class ListEditDialogsTest : public MainWindowFixture {
protected:
    ListEditDialogsTest() { OpenWindow(); }

    // Rows "1" .. "n" top to bottom with messages "m1" .. "mn".
    void AddRows(int n) {
        for (int i = 0; i < n; ++i)
            window->List().InsertRow(i, QString::number(i + 1), QStringLiteral("m%1").arg(i + 1), {});
        window->RefreshList();
    }
    void Select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = window->Form().listView->selectionModel();
        selection->clearSelection();
        for (int r : rows)
            selection->select(window->ListModel().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList Messages() const {
        QStringList out;
        for (const RecipientRow& r : window->List().Rows())
            out << r.message;
        return out;
    }
    QStringList Numbers() const {
        QStringList out;
        for (const RecipientRow& r : window->List().Rows())
            out << r.number;
        return out;
    }
    void SetComposer(const QString& text) { window->Form().composer->setPlainText(text); }
    void Key(QWidget* target, int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    }
    // The window of that class the main window has open (closed ones wait for deletion), or null.
    template <typename Window> Window* Open() {
        for (Window* w : window->findChildren<Window*>()) {
            if (w->isVisible())
                return w;
        }
        return nullptr;
    }
};

TEST_F(ListEditDialogsTest, PastedNumbersGoToTheTopWithTheComposerText) {
    AddRows(1);
    SetComposer(QStringLiteral("Hello"));
    prompter.Script({Answer::No}); // keep the existing rows
    window->Button(QStringLiteral("Add or Paste numbers Manually"))->click();
    EXPECT_EQ(prompter.Asked().at(0).caption, QStringLiteral("Information"));
    auto* add = Open<CManually_Multiple_Num_Add>();
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->windowTitle(), QStringLiteral("Add or Paste numbers Manually"));
    EXPECT_EQ(add->TotalRowsLabel()->text(), QStringLiteral("Total Rows : 1"));
    add->TextBox()->setPlainText(QStringLiteral("111\n222\t333\n"));
    EXPECT_EQ(add->TotalRowsLabel()->text(), QStringLiteral("Total Rows : 3")); // the last line is empty
    add->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy() && window->List().Count() == 4; }));
    EXPECT_EQ(Numbers(), (QStringList{"111", "222", "333", "1"}));
    EXPECT_EQ(Messages(), (QStringList{"Hello", "Hello", "Hello", "m1"}));
    EXPECT_EQ(window->Form().countLabel->text(), QStringLiteral("Total Numbers : 4"));
    EXPECT_EQ(window->ListModel().rowCount(), 4);
    EXPECT_EQ(prompter.Asked().size(), 1u); // rows were added: no notice
    EXPECT_FALSE(add->isVisible());
}

TEST_F(ListEditDialogsTest, ManualEntryRefusesAnEmptyBoxAndReportsWhenNothingWasAdded) {
    window->Button(QStringLiteral("Add or Paste numbers Manually"))->click();
    auto* add = Open<CManually_Multiple_Num_Add>();
    ASSERT_NE(add, nullptr);
    add->OkButton()->click();
    EXPECT_EQ(prompter.Messages(), QStringList{ListEditController::kNoItem});
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->focusWidget(), add->TextBox());

    // Tab is a separator typed into the box, replacing the selection.
    add->TextBox()->setPlainText(QStringLiteral("12xx"));
    QTextCursor cursor = add->TextBox()->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    add->TextBox()->setTextCursor(cursor);
    Key(add->TextBox(), Qt::Key_Tab, QStringLiteral("\t"));
    EXPECT_EQ(add->Text(), QStringLiteral("12\t"));
    EXPECT_EQ(add->focusWidget(), add->TextBox());

    add->TextBox()->setPlainText(QStringLiteral("abc\n1+2"));
    add->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !window->IsListBusy() && prompter.Asked().size() == 2; }));
    EXPECT_EQ(prompter.Messages().back(), ListEditController::kNothingAdded);
    EXPECT_EQ(window->List().Count(), 0);

    // Cancel adds nothing and says nothing.
    window->Button(QStringLiteral("Add or Paste numbers Manually"))->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CManually_Multiple_Num_Add>() != nullptr; }));
    auto* again = Open<CManually_Multiple_Num_Add>();
    again->TextBox()->setPlainText(QStringLiteral("555"));
    again->reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->List().Count(), 0);
    EXPECT_EQ(prompter.Asked().size(), 2u);
}

TEST_F(ListEditDialogsTest, ManualEntryStopsOnATypedNumber) {
    window->Form().number->setText(QStringLiteral("77"));
    window->Button(QStringLiteral("Add or Paste numbers Manually"))->click();
    EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("Please insert entered number to the list.")});
    EXPECT_EQ(Open<CManually_Multiple_Num_Add>(), nullptr);
}

TEST_F(ListEditDialogsTest, ApplyMessageChecksListThenComposerWithTheirFocus) {
    QPushButton* apply = window->Button(QStringLiteral("Apply this message to list items"));
    SetComposer(QStringLiteral("x"));
    apply->click();
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Phone numbers-Messages list is empty."));
    EXPECT_EQ(window->focusWidget(), window->Form().number);
    AddRows(2);
    SetComposer(QString());
    apply->click();
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Please enter some text message."));
    EXPECT_EQ(window->focusWidget(), window->Form().composer);
    EXPECT_EQ(Open<CFill_Msg_In_List>(), nullptr);
}

TEST_F(ListEditDialogsTest, ApplyMessageToSelectedRowsWritesThemAndStoresTheAppliedMessage) {
    AddRows(5);
    SetComposer(QStringLiteral("New text"));
    Select({1, 3});
    window->Button(QStringLiteral("Apply this message to list items"))->click();
    auto* fill = Open<CFill_Msg_In_List>();
    ASSERT_NE(fill, nullptr);
    EXPECT_EQ(fill->windowTitle(), QStringLiteral("Apply message to list items"));
    EXPECT_TRUE(fill->AllRowsOption()->isChecked());

    fill->BlankRowsOption()->setChecked(true);
    fill->OkButton()->click(); // no blank row: refused, the window stays
    EXPECT_EQ(prompter.Messages().back(), ListEditController::kNoBlankMessage);
    EXPECT_TRUE(fill->isVisible());

    fill->SelectedRowsOption()->setChecked(true);
    prompter.Script({Answer::No});
    fill->OkButton()->click();
    EXPECT_EQ(prompter.Messages().back(), ListEditController::kFillSelectedQuestion);
    EXPECT_TRUE(fill->isVisible());
    EXPECT_EQ(Messages(), (QStringList{"m1", "m2", "m3", "m4", "m5"}));

    prompter.Script({Answer::Yes});
    fill->OkButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CFill_Msg_In_List>() == nullptr; }));
    EXPECT_EQ(Messages(), (QStringList{"m1", "New text", "m3", "New text", "m5"}));
    EXPECT_EQ(window->List().AppliedMessage(), QStringLiteral("New text"));
    EXPECT_EQ(window->ListModel().data(window->ListModel().index(1, 1), Qt::DisplayRole).toString(),
              QStringLiteral("New text"));
}

TEST_F(ListEditDialogsTest, UpdateSelectedMessagesShowsTheNumbersAndWritesOnlyThoseRows) {
    QPushButton* update = window->Button(QStringLiteral("Update Selected Messages"));
    update->click();
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Phone numbers-Messages list is empty."));
    AddRows(5);
    update->click();
    EXPECT_EQ(prompter.Messages().value(1), ListRefusalText(ListRefusal::NoSelection));
    EXPECT_EQ(Open<CUpdate_Selected_Item_SMS>(), nullptr);

    Select({4, 1});
    update->click();
    auto* dialog = Open<CUpdate_Selected_Item_SMS>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !dialog->IsBusy(); }));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Update Selected Messages"));
    EXPECT_EQ(dialog->NumbersModel()->Numbers(), (QStringList{"2", "5"})); // list order
    EXPECT_EQ(dialog->NumbersModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Selected Numbers"));
    EXPECT_EQ(dialog->TotalLabel()->text(), QStringLiteral("Total Selected Numbers : 2"));
    EXPECT_EQ(dialog->NumbersView()->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(dialog->ApplyButton()->text(), QStringLiteral("Apply to Selected\nNumbers"));
    EXPECT_TRUE(dialog->MessageField()->toPlainText().isEmpty());

    dialog->ApplyButton()->click();
    EXPECT_EQ(prompter.Messages().back(), QStringLiteral("Please enter some text message."));
    EXPECT_EQ(dialog->focusWidget(), dialog->MessageField());

    dialog->MessageField()->setPlainText(QStringLiteral("a\nb"));
    EXPECT_EQ(dialog->CounterLabel()->text(), QStringLiteral("4 Characters"));
    prompter.Script({Answer::No});
    dialog->ApplyButton()->click();
    EXPECT_TRUE(dialog->isVisible());
    prompter.Script({Answer::Yes});
    dialog->ApplyButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CUpdate_Selected_Item_SMS>() == nullptr; }));
    EXPECT_EQ(Messages(), (QStringList{"m1", "a\r\nb", "m3", "m4", "a\r\nb"}));
    EXPECT_EQ(prompter.Asked().back().message, ListEditController::kUpdateSelectedQuestion);
}

TEST_F(ListEditDialogsTest, DoubleClickOpensTheRowAndUpdateWritesIt) {
    AddRows(3);
    window->Form().skipDuplicates->setChecked(true);
    // A double-click as the view gets it: press, release, double-click on the row's cell.
    QTableView* view = window->Form().listView;
    const QPoint at = view->visualRect(window->ListModel().index(1, 0)).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    auto* dialog = Open<CUpdate_Num_Message>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Update"));
    EXPECT_EQ(dialog->Row(), 1);
    EXPECT_EQ(dialog->NumberField()->text(), QStringLiteral("2"));
    EXPECT_EQ(dialog->MessageField()->toPlainText(), QStringLiteral("m2"));
    EXPECT_EQ(dialog->CounterLabel()->text(), QStringLiteral("2 Characters"));

    dialog->NumberField()->setText(QStringLiteral("3")); // row 2's number
    dialog->UpdateButton()->click();
    EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("Entered number already exists.")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), dialog->NumberField());

    dialog->NumberField()->setText(QStringLiteral("2")); // its own number passes with Skip Duplicate Numbers
    dialog->MessageField()->setPlainText(QStringLiteral("changed"));
    dialog->UpdateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CUpdate_Num_Message>() == nullptr; }));
    EXPECT_EQ(window->List().Row(1).number, QStringLiteral("2"));
    EXPECT_EQ(window->List().Row(1).message, QStringLiteral("changed"));
    EXPECT_EQ(window->focusWidget(), window->Form().listView);
    EXPECT_EQ(prompter.Asked().size(), 1u);
}

TEST_F(ListEditDialogsTest, EnterOnARowOpensTheFirstSelectedRow) {
    AddRows(3);
    Select({2, 1});
    window->Form().listView->setCurrentIndex(window->ListModel().index(2, 0));
    Select({2, 1});
    Key(window->Form().listView, Qt::Key_Return);
    auto* dialog = Open<CUpdate_Num_Message>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Row(), 1);
    dialog->NumberField()->setText(QStringLiteral("(44) 20"));
    dialog->UpdateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return Open<CUpdate_Num_Message>() == nullptr; }));
    EXPECT_EQ(Numbers(), (QStringList{"1", "4420", "3"}));
    EXPECT_EQ(window->ListModel().data(window->ListModel().index(1, 0), Qt::DisplayRole).toString(),
              QStringLiteral("4420"));
}

} // namespace

namespace {

// A million rows, all selected: each window's reads and writes run on pool threads, so the window's thread is
// free while they go (the window is busy, its please-wait window up, until the result comes back to its thread).
// bench_gui_windows measures how long each step takes.
TEST_F(ListEditDialogsTest, MillionSelectedRowsAreReadAndWrittenOffTheWindowsThread) {
    constexpr int kRows = 1'000'000;
    QStringList numbers;
    numbers.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        numbers << QString::number(20'000'000 + i);
    static_cast<void>(window->List().AddNumbers(0, numbers, QStringLiteral("old"), {}, {}));
    window->RefreshList();
    window->Form().listView->selectAll();
    SetComposer(QStringLiteral("composer"));

    window->Button(QStringLiteral("Update Selected Messages"))->click();
    auto* dialog = Open<CUpdate_Selected_Item_SMS>();
    ASSERT_NE(dialog, nullptr);
    // The click has returned but the numbers come back through the window's event loop, which has not run yet.
    EXPECT_TRUE(dialog->IsBusy());
    ASSERT_TRUE(WaitFor([&] { return !dialog->IsBusy(); }));
    EXPECT_EQ(dialog->TotalLabel()->text(), QStringLiteral("Total Selected Numbers : 1000000"));
    dialog->MessageField()->setPlainText(QStringLiteral("all"));
    prompter.Script({Answer::Yes});
    dialog->ApplyButton()->click();
    EXPECT_TRUE(dialog->IsBusy()); // the rows are being written on a pool thread
    EXPECT_EQ(Open<CUpdate_Selected_Item_SMS>(), dialog);
    ASSERT_TRUE(WaitFor([&] { return Open<CUpdate_Selected_Item_SMS>() == nullptr; }));
    EXPECT_EQ(window->List().Message(0), QStringLiteral("all"));
    EXPECT_EQ(window->List().Message(kRows - 1), QStringLiteral("all"));

    window->Button(QStringLiteral("Apply this message to list items"))->click();
    auto* fill = Open<CFill_Msg_In_List>();
    ASSERT_NE(fill, nullptr);
    fill->BlankRowsOption()->setChecked(true);
    fill->OkButton()->click(); // no blank row: the whole list is read to find out
    EXPECT_EQ(prompter.Messages().back(), ListEditController::kNoBlankMessage);
    EXPECT_FALSE(fill->IsBusy()); // nothing to write
    fill->reject();
}

} // namespace
