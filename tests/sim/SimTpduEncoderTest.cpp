#include "sim/SimTpduEncoder.h"
#include "sim/SimGsm0338.h"
#include "sim/SimIncomingMessage.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// 2024-03-01 10:00:00 at +05:30 (22 quarter hours): semi-octets 42 30 10 01 00 00 22.
const QDateTime kTen(QDate(2024, 3, 1), QTime(10, 0, 0), QTimeZone(5 * 3600 + 1800));
const QString kSmsc = QStringLiteral("+919845087001"); // 07 91 198954800710

SimIncomingMessage Message(const QString& from, const QString& text) {
    SimIncomingMessage m;
    m.from = from;
    m.text = text;
    return m;
}

// Vectors worked out by hand from TS 23.040 9.2.2.1 / 9.2.2.3, field by field.
TEST(SimTpduEncoder, HandWorkedVectors) {
    QString error;
    const std::vector<SimEncodedTpdu> hi =
        SimTpduEncoder::Deliver(Message(QStringLiteral("+15551234567"), QStringLiteral("Hi")), 1, kSmsc, kTen, &error);
    ASSERT_EQ(hi.size(), 1u) << error.toStdString();
    // SMSC | 04 MTI deliver + no more messages | OA | PID 00 DCS 00 | SCTS | UDL 2, "Hi" packed C834
    EXPECT_EQ(hi[0].pdu, QStringLiteral("0791198954800710"
                                        "04"
                                        "0B915155214365F7"
                                        "0000"
                                        "42301001000022"
                                        "02C834"));
    EXPECT_EQ(hi[0].tpduLength, 21);

    const SimEncodedTpdu report =
        SimTpduEncoder::StatusReport(5, QStringLiteral("+15551234567"), kSmsc, kTen, kTen.addSecs(5), 0x41);
    // SMSC | 06 MTI status report + no more messages | MR 05 | RA | SCTS | DT (…:05) | ST 41
    EXPECT_EQ(report.pdu, QStringLiteral("0791198954800710"
                                         "06"
                                         "05"
                                         "0B915155214365F7"
                                         "42301001000022"
                                         "42301001005022"
                                         "41"));
    EXPECT_EQ(report.tpduLength, 25);

    // West of Greenwich the sign bit (bit 3 of the tens) is set: -03:00 is 12 quarters, "21" | 0x08 = 0x29.
    const QDateTime west(QDate(2023, 12, 31), QTime(23, 59, 58), QTimeZone(-3 * 3600));
    EXPECT_EQ(SimTpduEncoder::Timestamp(west).toHex().toUpper(), QByteArray("32211332958529"));
    // A national number (type 0x81) with an odd digit count, and an alphanumeric sender ("VRIX" = 4 septets,
    // 28 bits: 7 semi-octets, type D0).
    EXPECT_EQ(SimTpduEncoder::Address(QStringLiteral("12345")).toHex().toUpper(), QByteArray("05812143F5"));
    EXPECT_EQ(SimTpduEncoder::Address(QStringLiteral("VRIX")).toHex().toUpper(), QByteArray("07D05669120B"));
    EXPECT_EQ(SimTpduEncoder::SmscField(QString()).toHex(), QByteArray("00"));
}

TEST(SimTpduEncoder, SplitsLongTextsIntoConcatenatedParts) {
    const struct {
        const char* why;
        QString text;
        bool ucs2;
        bool ref16;
        int parts;
        int perPart; // septets / units of a full part
    } cases[] = {
        {"160 septets fit one", QString(160, QLatin1Char('a')), false, false, 1, 160},
        {"161 need two of 153", QString(161, QLatin1Char('a')), false, false, 2, 153},
        {"16-bit reference: 152", QString(305, QLatin1Char('a')), false, true, 3, 152},
        {"70 UCS-2 fit one", QString(70, QChar(0x0416)), true, false, 1, 70},
        {"71 UCS-2 need two of 67", QString(71, QChar(0x0416)), true, false, 2, 67},
        {"UCS-2 16-bit: 66", QString(133, QChar(0x0416)), true, true, 3, 66},
    };
    for (const auto& c : cases) {
        SimIncomingMessage m = Message(QStringLiteral("+447700900123"), c.text);
        m.ucs2 = c.ucs2;
        m.reference16 = c.ref16;
        QString error;
        const std::vector<SimEncodedTpdu> parts =
            SimTpduEncoder::Deliver(m, 0x1234 & (c.ref16 ? 0xFFFF : 0xFF), kSmsc, kTen, &error);
        ASSERT_EQ(static_cast<int>(parts.size()), c.parts) << c.why << error.toStdString();
        QString joined;
        for (const SimEncodedTpdu& p : parts) {
            joined += p.text;
            EXPECT_EQ(p.total, c.parts);
            EXPECT_EQ((p.firstOctet & 0x40) != 0, c.parts > 1) << c.why << ": TP-UDHI only on parts";
            // TP-MMS (bit 2) set on the last part only: more are waiting until then.
            EXPECT_EQ((p.firstOctet & 0x04) != 0, p.sequence == c.parts) << c.why;
            EXPECT_LE(p.userData.size(), 140) << c.why;
        }
        EXPECT_EQ(joined, c.text) << c.why;
        if (c.parts > 1) {
            EXPECT_EQ(parts[0].text.size(), c.perPart) << c.why;
            // The header as sent: UDHL 5 / 6, IEI 00 / 08.
            EXPECT_EQ(parts[0].userData.left(3).toHex(), c.ref16 ? QByteArray("060804") : QByteArray("050003"));
        }
    }
}

TEST(SimTpduEncoder, NeverSplitsAnEscapePairOrASurrogatePair) {
    QString error;
    // 152 'a', '{' (escape + code) and ten 'x': 164 septets; the pair would straddle septets 153/154, so part 1
    // ends before it.
    const QString tail = QStringLiteral("{") + QString(10, QLatin1Char('x'));
    const std::vector<SimEncodedTpdu> gsm = SimTpduEncoder::Deliver(
        Message(QStringLiteral("12345"), QString(152, QLatin1Char('a')) + tail), 7, kSmsc, kTen, &error);
    ASSERT_EQ(gsm.size(), 2u);
    EXPECT_EQ(gsm[0].text, QString(152, QLatin1Char('a')));
    EXPECT_EQ(gsm[1].text, tail);

    const QString emoji = QString::fromUtf8("\U0001F600");
    const std::vector<SimEncodedTpdu> ucs2 = SimTpduEncoder::Deliver(
        Message(QStringLiteral("12345"), QString(66, QLatin1Char('b')) + emoji + QStringLiteral("c") + emoji), 7, kSmsc,
        kTen, &error);
    ASSERT_EQ(ucs2.size(), 2u);
    EXPECT_EQ(ucs2[0].text, QString(66, QLatin1Char('b')));
    EXPECT_EQ(ucs2[1].text, emoji + QStringLiteral("c") + emoji);
}

TEST(SimTpduEncoder, RefusesWhatCannotBeSent) {
    QString error;
    EXPECT_TRUE(SimTpduEncoder::Deliver(Message(QString(), QStringLiteral("x")), 1, kSmsc, kTen, &error).empty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(SimTpduEncoder::Deliver(Message(QStringLiteral("+123456789012345678901"), QStringLiteral("x")), 1,
                                        kSmsc, kTen, &error)
                    .empty());
    EXPECT_TRUE(
        SimTpduEncoder::Deliver(Message(QStringLiteral("TwelveLetter"), QStringLiteral("x")), 1, kSmsc, kTen, &error)
            .empty());
    EXPECT_TRUE(SimTpduEncoder::Deliver(Message(QStringLiteral("1"), QString(153 * 256, QLatin1Char('a'))), 1, kSmsc,
                                        kTen, &error)
                    .empty());
    EXPECT_TRUE(error.contains(QLatin1String("255"))) << error.toStdString();
}

TEST(SimIncomingMessage, ReadsJsonLines) {
    QString error;
    const auto m = SimIncomingMessage::FromJson(
        R"({"from":"+447700900123","text":"Zoë","ucs2":true,"ref16":true,"ref":4660,"parts_order":[2,1],)"
        R"("drop_part":1,"class":0,"delay_ms":250,"scts":"2024-03-01T10:00:00+05:30"})",
        &error);
    ASSERT_TRUE(m.has_value()) << error.toStdString();
    EXPECT_EQ(m->from, QStringLiteral("+447700900123"));
    EXPECT_EQ(m->text, QString::fromUtf8("Zoë"));
    EXPECT_EQ(m->ucs2, std::optional<bool>(true));
    EXPECT_TRUE(m->reference16);
    EXPECT_EQ(m->reference, 4660);
    EXPECT_EQ(m->partsOrder, (std::vector<int>{2, 1}));
    EXPECT_EQ(m->dropPart, 1);
    EXPECT_EQ(m->messageClass, 0);
    EXPECT_EQ(m->delayMs, 250);
    ASSERT_TRUE(m->timestamp.has_value());
    EXPECT_EQ(m->timestamp->offsetFromUtc(), 19800);

    const auto minimal = SimIncomingMessage::FromJson(R"({"from":"12345","text":""})", &error);
    ASSERT_TRUE(minimal.has_value());
    EXPECT_FALSE(minimal->ucs2.has_value());
    EXPECT_EQ(minimal->reference, -1);

    for (const char* bad : {R"(not json)", R"([1,2])", R"({"text":"x"})", R"({"from":"1","text":2})",
                            R"({"from":"1","text":"x","ref":300})", R"({"from":"1","text":"x","parts_order":[0]})",
                            R"({"from":"1","text":"x","parts_order":"2,1"})", R"({"from":"1","text":"x","class":4})",
                            R"({"from":"1","text":"x","delay_ms":1.5})", R"({"from":"1","text":"x","scts":"soon"})",
                            R"({"from":"1","text":"x","colour":"red"})"}) {
        EXPECT_FALSE(SimIncomingMessage::FromJson(bad, &error).has_value()) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(SimGsm0338, PackIsTheInverseOfUnpack) {
    for (int offset : {0, 1, 6, 7, 49, 56}) {
        for (int count : {0, 1, 7, 8, 9, 153, 160}) {
            std::vector<std::uint8_t> septets;
            for (int i = 0; i < count; ++i)
                septets.push_back(static_cast<std::uint8_t>((i * 37 + offset) & 0x7F));
            const QByteArray packed = SimGsm0338::PackSeptets(septets, offset);
            EXPECT_EQ(packed.size(), (offset + count * 7 + 7) / 8);
            std::vector<std::uint8_t> back;
            ASSERT_TRUE(SimGsm0338::UnpackSeptets(packed, offset, count, &back));
            EXPECT_EQ(back, septets) << offset << "/" << count;
        }
    }
}

} // namespace
