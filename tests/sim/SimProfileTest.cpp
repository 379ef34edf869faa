#include "sim/SimModem.h"

#include <gtest/gtest.h>

namespace {

TEST(SimProfile, ParsesEachNameAndCombinations) {
    QString error;
    const auto p = SimProfile::Parse(QStringLiteral("quirky, slow:200,flaky:3 ,noecho,garbage,no-smsc,hexcharset,"
                                                    "cms:38,silent-after-pdu,dead,pdu-only"),
                                     &error);
    ASSERT_TRUE(p.has_value()) << error.toStdString();
    EXPECT_TRUE(p->quirky);
    EXPECT_EQ(p->slowMs, 200);
    EXPECT_EQ(p->flakyEvery, 3);
    EXPECT_TRUE(p->noEcho);
    EXPECT_TRUE(p->garbage);
    EXPECT_TRUE(p->noSmsc);
    EXPECT_TRUE(p->hexCharset);
    EXPECT_EQ(p->cmsError, 38);
    EXPECT_TRUE(p->silentAfterPdu);
    EXPECT_TRUE(p->dead);
    EXPECT_TRUE(p->pduOnly);
    EXPECT_FALSE(p->textOnly);

    for (const char* plain : {"", "default", "DEFAULT", "default,"}) {
        const auto d = SimProfile::Parse(QString::fromLatin1(plain), &error);
        ASSERT_TRUE(d.has_value()) << plain;
        EXPECT_FALSE(d->quirky || d->dead || d->noEcho || d->pduOnly || d->textOnly);
        EXPECT_EQ(d->slowMs, 0);
    }
    EXPECT_TRUE(SimProfile::Parse(QStringLiteral("text-only"), &error)->textOnly);
}

TEST(SimProfile, RefusesUnknownNamesAndBadNumbers) {
    for (const char* bad : {"fast", "slow", "slow:", "slow:-1", "slow:abc", "cms:0", "cms:1000", "flaky:0", "flaky:x",
                            "pdu-only,text-only", "quirky,bogus"}) {
        QString error;
        EXPECT_FALSE(SimProfile::Parse(QString::fromLatin1(bad), &error).has_value()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(SimSubmission, JsonLineHasTheFieldsAndEscapes) {
    SimSubmission s;
    s.mode = QStringLiteral("pdu");
    s.to = QStringLiteral("+15551234567");
    s.text = QString::fromUtf8("a\"b\\c\nd€\U0001F600") + QChar(0x0001) + QChar(0xD83D); // lone high surrogate
    s.dcs = 8;
    s.flash = true;
    s.hasUdh = true;
    s.udhRef = 4660;
    s.udhTotal = 3;
    s.udhSeq = 2;
    s.pdu = QStringLiteral("0011");
    s.messageReference = 7;
    EXPECT_EQ(s.ToJson(),
              QString::fromUtf8("{\"mode\":\"pdu\",\"to\":\"+15551234567\",\"text\":\"a\\\"b\\\\c\\nd€\U0001F600"
                                "\\u0001\\ud83d\",\"smsc\":\"\",\"dcs\":8,\"flash\":true,"
                                "\"udh\":{\"ref\":4660,\"total\":3,\"seq\":2},\"pdu\":\"0011\",\"mr\":7}"));

    SimSubmission t;
    t.mode = QStringLiteral("text");
    t.to = QStringLiteral("12345");
    t.text = QStringLiteral("Hi");
    t.smsc = QStringLiteral("+919845087001");
    EXPECT_EQ(t.ToJson(),
              QStringLiteral("{\"mode\":\"text\",\"to\":\"12345\",\"text\":\"Hi\",\"smsc\":\"+919845087001\","
                             "\"dcs\":0,\"flash\":false,\"udh\":null,\"mr\":0}"));
}

} // namespace
