#include "composer/MessageComposer.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(MessageComposerTest, StartsEmptyAsStandardSmsWithoutUnicode) {
    MessageComposer composer;
    EXPECT_EQ(composer.Text(), QString());
    EXPECT_EQ(composer.CounterText(), QStringLiteral("0 Characters"));
    EXPECT_EQ(composer.MessageTypeIndex(), MessageComposer::kStandardSms);
    EXPECT_EQ(MessageComposer::MessageTypeItems(),
              (QStringList{QStringLiteral("Notification"), QStringLiteral("Standard SMS")}));
    EXPECT_FALSE(composer.IsFlashSelected());
    EXPECT_FALSE(composer.IsUnicodeChecked());
}

TEST(MessageComposerTest, TextIsLimitedTo1600CodeUnits) {
    MessageComposer composer;
    EXPECT_TRUE(composer.SetText(QString(1600, QLatin1Char('a'))));
    EXPECT_EQ(composer.CounterText(), QStringLiteral("1600 Characters"));
    EXPECT_FALSE(composer.SetText(QString(1601, QLatin1Char('a'))));
    EXPECT_EQ(composer.Length(), 1600);
    EXPECT_TRUE(MessageComposer::ExceedsLimit(QString(1601, QLatin1Char('a'))));
    EXPECT_FALSE(MessageComposer::ExceedsLimit(QString(1600, QLatin1Char('a'))));
    // Typing the 1601st character has no effect.
    EXPECT_EQ(MessageComposer::FitInsertion(1600, 0, QStringLiteral("b")), QString());
    EXPECT_EQ(MessageComposer::FitInsertion(1600, 2, QStringLiteral("bcd")), QStringLiteral("bc"));
    EXPECT_EQ(MessageComposer::FitInsertion(10, 0, QStringLiteral("xyz")), QStringLiteral("xyz"));
}

TEST(MessageComposerTest, CountsUtf16UnitsAndLineBreaksAsTwo) {
    MessageComposer composer;
    const QString emoji = QString::fromUtf16(u"\U0001F600");
    composer.SetText(QStringLiteral("a\nb") + emoji);
    EXPECT_EQ(composer.Text(), QStringLiteral("a\r\nb") + emoji);
    EXPECT_EQ(composer.CounterText(), QStringLiteral("6 Characters"));
    composer.SetText(QStringLiteral("x\r\ny\rz"));
    EXPECT_EQ(composer.Text(), QStringLiteral("x\r\ny\r\nz"));
}

TEST(MessageComposerTest, CuttingNeverSplitsASurrogatePairOrALineBreak) {
    const QString emoji = QString::fromUtf16(u"\U0001F600");
    MessageComposer composer;
    EXPECT_FALSE(composer.SetText(QString(1599, QLatin1Char('a')) + emoji));
    EXPECT_EQ(composer.Length(), 1599);
    EXPECT_FALSE(composer.SetText(QString(1599, QLatin1Char('a')) + QLatin1Char('\n')));
    EXPECT_EQ(composer.Length(), 1599);
    EXPECT_EQ(MessageComposer::FitInsertion(1599, 0, emoji), QString());
    EXPECT_EQ(MessageComposer::FitInsertion(1598, 0, emoji), emoji);
}

TEST(MessageComposerTest, UnicodeOptionLeavesTheCounterAndResetRestoresStart) {
    MessageComposer composer;
    composer.SetText(QStringLiteral("hello"));
    composer.SetUnicodeChecked(true);
    EXPECT_EQ(composer.CounterText(), QStringLiteral("5 Characters"));
    composer.SetUnicodeChecked(false);
    EXPECT_EQ(composer.CounterText(), QStringLiteral("5 Characters"));
    composer.SetMessageTypeIndex(MessageComposer::kNotification);
    composer.SetUnicodeChecked(true);
    EXPECT_TRUE(composer.IsFlashSelected());
    composer.SetMessageTypeIndex(7); // not an item: ignored
    EXPECT_TRUE(composer.IsFlashSelected());
    composer.Reset();
    EXPECT_EQ(composer.CounterText(), QStringLiteral("0 Characters"));
    EXPECT_EQ(composer.MessageTypeIndex(), MessageComposer::kStandardSms);
    EXPECT_FALSE(composer.IsUnicodeChecked());
}

TEST(MessageComposerTest, WorkersReadTheSettingsWhileTheyChange) {
    MessageComposer composer;
    const SubmissionSettings& settings = composer;
    std::thread reader([&] {
        for (int i = 0; i < 100000; ++i) {
            (void)settings.IsFlashSelected();
            (void)settings.IsUnicodeChecked();
        }
    });
    for (int i = 0; i < 100000; ++i) {
        composer.SetUnicodeChecked(i % 2 == 0);
        composer.SetMessageTypeIndex(i % 2);
    }
    reader.join();
    EXPECT_TRUE(settings.IsFlashSelected() == false); // last index written: 1
}

} // namespace
