// Indications framed out of what a port's tap saw: command replies and unsolicited lines mixed, in pieces.

#include "sending/DeliveryStream.h"

#include <gtest/gtest.h>

namespace {
using Source = UnsolicitedSms::Item::Source;

// +CDS: 25 captured after "+CMGS: 64": TP-MR 64 to +919790197346, delivered.
const QByteArray kReport = "079119890400202306400C91197909913764511090718384225110907183252200";
const QByteArray kDeliver = "0791198904100161240C911979099137640000511090718303220BC8B4421174CFD175D014";

// Every split of the input into two pieces gives the same items as the whole.
std::vector<Source> SourcesOf(const std::vector<UnsolicitedSms::Item>& items) {
    std::vector<Source> sources;
    for (const auto& item : items)
        sources.push_back(item.source);
    return sources;
}
} // namespace

TEST(DeliveryStream, IndicationsInsideAndBetweenRepliesSurviveEverySplit) {
    // An AT+CMGS exchange with a report arriving before the answer, a +CMTI between commands and a +CMT after
    // the final result; the listing reply (+CMGL) is the collector's own and is not taken.
    const QByteArray all = "AT+CMGS=25\r\r\n> 0011000C9144...\x1a\r\n+CDS: 25\r\n" + kReport +
                           "\r\n\r\n+CMGS: 65\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",3\r\nAT+CMGL=4\r\r\n+CMGL: 3,0,,29\r\n" +
                           kDeliver + "\r\nOK\r\n\r\n+CMT: ,29\r\n" + kDeliver + "\r\n+CDSI: \"SR\",1\r\n";
    const std::vector<Source> expected = {Source::Cds, Source::Cmti, Source::Cmt, Source::Cdsi};
    for (qsizetype cut = 0; cut <= all.size(); ++cut) {
        DeliveryStream stream;
        std::vector<UnsolicitedSms::Item> items = stream.Feed(QByteArrayView(all).first(cut));
        for (auto& item : stream.Feed(QByteArrayView(all).sliced(cut)))
            items.push_back(std::move(item));
        ASSERT_EQ(SourcesOf(items), expected) << "cut at " << cut;
        EXPECT_EQ(items[0].message.kind, IncomingPdu::Kind::StatusReport);
        EXPECT_EQ(items[0].message.statusReport->messageReference, 64);
        EXPECT_EQ(items[1].index, 3);
        EXPECT_EQ(items[2].message.kind, IncomingPdu::Kind::Deliver);
        EXPECT_EQ(stream.Pending(), 0);
    }
}

TEST(DeliveryStream, HeaderWaitsForItsDataLine) {
    DeliveryStream stream;
    EXPECT_TRUE(stream.Feed("\r\n+CDS: 25\r\n").empty());
    EXPECT_GT(stream.Pending(), 0);
    const auto items = stream.Feed(QByteArray(kReport + "\r\n"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].message.kind, IncomingPdu::Kind::StatusReport);

    // A PDU cut short by a reset: kept as undecodable with the reason, never dropped.
    const auto cut = stream.Feed("+CDS: 25\r\n0791198904\r\nOK\r\n");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].message.kind, IncomingPdu::Kind::Undecodable);
    EXPECT_FALSE(cut[0].message.error.isEmpty());
}

TEST(DeliveryStream, TextModeReportIsOneLineAndMessageHasItsData) {
    DeliveryStream stream(UnsolicitedSms::SmsMode::Text);
    const auto items = stream.Feed("+CDS: 6,65,\"+447700900001\",145,\"24/03/01,10:00:00+00\","
                                   "\"24/03/01,10:00:05+00\",0\r\n+CMT: \"+447700900002\",,\"24/03/01,10:01:00+00\"\r\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].message.statusReport->messageReference, 65);
    const auto message = stream.Feed("STOP > now\r\n");
    ASSERT_EQ(message.size(), 1u);
    EXPECT_EQ(message[0].message.deliver->userData.text, QStringLiteral("STOP > now"));
}

TEST(DeliveryStream, EndlessLineIsDroppedNotKept) {
    DeliveryStream stream;
    EXPECT_TRUE(stream.Feed(QByteArray(DeliveryStream::kMaxLine + 1, 'A')).empty());
    EXPECT_EQ(stream.Pending(), 0);
    EXPECT_EQ(stream.Feed("+CMTI: \"SM\",1\r\n").size(), 1u);
}
