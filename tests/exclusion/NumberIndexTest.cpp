#include "exclusion/NumberIndex.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Adding a whole list in batches must index exactly as adding its numbers one by one: every count, across
// batch boundaries and growths of the table, with repeats and case-differing texts.
TEST(NumberIndexTest, AddingAListMatchesAddingItsNumbersOneByOne) {
    for (const int size : {0, 1, 31, 32, 33, 100, 5000}) {
        QStringList numbers;
        for (int i = 0; i < size; ++i)
            numbers << QStringLiteral("+44%1").arg(i % 97 == 0 ? 0 : i)
                    << (i % 50 == 0 ? QStringLiteral("A%1").arg(i) : QStringLiteral("a%1").arg(i));
        NumberIndex batched;
        batched.Add(QStringLiteral("+440")); // already indexed before the list comes
        batched.AddAll(numbers);
        NumberIndex single;
        single.Add(QStringLiteral("+440"));
        for (const QString& n : numbers)
            single.Add(n);
        EXPECT_EQ(batched.DistinctCount(), single.DistinctCount()) << size;
        for (const QString& n : numbers) {
            ASSERT_EQ(batched.Count(n), single.Count(n)) << size << ' ' << n.toStdString();
            ASSERT_EQ(batched.Count(n.toUpper()), single.Count(n)) << size; // compared ignoring case
        }
        for (const QString& n : numbers)
            batched.Remove(n);
        EXPECT_EQ(batched.DistinctCount(), 1) << size;
        EXPECT_EQ(batched.Count(QStringLiteral("+440")), 1u) << size;
    }
}

} // namespace
