#include "sms/Gsm0338Decoding.h"
#include "sms/IncomingPdu.h"

#include <gtest/gtest.h>

namespace {

using Tpdu::SmscField;

struct DeliverVector {
    const char* name;
    const char* hex;
    SmscField smsc;
    const char* smscNumber;
    const char* originator;
    int originatorType;
    int dcs;
    const char* scts; // TpTimestamp::Text()
    int quarterHours;
    QString text;
    int concatRef; // -1: none
    int concatTotal;
    int concatSeq;
    bool more; // TP-MMS clear
};

// SMS-DELIVER vectors: captured from modems in public bug reports (named "captured"), and built by hand field
// by field from TS 23.040 9.2.2.1 (named after what they show).
const DeliverVector kDelivers[] = {
    // +CMGR: 0,,29 (India, 2015): "Hi", two line feeds, "Anshu S"; TP-SRI set (first octet 0x24).
    {"captured 7-bit", "0791198904100161240C911979099137640000511090718303220BC8B4421174CFD175D014", SmscField::Present,
     "+919840011016", "+919790197346", 0x91, 0x00, "15/01/09,17:38:30+22", 22, QStringLiteral("Hi\n\nAnshu S"), -1, 0,
     0, false},
    // +CMGL: 0,0,,23 (France, 2015): "Test" at +02:00 (8 quarters: tens 0, units 8, octet 0x80).
    {"captured listing", "07913366003051F5040B913366304381F900005180719120348004D4F29C0E", SmscField::Present,
     "+33660003155", "+33660334189", 0x91, 0x00, "15/08/17,19:02:43+08", 8, QStringLiteral("Test"), -1, 0, 0, false},
    // +CMGR: 0,,159 (2020): UCS-2 part 1 of 2, 8-bit reference 0x25, TP-MMS clear (more to come), +03:00.
    {"captured UCS-2 part",
     "0791695650309199400C916956854351020008025040228201218C05000325020106450631062D06280627002006450631062D062806"
     "27002006450631062D062806270020002006450631062D06280627002006450631062D06280627002006450631062D0628062700200020"
     "00200020002006450631062D06280627002006450631062D06280627002006450631062D062806270020002006450631062D0628062700"
     "200645",
     SmscField::Present, "+966505031999", "+966558341520", 0x91, 0x08, "20/05/04,22:28:10+12", 12,
     QString::fromUtf8("مرحبا مرحبا مرحبا  مرحبا مرحبا مرحبا     مرحبا مرحبا مرحبا  مرحبا م"), 0x25, 2, 1, true},
    // The well-known "How are you?" example; its zone octet 0x08 sets the sign bit with zero quarters.
    {"sign bit with zero zone", "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07",
     SmscField::Present, "+31624000000", "+31641600986", 0x91, 0x00, "02/08/26,19:37:41+00", 0,
     QStringLiteral("How are you?"), -1, 0, 0, false},
    // No SMSC field (the caller says so): national originator 12345 (type 0x81), "Hi".
    {"without SMSC",
     "04"
     "05812143F5"
     "0000"
     "42301001000022"
     "02"
     "C834",
     SmscField::Absent, "", "12345", 0x81, 0x00, "24/03/01,10:00:00+22", 22, QStringLiteral("Hi"), -1, 0, 0, false},
    // Empty SMSC field ("00"), alphanumeric originator "VRIX" (7 semi-octets, type 0xD0), 16-bit reference
    // 0x1234 part 2 of 3 in 7-bit: UDHL 6 is 7 octets = 8 septets, so the text starts at septet 8.
    {"alphanumeric, 16-bit reference",
     "00"
     "44"
     "07D05669120B"
     "0000"
     "42301001000022"
     "0A"
     "06080412340302C832",
     SmscField::Present, "", "VRIX", 0xD0, 0x00, "24/03/01,10:00:00+22", 22, QStringLiteral("He"), 0x1234, 3, 2, false},
    // Escape pairs: "{€}" is 1B28 1B65 1B29 (6 septets), packed 1BD4A6BC4901; west of Greenwich (-03:00).
    {"extension table, negative zone",
     "00"
     "04"
     "0B915155214365F7"
     "0000"
     "32211332958529"
     "06"
     "1BD4A6BC4901",
     SmscField::Present, "", "+15551234567", 0x91, 0x00, "23/12/31,23:59:58-12", -12, QString::fromUtf8("{€}"), -1, 0,
     0, false},
    // Flash (class 0) UCS-2 with a surrogate pair: U+1F600 is D83D DE00.
    {"class 0 UCS-2 surrogate pair",
     "00"
     "04"
     "0B915155214365F7"
     "0018"
     "42301001000022"
     "04"
     "D83DDE00",
     SmscField::Present, "", "+15551234567", 0x91, 0x18, "24/03/01,10:00:00+22", 22, QString::fromUtf8("\U0001F600"),
     -1, 0, 0, false},
};

TEST(TpduDecode, DeliverVectors) {
    for (const DeliverVector& v : kDelivers) {
        const IncomingPdu pdu = Tpdu::DecodeIncoming(QString::fromLatin1(v.hex), v.smsc);
        ASSERT_EQ(pdu.kind, IncomingPdu::Kind::Deliver) << v.name << ": " << pdu.error.toStdString();
        const SmsDeliver& d = *pdu.deliver;
        EXPECT_EQ(pdu.rawHex, QString::fromLatin1(v.hex)) << v.name;
        EXPECT_EQ(d.smsc.value, QString::fromLatin1(v.smscNumber)) << v.name;
        EXPECT_EQ(d.originator.value, QString::fromUtf8(v.originator)) << v.name;
        EXPECT_EQ(d.originator.type, v.originatorType) << v.name;
        EXPECT_EQ(d.coding.value, v.dcs) << v.name;
        EXPECT_EQ(d.serviceCentreTime.Text(), QString::fromLatin1(v.scts)) << v.name;
        EXPECT_EQ(d.serviceCentreTime.quarterHours, v.quarterHours) << v.name;
        EXPECT_EQ(d.serviceCentreTime.time.offsetFromUtc(), v.quarterHours * 900) << v.name;
        EXPECT_EQ(d.userData.text, v.text) << v.name << ": " << d.userData.text.toStdString();
        EXPECT_EQ(d.moreMessagesToSend, v.more) << v.name;
        EXPECT_EQ(d.userData.header.concatenation.has_value(), v.concatRef >= 0) << v.name;
        if (v.concatRef >= 0) {
            EXPECT_EQ(d.userData.header.concatenation->reference, v.concatRef) << v.name;
            EXPECT_EQ(d.userData.header.concatenation->total, v.concatTotal) << v.name;
            EXPECT_EQ(d.userData.header.concatenation->sequence, v.concatSeq) << v.name;
        }
    }
}

TEST(TpduDecode, DataCodingSchemes) {
    const struct {
        int dcs;
        TpAlphabet alphabet;
        int messageClass;
        bool compressed;
        bool reserved;
    } cases[] = {
        {0x00, TpAlphabet::Gsm7Bit, -1, false, false}, {0x04, TpAlphabet::EightBit, -1, false, false},
        {0x08, TpAlphabet::Ucs2, -1, false, false},    {0x10, TpAlphabet::Gsm7Bit, 0, false, false},
        {0x19, TpAlphabet::Ucs2, 1, false, false},     {0x0C, TpAlphabet::Gsm7Bit, -1, false, true},
        {0x20, TpAlphabet::Gsm7Bit, -1, true, false},  {0x48, TpAlphabet::Ucs2, -1, false, false},
        {0x80, TpAlphabet::Gsm7Bit, -1, false, true},  {0xC8, TpAlphabet::Gsm7Bit, -1, false, false},
        {0xE0, TpAlphabet::Ucs2, -1, false, false},    {0xF0, TpAlphabet::Gsm7Bit, 0, false, false},
        {0xF6, TpAlphabet::EightBit, 2, false, false}, {0xF9, TpAlphabet::Gsm7Bit, 1, false, true},
    };
    for (const auto& c : cases) {
        const TpDataCoding d = TpDataCoding::From(c.dcs);
        EXPECT_EQ(d.alphabet, c.alphabet) << c.dcs;
        EXPECT_EQ(d.messageClass, c.messageClass) << c.dcs;
        EXPECT_EQ(d.compressed, c.compressed) << c.dcs;
        EXPECT_EQ(d.reservedCoding, c.reserved) << c.dcs;
    }
}

TEST(TpduDecode, StatusReportVectors) {
    // +CDS: 25 captured after "+CMGS: 64" (India, 2015): TP-MR 0x40, delivered.
    IncomingPdu pdu = Tpdu::DecodeIncoming(
        QStringLiteral("079119890400202306400C91197909913764511090718384225110907183252200"), SmscField::Present, 25);
    ASSERT_EQ(pdu.kind, IncomingPdu::Kind::StatusReport) << pdu.error.toStdString();
    const SmsStatusReport& r = *pdu.statusReport;
    EXPECT_EQ(r.smsc.value, QStringLiteral("+919840000232"));
    EXPECT_EQ(r.firstOctet, 0x06);
    EXPECT_FALSE(r.moreMessagesToSend);
    EXPECT_FALSE(r.resultOfCommand);
    EXPECT_EQ(r.messageReference, 64);
    EXPECT_EQ(r.recipient.value, QStringLiteral("+919790197346"));
    EXPECT_EQ(r.serviceCentreTime.Text(), QStringLiteral("15/01/09,17:38:48+22"));
    EXPECT_EQ(r.dischargeTime.Text(), QStringLiteral("15/01/09,17:38:52+22"));
    EXPECT_EQ(r.status.value, 0);
    EXPECT_TRUE(r.status.IsDelivered());
    EXPECT_EQ(r.parameterIndicator, -1);

    // Without the SMSC field, a permanent failure, then TP-PI announcing TP-PID and TP-DCS and a user data
    // length that is not there (noted, the report stands).
    pdu = Tpdu::DecodeIncoming(QStringLiteral("0605"
                                              "0B915155214365F7"
                                              "42301001000022"
                                              "42301001005022"
                                              "41"
                                              "07"
                                              "00"
                                              "00"),
                               SmscField::Absent);
    ASSERT_EQ(pdu.kind, IncomingPdu::Kind::StatusReport) << pdu.error.toStdString();
    EXPECT_EQ(pdu.statusReport->status.StatusClass(), TpStatus::Class::Permanent);
    EXPECT_EQ(pdu.statusReport->status.Meaning(), QStringLiteral("Incompatible destination"));
    EXPECT_EQ(pdu.statusReport->protocolIdentifier, std::optional<int>(0));
    ASSERT_TRUE(pdu.statusReport->coding.has_value());
    EXPECT_FALSE(pdu.statusReport->userData.has_value());
    EXPECT_EQ(pdu.statusReport->notes.size(), 1);
}

TEST(TpduDecode, StatusMeaningsAndClasses) {
    const struct {
        int value;
        TpStatus::Class statusClass;
        const char* meaning;
        bool final;
    } cases[] = {
        {0x00, TpStatus::Class::Completed, "Short message received by the SME", true},
        {0x01, TpStatus::Class::Completed,
         "Short message forwarded by the SC to the SME but the SC is unable to confirm delivery", true},
        {0x02, TpStatus::Class::Completed, "Short message replaced by the SC", true},
        {0x03, TpStatus::Class::Completed, "Reserved", true},
        {0x1F, TpStatus::Class::Completed, "Value specific to the SC", true},
        {0x20, TpStatus::Class::TemporaryRetrying, "Congestion", false},
        {0x25, TpStatus::Class::TemporaryRetrying, "Error in SME", false},
        {0x26, TpStatus::Class::TemporaryRetrying, "Reserved", false},
        {0x30, TpStatus::Class::TemporaryRetrying, "Value specific to the SC", false},
        {0x40, TpStatus::Class::Permanent, "Remote procedure error", true},
        {0x45, TpStatus::Class::Permanent, "No interworking available", true},
        {0x46, TpStatus::Class::Permanent, "SM Validity Period Expired", true},
        {0x49, TpStatus::Class::Permanent, "SM does not exist", true},
        {0x4A, TpStatus::Class::Permanent, "Reserved", true},
        {0x5F, TpStatus::Class::Permanent, "Value specific to the SC", true},
        {0x60, TpStatus::Class::TemporaryGivenUp, "Congestion", true},
        {0x65, TpStatus::Class::TemporaryGivenUp, "Error in SME", true},
        {0x6A, TpStatus::Class::TemporaryGivenUp, "Reserved", true},
        {0x7F, TpStatus::Class::TemporaryGivenUp, "Value specific to the SC", true},
        {0x80, TpStatus::Class::Reserved, "Reserved", true},
        {0xFF, TpStatus::Class::Reserved, "Reserved", true},
    };
    for (const auto& c : cases) {
        const TpStatus s{c.value};
        EXPECT_EQ(s.StatusClass(), c.statusClass) << c.value;
        EXPECT_EQ(s.Meaning(), QString::fromLatin1(c.meaning)) << c.value;
        EXPECT_EQ(s.IsFinal(), c.final) << c.value;
        EXPECT_EQ(s.IsDelivered(), c.value == 0) << c.value;
    }
    EXPECT_EQ(TpStatus::ClassText(TpStatus::Class::Permanent),
              QStringLiteral("permanent error, SC is not making any more transfer attempts"));
}

TEST(TpduDecode, BadInputGetsAReasonAndKeepsTheRawText) {
    const struct {
        const char* why;
        QString hex;
        SmscField smsc;
        int length;
        const char* reason; // a part of the error text
    } cases[] = {
        {"empty", "", SmscField::Present, -1, "hex"},
        {"odd digit count", "0", SmscField::Present, -1, "hex"},
        {"not hex", "07911326040000FZ", SmscField::Present, -1, "hex"},
        {"SMSC field too long", "0C91", SmscField::Present, -1, "SMSC field"},
        {"SMSC field cut", "0791132604", SmscField::Present, -1, "SMSC field"},
        {"only an SMSC", "07911326040000F0", SmscField::Present, -1, "no TPDU"},
        {"announced length differs",
         "00040B911346610089F6000020806291731408"
         "0CC8F71D14969741F977FD07",
         SmscField::Present, 31, "announced 31"},
        {"address cut", "00040B9113", SmscField::Present, -1, "address"},
        {"address over 20 digits", "000415911346610089F6", SmscField::Present, -1, "over 20"},
        {"filler inside the digits", "00040B91F346610089F60000208062917314080100", SmscField::Present, -1, "filler"},
        {"time stamp cut", "00040B911346610089F600002080629173", SmscField::Present, -1, "time stamp"},
        {"no user data length", "00040B911346610089F6000020806291731408", SmscField::Present, -1, "TP-UDL"},
        {"user data cut", "00040B911346610089F60000208062917314080CC8F71D", SmscField::Present, -1, "user data"},
        {"UDL over 160", "00040B911346610089F6000020806291731408A1", SmscField::Present, -1, "TP-UDL 161"},
        {"UCS-2 odd octets", "00040B911346610089F60008208062917314080300410042", SmscField::Present, -1, "odd"},
        {"header longer than the data", "00440B911346610089F6000820806291731408020900", SmscField::Present, -1,
         "header"},
        {"header element overruns", "00440B911346610089F600082080629173140804030003FF", SmscField::Present, -1,
         "overruns"},
        {"compressed", "00040B911346610089F60020208062917314080100", SmscField::Present, -1, "compressed"},
        {"an SMS-SUBMIT", "0011000B916407281553F80000AA0AE8329BFD4697D9EC37", SmscField::Present, -1, "SMS-SUBMIT"},
        {"reserved TP-MTI", "0003", SmscField::Present, -1, "reserved"},
        {"status report without TP-ST", "0006050B915155214365F74230100100002242301001005022", SmscField::Present, -1,
         "TP-ST"},
    };
    for (const auto& c : cases) {
        const IncomingPdu pdu = Tpdu::DecodeIncoming(c.hex, c.smsc, c.length);
        EXPECT_EQ(pdu.kind, IncomingPdu::Kind::Undecodable) << c.why;
        EXPECT_FALSE(pdu.deliver.has_value()) << c.why;
        EXPECT_FALSE(pdu.statusReport.has_value()) << c.why;
        EXPECT_TRUE(pdu.error.contains(QLatin1String(c.reason))) << c.why << ": " << pdu.error.toStdString();
        EXPECT_EQ(pdu.rawHex, c.hex) << c.why;
    }
}

TEST(TpduDecode, ReceivingEntityRulesAreNotedNotFatal) {
    const struct {
        const char* why;
        const char* hex;
        const char* note;
        bool concatenation;
    } cases[] = {
        // Concatenation element with sequence 3 of 2: ignored (TS 23.040 9.2.3.24.1), the text stands.
        {"bad sequence",
         "00440B911346610089F6000820806291731408"
         "0A050003010203"
         "00410042",
         "ignored", false},
        // National language locking shift table 1: noted, read with the default alphabet.
        {"locking shift",
         "00440B911346610089F6000020806291731408"
         "07"
         "0325010140A601",
         "locking shift table 1", false},
        // Reserved coding (bits 3-2 = 11): read as 7-bit.
        {"reserved alphabet",
         "00040B911346610089F6000C20806291731408"
         "02C834",
         "reserved data coding", false},
        // Octets after the user data.
        {"trailing octets", "00040B911346610089F600002080629173140802C834FFFF", "2 octets after", false},
        // Two concatenation elements: the last one counts.
        {"repeated element", "00440B911346610089F60008208062917314080F0A0003010201000307020100410042", "", true},
    };
    for (const auto& c : cases) {
        const IncomingPdu pdu = Tpdu::DecodeIncoming(QString::fromLatin1(c.hex));
        ASSERT_EQ(pdu.kind, IncomingPdu::Kind::Deliver) << c.why << ": " << pdu.error.toStdString();
        const TpUserData& ud = pdu.deliver->userData;
        if (*c.note) {
            EXPECT_TRUE(ud.notes.join(QLatin1Char('|')).contains(QLatin1String(c.note)))
                << c.why << ": " << ud.notes.join(QLatin1Char('|')).toStdString();
        }
        EXPECT_EQ(ud.header.concatenation.has_value(), c.concatenation) << c.why;
    }
    const IncomingPdu repeated = Tpdu::DecodeIncoming(QString::fromLatin1(cases[4].hex));
    EXPECT_EQ(repeated.deliver->userData.header.concatenation->reference, 7);
    EXPECT_EQ(repeated.deliver->userData.text, QStringLiteral("AB"));
    EXPECT_EQ(Tpdu::DecodeIncoming(QString::fromLatin1(cases[1].hex)).deliver->userData.header.lockingShiftTable, 1);
}

TEST(Gsm0338Decoding, TablesAndReceiverRules) {
    const struct {
        std::vector<std::uint8_t> septets;
        QString text;
    } cases[] = {
        {{0x00, 0x01, 0x02, 0x10, 0x1C, 0x7F}, QString::fromUtf8("@£$ΔÆà")},
        {{0x1B, 0x0A, 0x1B, 0x14, 0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x2F,
          0x1B, 0x3C, 0x1B, 0x3D, 0x1B, 0x3E, 0x1B, 0x40, 0x1B, 0x65},
         QString::fromUtf8("\f^{}\\[~]|€")},
        {{0x1B, 0x41}, QStringLiteral("A")},        // unassigned extension code: the default table's character
        {{0x1B, 0x1B, 0x41}, QStringLiteral(" A")}, // escape to an undefined table: a space
        {{0x41, 0x1B}, QStringLiteral("A ")},       // an escape at the end: a space
    };
    for (const auto& c : cases)
        EXPECT_EQ(Gsm0338::DecodeSeptets(c.septets), c.text) << c.text.toStdString();
    std::vector<std::uint8_t> septets;
    EXPECT_FALSE(Gsm0338::UnpackSeptets(QByteArray::fromHex("C834"), 0, 3, &septets));
    EXPECT_TRUE(Gsm0338::UnpackSeptets(QByteArray::fromHex("C834"), 0, 2, &septets));
    EXPECT_EQ(Gsm0338::DecodeSeptets(septets), QStringLiteral("Hi"));
    EXPECT_FALSE(Gsm0338::UnpackSeptets(QByteArray(), -1, 0, &septets));
}

} // namespace
