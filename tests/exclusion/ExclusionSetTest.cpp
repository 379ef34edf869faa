#include "exclusion/ExclusionSet.h"

#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The look-up the hash set replaces: every entry compared with the number as whole texts, ignoring case.
bool LinearIsExcluded(const QStringList& entries, const QString& number) {
    for (const QString& e : entries) {
        if (QString::compare(e, number, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

ExclusionSet SetOf(const QStringList& entries) {
    ExclusionSet set;
    for (const QString& e : entries)
        set.Add(e);
    return set;
}

TEST(ExclusionSetTest, WholeTextMatchWithoutNormalisation) {
    const QStringList entries = {QStringLiteral("+447900123456"), QStringLiteral("0044 20 7946"),
                                 QStringLiteral("12-34"), QStringLiteral("AbC"), QString()};
    const ExclusionSet set = SetOf(entries);
    const QStringList probes = {QStringLiteral("+447900123456"),
                                QStringLiteral("447900123456"), // the '+' matters
                                QStringLiteral("07900123456"),
                                QStringLiteral("0044 20 7946"),
                                QStringLiteral("0044207946"),
                                QStringLiteral(" +447900123456"), // spaces are not trimmed
                                QStringLiteral("12-34"),
                                QStringLiteral("1234"),
                                QStringLiteral("abc"),
                                QStringLiteral("ABC"),
                                QStringLiteral("ab"),
                                QString(), // the blank line's entry
                                QStringLiteral("+447900123456\n")};
    for (const QString& p : probes)
        EXPECT_EQ(set.IsExcluded(p), LinearIsExcluded(entries, p)) << p.toStdString();
    EXPECT_FALSE(set.IsExcluded(QStringLiteral("447900123456")));
    EXPECT_TRUE(set.IsExcluded(QStringLiteral("abc")));
}

TEST(ExclusionSetTest, ANumberInTwoListsStandsTwice) {
    ExclusionSet set;
    set.Add(QStringLiteral("+4412"));
    set.Add(QStringLiteral("+4412"));
    EXPECT_TRUE(set.IsExcluded(QStringLiteral("+4412")));
    EXPECT_EQ(set.EntryCount(), 2);
    EXPECT_EQ(set.DistinctCount(), 1);
}

TEST(ExclusionSetTest, EmptySetExcludesNothing) {
    ExclusionSet set;
    EXPECT_FALSE(set.IsExcluded(QString()));
    EXPECT_FALSE(set.IsExcluded(QStringLiteral("1")));
    set.Add(QStringLiteral("1"));
    set.Clear();
    EXPECT_FALSE(set.IsExcluded(QStringLiteral("1")));
    EXPECT_TRUE(set.IsEmpty());
}

TEST(ExclusionSetTest, AgreesWithLinearSearchOnRandomTrickyTexts) {
    const char16_t units[] = {u'1', u'2',   u'+',   u' ',   u'-',   u'a',   u'A',   0x00DF, 0x1E9E, 0x212A,
                              u'k', 0x03C3, 0x03C2, 0x03A3, 0xD801, 0xDC28, 0xDC00, 0x0130, u'i'};
    QRandomGenerator random(99);
    const auto make = [&] {
        QString s;
        const int length = static_cast<int>(random.bounded(4));
        for (int i = 0; i < length; ++i)
            s.append(QChar(units[random.bounded(static_cast<quint32>(std::size(units)))]));
        return s;
    };
    QStringList entries;
    for (int i = 0; i < 300; ++i)
        entries << make();
    const ExclusionSet set = SetOf(entries);
    // Half of the entries one by one, the rest as a batch: both paths must agree.
    ExclusionSet batched;
    for (int i = 0; i < 150; ++i)
        batched.Add(entries.at(i));
    batched.AddBatch(entries.mid(150));
    EXPECT_EQ(batched.EntryCount(), set.EntryCount());
    EXPECT_EQ(batched.DistinctCount(), set.DistinctCount());
    for (int i = 0; i < 20000; ++i) {
        const QString probe = make();
        const bool expected = LinearIsExcluded(entries, probe);
        ASSERT_EQ(set.IsExcluded(probe), expected) << probe.toStdString();
        ASSERT_EQ(batched.IsExcluded(probe), expected) << probe.toStdString();
    }
}

TEST(ExclusionSetTest, KeepsEveryEntryThroughGrowth) {
    ExclusionSet set;
    for (int i = 0; i < 50000; ++i)
        set.Add(QStringLiteral("+44%1").arg(i));
    EXPECT_EQ(set.DistinctCount(), 50000);
    for (int i = 0; i < 50000; ++i)
        ASSERT_TRUE(set.IsExcluded(QStringLiteral("+44%1").arg(i))) << i;
    EXPECT_FALSE(set.IsExcluded(QStringLiteral("+4450000")));
    EXPECT_FALSE(set.IsExcluded(QStringLiteral("44")));
}

} // namespace
