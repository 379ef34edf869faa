#include "composer/RecipientList.h"

#include "exclusion/ExclusionSet.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const NumberCheckOptions kNoOptions{};

struct CheckCase {
    QString raw;
    NumberCheckError error;
    QString number;
};

TEST(RecipientListTest, NumberCheckCleansAndValidates) {
    RecipientList list;
    const CheckCase cases[] = {
        {QStringLiteral("( 0044) 20-7946"), NumberCheckError::None, QStringLiteral("0044207946")},
        {QStringLiteral("+44+12"), NumberCheckError::Invalid, {}},
        {QStringLiteral("44+12"), NumberCheckError::Invalid, {}},
        {QStringLiteral("+4412"), NumberCheckError::None, QStringLiteral("+4412")},
        {QStringLiteral("123456789012345678901"), NumberCheckError::Invalid, {}},
        {QStringLiteral("12345678901234567890"), NumberCheckError::None, QStringLiteral("12345678901234567890")},
        {QStringLiteral("12a4"), NumberCheckError::Invalid, {}},
        {QStringLiteral("1,2"), NumberCheckError::Invalid, {}},
        {QStringLiteral("\t0044 20\r\n"), NumberCheckError::None, QStringLiteral("004420")}, // trimmed
        {QStringLiteral(""), NumberCheckError::Invalid, {}},
        {QStringLiteral("+"), NumberCheckError::Invalid, {}},
    };
    for (const CheckCase& c : cases) {
        const NumberCheckResult r = list.CheckNumber(c.raw, kNoOptions);
        EXPECT_EQ(r.error, c.error) << c.raw.toStdString();
        EXPECT_EQ(r.number, c.number) << c.raw.toStdString();
    }
    EXPECT_EQ(list.CheckNumber(QStringLiteral("x"), kNoOptions).Message(),
              QStringLiteral("Please enter a valid phone number."));
}

TEST(RecipientListTest, DuplicateAndExclusionTestsFollowTheOptionsInOrder) {
    RecipientList list;
    ExclusionSet excluded;
    excluded.Add(QStringLiteral("111"));
    excluded.Add(QStringLiteral("+4412"));
    list.InsertRow(0, QStringLiteral("111"), QString(), QString());
    list.InsertRow(0, QStringLiteral("222"), QString(), QString());

    const NumberCheckOptions both{true, true, &excluded};
    const NumberCheckOptions duplicatesOnly{true, false, &excluded};
    const NumberCheckOptions exclusionOnly{false, true, &excluded};

    // Neither option: anything valid passes, even a number already listed and excluded.
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("111"), kNoOptions).Ok());
    // Both duplicated and excluded: the duplicate is reported.
    EXPECT_EQ(list.CheckNumber(QStringLiteral("111"), both).error, NumberCheckError::Duplicate);
    EXPECT_EQ(list.CheckNumber(QStringLiteral("111"), both).Message(),
              QStringLiteral("Entered number already exists."));
    EXPECT_EQ(list.CheckNumber(QStringLiteral("111"), exclusionOnly).error, NumberCheckError::Excluded);
    EXPECT_EQ(list.CheckNumber(QStringLiteral("111"), exclusionOnly).Message(),
              QStringLiteral("Entered number is in exclusion list."));
    EXPECT_EQ(list.CheckNumber(QStringLiteral("2-2-2"), duplicatesOnly).error, NumberCheckError::Duplicate);
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("+4412"), duplicatesOnly).Ok());
    // An excluded "+4412" does not exclude "4412" or "004412".
    EXPECT_EQ(list.CheckNumber(QStringLiteral("+44 12"), both).error, NumberCheckError::Excluded);
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("4412"), both).Ok());
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("004412"), both).Ok());
    // Validity comes before both.
    EXPECT_EQ(list.CheckNumber(QStringLiteral("11a"), both).error, NumberCheckError::Invalid);
    // "Use Exclusion Rules" without a set built yet excludes nothing.
    EXPECT_TRUE(list.CheckNumber(QStringLiteral("+4412"), NumberCheckOptions{false, true, nullptr}).Ok());
}

TEST(RecipientListTest, RowsGoWhereTheSourcesPutThem) {
    RecipientList list;
    // "Add" puts each new row on top.
    ASSERT_TRUE(list.AddNumber(0, QStringLiteral("1"), QStringLiteral("m"), QStringLiteral("m"), kNoOptions).Ok());
    ASSERT_TRUE(list.AddNumber(0, QStringLiteral("2"), QStringLiteral("m"), QStringLiteral("m"), kNoOptions).Ok());
    // An import appended ahead of them at 0, 1, 2 in file order.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list.AddNumber(i, QStringLiteral("9%1").arg(i), QString(), QString(), kNoOptions).Ok());
    // Positions past the end are clamped.
    list.InsertRow(99, QStringLiteral("5"), QString(), QString());
    list.InsertRow(-3, QStringLiteral("6"), QString(), QString());
    QStringList numbers;
    for (const RecipientRow& r : list.Rows())
        numbers << r.number;
    EXPECT_EQ(numbers,
              (QStringList{QStringLiteral("6"), QStringLiteral("90"), QStringLiteral("91"), QStringLiteral("92"),
                           QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("5")}));
    EXPECT_EQ(list.Count(), 7);
    EXPECT_EQ(list.CountText(), QStringLiteral("Total Numbers : 7"));
    EXPECT_EQ(list.Row(4).message, QStringLiteral("m"));
    EXPECT_EQ(list.Row(7).number, QString());
    EXPECT_EQ(list.Rows(5, 10).size(), 2u);
}

TEST(RecipientListTest, RefusedNumbersLeaveTheListUnchanged) {
    RecipientList list;
    const NumberCheckOptions skip{true, false, nullptr};
    ASSERT_TRUE(list.AddNumber(0, QStringLiteral("1"), QString(), QString(), skip).Ok());
    EXPECT_EQ(list.AddNumber(0, QStringLiteral("1"), QString(), QString(), skip).error, NumberCheckError::Duplicate);
    EXPECT_EQ(list.AddNumber(0, QStringLiteral("x"), QString(), QString(), skip).error, NumberCheckError::Invalid);
    EXPECT_EQ(list.Count(), 1);
    // With "Skip Duplicate Numbers" off the same number may stand in any number of rows.
    ASSERT_TRUE(list.AddNumber(0, QStringLiteral("1"), QString(), QString(), kNoOptions).Ok());
    EXPECT_EQ(list.Count(), 2);
}

TEST(RecipientListTest, AppliedMessageFollowsInsertsAndEmptying) {
    RecipientList list;
    list.InsertRow(0, QStringLiteral("1"), QString(), QString()); // empty composer: nothing applied
    EXPECT_EQ(list.AppliedMessage(), QString());
    list.InsertRow(0, QStringLiteral("2"), QStringLiteral("Hi"), QStringLiteral("Hi"));
    EXPECT_EQ(list.AppliedMessage(), QStringLiteral("Hi"));
    list.InsertRow(0, QStringLiteral("3"), QStringLiteral("Yo"), QStringLiteral("Yo")); // already set: kept
    EXPECT_EQ(list.AppliedMessage(), QStringLiteral("Hi"));

    ASSERT_EQ(list.RemoveSelected({0}), ListRefusal::None);
    EXPECT_EQ(list.AppliedMessage(), QStringLiteral("Hi")); // rows remain
    ASSERT_EQ(list.RemoveAll(), ListRefusal::None);
    EXPECT_EQ(list.CountText(), QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(list.AppliedMessage(), QString());

    list.InsertRow(0, QStringLiteral("4"), QString(), QStringLiteral("Again"));
    list.Reset();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.AppliedMessage(), QString());
    list.SetAppliedMessage(QStringLiteral("x"));
    EXPECT_EQ(list.UpdateCount(), QStringLiteral("Total Numbers : 0"));
    EXPECT_EQ(list.AppliedMessage(), QString());
}

TEST(RecipientListTest, ClearCommandsRefuse) {
    RecipientList list;
    EXPECT_EQ(list.RemoveAll(), ListRefusal::Empty);
    EXPECT_EQ(list.RemoveSelected({0}), ListRefusal::Empty);
    EXPECT_EQ(ListRefusalText(ListRefusal::Empty), QStringLiteral("Phone numbers-Messages list is empty."));
    list.InsertRow(0, QStringLiteral("1"), QString(), QString());
    EXPECT_EQ(list.RemoveSelected({}), ListRefusal::NoSelection);
    EXPECT_EQ(list.RemoveSelected({5, -1}), ListRefusal::NoSelection);
    EXPECT_EQ(ListRefusalText(ListRefusal::NoSelection),
              QStringLiteral("Please select at least one record from the phone numbers-messages list to continue."));
    EXPECT_EQ(list.Count(), 1);
}

TEST(RecipientListTest, MessagesAppliedToAllOrBlankRows) {
    RecipientList list;
    list.InsertRow(0, QStringLiteral("1"), QString(), QString());
    list.InsertRow(1, QStringLiteral("2"), QStringLiteral("own"), QString());
    EXPECT_FALSE(list.AllMessagesBlank());
    const quint64 before = list.Revision();
    list.ApplyMessage(QStringLiteral("new"), true);
    EXPECT_GT(list.Revision(), before); // same count, changed rows
    EXPECT_EQ(list.Message(0), QStringLiteral("new"));
    EXPECT_EQ(list.Message(1), QStringLiteral("own"));
    list.ApplyMessage(QStringLiteral("all"), false);
    EXPECT_EQ(list.Message(1), QStringLiteral("all"));
    list.SetMessage(0, QString());
    list.SetMessage(1, QString());
    EXPECT_TRUE(list.AllMessagesBlank());
}

// The duplicate index must answer exactly as a scan of the rows would, whatever happened to the rows.
TEST(RecipientListTest, DuplicateIndexAndCountsEqualAScanAfterInsertsRemovalsAndEdits) {
    QRandomGenerator random(2024);
    RecipientList list;
    std::vector<QString> model;
    const auto randomNumber = [&] { return QString::number(random.bounded(60)); };
    const auto scanCount = [&](const QString& n) {
        qsizetype count = 0;
        for (const QString& m : model)
            count += QString::compare(m, n, Qt::CaseInsensitive) == 0 ? 1 : 0;
        return count;
    };
    const auto scanHas = [&](const QString& n) { return scanCount(n) > 0; };
    const NumberCheckOptions skip{true, false, nullptr};
    for (int step = 0; step < 4000; ++step) {
        const quint32 op = random.bounded(12);
        const qsizetype size = static_cast<qsizetype>(model.size());
        if (op < 6) {
            const qsizetype position = static_cast<qsizetype>(random.bounded(static_cast<int>(size) + 1));
            const QString n = randomNumber();
            list.InsertRow(position, n, QString(), QString()); // unchecked: repeats allowed
            model.insert(model.begin() + position, n);
        } else if (op < 8) {
            const qsizetype position = static_cast<qsizetype>(random.bounded(static_cast<int>(size) + 1));
            const QString n = randomNumber();
            const NumberCheckResult r = list.AddNumber(position, n, QString(), QString(), skip);
            ASSERT_EQ(r.Ok(), !scanHas(n));
            if (r.Ok())
                model.insert(model.begin() + position, n);
        } else if (op < 10 && size > 0) {
            std::vector<qsizetype> selected;
            for (int k = 0; k < 3; ++k)
                selected.push_back(static_cast<qsizetype>(random.bounded(static_cast<int>(size))));
            ASSERT_EQ(list.RemoveSelected(selected), ListRefusal::None);
            std::sort(selected.begin(), selected.end());
            selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
            for (auto it = selected.rbegin(); it != selected.rend(); ++it)
                model.erase(model.begin() + *it);
        } else if (op == 10 && size > 0) {
            const qsizetype row = static_cast<qsizetype>(random.bounded(static_cast<int>(size)));
            const QString n = randomNumber();
            list.SetRow(row, n, QString());
            model[static_cast<size_t>(row)] = n;
        } else if (random.bounded(40) == 0) {
            (void)list.RemoveAll();
            model.clear();
        }
        ASSERT_EQ(list.Count(), static_cast<qsizetype>(model.size()));
        for (int probe = 0; probe < 60; probe += 7) {
            ASSERT_EQ(list.ContainsNumber(QString::number(probe)), scanHas(QString::number(probe))) << step;
            ASSERT_EQ(list.NumberCount(QString::number(probe)), scanCount(QString::number(probe))) << step;
        }
    }
    const std::vector<RecipientRow> rows = list.Rows();
    ASSERT_EQ(rows.size(), model.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].number, model[i]);
}

TEST(RecipientListTest, AWorkerImportsWhileTheCountIsPolled) {
    RecipientList list;
    constexpr int kRows = 20000;
    const NumberCheckOptions skip{true, false, nullptr};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < kRows; ++i)
            (void)list.AddNumber(i, QString::number(i % (kRows / 2)), QStringLiteral("m"), QString(), skip);
        done = true;
    });
    qsizetype last = 0;
    bool monotonic = true;
    while (!done) {
        const qsizetype now = list.Count();
        monotonic = monotonic && now >= last;
        last = now;
        (void)list.Row(now - 1);
    }
    worker.join();
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(list.Count(), kRows / 2);
}

TEST(RecipientListTest, TwoWorkersNeverAddTheSameNumberTwice) {
    RecipientList list;
    const NumberCheckOptions skip{true, false, nullptr};
    auto work = [&] {
        for (int i = 0; i < 5000; ++i)
            (void)list.AddNumber(0, QString::number(i), QString(), QString(), skip);
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(list.Count(), 5000);
}

} // namespace

namespace {

// A bulk add must leave the same rows and give the same verdicts as the number check row by row.
TEST(RecipientListTest, AddNumbersEqualsAddNumberRowByRow) {
    QRandomGenerator random(31);
    ExclusionSet excluded;
    for (int i = 0; i < 200; i += 3)
        excluded.Add(QString::number(i));
    QStringList raws;
    for (int i = 0; i < 2000; ++i) {
        const quint32 kind = random.bounded(10);
        raws << (kind == 0   ? QStringLiteral("1a%1").arg(i)
                 : kind == 1 ? QStringLiteral("(%1) 0").arg(random.bounded(200))
                             : QString::number(random.bounded(300)));
    }
    for (const NumberCheckOptions& options :
         {NumberCheckOptions{true, true, &excluded}, NumberCheckOptions{true, false, nullptr},
          NumberCheckOptions{false, true, &excluded}, NumberCheckOptions{}}) {
        RecipientList single;
        RecipientList bulk;
        for (RecipientList* l : {&single, &bulk}) {
            l->InsertRow(0, QStringLiteral("7"), QString(), QString());
            l->InsertRow(1, QStringLiteral("8"), QString(), QString());
        }
        RecipientList::AddNumbersResult expected;
        for (const QString& raw : raws) {
            const NumberCheckResult r =
                single.AddNumber(1 + expected.added, raw, QStringLiteral("m"), QString(), options);
            switch (r.error) {
            case NumberCheckError::None:
                ++expected.added;
                break;
            case NumberCheckError::Invalid:
                ++expected.invalid;
                break;
            case NumberCheckError::Duplicate:
                ++expected.duplicates;
                break;
            case NumberCheckError::Excluded:
                ++expected.excluded;
                break;
            }
        }
        const RecipientList::AddNumbersResult got = bulk.AddNumbers(1, raws, QStringLiteral("m"), QString(), options);
        EXPECT_EQ(got.added, expected.added);
        EXPECT_EQ(got.invalid, expected.invalid);
        EXPECT_EQ(got.duplicates, expected.duplicates);
        EXPECT_EQ(got.excluded, expected.excluded);
        const std::vector<RecipientRow> a = single.Rows();
        const std::vector<RecipientRow> b = bulk.Rows();
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(a[i].number, b[i].number) << i;
        EXPECT_EQ(b.back().number, QStringLiteral("8"));
    }
}

} // namespace
