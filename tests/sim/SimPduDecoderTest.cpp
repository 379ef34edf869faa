#include "sim/SimPduDecoder.h"
#include "sim/SimGsm0338.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// Recipient +15551234567 is the address field 0B 91 5155214365F7 throughout.
const QString kTo = QStringLiteral("0B915155214365F7");

struct ValidCase {
    const char* name;
    QString hex;
    QString to;
    QString text;
    int dcs;
    bool flash;
    int ref; // -1: no concatenation element
    int total;
    int seq;
    QString smsc;
    int tpduLength;
};

class DecodeValid : public ::testing::TestWithParam<ValidCase> {};

TEST_P(DecodeValid, ReadsEveryField) {
    const ValidCase& c = GetParam();
    QString error;
    const std::optional<SimDecodedSubmit> d = SimPduDecoder::Decode(c.hex, &error);
    ASSERT_TRUE(d.has_value()) << c.name << ": " << error.toStdString();
    EXPECT_EQ(d->to, c.to);
    EXPECT_EQ(d->text, c.text) << d->text.toStdString();
    EXPECT_EQ(d->dcs, c.dcs);
    EXPECT_EQ(d->flash, c.flash);
    EXPECT_EQ(d->hasConcat, c.ref >= 0);
    if (c.ref >= 0) {
        EXPECT_EQ(d->concatRef, c.ref);
        EXPECT_EQ(d->concatTotal, c.total);
        EXPECT_EQ(d->concatSeq, c.seq);
    }
    EXPECT_EQ(d->smsc, c.smsc);
    EXPECT_EQ(d->tpduLength, c.tpduLength);
}

const QString kHelloHello = QStringLiteral("0011000B916407281553F80000AA0AE8329BFD4697D9EC37");

INSTANTIATE_TEST_SUITE_P(
    Vectors, DecodeValid,
    ::testing::Values(
        // The classic "hellohello" (relative validity AA), no SMSC.
        ValidCase{"hellohello", kHelloHello, "+46708251358", "hellohello", 0, false, -1, 0, 0, "", 23},
        // "{" is escape + 0x28: "a{" is three septets packed as E10D0A.
        ValidCase{"escape brace", "001100" + kTo + "00008F03E10D0A", "+15551234567", "a{", 0, false, -1, 0, 0, "", 17},
        ValidCase{"euro", "001100" + kTo + "00008F029B32", "+15551234567", QString::fromUtf8("€"), 0, false, -1, 0, 0,
                  "", 16},
        ValidCase{"brackets and caret", "001100" + kTo + "00008F071B1E7EE3DB5000", "+15551234567", "[x]^", 0, false, -1,
                  0, 0, "", 21},
        // Default table codes 0x00 0x01 0x02 are @ £ $, 0x10 is Δ.
        ValidCase{"at pound dollar", "001100" + kTo + "00008F03808000", "+15551234567", QString::fromUtf8("@£$"), 0,
                  false, -1, 0, 0, "", 17},
        ValidCase{"delta", "001100" + kTo + "00008F0110", "+15551234567", QString::fromUtf8("Δ"), 0, false, -1, 0, 0,
                  "", 15},
        // Seven septets fill seven octets, the last holding one data bit; eight fill the same seven.
        ValidCase{"seven septets", "001100" + kTo + "00008F0731D98C56B3DD00", "+15551234567", "1234567", 0, false, -1,
                  0, 0, "", 21},
        ValidCase{"eight septets", "001100" + kTo + "00008F0831D98C56B3DD70", "+15551234567", "12345678", 0, false, -1,
                  0, 0, "", 21},
        // An escape before a code the extension table leaves empty shows the default character.
        ValidCase{"unknown extension", "001100" + kTo + "00008F029B20", "+15551234567", "A", 0, false, -1, 0, 0, "",
                  16},
        ValidCase{"ucs2 with surrogate pair", "001100" + kTo + "00088F0800480069D83DDE00", "+15551234567",
                  QString::fromUtf8("Hi\U0001F600"), 8, false, -1, 0, 0, "", 22},
        ValidCase{"flash 7-bit", "001100" + kTo + "00108F02C834", "+15551234567", "Hi", 0x10, true, -1, 0, 0, "", 16},
        ValidCase{"flash ucs2", "001100" + kTo + "00188F0400480069", "+15551234567", "Hi", 0x18, true, -1, 0, 0, "",
                  18},
        ValidCase{"class 0 in group F", "001100" + kTo + "00F08F02C834", "+15551234567", "Hi", 0xF0, true, -1, 0, 0, "",
                  16},
        ValidCase{"class 1 is not flash", "001100" + kTo + "00118F02C834", "+15551234567", "Hi", 0x11, false, -1, 0, 0,
                  "", 16},
        // Concatenation, 16-bit reference (IEI 08): the 7-octet header is 8 septets, no fill bits.
        ValidCase{"concat 16-bit", "005100" + kTo + "00008F0A06080412340301C834", "+15551234567", "Hi", 0, false,
                  0x1234, 3, 1, "", 23},
        // Concatenation, 8-bit reference (IEI 00): the 6-octet header needs one fill bit.
        ValidCase{"concat 8-bit", "005100" + kTo + "00008F09050003A702029069", "+15551234567", "Hi", 0, false, 0xA7, 2,
                  2, "", 22},
        ValidCase{"concat ucs2",
                  "005100" + kTo +
                      "00088F0B06080400010202"
                      "00480069",
                  "+15551234567", "Hi", 8, false, 1, 2, 2, "", 25},
        ValidCase{"smsc given", "07912143658709F11100" + kTo + "00008F02C834", "+15551234567", "Hi", 0, false, -1, 0, 0,
                  "+12345678901", 16},
        ValidCase{"national recipient", "00110005812143F500008F02C834", "12345", "Hi", 0, false, -1, 0, 0, "", 13},
        ValidCase{"no validity period", "000100" + kTo + "000002C834", "+15551234567", "Hi", 0, false, -1, 0, 0, "",
                  15},
        ValidCase{"absolute validity period",
                  "001900" + kTo +
                      "0000"
                      "21302112000000"
                      "02C834",
                  "+15551234567", "Hi", 0, false, -1, 0, 0, "", 22}),
    [](const ::testing::TestParamInfo<ValidCase>& param) {
        std::string name = param.param.name;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        }
        return name;
    });

TEST(SimPduDecoder, RefusesMalformedPdus) {
    const struct {
        const char* why;
        QString hex;
    } cases[] = {
        {"empty", ""},
        {"odd digit count", "0011000"},
        {"not hex", "0011000B915155214365F700008F02C8ZZ"},
        {"SMS-DELIVER, not SUBMIT", "000000" + kTo + "00008F02C834"},
        {"user data one octet short", "001100" + kTo + "00008F03C834"},
        {"user data one octet long", "001100" + kTo + "00008F02C83400"},
        {"7-bit TP-UDL over 160", "001100" + kTo + "00008FA1" + QString(282, QLatin1Char('0'))},
        {"ucs2 odd octet count", "001100" + kTo + "00088F03004800"},
        {"compressed coding", "001100" + kTo + "00208F02C834"},
        {"reserved coding group", "001100" + kTo + "00808F02C834"},
        {"TP-DA of 21 digits", "001100159151552143658709214365870921F300008F02C834"},
        {"odd TP-DA without filler", "0011000581214365"
                                     "00008F02C834"},
        {"SMSC field too long", "0C911111111111111111111111"
                                "1100" +
                                    kTo + "00008F02C834"},
        {"header overruns user data", "005100" + kTo + "00008F050608041234"},
        {"concat sequence 0", "005100" + kTo + "00008F0A06080412340300C834"},
        {"concat sequence past total", "005100" + kTo + "00008F0A06080412340304C834"},
        {"concat element of wrong length", "005100" + kTo + "00008F0A06080312340301C834"},
        {"cut inside TP-DA", "0011000B915155"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(SimPduDecoder::Decode(c.hex, &error).has_value()) << c.why;
        EXPECT_FALSE(error.isEmpty()) << c.why;
    }
}

TEST(SimPduDecoder, SkipsUnknownHeaderElements) {
    // A port-addressing element (IEI 05) before the concatenation element is read past.
    const QString hex = "005100" + kTo +
                        "00088F110C0504123400000804000A0201"
                        "00480069";
    QString error;
    const auto d = SimPduDecoder::Decode(hex, &error);
    ASSERT_TRUE(d.has_value()) << error.toStdString();
    EXPECT_EQ(d->concatRef, 10);
    EXPECT_EQ(d->concatTotal, 2);
    EXPECT_EQ(d->concatSeq, 1);
    EXPECT_EQ(d->text, QStringLiteral("Hi"));
}

TEST(SimGsm0338, EveryDefaultAndExtensionCharacterRoundTrips) {
    const QString all = QString::fromUtf8("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
                                          "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà"
                                          "\f^{}\\[~]|€");
    bool lossless = false;
    const std::vector<std::uint8_t> septets = SimGsm0338::EncodeText(all, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(septets.size(), static_cast<std::size_t>(127 + 2 * 10)); // 127 default + 10 escaped
    EXPECT_EQ(SimGsm0338::DecodeSeptets(septets), all);
}

TEST(SimGsm0338, UnmappableCharactersBecomeQuestionMarks) {
    bool lossless = true;
    const auto septets = SimGsm0338::EncodeText(QString::fromUtf8("aê\U0001F600b"), &lossless);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(SimGsm0338::DecodeSeptets(septets), QStringLiteral("a??b")); // the emoji is one character
}

TEST(SimGsm0338, LoneEscapeAtTheEndShowsAsSpace) {
    EXPECT_EQ(SimGsm0338::DecodeSeptets({0x61, 0x1B}), QStringLiteral("a "));
    EXPECT_EQ(SimGsm0338::DecodeSeptets({0x1B, 0x1B, 0x61}), QStringLiteral(" a"));
}

TEST(SimGsm0338, UnpackRefusesShortInput) {
    std::vector<std::uint8_t> septets;
    EXPECT_TRUE(SimGsm0338::UnpackSeptets(QByteArray::fromHex("C834"), 0, 2, &septets));
    EXPECT_FALSE(SimGsm0338::UnpackSeptets(QByteArray::fromHex("C834"), 0, 3, &septets));
    EXPECT_FALSE(SimGsm0338::UnpackSeptets(QByteArray::fromHex("9069"), 1, 3, &septets));
}

} // namespace
