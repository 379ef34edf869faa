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

TEST(SimProfile, ParsesTheNetworkAndDeviceOptions) {
    QString error;
    const auto p = SimProfile::Parse(
        QStringLiteral("pieces:30-80,urc:500,cmddelay:120,reject:+4477009*=21,reject:+1555?0*=1,"
                       "tempfail:+4478*=38:2,tempfail:+4479*=42,report:+4477*=failed:0x41,report:+1555*=none,"
                       "report:*=delivered,report-delay:250,no-cmms,wipe-smsc-on-csmp,cnmi-cdsi-only,storage:5,seed:9"),
        &error);
    ASSERT_TRUE(p.has_value()) << error.toStdString();
    EXPECT_EQ(p->piecesMinMs, 30);
    EXPECT_EQ(p->piecesMaxMs, 80);
    EXPECT_EQ(p->urcEveryMs, 500);
    EXPECT_EQ(p->cmdDelayMs, 120);
    ASSERT_EQ(p->rejects.size(), 2u);
    EXPECT_EQ(p->rejects[0].pattern, QStringLiteral("+4477009*"));
    EXPECT_EQ(p->rejects[0].code, 21);
    EXPECT_EQ(p->rejects[1].code, 1);
    ASSERT_EQ(p->tempFails.size(), 2u);
    EXPECT_EQ(p->tempFails[0].code, 38);
    EXPECT_EQ(p->tempFails[0].tries, 2);
    EXPECT_EQ(p->tempFails[1].tries, 1); // one failing try unless told
    ASSERT_EQ(p->reports.size(), 3u);
    EXPECT_EQ(p->reports[0].code, 0x41);
    EXPECT_EQ(p->reports[1].code, SimNumberRule::kNoReport);
    EXPECT_EQ(p->reports[2].code, 0);
    EXPECT_EQ(p->reportDelayMs, 250);
    EXPECT_TRUE(p->noCmms);
    EXPECT_TRUE(p->wipeSmscOnCsmp);
    EXPECT_EQ(p->reportRouting, SimReportRouting::CdsiOnly);
    EXPECT_EQ(p->storageSlots, 5);
    EXPECT_EQ(p->seed, 9u);

    EXPECT_EQ(SimProfile::Parse(QStringLiteral("pieces:40"), &error)->piecesMinMs, 40);
    EXPECT_EQ(SimProfile::Parse(QStringLiteral("cnmi-none"), &error)->reportRouting, SimReportRouting::None);
    EXPECT_EQ(SimProfile::Parse(QStringLiteral("cnmi-cds-only"), &error)->reportRouting, SimReportRouting::CdsOnly);
    EXPECT_EQ(SimProfile::Parse(QStringLiteral("report:*=failed:69"), &error)->reports.at(0).code, 69);
    const SimProfile d = *SimProfile::Parse(QString(), &error);
    EXPECT_EQ(d.reportRouting, SimReportRouting::Both);
    EXPECT_EQ(d.storageSlots, 30);
    EXPECT_EQ(d.piecesMaxMs, 0);
}

TEST(SimNumberRule, MatchesShellStylePatterns) {
    const struct {
        const char* pattern;
        const char* number;
        bool matches;
    } cases[] = {
        {"+4477009*", "+447700900123", true},
        {"+4477009*", "+447700800123", false},
        {"+4477009*", "+4477009", true},
        {"*", "", true},
        {"*", "+1", true},
        {"+1555????", "+15551234", true},
        {"+1555????", "+155512345", false},
        {"*123", "+44123", true},
        {"*123", "+441234", false},
        {"+44*00*1", "+4477009001", true},
        {"+44*00*1", "+4477009002", false},
        {"12345", "12345", true},
        {"12345", "+12345", false},
        {"", "", true},
        {"", "1", false},
    };
    for (const auto& c : cases) {
        const SimNumberRule rule{QString::fromLatin1(c.pattern), 0, 1};
        EXPECT_EQ(rule.Matches(QString::fromLatin1(c.number)), c.matches) << c.pattern << " ~ " << c.number;
    }
}

TEST(SimProfile, RefusesUnknownNamesAndBadNumbers) {
    for (const char* bad : {"fast",
                            "slow",
                            "slow:",
                            "slow:-1",
                            "slow:abc",
                            "cms:0",
                            "cms:1000",
                            "flaky:0",
                            "flaky:x",
                            "pdu-only,text-only",
                            "quirky,bogus",
                            "pieces:",
                            "pieces:80-30",
                            "pieces:0",
                            "pieces:a-b",
                            "urc:0",
                            "urc:x",
                            "cmddelay:-5",
                            "reject:+44",
                            "reject:=21",
                            "reject:+44*=x",
                            "tempfail:+44*=38:0",
                            "tempfail:+44*=38:1:2",
                            "report:+44*=lost",
                            "report:+44*=failed:",
                            "report:+44*=failed:256",
                            "storage:0",
                            "storage:256",
                            "report-delay:x",
                            "seed:-1"}) {
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
    s.cmms = 2;
    s.statusReportRequested = true;
    EXPECT_EQ(s.ToJson(),
              QString::fromUtf8("{\"mode\":\"pdu\",\"to\":\"+15551234567\",\"text\":\"a\\\"b\\\\c\\nd€\U0001F600"
                                "\\u0001\\ud83d\",\"smsc\":\"\",\"dcs\":8,\"flash\":true,"
                                "\"udh\":{\"ref\":4660,\"total\":3,\"seq\":2},\"pdu\":\"0011\",\"mr\":7,"
                                "\"cmms\":2,\"srr\":true}"));

    SimSubmission t;
    t.mode = QStringLiteral("text");
    t.to = QStringLiteral("12345");
    t.text = QStringLiteral("Hi");
    t.smsc = QStringLiteral("+919845087001");
    EXPECT_EQ(t.ToJson(),
              QStringLiteral("{\"mode\":\"text\",\"to\":\"12345\",\"text\":\"Hi\",\"smsc\":\"+919845087001\","
                             "\"dcs\":0,\"flash\":false,\"udh\":null,\"mr\":0,\"cmms\":0,\"srr\":false}"));
}

} // namespace
