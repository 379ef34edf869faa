#include "composer/ContactTextImport.h"
#include "composer/RecipientList.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {
QString Write(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("numbers.txt"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}
} // namespace

TEST(ContactTextImport, SplitsOnLineEndsAndCommasIgnoringSpaces) {
    EXPECT_EQ(ContactTextImport::SplitNumbers("0044 123,+4498"), (QStringList{"0044123", "+4498"}));
    EXPECT_EQ(ContactTextImport::SplitNumbers("1\r\n\r\n2\r3\n,4,"), (QStringList{"1", "2", "3", "4"}));
    EXPECT_TRUE(ContactTextImport::SplitNumbers("\r\n \n").isEmpty());
}

TEST(ContactTextImport, ImportsAtTheTopInFileOrderAndRefusesMarkedFiles) {
    QTemporaryDir dir;
    RecipientList list;
    NumberCheckOptions options;
    options.skipDuplicates = true;
    list.InsertRow(0, QStringLiteral("999"), QStringLiteral("kept"), QString());
    auto outcome = ContactTextImport::ImportFile(Write(dir, "0044 123,+4498\n+4498\nabc\n"), list,
                                                 QStringLiteral("hello"), options);
    EXPECT_EQ(outcome.added, 2);
    EXPECT_TRUE(outcome.refusal.isEmpty());
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Number(0), QStringLiteral("0044123"));
    EXPECT_EQ(list.Number(1), QStringLiteral("+4498"));
    EXPECT_EQ(list.Message(1), QStringLiteral("hello"));
    EXPECT_EQ(list.Number(2), QStringLiteral("999"));

    // Nothing new: the step-7 message.
    outcome = ContactTextImport::ImportFile(Write(dir, "+4498\n"), list, QString(), options);
    EXPECT_EQ(outcome.refusal, ContactTextImport::kNothingAdded);
    outcome = ContactTextImport::ImportFile(Write(dir, "\r\n\r\n"), list, QString(), options);
    EXPECT_EQ(outcome.refusal, ContactTextImport::kNothingAdded);

    EXPECT_EQ(ContactTextImport::ImportFile(Write(dir, QByteArray("\xFF\xFE" "1\0", 4)), list, QString(), options).refusal,
              ContactTextImport::kNotAnsi);
    EXPECT_EQ(ContactTextImport::ImportFile(Write(dir, "\xEF\xBB\xBF" "123"), list, QString(), options).refusal,
              ContactTextImport::kNotAnsi);
    EXPECT_EQ(ContactTextImport::ImportFile(Write(dir, ""), list, QString(), options).refusal,
              ContactTextImport::kEmpty);
    EXPECT_EQ(ContactTextImport::ImportFile(dir.filePath(QStringLiteral("none.txt")), list, QString(), options).refusal,
              ContactTextImport::kMissing);
}

TEST(ContactTextImport, ListsTheImpossibleNumbersItTookForTheListsCountry) {
    QTemporaryDir dir;
    const QByteArray file = "07700 900555\n999\n+447700900555\n+4412\n0770090055512345\n";
    NumberCheckOptions options;
    options.skipDuplicates = true;

    RecipientList british(NumberComparison::ForCountry(QStringLiteral("GB")));
    auto outcome = ContactTextImport::ImportFile(Write(dir, file), british, QString(), options);
    EXPECT_EQ(outcome.added, 4); // the second way of writing the mobile is a duplicate
    EXPECT_EQ(outcome.impossible,
              (QStringList{QStringLiteral("999"), QStringLiteral("+4412"), QStringLiteral("0770090055512345")}));
    EXPECT_EQ(british.Count(), 4); // kept until the user drops them

    RecipientList plain;
    outcome = ContactTextImport::ImportFile(Write(dir, file), plain, QString(), options);
    EXPECT_EQ(outcome.added, 5);
    EXPECT_TRUE(outcome.impossible.isEmpty()); // no country, nothing judged
}
