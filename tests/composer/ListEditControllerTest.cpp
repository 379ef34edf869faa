#include "composer/ListEditController.h"

#include "exclusion/ExclusionSet.h"
#include "fakes/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Answer = Prompter::Answer;
using Scope = ListEditController::FillScope;

class ListEditControllerTest : public ::testing::Test {
protected:
    // Rows "1" .. "n" (top to bottom) with the given messages, or "m1" .. "mn".
    void Fill(int n, const QStringList& messages = {}) {
        for (int i = 0; i < n; ++i) {
            const QString message = messages.isEmpty() ? QStringLiteral("m%1").arg(i + 1) : messages.value(i);
            list.InsertRow(i, QString::number(i + 1), message, {});
        }
    }
    QStringList Messages() const {
        QStringList out;
        for (const RecipientRow& r : list.Rows())
            out << r.message;
        return out;
    }
    QStringList Numbers() const {
        QStringList out;
        for (const RecipientRow& r : list.Rows())
            out << r.number;
        return out;
    }

    RecipientList list;
    ScriptedPrompter prompter;
    ListEditController controller{list, prompter};
};

// ---- Add or paste numbers ----

TEST_F(ListEditControllerTest, ManualTextSplitsAtLineBreaksAndTabs) {
    struct Case {
        QString text;
        QStringList pieces;
        qsizetype lines;
    };
    const Case cases[] = {
        {QString(), {}, 1},
        {QStringLiteral("111\n222\t333\n"), {QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333")}, 3},
        {QStringLiteral("1\r\n2\r3"), {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}, 3},
        {QStringLiteral("\t\t4\t\n\n5"), {QStringLiteral("4"), QStringLiteral("5")}, 3},
        {QStringLiteral("( 0044) 20-7946"), {QStringLiteral("( 0044) 20-7946")}, 1}, // spaces stay for cleaning
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListEditController::ManualPieces(c.text), c.pieces) << c.text.toStdString();
        EXPECT_EQ(ListEditController::LineCount(c.text), c.lines) << c.text.toStdString();
    }
    EXPECT_EQ(ListEditController::TotalRowsText(1), QStringLiteral("Total Rows : 1"));
}

TEST_F(ListEditControllerTest, PastedLinesGoToTheTopInOrderWithTheComposerText) {
    list.InsertRow(0, QStringLiteral("999"), QStringLiteral("old"), {});
    const QString text = QStringLiteral("111\n222\t333\n");
    ASSERT_TRUE(controller.AcceptManualText(text));
    const auto result = controller.AddManualNumbers(text, QStringLiteral("Hello"), {});
    EXPECT_EQ(result.added, 3);
    EXPECT_EQ(Numbers(), (QStringList{"111", "222", "333", "999"}));
    EXPECT_EQ(Messages(), (QStringList{"Hello", "Hello", "Hello", "old"}));
    EXPECT_EQ(list.AppliedMessage(), QStringLiteral("Hello"));
    EXPECT_FALSE(controller.ReportManualOutcome(1));
    EXPECT_TRUE(prompter.Asked().empty());
}

TEST_F(ListEditControllerTest, ManualEntryRefusalsAndNothingAddedNotice) {
    EXPECT_FALSE(controller.AcceptManualText(QString()));
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked()[0].message, QStringLiteral("No item to insert in list."));
    EXPECT_EQ(prompter.Asked()[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompter.Asked()[0].icon, Prompter::Icon::Information);

    // Invalid, duplicate and excluded numbers are dropped silently; the main window then reports nothing added.
    list.InsertRow(0, QStringLiteral("555"), {}, {});
    ExclusionSet excluded;
    excluded.Add(QStringLiteral("777"));
    NumberCheckOptions options;
    options.skipDuplicates = true;
    options.useExclusionRules = true;
    options.exclusionSet = &excluded;
    prompter.Clear();
    const auto result = controller.AddManualNumbers(QStringLiteral("12a\n555\t777"), {}, options);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(result.invalid + result.duplicates + result.excluded, 3);
    EXPECT_TRUE(prompter.Asked().empty());
    EXPECT_TRUE(controller.ReportManualOutcome(1));
    EXPECT_EQ(prompter.Messages(), QStringList{ListEditController::kNothingAdded});

    prompter.Clear();
    static_cast<void>(list.RemoveAll());
    EXPECT_TRUE(controller.ReportManualOutcome(0)); // an empty list after the entry
    EXPECT_EQ(prompter.Messages().size(), 1);
}

// ---- Apply message to list items ----

TEST_F(ListEditControllerTest, ApplyMessageNeedsRowsThenComposerText) {
    EXPECT_EQ(controller.MayFillMessage(QString()), ListEditFocus::NumberField);
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Phone numbers-Messages list is empty."));
    Fill(1);
    EXPECT_EQ(controller.MayFillMessage(QString()), ListEditFocus::Composer);
    EXPECT_EQ(prompter.Messages().value(1), QStringLiteral("Please enter some text message."));
    EXPECT_EQ(controller.MayFillMessage(QStringLiteral("x")), ListEditFocus::None);
    EXPECT_EQ(prompter.Asked().size(), 2u);
}

TEST_F(ListEditControllerTest, EachScopeAsksItsQuestionAndWritesOnlyItsRows) {
    struct Case {
        Scope scope;
        QString question;
        QStringList after;
    };
    const std::vector<qsizetype> selected{1, 3};
    const Case cases[] = {
        {Scope::AllRows, ListEditController::kFillAllQuestion, {"new", "new", "new", "new"}},
        {Scope::SelectedRows, ListEditController::kFillSelectedQuestion, {"a", "new", "", "new"}},
        {Scope::BlankRows, ListEditController::kFillBlankQuestion, {"a", "new", "new", "d"}},
    };
    for (const Case& c : cases) {
        static_cast<void>(list.RemoveAll());
        Fill(4, {"a", "", "", "d"});
        prompter.Clear();
        prompter.Script({Answer::No});
        EXPECT_FALSE(controller.ConfirmFill(c.scope, 2)); // No keeps the window open
        prompter.Script({Answer::Yes});
        EXPECT_TRUE(controller.ConfirmFill(c.scope, 2));
        const auto asked = prompter.Asked();
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_EQ(asked[1].message, c.question);
        EXPECT_EQ(asked[1].caption, QStringLiteral("Confirm"));
        EXPECT_EQ(asked[1].icon, Prompter::Icon::Warning);
        EXPECT_EQ(asked[1].buttons, Prompter::Buttons::YesNo);
        controller.FillMessage(c.scope, QStringLiteral("new"), selected);
        EXPECT_EQ(Messages(), c.after) << c.question.left(40).toStdString();
    }
    controller.FillAccepted(QStringLiteral("new"));
    EXPECT_EQ(list.AppliedMessage(), QStringLiteral("new"));
}

TEST_F(ListEditControllerTest, SelectedAndBlankScopesRefuseWithoutRowsToChange) {
    Fill(3);
    EXPECT_FALSE(controller.HasBlankMessage());
    EXPECT_FALSE(controller.ConfirmFill(Scope::SelectedRows, 0));
    EXPECT_FALSE(controller.ConfirmFill(Scope::BlankRows, 3));
    EXPECT_EQ(prompter.Messages(),
              (QStringList{ListRefusalText(ListRefusal::NoSelection), ListEditController::kNoBlankMessage}));
    for (const auto& q : prompter.Asked())
        EXPECT_EQ(q.caption, QStringLiteral("Message"));
    EXPECT_EQ(Messages(), (QStringList{"m1", "m2", "m3"}));
    list.SetMessage(2, QString());
    EXPECT_TRUE(controller.HasBlankMessage());
}

// ---- Update selected messages ----

TEST_F(ListEditControllerTest, UpdateSelectedRefusals) {
    EXPECT_FALSE(controller.MayUpdateSelected(true, 1)); // a list worker runs: nothing said
    EXPECT_TRUE(prompter.Asked().empty());
    ListEditFocus focus = ListEditFocus::None;
    EXPECT_FALSE(controller.MayUpdateSelected(false, 1, &focus));
    EXPECT_EQ(focus, ListEditFocus::NumberField);
    Fill(2);
    EXPECT_FALSE(controller.MayUpdateSelected(false, 0));
    EXPECT_EQ(prompter.Messages(),
              (QStringList{ListRefusalText(ListRefusal::Empty), ListRefusalText(ListRefusal::NoSelection)}));
    EXPECT_TRUE(controller.MayUpdateSelected(false, 1));
}

TEST_F(ListEditControllerTest, TwoOfFiveSelectedRowsGetTheMessage) {
    Fill(5);
    const std::vector<qsizetype> rows{1, 4};
    EXPECT_EQ(controller.NumbersOf(rows), (QStringList{"2", "5"}));
    EXPECT_EQ(ListEditController::TotalSelectedText(2), QStringLiteral("Total Selected Numbers : 2"));

    EXPECT_FALSE(controller.ConfirmUpdateSelected(QString()));
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Please enter some text message."));
    prompter.Script({Answer::Yes});
    EXPECT_TRUE(controller.ConfirmUpdateSelected(QStringLiteral("x")));
    EXPECT_EQ(prompter.Asked().back().message, ListEditController::kUpdateSelectedQuestion);
    EXPECT_EQ(prompter.Asked().back().icon, Prompter::Icon::Warning);

    // The box holds LF line breaks; rows keep CR LF like the composer.
    controller.UpdateSelected(rows, QStringLiteral("Hi\nthere"));
    EXPECT_EQ(Messages(), (QStringList{"m1", "Hi\r\nthere", "m3", "m4", "Hi\r\nthere"}));
    EXPECT_EQ(ListEditController::CharactersText(QStringLiteral("Hi\nthere")), QStringLiteral("9 Characters"));

    controller.UpdateSelected({0, 1, 2, 3, 4}, QStringLiteral("all"));
    EXPECT_EQ(Messages(), (QStringList{"all", "all", "all", "all", "all"}));
}

// ---- Update one row ----

TEST_F(ListEditControllerTest, RowToEditIsTheFirstSelectedRowWithANumber) {
    Fill(2);
    EXPECT_FALSE(controller.RowToEdit(-1).has_value());
    EXPECT_FALSE(controller.RowToEdit(5).has_value());
    const auto edit = controller.RowToEdit(1);
    ASSERT_TRUE(edit.has_value());
    EXPECT_EQ(edit->row, 1);
    EXPECT_EQ(edit->number, QStringLiteral("2"));
    EXPECT_EQ(edit->message, QStringLiteral("m2"));
    EXPECT_EQ(ListEditController::BoxText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
}

TEST_F(ListEditControllerTest, EditedNumberCheck) {
    // Rows: 100, 200, 200 (a duplicate left from before "Skip Duplicate Numbers" was turned on), 300.
    list.InsertRow(0, QStringLiteral("100"), {}, {});
    list.InsertRow(1, QStringLiteral("200"), {}, {});
    list.InsertRow(2, QStringLiteral("200"), {}, {});
    list.InsertRow(3, QStringLiteral("300"), {}, {});
    ExclusionSet excluded;
    excluded.Add(QStringLiteral("100"));
    excluded.Add(QStringLiteral("900"));
    struct Case {
        qsizetype row;
        QString raw;
        bool skip;
        bool exclude;
        NumberCheckError error;
        QString number;
    };
    const Case cases[] = {
        {3, QStringLiteral("300"), true, true, NumberCheckError::None, QStringLiteral("300")},     // unchanged
        {3, QStringLiteral("(30) 0"), true, false, NumberCheckError::None, QStringLiteral("300")}, // cleaned
        {3, QStringLiteral("100"), true, false, NumberCheckError::Duplicate, {}}, // another row holds it
        {3, QStringLiteral("100"), false, false, NumberCheckError::None, QStringLiteral("100")},
        {1, QStringLiteral("200"), true, false, NumberCheckError::Duplicate, {}}, // row 2 holds it too
        {1, QStringLiteral("200"), false, true, NumberCheckError::None, QStringLiteral("200")},
        {0, QStringLiteral("100"), false, true, NumberCheckError::None, QStringLiteral("100")}, // own: no exclusion
        {3, QStringLiteral("100"), true, true, NumberCheckError::Duplicate, {}}, // duplicate reported first
        {3, QStringLiteral("900"), false, true, NumberCheckError::Excluded, {}},
        {3, QStringLiteral("900"), true, true, NumberCheckError::Excluded, {}},
        {3, QStringLiteral("900"), false, false, NumberCheckError::None, QStringLiteral("900")},
        {3, QStringLiteral("3+00"), false, false, NumberCheckError::Invalid, {}},
        {3, QString(), false, false, NumberCheckError::Invalid, {}},
    };
    for (const Case& c : cases) {
        prompter.Clear();
        NumberCheckOptions options;
        options.skipDuplicates = c.skip;
        options.useExclusionRules = c.exclude;
        options.exclusionSet = &excluded;
        const NumberCheckResult r = controller.CheckEditedNumber(c.row, c.raw, options);
        const std::string what = QStringLiteral("row %1 '%2' skip %3 exclude %4")
                                     .arg(c.row)
                                     .arg(c.raw)
                                     .arg(c.skip)
                                     .arg(c.exclude)
                                     .toStdString();
        EXPECT_EQ(r.error, c.error) << what;
        EXPECT_EQ(r.number, c.number) << what;
        EXPECT_EQ(prompter.Messages(), c.error == NumberCheckError::None ? QStringList{} : QStringList{r.Message()})
            << what;
    }
    controller.WriteRow(3, QStringLiteral("400"), QStringLiteral("a\nb"));
    EXPECT_EQ(list.Row(3).number, QStringLiteral("400"));
    EXPECT_EQ(list.Row(3).message, QStringLiteral("a\r\nb"));
    EXPECT_TRUE(list.ContainsNumber(QStringLiteral("400")));
    EXPECT_FALSE(list.ContainsNumber(QStringLiteral("300")));
}

// A million rows: the blank-message scan, the edited-number checks and an all-rows update give the same answers
// as on a short list. (bench_recipient_list measures how long they take.)
TEST_F(ListEditControllerTest, MillionRowListChecksAndUpdatesEveryRow) {
    constexpr int kRows = 1'000'000;
    QStringList numbers;
    numbers.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        numbers << QString::number(10'000'000 + i);
    static_cast<void>(list.AddNumbers(0, numbers, QStringLiteral("msg"), {}, {}));
    ASSERT_EQ(list.Count(), kRows);
    NumberCheckOptions options;
    options.skipDuplicates = true;

    EXPECT_FALSE(controller.HasBlankMessage());
    EXPECT_TRUE(controller.CheckEditedNumber(kRows / 2, numbers.at(kRows / 2), options).Ok());
    EXPECT_EQ(controller.CheckEditedNumber(kRows / 2, numbers.at(7), options).error, NumberCheckError::Duplicate);
    EXPECT_EQ(controller.CheckEditedNumber(kRows - 1, numbers.at(0), options).error, NumberCheckError::Duplicate);

    std::vector<qsizetype> all(kRows);
    for (int i = 0; i < kRows; ++i)
        all[static_cast<size_t>(i)] = i;
    const QStringList selected = controller.NumbersOf(all);
    ASSERT_EQ(selected.size(), kRows);
    EXPECT_EQ(selected.front(), numbers.front());
    EXPECT_EQ(selected.back(), numbers.back());
    controller.UpdateSelected(all, QStringLiteral("new"));
    EXPECT_EQ(list.Message(0), QStringLiteral("new"));
    EXPECT_EQ(list.Message(kRows - 1), QStringLiteral("new"));
    list.SetMessage(kRows / 3, QString());
    EXPECT_TRUE(controller.HasBlankMessage());
}

} // namespace
