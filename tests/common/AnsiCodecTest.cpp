#include "common/AnsiCodec.h"

#include <gtest/gtest.h>

TEST(AnsiCodec, RoundTripsEveryByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = AnsiCodec::Decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC)); // euro sign
    EXPECT_EQ(text.at(0x81), QChar(0x81));   // undefined byte keeps its C1 value
    EXPECT_EQ(text.at(0xE9), QChar(0xE9));
    EXPECT_EQ(AnsiCodec::Encode(text), all);
    EXPECT_TRUE(AnsiCodec::CanEncode(text));
}

TEST(AnsiCodec, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(AnsiCodec::Encode(QString::fromUtf8("a\u0394b")), QByteArray("a?b"));
    EXPECT_FALSE(AnsiCodec::CanEncode(QString::fromUtf8("\u0394")));
}
