// Single SMS-SUBMIT PDUs, their fields, the single/long decision and text-mode pieces. Expected hex is
// worked out from 3GPP TS 23.040 clause 9.2.2.2 and TS 23.038 clause 6.2.1, not taken from the encoder.
#include "sms/PduEncoder.h"

#include <gtest/gtest.h>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

TEST(PduAddress, Fields) {
    struct Case {
        const char* number;
        bool isSmsc;
        const char* hex;
    };
    const Case cases[] = {
        {"12345", false,
         "058121"
         "43F5"},
        {"+12345", false,
         "0591"
         "2143F5"},
        {"+12345678901", true,
         "0791"
         "2143658709F1"}, // SMSC length counts octets with the type octet
        {"+15551234567", false,
         "0B91"
         "5155214365F7"}, // 11 digits
        {"1234", false,
         "0481"
         "2143"},
        {"1234", true,
         "0381"
         "2143"},
        {"0044123", false,
         "0781"
         "004421F3"}, // a leading 00 is an ordinary digit pair
        {"", false, "00"},
        {"", true, "00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(Pdu::EncodeAddress(QString::fromLatin1(c.number), c.isSmsc), QLatin1String(c.hex));
    }
}

TEST(PduGsmCodes, DefaultAndExtensionTables) {
    struct Case {
        const char* text;
        QByteArray codes;
    };
    const Case cases[] = {
        {"a{", Bytes({0x61, 0x1B, 0x28})},
        {"Hello 09", Bytes({0x48, 0x65, 0x6C, 0x6C, 0x6F, 0x20, 0x30, 0x39})},
        // Characters whose GSM code differs from their character code.
        {"@£$¥èéùìòÇØøÅå_ÆæßÉ", Bytes({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C, 0x0E,
                                       0x0F, 0x11, 0x1C, 0x1D, 0x1E, 0x1F})},
        {"¤¡ÄÖÑÜ§¿äöñüà", Bytes({0x24, 0x40, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F})},
        {"ΔΦΓΛΩΠΨΣΘΞ", Bytes({0x10, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A})},
        // Extension table: escape, then the code.
        {"^{}\\[~]|€\f", Bytes({0x1B, 0x14, 0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x2F, 0x1B, 0x3C,
                                0x1B, 0x3D, 0x1B, 0x3E, 0x1B, 0x40, 0x1B, 0x65, 0x1B, 0x0A})},
        {"\r\n", Bytes({0x0D, 0x0A})},
        // Outside the alphabet: the character's own code (low byte); packing keeps its low 7 bits.
        {"`", Bytes({0x60})},
        {"\xE4\xB8\xAD", Bytes({0x2D})}, // U+4E2D
        {"", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Pdu::ToGsmCodes(U(c.text)).toHex(' '), c.codes.toHex(' '));
    }
}

TEST(PduSeptets, Packing) {
    struct Case {
        QByteArray codes;
        const char* hex;
        bool oneBit;
    };
    const Case cases[] = {
        {"hellohello", "E8329BFD4697D9EC37", false},
        {"abcdefg", "61F1985C369F01", true}, // 49 bits: the seventh octet holds only bit 6 of 'g'
        {"abcdefgh", "61F1985C369FD1", false},
        {Bytes({0x61, 0x1B, 0x28}), "E10D0A", false},
        {Bytes({0xE1}), "61", false}, // bit 7 of a code is dropped
        {"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        bool oneBit = !c.oneBit;
        EXPECT_EQ(Pdu::PackSeptets(c.codes, &oneBit), QLatin1String(c.hex));
        EXPECT_EQ(oneBit, c.oneBit);
    }
    // 160 septets fill 140 octets.
    EXPECT_EQ(Pdu::PackSeptets(QByteArray(160, 'x')).size(), 2 * 140);
    EXPECT_EQ(Pdu::PackSeptets(QByteArray(7, 'x')).size(), 2 * 7);
}

TEST(PduUcs2, HexUnits) {
    EXPECT_EQ(Pdu::ToUcs2Hex(U("é")), QLatin1String("00E9"));
    EXPECT_EQ(Pdu::ToUcs2Hex(U("Hi")), QLatin1String("00480069"));
    EXPECT_EQ(Pdu::ToUcs2Hex(U("Ж€")), QLatin1String("041620AC"));
    EXPECT_EQ(Pdu::ToUcs2Hex(U("\xF0\x9F\x98\x80")), QLatin1String("D83DDE00")); // U+1F600 as a surrogate pair
}

TEST(PduDataCoding, Scheme) {
    EXPECT_EQ(Pdu::DataCodingScheme(false, false), 0x00);
    EXPECT_EQ(Pdu::DataCodingScheme(true, false), 0x10);
    EXPECT_EQ(Pdu::DataCodingScheme(false, true), 0x08);
    EXPECT_EQ(Pdu::DataCodingScheme(true, true), 0x18);
}

TEST(PduSingle, KnownPdus) {
    struct Case {
        const char* message;
        const char* recipient;
        const char* smsc;
        bool flash;
        bool unicode;
        const char* hex;
        int tpduLength;
    };
    const Case cases[] = {
        // SMSC "00" | 11 00 | 0B 91 5155214365F7 | PID 00 | DCS 00 | VP 8F | UDL 0A | 10 septets in 9 octets
        {"hellohello", "+15551234567", "", false, false,
         "00"
         "1100"
         "0B915155214365F7"
         "00"
         "00"
         "8F"
         "0A"
         "E8329BFD4697D9EC37",
         23},
        {"hellohello", "+15551234567", "+12345678901", false, false,
         "07912143658709F1"
         "1100"
         "0B915155214365F7"
         "00"
         "00"
         "8F"
         "0A"
         "E8329BFD4697D9EC37",
         23},
        // "{" costs two septets.
        {"a{", "12345", "", false, false,
         "00"
         "1100"
         "05812143F5"
         "00"
         "00"
         "8F"
         "03"
         "E10D0A",
         14},
        // UCS2: UDL counts octets; flash + UCS2 is DCS 18.
        {"Hi", "12345", "", true, true,
         "00"
         "1100"
         "05812143F5"
         "00"
         "18"
         "8F"
         "04"
         "00480069",
         15},
        {"é", "12345", "", false, true,
         "00"
         "1100"
         "05812143F5"
         "00"
         "08"
         "8F"
         "02"
         "00E9",
         13},
        {"Hi", "12345", "", true, false,
         "00"
         "1100"
         "05812143F5"
         "00"
         "10"
         "8F"
         "02"
         "C834",
         13},
        {"", "12345", "", false, false,
         "00"
         "1100"
         "05812143F5"
         "00"
         "00"
         "8F"
         "00",
         11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const Pdu::EncodedPdu pdu = Pdu::EncodeSinglePdu(U(c.message), QString::fromLatin1(c.recipient),
                                                         QString::fromLatin1(c.smsc), c.flash, c.unicode);
        EXPECT_EQ(pdu.hex, QLatin1String(c.hex));
        EXPECT_EQ(pdu.tpduLength, c.tpduLength);
    }
}

TEST(PduSingle, SizeDecision) {
    const QString twelve = QStringLiteral("+123456789012");     // address field 8 octets
    const QString fourteen = QStringLiteral("+12345678901234"); // 9 octets
    const QString s160(160, QLatin1Char('a'));
    const QString u70(70, QChar(0x0416));
    struct Case {
        const char* name;
        QString message;
        QString recipient;
        bool unicode;
        std::size_t pdus;
        int firstTpdu;
    };
    const Case cases[] = {
        {"160 7-bit, 12 digits", s160, twelve, false, 1, 154},
        {"160 7-bit, 14 digits", s160, fourteen, false, 2, 155},
        {"161 7-bit", s160 + QLatin1Char('a'), QStringLiteral("1"), false, 2, 0},
        {"70 UCS2, 12 digits", u70, twelve, true, 1, 154},
        {"70 UCS2, 14 digits", u70, fourteen, true, 2, 0},
        {"71 UCS2", u70 + QLatin1Char('a'), twelve, true, 2, 0},
        // 156 characters but 162 septets: a short number keeps the TPDU under 154 octets, yet one SMS holds
        // at most 160 septets.
        {"escapes past 160 septets", QString(150, QLatin1Char('a')) + QString(6, QLatin1Char('{')), QStringLiteral("1"),
         false, 2, 0},
        {"escapes up to 160 septets", QString(150, QLatin1Char('a')) + QString(5, QLatin1Char('{')),
         QStringLiteral("1"), false, 1, 149},
        {"empty", QString(), twelve, false, 1, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool fits = Pdu::FitsSingleMessage(c.message, c.recipient, {}, false, c.unicode);
        EXPECT_EQ(fits, c.pdus == 1);
        const std::vector<Pdu::EncodedPdu> pdus = Pdu::EncodeMessage(c.message, c.recipient, {}, false, c.unicode, 7);
        ASSERT_EQ(pdus.size(), c.pdus);
        if (c.firstTpdu != 0) {
            EXPECT_EQ(pdus.front().tpduLength, c.firstTpdu);
        }
        for (const Pdu::EncodedPdu& p : pdus) {
            EXPECT_EQ(p.hex.mid(2, 2), c.pdus == 1 ? QLatin1String("11") : QLatin1String("51"));
            EXPECT_LE(p.tpduLength, 164); // the largest SMS-SUBMIT TPDU
        }
    }
}

TEST(PduSingle, OverlongTextStillMeasures) {
    // A text far past one SMS: the PDU only serves to measure; its TPDU length is over the limit.
    const Pdu::EncodedPdu pdu =
        Pdu::EncodeSinglePdu(QString(400, QLatin1Char('a')), QStringLiteral("12345"), {}, false, false);
    EXPECT_FALSE(pdu.hex.isEmpty());
    EXPECT_GT(pdu.tpduLength, 154);
    EXPECT_FALSE(Pdu::FitsSingleMessage(QString(400, QLatin1Char('a')), QStringLiteral("12345"), {}, false, false));
}

TEST(PduText, NormalizeLineBreaks) {
    EXPECT_EQ(Pdu::NormalizeLineBreaks(QStringLiteral("A\r\nB")), QStringLiteral("A\nB"));
    EXPECT_EQ(Pdu::NormalizeLineBreaks(QStringLiteral("A\r\nB")).size(), 3);
    EXPECT_EQ(Pdu::NormalizeLineBreaks(QStringLiteral("\r\n\r\n")), QStringLiteral("\n\n"));
    EXPECT_EQ(Pdu::NormalizeLineBreaks(QStringLiteral("\n\r")), QStringLiteral("\n\r"));
    EXPECT_EQ(Pdu::NormalizeLineBreaks(QStringLiteral("\r")), QStringLiteral("\r"));
}

TEST(PduText, GsmCharacterSet) {
    const QString all = U("@£$¥èéùìòÇ\nØø\rÅå_\f^{}\\[~]|¤Ææß"
                          "É !\"#%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                          "abcdefghijklmnopqrstuvwxyzÄÖÑÜ§¿äöñüàΔΦΓΛΩΠΨΣΘΞ€");
    EXPECT_TRUE(Pdu::IsGsmCharacterSet(all));
    EXPECT_TRUE(Pdu::IsGsmCharacterSet(QString()));
    for (const char* outside : {"`", "á", "\t", "Ж", "\xF0\x9F\x98\x80", "\x1B", "\xC2\xA0"}) {
        SCOPED_TRACE(outside);
        EXPECT_FALSE(Pdu::IsGsmCharacterSet(QStringLiteral("ok") + U(outside)));
    }
}

TEST(PduText, TextModePieces) {
    const QString twelve = QStringLiteral("+123456789012");
    struct Case {
        const char* name;
        QString message;
        bool unicode;
        std::vector<qsizetype> sizes;
    };
    const QString emoji = U("\xF0\x9F\x98\x80");
    const Case cases[] = {
        {"fits", QString(160, QLatin1Char('a')), false, {160}},
        {"71 UCS2", QString(71, QChar(0x0416)), true, {64, 7}},
        {"320 7-bit", QString(320, QLatin1Char('a')), false, {150, 150, 20}},
        {"surrogate pair at 64", QString(63, QChar(0x0416)) + emoji + QString(10, QChar(0x0416)), true, {63, 12}},
        {"surrogate pair at 150",
         QString(149, QLatin1Char('a')) + emoji + QString(20, QLatin1Char('a')),
         false,
         {149, 22}},
        // Each piece is one SMS of its own: at most 160 septets, "{" costing two.
        {"escapes", QString(200, QLatin1Char('{')), false, {80, 80, 40}},
        {"a few escapes", QString(10, QLatin1Char('{')) + QString(200, QLatin1Char('a')), false, {150, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList pieces = Pdu::SplitForTextMode(c.message, twelve, {}, false, c.unicode);
        std::vector<qsizetype> sizes;
        for (const QString& p : pieces)
            sizes.push_back(p.size());
        EXPECT_EQ(sizes, c.sizes);
        EXPECT_EQ(pieces.join(QString()), c.message);
    }
}

} // namespace
