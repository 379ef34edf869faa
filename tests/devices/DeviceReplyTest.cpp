// Reading the answers of the information queries: replies as devices send them, with echo, unsolicited
// lines, stray bytes and blank lines, and the details text read back by label.

#include "devices/DeviceReply.h"
#include "devices/DetailsText.h"
#include "devices/PhonebookEntry.h"

#include <gtest/gtest.h>

namespace {

using DeviceReply::Query;

const Query kGmi{"AT+GMI", {"AT+GMI", "AT+CGMI", "+GMI", "+CGMI"}};
const Query kCgmi{"AT+CGMI", {"AT+GMI", "AT+CGMI", "+GMI", "+CGMI"}};
const Query kCbc{"AT+CBC", {"AT+CBC", "+CBC"}};
const Query kCsca{"AT+CSCA?", {"AT+CSCA", "+CSCA"}};
const Query kCsq{"AT+CSQ", {"AT+CSQ", "+CSQ"}};
const Query kCmgf{"AT+CMGF=?", {"AT+CMGF", "+CMGF"}};
const Query kCops{"AT+COPS?", {"AT+COPS", "+COPS"}};

QString L1(const char* s) {
    return QString::fromLatin1(s);
}

struct CleanCase {
    const char* name;
    const char* reply;
    Query query;
    bool keepQuotes;
    const char* cleaned;
};

} // namespace

TEST(DeviceReply, CleanKeepsOnlyTheAnswer) {
    const CleanCase cases[] = {
        {"plain maker with echo", "AT+GMI\r\r\nSIMCOM_Ltd\r\n\r\nOK\r\n", kGmi, false, "SIMCOM_Ltd"},
        {"no echo", "\r\nSIMCOM_Ltd\r\n\r\nOK\r\n", kGmi, false, "SIMCOM_Ltd"},
        {"prefixed and quoted maker", "AT+CGMI\r\r\n+CGMI: \"Quectel\"\r\n\r\nOK\r\n", kCgmi, false, "Quectel"},
        // An operator "OK..." or a maker with "OK" inside is not a final result.
        {"OK inside a value survives", "AT+GMI\r\r\nNOKIA\r\n\r\nOK\r\n", kGmi, false, "NOKIA"},
        {"unsolicited lines around the answer", "\r\n+CREG: 1\r\nAT+CSQ\r\r\n^RSSI: 17\r\n+CSQ: 17,0\r\n\r\nOK\r\n",
         kCsq, false, "17,0"},
        {"RING between", "AT+CBC\r\r\nRING\r\n\r\n+CBC: 1,75\r\n\r\nOK\r\n", kCbc, false, "1,75"},
        {"stray bytes and NUL-made spaces", "\xFF\x80 AT+GMI\r\r\n\xFE SIMCOM_Ltd\r\n\r\nOK\r\n", kGmi, false,
         "SIMCOM_Ltd"},
        {"quotes kept for the SMSC", "AT+CSCA?\r\r\n+CSCA: \"+919845087001\",145\r\n\r\nOK\r\n", kCsca, true,
         "\"+919845087001\",145"},
        {"angle brackets and question marks go", "\r\n+CMGF: <(0-1)>?\r\n\r\nOK\r\n", kCmgf, false, "(0-1)"},
        {"lower-case echo", "at+gmi\r\r\nACME\r\nOK\r\n", kGmi, false, "ACME"},
        {"nothing but OK", "AT+GMI\r\r\nOK\r\n", kGmi, false, ""},
        // A message routed to the host arrives as a header and its PDU line; neither is the answer.
        {"incoming message before the answer",
         "AT+GMI\r\r\n+CMT: ,24\r\n07911326040000F0040B911346610089F60000208062917314080CC8329BFD06\r\n"
         "SIMCOM_Ltd\r\n\r\nOK\r\n",
         kGmi, false, "SIMCOM_Ltd"},
        {"status report before the answer",
         "\r\n+CDS: 25\r\n0006D60B911326880736F4111011719551401110117195714000\r\n+CBC: 0,80\r\n\r\nOK\r\n", kCbc,
         false, "0,80"},
    };
    for (const CleanCase& c : cases)
        EXPECT_EQ(DeviceReply::Clean(L1(c.reply), c.query, c.keepQuotes), L1(c.cleaned)) << c.name;
}

TEST(DeviceReply, SplitReadsGiveTheSameAnswerOnceCollected) {
    // The transport collects pieces; whatever the cut, the text is the concatenation.
    const QByteArray whole = "AT+CSQ\r\r\n+CSQ: 19,0\r\n\r\nOK\r\n";
    for (qsizetype cut = 1; cut < whole.size(); ++cut) {
        const QString joined = QString::fromLatin1(whole.left(cut) + whole.mid(cut));
        EXPECT_EQ(DeviceReply::SignalValue(DeviceReply::Clean(joined, kCsq)), QStringLiteral("High (19)"));
    }
}

TEST(DeviceReply, IdentityValues) {
    EXPECT_TRUE(DeviceReply::NeedsFallback(QString()));
    EXPECT_TRUE(DeviceReply::NeedsFallback(QStringLiteral("Undefined")));
    EXPECT_FALSE(DeviceReply::NeedsFallback(QStringLiteral("SIM800")));

    EXPECT_EQ(DeviceReply::ModelValue(QStringLiteral("MODEL=E173")), QStringLiteral("E173"));
    EXPECT_EQ(DeviceReply::ModelValue(QStringLiteral("HUAWEI MODEL= E1750")), QStringLiteral("E1750"));
    EXPECT_EQ(DeviceReply::ModelValue(QStringLiteral("SIM800 R14.18")), QStringLiteral("SIM800 R14.18"));

    EXPECT_EQ(DeviceReply::ImeiValue(QStringLiteral("IMEI 867856034556711")), QStringLiteral("867856034556711"));
    EXPECT_EQ(DeviceReply::ImeiValue(QStringLiteral("IMEI: 867856034556711")), QStringLiteral("867856034556711"));
    EXPECT_EQ(DeviceReply::ImeiValue(QStringLiteral("867856034556711")), QStringLiteral("867856034556711"));
    EXPECT_EQ(DeviceReply::ImsiValue(QStringLiteral("IMSI 404451234567890")), QStringLiteral("404451234567890"));
}

TEST(DeviceReply, SmsModeCodes) {
    struct Case {
        const char* answer;
        int before;
        int code;
        const char* text;
        const char* details;
    };
    const Case cases[] = {
        {"(0-1)", 1, 3, "Both PDU Mode and Text Mode", "PDU Mode & Text Mode"},
        {"(0,1)", 1, 3, "Both PDU Mode and Text Mode", "PDU Mode & Text Mode"},
        {"(0)", 1, 1, "Only PDU Mode", "PDU Mode"},
        {"(1)", 1, 2, "Only Text Mode", "Text Mode"},
        {"", 1, 1, "Only PDU Mode", "PDU Mode"}, // neither digit: the code stays
        {"", 0, 0, "", "None"},
    };
    for (const Case& c : cases) {
        const int code = DeviceReply::SmsModesFromAnswer(L1(c.answer), c.before);
        EXPECT_EQ(code, c.code) << c.answer;
        EXPECT_EQ(DeviceReply::SmsModesText(code), L1(c.text));
        EXPECT_EQ(DeviceReply::SmsModesDetailsValue(code), L1(c.details));
    }
    // An unsolicited line with digits does not make a PDU-only device look like both.
    const QString noisy = L1("AT+CMGF=?\r\r\n^RSSI: 17\r\n+CMGF: (0)\r\n\r\nOK\r\n");
    EXPECT_EQ(DeviceReply::SmsModesFromAnswer(DeviceReply::Clean(noisy, kCmgf), 1), 1);
}

TEST(DeviceReply, Battery) {
    const std::pair<const char*, const char*> cases[] = {
        {"1,75", "75% ( Charging )"}, {"0,75", "75%"}, {"2,0", "0"}, {"3, 40", "40"},
        {"0,80,4012", "80%"},         {"", ""},        {"0", ""},    {"0,", ""},
    };
    for (const auto& [cleaned, value] : cases)
        EXPECT_EQ(DeviceReply::BatteryValue(L1(cleaned)), L1(value)) << cleaned;
    EXPECT_EQ(DeviceReply::BatteryValue(DeviceReply::Clean(L1("\r\n+CBC: 1,75\r\n\r\nOK\r\n"), kCbc)),
              QStringLiteral("75% ( Charging )"));
}

TEST(DeviceReply, Signal) {
    const std::pair<const char*, const char*> cases[] = {
        {"99,99", ""},
        {"8,0", "Low (8)"},
        {"0,0", "Low (0)"},
        {"9,0", "Medium (9)"},
        {"14,0", "Medium (14)"},
        {"15,0", "Good (15)"},
        {"17,0", "Good (17)"},
        {"18,99", "Good (18)"},
        {"19,0", "High (19)"},
        {"31,0", "High (31)"},
        {"", ""},
        {"x,0", ""},
    };
    for (const auto& [cleaned, value] : cases)
        EXPECT_EQ(DeviceReply::SignalValue(L1(cleaned)), L1(value)) << cleaned;
}

TEST(DeviceReply, OperatorBetweenQuotes) {
    EXPECT_EQ(DeviceReply::OperatorValue(
                  DeviceReply::Clean(L1("AT+COPS?\r\r\n+COPS: 0,0,\"VRIX SIM\"\r\n\r\nOK\r\n"), kCops, true)),
              QStringLiteral("VRIX SIM"));
    EXPECT_EQ(DeviceReply::OperatorValue(L1("0,2,\"40445\",2")), QStringLiteral("40445"));
    EXPECT_EQ(DeviceReply::OperatorValue(L1("0")), QString()); // not registered
}

TEST(DeviceReply, SmscAsDevicesReportIt) {
    struct Case {
        const char* name;
        const char* reply;
        const char* smsc;
    };
    const Case cases[] = {
        {"international number", "AT+CSCA?\r\r\n+CSCA: \"+919845087001\",145\r\n\r\nOK\r\n", "+919845087001"},
        {"empty number", "\r\n+CSCA: \"\",129\r\n\r\nOK\r\n", ""},
        {"national number kept", "\r\n+CSCA: \"09845087001\",129\r\n\r\nOK\r\n", "09845087001"},
        // UCS2 charset: "+919845087001" as four hex digits per character.
        {"UCS2 hex", "\r\n+CSCA: \"002B003900310039003800340035003000380037003000300031\",145\r\n\r\nOK\r\n",
         "+919845087001"},
        // GSM 7-bit packed (TS 23.038 6.1.2.1): "+919845087001", and "+4477" whose length is no UCS2 one.
        {"packed 7-bit hex", "\r\n+CSCA: \"AB5C2C87A3D560B81B0C1603\",145\r\n\r\nOK\r\n", "+919845087001"},
        {"packed 7-bit odd", "\r\n+CSCA: \"2B1AED7603\",145\r\n\r\nOK\r\n", "+4477"},
        // UCS2 of a number without "+": too long for a number text, so the decoding replaces it.
        {"UCS2 hex without plus", "\r\n+CSCA: \"003900380034003500300038\",129\r\n\r\nOK\r\n", "984508"},
        // A text that is no hex at all stays as the device gave it.
        {"not hex", "\r\n+CSCA: \"SMSC-CENTRE\",129\r\n\r\nOK\r\n", "SMSC-CENTRE"},
        {"no quotes", "\r\n+CSCA: ,129\r\n\r\nOK\r\n", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceReply::SmscValue(DeviceReply::Clean(L1(c.reply), kCsca, true)), L1(c.smsc)) << c.name;
}

TEST(DeviceReply, HexDecoders) {
    EXPECT_EQ(DeviceReply::DecodeUcs2Hex(QStringLiteral("00410042")), QStringLiteral("AB"));
    EXPECT_EQ(DeviceReply::DecodeUcs2Hex(QStringLiteral("0430")), QString(QChar(0x0430)));
    EXPECT_FALSE(DeviceReply::DecodeUcs2Hex(QStringLiteral("004")).has_value());
    EXPECT_FALSE(DeviceReply::DecodeUcs2Hex(QStringLiteral("00G1")).has_value());
    // "hellohello", the TS 23.038 packing example.
    EXPECT_EQ(DeviceReply::DecodePacked7BitHex(QStringLiteral("E8329BFD4697D9EC37")), QStringLiteral("hellohello"));
    // Seven characters fill seven octets exactly; the eighth septet is fill and is dropped.
    EXPECT_EQ(DeviceReply::DecodePacked7BitHex(QStringLiteral("D4F29C0E8AC900")), QStringLiteral("Test 12"));
    EXPECT_FALSE(DeviceReply::DecodePacked7BitHex(QStringLiteral("ABC")).has_value());
}

TEST(DeviceReply, PhonebookAnswers) {
    EXPECT_EQ(DeviceReply::PhonebookStorages(DeviceReply::ResultLineValue(
                  L1("AT+CPBS=?\r\r\n+CPBS: (\"SM\",\"ME\",\"FD\")\r\n\r\nOK\r\n"), QStringLiteral("+CPBS"))),
              (QStringList{"SM", "ME", "FD"}));
    EXPECT_TRUE(DeviceReply::PhonebookStorages(QString()).isEmpty());

    int used = -1;
    int total = -1;
    ASSERT_TRUE(DeviceReply::PhonebookCounts(
        DeviceReply::ResultLineValue(L1("AT+CPBS?\r\r\n+CPBS: \"SM\",3,250\r\n\r\nOK\r\n"), QStringLiteral("+CPBS")),
        &used, &total));
    EXPECT_EQ(used, 3);
    EXPECT_EQ(total, 250);
    EXPECT_FALSE(DeviceReply::PhonebookCounts(QStringLiteral("\"SM\""), &used, &total));

    const QString reply = L1("AT+CPBR=40\r\r\n+CREG: 1\r\n+CPBR: 40,\"+15551234567\",145,\"Smith, Jo\"\r\n\r\nOK\r\n");
    const auto entry =
        DeviceReply::PhonebookEntryFrom(DeviceReply::ResultLineValue(reply, QStringLiteral("+CPBR")), false);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->number, QStringLiteral("+15551234567"));
    EXPECT_EQ(entry->type, 145);
    EXPECT_EQ(entry->name, QStringLiteral("Smith, Jo"));

    const auto ucs2 = DeviceReply::PhonebookEntryFrom(L1("2,\"5551234\",129,\"0041006E006E0061\""), true);
    ASSERT_TRUE(ucs2.has_value());
    EXPECT_EQ(ucs2->type, 129);
    EXPECT_EQ(ucs2->name, QStringLiteral("Anna"));
    EXPECT_EQ(ucs2->number, QStringLiteral("5551234"));
    // A number some devices give in UCS2 too; digits that merely look like hex stay digits.
    const auto hexNumber =
        DeviceReply::PhonebookEntryFrom(L1("3,\"002B00340034003700370030\",145,\"005A006F00EB\""), true);
    ASSERT_TRUE(hexNumber.has_value());
    EXPECT_EQ(hexNumber->number, QStringLiteral("+44770"));
    EXPECT_EQ(hexNumber->name, QString::fromUtf8("Zoë"));
    EXPECT_EQ(DeviceReply::PhonebookEntryFrom(L1("4,\"55512345\",129,\"0041\""), true)->number,
              QStringLiteral("55512345"));
    EXPECT_FALSE(DeviceReply::PhonebookEntryFrom(QString(), false).has_value());
}

TEST(DetailsText, BuildAndReadBack) {
    DetailsText::Values v;
    v.manufacturer = QStringLiteral("SIMCOM");
    v.model = QStringLiteral("SIM800");
    v.supportedSmsMode = QStringLiteral("PDU Mode & Text Mode");
    v.defaultSmsc = QStringLiteral("+919845087001");
    v.signalQuality = QStringLiteral("Good (17)");
    const QString text = DetailsText::Build(v);
    EXPECT_EQ(text,
              QStringLiteral("Manufacturer :SIMCOM\nModel :SIM800\nRevision :\nSupported SMS Mode :PDU Mode & Text "
                             "Mode\nBattery :\nDefault SMSC No. :+919845087001\nOperator Code :\nSignal Quality "
                             ":Good (17)\n"));
    EXPECT_EQ(DetailsText::GetDetailsValue(text, DetailsText::kModel), QStringLiteral("SIM800"));
    EXPECT_EQ(DetailsText::GetDetailsValue(text, DetailsText::kRevision), QString());
    EXPECT_EQ(DetailsText::GetDetailsValue(text, DetailsText::kSmsCapabilities), QString());
    bool found = false;
    EXPECT_EQ(DetailsText::GetDefaultSmsc(text, &found), QStringLiteral("+919845087001"));
    EXPECT_TRUE(found);

    // Stored texts may use "||" for line breaks and CR LF line ends.
    const QString stored = QStringLiteral("Model : X100 ||SMS Capabilities : Not Detected\r\nDefault SMSC No. :\r\n");
    EXPECT_EQ(DetailsText::GetDetailsValue(stored, DetailsText::kModel), QStringLiteral("X100"));
    EXPECT_TRUE(DetailsText::CapabilitiesNotDetected(stored));
    EXPECT_EQ(DetailsText::GetDefaultSmsc(stored, &found), QString());
    EXPECT_FALSE(found);
}
