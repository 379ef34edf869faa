// Concatenated SMS-SUBMIT parts (3GPP TS 23.040 clause 9.2.3.24.8, 16-bit reference) and the reference
// counter.
#include "sms/PduEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kFourteen = QStringLiteral("+12345678901234"); // address field 0E 91 21436587092143

QString Repeat(const char* hex, int times) {
    return QString::fromLatin1(hex).repeated(times);
}

// ---- An independent reading of a part PDU ----

int Octet(const QString& hex, qsizetype digit) {
    return hex.mid(digit, 2).toInt(nullptr, 16);
}

struct DecodedPart {
    int udl = 0;
    int reference = 0;
    int total = 0;
    int number = 0;
    QString userData; // hex after the user data header
};

DecodedPart ReadPart(const QString& hex) {
    qsizetype at = 2 + 2 * Octet(hex, 0); // SMSC field
    EXPECT_EQ(Octet(hex, at), 0x51);
    at += 4; // first octet, TP-MR
    const int daDigits = Octet(hex, at);
    at += 4 + daDigits + (daDigits & 1) + 6; // TP-DA, PID, DCS, VP
    DecodedPart p;
    p.udl = Octet(hex, at);
    EXPECT_EQ(hex.mid(at + 2, 6), QLatin1String("060804"));
    p.reference = Octet(hex, at + 8) << 8 | Octet(hex, at + 10);
    p.total = Octet(hex, at + 12);
    p.number = Octet(hex, at + 14);
    p.userData = hex.mid(at + 16);
    return p;
}

QByteArray UnpackSeptets(const QString& hex, int count) {
    QByteArray codes;
    for (int i = 0; i < count; ++i) {
        int value = 0;
        for (int b = 0; b < 7; ++b) {
            const int bit = 7 * i + b;
            value |= ((Octet(hex, 2 * (bit / 8)) >> (bit % 8)) & 1) << b;
        }
        codes.append(static_cast<char>(value));
    }
    return codes;
}

QString UnitsFromHex(const QString& hex) {
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text.append(QChar(static_cast<char16_t>(hex.mid(i, 4).toUInt(nullptr, 16))));
    return text;
}

// Checks every part of a message: numbering, reference, sizes, no empty part, and that the parts'
// user data put back together is the whole message with no character cut in two. Returns the slice sizes.
std::vector<int> CheckParts(const Pdu::MultipartPdu& m, const QString& message, bool unicode, int reference) {
    std::vector<int> sizes;
    QByteArray codes;
    QString text;
    for (int n = 1; n <= m.PartCount(); ++n) {
        const Pdu::EncodedPdu pdu = m.EncodePart(n);
        const DecodedPart p = ReadPart(pdu.hex);
        EXPECT_EQ(p.reference, reference);
        EXPECT_EQ(p.total, m.PartCount());
        EXPECT_EQ(p.number, n);
        EXPECT_EQ(pdu.tpduLength, (pdu.hex.size() - 2 - 2 * Octet(pdu.hex, 0)) / 2);
        const int size = unicode ? (p.udl - 7) / 2 : p.udl - 8;
        EXPECT_GT(size, 0) << "part " << n << " is empty";
        EXPECT_LE(size, unicode ? 66 : 152);
        sizes.push_back(size);
        if (unicode) {
            EXPECT_EQ(p.userData.size(), 4 * size);
            const QString slice = UnitsFromHex(p.userData);
            EXPECT_FALSE(slice.back().isHighSurrogate()) << "part " << n << " ends inside a surrogate pair";
            text += slice;
        } else {
            EXPECT_EQ(p.userData.size(), 2 * ((7 * size + 7) / 8));
            const QByteArray slice = UnpackSeptets(p.userData, size);
            // Read the slice as a receiver would: an escape and the code after it are one character.
            for (int i = 0; i < slice.size(); ++i) {
                if (slice[i] == 0x1B) {
                    EXPECT_LT(i + 1, slice.size()) << "part " << n << " ends inside an escape pair";
                    ++i;
                }
            }
            codes += slice;
        }
    }
    if (unicode) {
        EXPECT_EQ(text, message);
    } else {
        QByteArray expected = Pdu::ToGsmCodes(message);
        for (char& c : expected)
            c = static_cast<char>(c & 0x7F);
        EXPECT_EQ(codes.toHex(), expected.toHex());
    }
    return sizes;
}

// ---- The encoder as first designed, for comparison ----
// The whole user data packed once, cut into 266-digit (7-bit) or 264-digit (UCS2) slices; the part count
// taken from the character count (150 or 64 per part); TP-UDL of a 7-bit part (digits x 4 + 56) / 7, one
// less on the last part when the whole stream's last octet holds one bit.

QString Hex2(int v) {
    return QString::asprintf("%02X", v);
}

QString NaivePack(const QByteArray& codes, bool* oneBit) {
    QString hex;
    int acc = 0, bits = 0;
    for (char c : codes) {
        acc |= (c & 0x7F) << bits;
        bits += 7;
        while (bits >= 8) {
            hex += Hex2(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        hex += Hex2(acc & 0xFF);
    *oneBit = bits == 1;
    return hex;
}

QStringList DesignParts(const QString& message, const QString& recipient, const QString& smsc, bool flash, bool unicode,
                        int total, int reference) {
    bool oneBit = false;
    QString whole;
    if (unicode) {
        for (QChar c : message)
            whole += QString::asprintf("%04X", c.unicode());
    } else {
        whole = NaivePack(Pdu::ToGsmCodes(message), &oneBit);
    }
    QStringList parts;
    for (int n = 1; n <= total; ++n) {
        const int sliceDigits = unicode ? 264 : 266;
        const QString slice = whole.mid((n - 1) * sliceDigits, sliceDigits);
        int udl = unicode ? static_cast<int>(slice.size()) / 2 + 7 : (static_cast<int>(slice.size()) * 4 + 56) / 7;
        if (!unicode && n == total && oneBit)
            --udl;
        const QString tpdu = QLatin1String("5100") + Pdu::EncodeAddress(recipient, false) + QLatin1String("00") +
                             Hex2(Pdu::DataCodingScheme(flash, unicode)) + QLatin1String("8F") + Hex2(udl) +
                             QLatin1String("060804") + Hex2(reference >> 8) + Hex2(reference & 0xFF) + Hex2(total) +
                             Hex2(n) + slice;
        parts << (smsc.isEmpty() ? QStringLiteral("00") : Pdu::EncodeAddress(smsc, true)) + tpdu;
    }
    return parts;
}

// ---- Tests ----

TEST(PduMultipart, KnownSevenBitParts) {
    // 160 characters to a 14-digit number: the single TPDU would be 155 octets, so two parts.
    const QString message = QString(152, QLatin1Char('a')) + QStringLiteral("hellohel");
    const Pdu::MultipartPdu m(message, kFourteen, {}, false, false, 0x1234);
    ASSERT_EQ(m.PartCount(), 2);
    // Part 1: UDL A0 = 8 header septets + 152; eight 'a' pack to E170381C0E87C3.
    const Pdu::EncodedPdu p1 = m.EncodePart(1);
    EXPECT_EQ(p1.hex, QLatin1String("00"
                                    "5100"
                                    "0E9121436587092143"
                                    "00"
                                    "00"
                                    "8F"
                                    "A0"
                                    "060804"
                                    "1234"
                                    "02"
                                    "01") +
                          Repeat("E170381C0E87C3", 19));
    EXPECT_EQ(p1.tpduLength, 15 + 7 + 133);
    // Part 2: UDL 10 = 8 + 8.
    const Pdu::EncodedPdu p2 = m.EncodePart(2);
    EXPECT_EQ(p2.hex, QLatin1String("00"
                                    "5100"
                                    "0E9121436587092143"
                                    "00"
                                    "00"
                                    "8F"
                                    "10"
                                    "060804"
                                    "1234"
                                    "02"
                                    "02"
                                    "E8329BFD4697D9"));
    EXPECT_EQ(p2.tpduLength, 29);
}

TEST(PduMultipart, KnownUcs2Parts) {
    // 71 UCS2 characters: 66 + 5, with an SMSC and flash.
    const QString message = QString(66, QChar(0x0416)) + QStringLiteral("Hello");
    const Pdu::MultipartPdu m(message, QStringLiteral("12345"), QStringLiteral("+12345678901"), true, true, 0x00FF);
    ASSERT_EQ(m.PartCount(), 2);
    EXPECT_EQ(m.EncodePart(1).hex, QLatin1String("07912143658709F1"
                                                 "5100"
                                                 "05812143F5"
                                                 "00"
                                                 "18"
                                                 "8F"
                                                 "8B"
                                                 "060804"
                                                 "00FF"
                                                 "02"
                                                 "01") +
                                       Repeat("0416", 66));
    EXPECT_EQ(m.EncodePart(1).tpduLength, 11 + 7 + 132);
    EXPECT_EQ(m.EncodePart(2).hex, QLatin1String("07912143658709F1"
                                                 "5100"
                                                 "05812143F5"
                                                 "00"
                                                 "18"
                                                 "8F"
                                                 "11"
                                                 "060804"
                                                 "00FF"
                                                 "02"
                                                 "02"
                                                 "00480065006C006C006F"));
    EXPECT_EQ(m.EncodePart(2).tpduLength, 28);
}

TEST(PduMultipart, SameBytesAsFirstDesignWhereNoSplitArises) {
    std::mt19937 rng(20240611);
    const QString gsm = QString::fromUtf8("abcdefghij KLMNOP 0123456789 .,!?@£$_éüΔ\n");
    const QString extension = QString::fromUtf8("{}[]~^|\\€");
    const QString wide = QString::fromUtf8("ЖфΩ中文éa ");
    const QString recipients[] = {QStringLiteral("+447700900123"), QStringLiteral("12345"), kFourteen};
    const QString smscs[] = {QString(), QStringLiteral("+12345678901")};
    int compared = 0;
    int splitOrRecounted = 0;
    for (int round = 0; round < 600; ++round) {
        const bool unicode = round % 2 == 1;
        const int length = unicode ? 71 + static_cast<int>(rng() % 700) : 161 + static_cast<int>(rng() % 1600);
        QString message;
        for (int i = 0; i < length; ++i) {
            if (unicode)
                message += wide.at(rng() % wide.size());
            else if (rng() % 100 < (round % 3 == 0 ? 0u : 2u))
                message += extension.at(rng() % extension.size());
            else
                message += gsm.at(rng() % gsm.size());
        }
        // Lengths that leave one data bit in the last octet exercise the encoder's one-bit rule.
        if (round < 40 && !unicode)
            message = message.left(152 * (1 + round % 5) + 7 + 8 * (round % 3));
        const QString& recipient = recipients[round % 3];
        const QString& smsc = smscs[round % 2];
        const bool flash = round % 5 == 0;
        const auto reference = static_cast<std::uint16_t>(round * 97);
        SCOPED_TRACE(message.toStdString());

        const Pdu::MultipartPdu m(message, recipient, smsc, flash, unicode, reference);
        const std::vector<int> sizes = CheckParts(m, message, unicode, reference);
        const int full = unicode ? 66 : 152;
        const bool noSplit = std::all_of(sizes.begin(), sizes.end() - 1, [full](int s) { return s == full; });
        const int designCount = static_cast<int>((message.size() + (unicode ? 63 : 149)) / (unicode ? 64 : 150));
        if (!noSplit || designCount != m.PartCount()) {
            ++splitOrRecounted;
            continue;
        }
        const QStringList design = DesignParts(message, recipient, smsc, flash, unicode, designCount, reference);
        for (int n = 1; n <= m.PartCount(); ++n)
            ASSERT_EQ(m.EncodePart(n).hex, design.at(n - 1)) << "part " << n;
        ++compared;
    }
    // Both kinds of message must have come up, most of them comparable.
    EXPECT_GT(compared, 400);
    EXPECT_GT(splitOrRecounted, 10);
}

TEST(PduMultipart, EscapePairAtPartBoundary) {
    struct Case {
        const char* name;
        QString message;
        std::vector<int> sizes;
    };
    const QString esc(1, QChar(0x1B)); // a character outside the alphabet whose own code is the escape
    const Case cases[] = {
        // "{" would take septets 152 and 153: part 1 stops before its escape.
        {"escape as septet 152",
         QString(151, QLatin1Char('a')) + QStringLiteral("{") + QString(20, QLatin1Char('b')),
         {151, 22}},
        // The pair fills septets 151-152 exactly: no change.
        {"pair ends at 152",
         QString(150, QLatin1Char('a')) + QStringLiteral("{") + QString(20, QLatin1Char('b')),
         {152, 20}},
        // Codes ..a, 1B | 28 from a character whose own code is the escape: still read as one pair.
        {"escape run of one", QString(151, QLatin1Char('a')) + esc + QStringLiteral("("), {151, 2}},
        // Codes ..a, 1B, 1B, 1B | 28: the run pairs up from its first escape, so the third leads "(".
        {"escape run of three", QString(149, QLatin1Char('a')) + esc + esc + QStringLiteral("{"), {151, 2}},
        // Codes ..a, 1B, 1B | 28: the run pairs up by itself, "(" is a character of its own.
        {"escape run of two", QString(150, QLatin1Char('a')) + esc + esc + QStringLiteral("("), {152, 1}},
        {"euro at the boundary", QString(151, QLatin1Char('x')) + QString::fromUtf8("€€"), {151, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pdu::MultipartPdu m(c.message, kFourteen, {}, false, false, 1);
        EXPECT_EQ(CheckParts(m, c.message, false, 1), c.sizes);
    }
}

TEST(PduMultipart, SurrogatePairAtPartBoundary) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString message = QString(65, QLatin1Char('x')) + emoji + QString(10, QLatin1Char('y'));
    const Pdu::MultipartPdu m(message, kFourteen, {}, false, true, 9);
    EXPECT_EQ(CheckParts(m, message, true, 9), (std::vector<int>{65, 12}));
    EXPECT_TRUE(ReadPart(m.EncodePart(2).hex).userData.startsWith(QLatin1String("D83DDE00")));

    // A pair exactly at units 65-66 stays in part 1.
    const QString fits = QString(64, QLatin1Char('x')) + emoji + QString(10, QLatin1Char('y'));
    EXPECT_EQ(CheckParts(Pdu::MultipartPdu(fits, kFourteen, {}, false, true, 9), fits, true, 9),
              (std::vector<int>{66, 10}));
}

TEST(PduMultipart, PartCountFollowsTheEncodedStream) {
    struct Case {
        const char* name;
        QString message;
        bool unicode;
        int parts;
    };
    const Case cases[] = {
        // 503 characters but 1003 septets: counting 150 characters a part would give 4 parts and lose the tail.
        {"many escapes", QString(500, QLatin1Char('{')) + QStringLiteral("END"), false, 7},
        // Counting characters would give a third, empty part.
        {"301 7-bit", QString(301, QLatin1Char('a')), false, 2},
        {"130 UCS2", QString(130, QChar(0x0416)), true, 2},
        {"1600 7-bit", QString(1600, QLatin1Char('a')), false, 11},
        {"1600 UCS2", QString(1600, QChar(0x0416)), true, 25},
        {"255 parts", QString(255 * 152, QLatin1Char('a')), false, 255},
        {"256 parts cannot be numbered", QString(255 * 152 + 1, QLatin1Char('a')), false, 0},
        {"empty", QString(), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pdu::MultipartPdu m(c.message, kFourteen, {}, false, c.unicode, 3);
        EXPECT_EQ(m.PartCount(), c.parts);
        if (c.parts > 0 && c.parts < 20)
            CheckParts(m, c.message, c.unicode, 3);
        EXPECT_TRUE(m.EncodePart(0).hex.isEmpty());
        EXPECT_TRUE(m.EncodePart(c.parts + 1).hex.isEmpty());
    }
    const Pdu::MultipartPdu tail(QString(500, QLatin1Char('{')) + QStringLiteral("END"), kFourteen, {}, false, false,
                                 3);
    const DecodedPart last = ReadPart(tail.EncodePart(tail.PartCount()).hex);
    EXPECT_TRUE(UnpackSeptets(last.userData, last.udl - 8).endsWith("END"));

    EXPECT_TRUE(Pdu::EncodeMessage(QString(255 * 152 + 1, QLatin1Char('a')), kFourteen, {}, false, false, 3).empty());
}

TEST(PduMultipart, LaterPartsComeFromTheFirstPartsStream) {
    QString message = QString(150, QLatin1Char('a')) + QString(100, QLatin1Char('b'));
    const QString original = message;
    const Pdu::MultipartPdu m(message, kFourteen, {}, false, false, 5);
    const Pdu::EncodedPdu part1 = m.EncodePart(1);
    message.fill(QLatin1Char('z'));
    message += QStringLiteral("more");
    const Pdu::MultipartPdu untouched(original, kFourteen, {}, false, false, 5);
    EXPECT_EQ(m.EncodePart(2).hex, untouched.EncodePart(2).hex);
    EXPECT_EQ(part1.hex, untouched.EncodePart(1).hex);
}

TEST(PduMultipart, EncodeMessageCarriesTheReference) {
    const std::vector<Pdu::EncodedPdu> pdus =
        Pdu::EncodeMessage(QString(400, QLatin1Char('a')), kFourteen, {}, false, false, 0xBEEF);
    ASSERT_EQ(pdus.size(), 3u);
    for (std::size_t i = 0; i < pdus.size(); ++i) {
        const DecodedPart p = ReadPart(pdus[i].hex);
        EXPECT_EQ(p.reference, 0xBEEF);
        EXPECT_EQ(p.total, 3);
        EXPECT_EQ(p.number, static_cast<int>(i) + 1);
    }
}

TEST(PduReference, DistinctAcrossThreads) {
    constexpr int kThreads = 4;
    constexpr int kCalls = 5000;
    std::vector<std::vector<std::uint32_t>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&seen, t] {
            for (int i = 0; i < kCalls; ++i)
                seen[static_cast<std::size_t>(t)].push_back(Pdu::NextConcatReference());
        });
    }
    for (std::thread& t : threads)
        t.join();
    std::vector<std::uint32_t> all;
    for (const auto& s : seen) {
        EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
        all.insert(all.end(), s.begin(), s.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "a reference was handed out twice";
    EXPECT_GT(Pdu::NextConcatReference(), all.back());
}

} // namespace
