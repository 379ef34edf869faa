#include "composer/GapBuffer.h"

#include <QRandomGenerator>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<QString> Contents(const GapBuffer<QString>& buffer) {
    std::vector<QString> out;
    for (qsizetype i = 0; i < buffer.Size(); ++i)
        out.push_back(buffer.At(i));
    return out;
}

TEST(GapBufferTest, RandomInsertsAndFiltersMatchAVector) {
    QRandomGenerator random(7);
    GapBuffer<QString> buffer;
    std::vector<QString> model;
    int next = 0;
    for (int step = 0; step < 5000; ++step) {
        const quint32 op = random.bounded(10);
        if (op < 7) {
            // Mostly runs at the top or at consecutive places, sometimes anywhere.
            const qsizetype size = static_cast<qsizetype>(model.size());
            const qsizetype position = op < 3 ? 0 : static_cast<qsizetype>(random.bounded(static_cast<int>(size) + 1));
            const QString value = QString::number(next++);
            buffer.Insert(position, value);
            model.insert(model.begin() + position, value);
        } else if (op < 9) {
            std::vector<QString> kept;
            buffer.Filter([&](qsizetype i, const QString&) { return (i + step) % 3 != 0; });
            for (size_t i = 0; i < model.size(); ++i) {
                if ((static_cast<qsizetype>(i) + step) % 3 != 0)
                    kept.push_back(model[i]);
            }
            model = kept;
        } else if (random.bounded(20) == 0) {
            buffer.Clear();
            model.clear();
        }
        ASSERT_EQ(buffer.Size(), static_cast<qsizetype>(model.size()));
        if (step % 50 == 0) {
            ASSERT_EQ(Contents(buffer), model) << "step " << step;
        }
    }
    EXPECT_EQ(Contents(buffer), model);
}

TEST(GapBufferTest, ConsecutiveInsertsAheadOfExistingRows) {
    GapBuffer<QString> buffer;
    for (int i = 0; i < 3; ++i)
        buffer.Insert(i, QStringLiteral("old%1").arg(i));
    for (int i = 0; i < 3; ++i)
        buffer.Insert(i, QStringLiteral("new%1").arg(i));
    EXPECT_EQ(Contents(buffer),
              (std::vector<QString>{QStringLiteral("new0"), QStringLiteral("new1"), QStringLiteral("new2"),
                                    QStringLiteral("old0"), QStringLiteral("old1"), QStringLiteral("old2")}));
}

} // namespace
