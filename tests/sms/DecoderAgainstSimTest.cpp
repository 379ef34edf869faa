// The program's decoders checked against the simulated network's independent encoders: random texts through
// SMS-DELIVER parts (8- and 16-bit references, shuffled), status reports, and the simulated modem's text-mode
// output read back by the line parsers.

#include "sim/SimDialogue.h"
#include "sim/SimTpduEncoder.h"
#include "sms/ConcatReassembler.h"
#include "sms/IncomingPdu.h"
#include "sms/UnsolicitedSms.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

const QDateTime kTime(QDate(2024, 3, 1), QTime(10, 0, 0), QTimeZone(-(4 * 3600 + 1800)));

// Characters a generator picks from: the default table, the extension table, and (for UCS-2) anything,
// surrogate pairs included.
const QString kGsm = QString::fromUtf8("@£$¥èéùìòÇ\nØøÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?¡ABCXYZÄÖÑÜ§¿"
                                       "abcxyzäöñüà{}[]~^\\|€\f");
const QString kWide = QString::fromUtf8("Łężć山田Ελένη\U0001F600\U0001F680é");

QString RandomText(std::mt19937& rng, bool wide, int length) {
    QString text;
    const QString& pool = wide ? kWide : kGsm;
    while (text.size() < length) {
        const qsizetype i = static_cast<qsizetype>(rng() % static_cast<unsigned>(pool.size()));
        if (pool.at(i).isLowSurrogate())
            continue;
        text += pool.at(i);
        if (pool.at(i).isHighSurrogate())
            text += pool.at(i + 1);
    }
    return text;
}

TEST(DecoderAgainstSim, RandomMessagesRoundTrip) {
    std::mt19937 rng(20240301);
    for (int round = 0; round < 300; ++round) {
        SimIncomingMessage m;
        const bool wide = rng() % 3 == 0;
        m.text = RandomText(rng, wide, static_cast<int>(rng() % 500));
        m.ucs2 = wide ? std::optional<bool>(true) : std::nullopt;
        m.reference16 = rng() % 2 == 0;
        m.messageClass = static_cast<int>(rng() % 5) - 1;
        m.from = rng() % 4 == 0 ? QStringLiteral("Shop-24") : QStringLiteral("+4477009%1").arg(rng() % 100000);
        const int reference = static_cast<int>(rng() % (m.reference16 ? 65536 : 256));
        QString error;
        std::vector<SimEncodedTpdu> parts =
            SimTpduEncoder::Deliver(m, reference, QStringLiteral("+447785016005"), kTime, &error);
        ASSERT_FALSE(parts.empty()) << error.toStdString();
        std::shuffle(parts.begin(), parts.end(), rng);

        ConcatReassembler reassembler;
        std::optional<ConcatReassembler::Group> whole;
        for (const SimEncodedTpdu& part : parts) {
            const IncomingPdu pdu = Tpdu::DecodeIncoming(part.pdu, Tpdu::SmscField::Present, part.tpduLength);
            ASSERT_EQ(pdu.kind, IncomingPdu::Kind::Deliver) << pdu.error.toStdString() << " " << part.pdu.toStdString();
            const SmsDeliver& d = *pdu.deliver;
            EXPECT_EQ(d.smsc.value, QStringLiteral("+447785016005"));
            EXPECT_EQ(d.originator.value, m.from);
            EXPECT_EQ(d.coding.messageClass, m.messageClass);
            EXPECT_EQ(d.serviceCentreTime.time, kTime);
            EXPECT_EQ(d.serviceCentreTime.quarterHours, -18);
            EXPECT_EQ(d.userData.text, part.text);
            EXPECT_TRUE(d.userData.notes.isEmpty()) << d.userData.notes.join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(d.moreMessagesToSend, part.sequence < part.total);
            int ref = 0;
            int total = 1;
            int seq = 1;
            if (parts.size() > 1) {
                const auto& c = d.userData.header.concatenation;
                ASSERT_TRUE(c.has_value());
                EXPECT_EQ(c->sixteenBitReference, m.reference16);
                EXPECT_EQ(c->reference, reference);
                ref = c->reference;
                total = c->total;
                seq = c->sequence;
            }
            const auto added =
                reassembler.Add({{QStringLiteral("dev"), d.originator.value, ref, total}, seq, d.userData.text, 0}, 0);
            if (added.completed)
                whole = added.completed;
        }
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(whole->Text(), m.text) << round;
    }
}

TEST(DecoderAgainstSim, StatusReportsRoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int mr = static_cast<int>(rng() % 256);
        const int status = static_cast<int>(rng() % 256);
        const QString to = rng() % 2 ? QStringLiteral("+%1").arg(rng() % 1000000000) : QString::number(rng() % 100000);
        const SimEncodedTpdu r =
            SimTpduEncoder::StatusReport(mr, to, QStringLiteral("+919845087001"), kTime, kTime.addSecs(mr), status);
        const IncomingPdu pdu = Tpdu::DecodeIncoming(r.pdu, Tpdu::SmscField::Present, r.tpduLength);
        ASSERT_EQ(pdu.kind, IncomingPdu::Kind::StatusReport) << pdu.error.toStdString();
        EXPECT_EQ(pdu.statusReport->messageReference, mr);
        EXPECT_EQ(pdu.statusReport->recipient.value, to);
        EXPECT_EQ(pdu.statusReport->status.value, status);
        EXPECT_EQ(pdu.statusReport->dischargeTime.time, kTime.addSecs(mr));
    }
}

// The simulated modem in text mode (AT+CSDH=1), its +CMT lines read back by the line parser.
TEST(DecoderAgainstSim, TextModeIndicationsOfTheSimulatedModem) {
    const struct {
        QString text;
        bool ucs2;
        const char* charset;
    } cases[] = {
        {QStringLiteral("Plain text"), false, "IRA"},
        {QString::fromUtf8("Zoë, Łukasz and 山田 \U0001F600"), true, "IRA"},
        {QString(200, QLatin1Char('k')) + QStringLiteral("{end}"), false, "IRA"}, // parts with a header: hex data
        {QString(150, QChar(0x0416)), true, "IRA"},
        {QString::fromUtf8("Δ and @ in GSM"), false, "GSM"},
        {QStringLiteral("Numbers in hex"), false, "UCS2"},
    };
    for (const auto& c : cases) {
        SimProfile profile;
        SimDialogue sim(profile, SimIdentity{});
        sim.SetClockOrigin(kTime);
        sim.Feed("ATE0\r");
        sim.Feed("AT+CMGF=1;+CSDH=1;+CNMI=2,2,0,0,0;+CSCS=\"" + QByteArray(c.charset) + "\"\r");
        SimIncomingMessage m;
        m.from = QStringLiteral("+447700900123");
        m.text = c.text;
        m.ucs2 = c.ucs2;
        QString error;
        ASSERT_TRUE(sim.Inject(m, &error)) << error.toStdString();
        SimDialogue::Result r;
        sim.Advance(0, &r);
        QByteArray out;
        for (const SimOutput& o : r.outputs)
            out += o.bytes;
        // Split at CR LF only: GSM-charset data may hold other control codes.
        QStringList lines;
        for (const QByteArray& line : out.split('\n'))
            lines << QString::fromLatin1(line.endsWith('\r') ? line.chopped(1) : line);
        const std::vector<UnsolicitedSms::Item> items =
            UnsolicitedSms::ReadItems(lines, UnsolicitedSms::SmsMode::Text, QString::fromLatin1(c.charset));
        ASSERT_FALSE(items.empty()) << out.toStdString();
        QString joined;
        for (const UnsolicitedSms::Item& item : items) {
            ASSERT_EQ(item.message.kind, IncomingPdu::Kind::Deliver) << item.message.error.toStdString();
            EXPECT_EQ(item.message.deliver->originator.value, m.from) << c.charset;
            joined += item.message.deliver->userData.text;
        }
        EXPECT_EQ(joined, c.text) << c.text.toStdString() << "\n" << out.toStdString();
    }
}

} // namespace
