#include "sms/UnsolicitedSms.h"

#include <gtest/gtest.h>

namespace {

using UnsolicitedSms::Item;
using UnsolicitedSms::SmsMode;

// Captured in public bug reports: a stored message read back, and a status report for "+CMGS: 64".
const QString kCapturedDeliver =
    QStringLiteral("0791198904100161240C911979099137640000511090718303220BC8B4421174CFD175D014");
const QString kCapturedReport = QStringLiteral("079119890400202306400C91197909913764511090718384225110907183252200");
const QString kCapturedListed = QStringLiteral("07913366003051F5040B913366304381F900005180719120348004D4F29C0E");

TEST(UnsolicitedSms, StoredNotices) {
    const struct {
        const char* line;
        bool ok;
        const char* memory;
        int index;
        bool report;
    } cases[] = {
        {"+CMTI: \"SM\",7", true, "SM", 7, false},      {"+CMTI:\"ME\",0", true, "ME", 0, false},
        {"  +CDSI: \"SR\",12  ", true, "SR", 12, true}, {"+CDSI: \"SM\",0", true, "SM", 0, true},
        {"+CMTI: \"SM\"", false, "", 0, false},         {"+CMTI: \"SM\",x", false, "", 0, false},
        {"+CMTI: \"SM\",-1", false, "", 0, false},      {"+CMT: ,23", false, "", 0, false},
        {"+CMTIX: \"SM\",1", false, "", 0, false},
    };
    for (const auto& c : cases) {
        const auto n = UnsolicitedSms::ParseStoredNotice(QString::fromLatin1(c.line));
        ASSERT_EQ(n.has_value(), c.ok) << c.line;
        if (!c.ok)
            continue;
        EXPECT_EQ(n->memory, QString::fromLatin1(c.memory)) << c.line;
        EXPECT_EQ(n->index, c.index) << c.line;
        EXPECT_EQ(n->statusReport, c.report) << c.line;
    }
}

TEST(UnsolicitedSms, PduHeaders) {
    using Kind = UnsolicitedSms::PduHeader::Kind;
    const struct {
        const char* line;
        bool ok;
        Kind kind;
        int index;
        int stat;
        const char* alpha;
        int length;
    } cases[] = {
        {"+CMT: ,24", true, Kind::Cmt, -1, -1, "", 24},
        {"+CMT: \"Mum\",24", true, Kind::Cmt, -1, -1, "Mum", 24},
        {"+CMT: 24", true, Kind::Cmt, -1, -1, "", 24}, // <alpha> left out altogether
        {"+CDS: 25", true, Kind::Cds, -1, -1, "", 25},
        {"+CMGR: 0,,29", true, Kind::Cmgr, -1, 0, "", 29},
        {"+CMGR: 1,29", true, Kind::Cmgr, -1, 1, "", 29},
        {"+CMGL: 3,1,,23", true, Kind::Cmgl, 3, 1, "", 23},
        {"+CMGL: 0,0,\"Office\",159", true, Kind::Cmgl, 0, 0, "Office", 159},
        {"+CMGL: 3,1,23", true, Kind::Cmgl, 3, 1, "", 23},
        {"+CMGL: 3,7,,23", false, Kind::Cmgl, 0, 0, "", 0},
        {"+CMGR: \"REC UNREAD\",\"+44\",,\"24/03/01,10:00:00+22\"", false, Kind::Cmgr, 0, 0, "", 0},
        {"+CMT: ,256", false, Kind::Cmt, 0, 0, "", 0},
        {"+CDS: 6,4,\"+4470\",145,\"a\",\"b\",0", false, Kind::Cds, 0, 0, "", 0},
        {"+CMTI: \"SM\",1", false, Kind::Cmt, 0, 0, "", 0},
    };
    for (const auto& c : cases) {
        const auto h = UnsolicitedSms::ParsePduHeader(QString::fromLatin1(c.line));
        ASSERT_EQ(h.has_value(), c.ok) << c.line;
        if (!c.ok)
            continue;
        EXPECT_EQ(h->kind, c.kind) << c.line;
        EXPECT_EQ(h->index, c.index) << c.line;
        EXPECT_EQ(h->stat, c.stat) << c.line;
        EXPECT_EQ(h->alpha, QString::fromLatin1(c.alpha)) << c.line;
        EXPECT_EQ(h->length, c.length) << c.line;
    }
}

TEST(UnsolicitedSms, PduModeStreamWithNoise) {
    const QStringList lines = {
        QStringLiteral("+CMTI: \"SM\",7"),
        QStringLiteral("AT+CMGR=7"),
        QStringLiteral("+CMGR: 0,,29"),
        kCapturedDeliver,
        QStringLiteral("OK"),
        QStringLiteral(""),
        QStringLiteral("^RSSI: 17"),
        QStringLiteral("+CDS: 25"),
        kCapturedReport,
        QStringLiteral("+CDSI: \"SR\",0"),
        QStringLiteral("+CMGL: 0,0,,23"),
        kCapturedListed,
        QStringLiteral("+CMGL: 1,1,,25"),
        kCapturedReport,
        QStringLiteral("+CMGL: 2,1,,24"), // a PDU announced as 24 octets that has 23
        kCapturedListed,
        QStringLiteral("+CMT: ,24"), // its PDU line never came
        QStringLiteral("OK"),
    };
    QStringList other;
    const std::vector<Item> items = UnsolicitedSms::ReadItems(lines, SmsMode::Pdu, QStringLiteral("IRA"), &other);
    EXPECT_EQ(other, (QStringList{QStringLiteral("AT+CMGR=7"), QStringLiteral("OK"), QStringLiteral("^RSSI: 17"),
                                  QStringLiteral("OK")}));
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0].source, Item::Source::Cmti);
    EXPECT_EQ(items[0].index, 7);
    EXPECT_EQ(items[1].source, Item::Source::Cmgr);
    EXPECT_EQ(items[1].stat, 0);
    ASSERT_EQ(items[1].message.kind, IncomingPdu::Kind::Deliver);
    EXPECT_EQ(items[1].message.deliver->originator.value, QStringLiteral("+919790197346"));
    EXPECT_EQ(items[1].lines, (QStringList{QStringLiteral("+CMGR: 0,,29"), kCapturedDeliver}));
    EXPECT_EQ(items[2].source, Item::Source::Cds);
    ASSERT_EQ(items[2].message.kind, IncomingPdu::Kind::StatusReport);
    EXPECT_EQ(items[2].message.statusReport->messageReference, 64);
    EXPECT_EQ(items[3].source, Item::Source::Cdsi);
    EXPECT_EQ(items[3].memory, QStringLiteral("SR"));
    EXPECT_EQ(items[4].index, 0);
    EXPECT_EQ(items[4].message.deliver->userData.text, QStringLiteral("Test"));
    EXPECT_EQ(items[5].index, 1);
    EXPECT_EQ(items[5].message.kind, IncomingPdu::Kind::StatusReport);
    // Kept with the reason, never dropped.
    EXPECT_EQ(items[6].message.kind, IncomingPdu::Kind::Undecodable);
    EXPECT_TRUE(items[6].message.error.contains(QLatin1String("announced 24")));
    EXPECT_EQ(items[6].message.rawHex, kCapturedListed);
    EXPECT_EQ(items[7].source, Item::Source::Cmt);
    EXPECT_EQ(items[7].message.kind, IncomingPdu::Kind::Undecodable);
    EXPECT_TRUE(items[7].message.error.contains(QLatin1String("no PDU")));
}

TEST(UnsolicitedSms, TextModeForms) {
    const QString text = QStringLiteral(
        "\r\n+CMT: \"+447700900123\",,\"24/03/01,10:00:00+22\"\r\nHi there\r\n"
        "\r\n+CDS: 6,4,\"+46708251358\",145,\"24/03/01,10:00:10+22\",\"24/03/01,10:00:12+22\",69\r\n"
        "\r\n+CMGL: 1,\"REC UNREAD\",\"+447700900123\",,\"24/03/01,10:00:00+22\"\r\nLine one\r\nline two\r\n"
        "+CMGL: 2,\"REC READ\",6,17,\"+447700900124\",145,\"24/03/01,10:00:00+22\",\"24/03/01,10:01:00+22\",0\r\n"
        "+CMGL: 3,\"REC READ\",\"VRIX\",,\"24/03/01,10:00:00+22\",208,3\r\nSTOP\r\n"
        "\r\nOK\r\n"
        "+CMGR: \"REC READ\",6,9,,,\"24/03/01,10:00:00+22\",\"24/03/01,10:00:01+22\",48\r\n");
    const std::vector<Item> items = UnsolicitedSms::ReadItems(text, SmsMode::Text);
    ASSERT_EQ(items.size(), 6u);

    ASSERT_EQ(items[0].message.kind, IncomingPdu::Kind::Deliver) << items[0].message.error.toStdString();
    const SmsDeliver& cmt = *items[0].message.deliver;
    EXPECT_EQ(cmt.originator.value, QStringLiteral("+447700900123"));
    EXPECT_EQ(cmt.originator.type, 0x91);
    EXPECT_EQ(cmt.serviceCentreTime.Text(), QStringLiteral("24/03/01,10:00:00+22"));
    EXPECT_EQ(cmt.userData.text, QStringLiteral("Hi there"));

    ASSERT_EQ(items[1].message.kind, IncomingPdu::Kind::StatusReport);
    const SmsStatusReport& cds = *items[1].message.statusReport;
    EXPECT_EQ(cds.messageReference, 4);
    EXPECT_EQ(cds.recipient.value, QStringLiteral("+46708251358"));
    EXPECT_EQ(cds.dischargeTime.Text(), QStringLiteral("24/03/01,10:00:12+22"));
    EXPECT_EQ(cds.status.value, 0x45);

    EXPECT_EQ(items[2].index, 1);
    EXPECT_EQ(items[2].stat, 0);
    EXPECT_EQ(items[2].message.deliver->userData.text, QStringLiteral("Line one\nline two"));
    EXPECT_EQ(items[3].index, 2);
    EXPECT_EQ(items[3].message.statusReport->recipient.value, QStringLiteral("+447700900124"));
    EXPECT_EQ(items[4].message.deliver->originator.value, QStringLiteral("VRIX"));
    EXPECT_EQ(items[4].message.deliver->originator.type, 208);
    EXPECT_EQ(items[4].message.deliver->userData.text, QStringLiteral("STOP"));
    EXPECT_EQ(items[5].source, Item::Source::Cmgr);
    EXPECT_EQ(items[5].message.statusReport->recipient.value, QString());
    EXPECT_EQ(items[5].message.statusReport->status.StatusClass(), TpStatus::Class::TemporaryRetrying);
}

TEST(UnsolicitedSms, TextModeDataByHeaderDetailsAndCharset) {
    const struct {
        const char* why;
        QString header; // after "+CMT: "
        QString data;
        const char* charset;
        QString text;
        int concatSeq; // 0: none
    } cases[] = {
        {"UCS-2 message: hex of its octets",
         "\"+447700900123\",,\"24/03/01,10:00:00+22\",145,4,0,8,\"+919845087001\",145,10", "005A006F00EB002020AC",
         "IRA", QString::fromUtf8("Zoë €"), 0},
        {"7-bit part with a header: hex of the packed user data",
         "\"+447700900123\",,\"24/03/01,10:00:00+22\",145,68,0,0,\"+919845087001\",145,9", "050003070201906536", "IRA",
         QStringLiteral("Hel"), 1},
        {"charset UCS2 without details", "\"002B00340034\",,\"24/03/01,10:00:00+22\"", "00480069", "UCS2",
         QStringLiteral("Hi"), 0},
        {"charset GSM: septet codes", "\"+1\",,\"24/03/01,10:00:00+22\"", QString(QChar(0x10)) + QStringLiteral("x"),
         "GSM", QString::fromUtf8("Δx"), 0},
    };
    for (const auto& c : cases) {
        const std::vector<Item> items = UnsolicitedSms::ReadItems(
            QStringList{QStringLiteral("+CMT: ") + c.header, c.data}, SmsMode::Text, QString::fromLatin1(c.charset));
        ASSERT_EQ(items.size(), 1u) << c.why;
        ASSERT_EQ(items[0].message.kind, IncomingPdu::Kind::Deliver)
            << c.why << ": " << items[0].message.error.toStdString();
        const SmsDeliver& d = *items[0].message.deliver;
        EXPECT_EQ(d.userData.text, c.text) << c.why << ": " << d.userData.text.toStdString();
        EXPECT_EQ(d.userData.header.concatenation.has_value(), c.concatSeq > 0) << c.why;
        if (c.concatSeq > 0) {
            EXPECT_EQ(d.userData.header.concatenation->sequence, c.concatSeq) << c.why;
        }
    }
    EXPECT_EQ(UnsolicitedSms::ReadItems(
                  QStringList{QStringLiteral("+CMT: \"002B00340034\",,\"24/03/01,10:00:00+22\""), QStringLiteral("x")},
                  SmsMode::Text, QStringLiteral("UCS2"))
                  .at(0)
                  .message.deliver->originator.value,
              QStringLiteral("+44"));

    // Hex data that is not hex, a status report with a field missing: kept with a reason.
    const std::vector<Item> bad = UnsolicitedSms::ReadItems(
        QStringList{QStringLiteral("+CMT: \"+44\",,\"24/03/01,10:00:00+22\",145,4,0,8,\"+91\",145,2"),
                    QStringLiteral("zz"), QStringLiteral("+CDS: 6,4,\"+4470\",145,\"24/03/01,10:00:10+22\",0")},
        SmsMode::Text);
    ASSERT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[0].message.kind, IncomingPdu::Kind::Undecodable);
    EXPECT_EQ(bad[0].lines.size(), 2);
    EXPECT_EQ(bad[1].message.kind, IncomingPdu::Kind::Undecodable);
    EXPECT_TRUE(bad[1].message.error.contains(QLatin1String("7 fields")));
}

TEST(UnsolicitedSms, TextTimestamps) {
    const struct {
        const char* text;
        bool valid;
        int quarters;
    } cases[] = {
        {"24/03/01,10:00:00+22", true, 22}, {"23/12/31,23:59:58-12", true, -12},
        {"99/01/01,00:00:00+00", true, 0},  {"24/02/30,10:00:00+00", false, 0},
        {"24/03/01,25:00:00+00", false, 0}, {"24/03/01,10:00:00+57", false, 0},
        {"24/03/01 10:00:00+00", false, 0}, {"", false, 0},
    };
    for (const auto& c : cases) {
        const TpTimestamp t = UnsolicitedSms::ParseTextTimestamp(QString::fromLatin1(c.text));
        EXPECT_EQ(t.IsValid(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(t.quarterHours, c.quarters) << c.text;
            EXPECT_EQ(t.Text(), QString::fromLatin1(c.text)) << c.text;
        }
    }
    EXPECT_EQ(UnsolicitedSms::ParseTextTimestamp(QStringLiteral("99/01/01,00:00:00+00")).time.date().year(), 1999);
}

} // namespace
