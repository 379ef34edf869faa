#include "modem/CSMSException.h"
#include "modem/ModemReply.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {
struct ErrorCase {
    const char* reply;
    const char* error;
};
} // namespace

TEST(ModemReply, ParseErrorFindsTheDevicesError) {
    const ErrorCase cases[] = {
        {"AT+CMGS=23\r\r\n+CMS ERROR: 38\r\n", "+CMS ERROR: 38"},
        {"ERROR", "ERROR"},
        {"\r\nERROR\r\n", "ERROR"},
        {"\r\nCOMMAND ERROR\r\n", "+CMS ERROR: 500"},
        {"OK", ""},
        {"\r\n+CMGS: 12\r\n\r\nOK\r\n", ""},
        {"\r\n+CME ERROR: 10\r\n", "+CME ERROR: 10"},
        // Unsolicited lines after the error stay out of the error text.
        {"\r\n+CMS ERROR: 500\r\n+CREG: 1\r\n", "+CMS ERROR: 500"},
        {"\r\n+CMS ERROR: 38\r\n^RSSI: 17\r\n", "+CMS ERROR: 38"},
        {"", ""},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(ModemReply::ParseError(QString::fromLatin1(c.reply)), QString::fromLatin1(c.error)) << c.reply;
}

TEST(ModemReply, ShortenErrorCutsAfterTheCode) {
    EXPECT_EQ(ModemReply::ShortenError(QStringLiteral("+CMS ERROR: 500 unknown")), QStringLiteral("+CMS ERROR: 500"));
    EXPECT_EQ(ModemReply::ShortenError(QStringLiteral("+CMS ERROR: 500 unknown.")),
              QStringLiteral("+CMS ERROR: 500 unknown."));
    EXPECT_EQ(ModemReply::ShortenError(QStringLiteral("+CMS ERROR: 38")), QStringLiteral("+CMS ERROR: 38"));
    EXPECT_EQ(ModemReply::ShortenError(QStringLiteral("+CME ERROR: 100 SIM busy")), QStringLiteral("+CME ERROR: 100"));
    EXPECT_EQ(ModemReply::ShortenError(QStringLiteral("ERROR")), QStringLiteral("ERROR"));
    try {
        CSMSException::ThrowModemError(QStringLiteral("+CMS ERROR: 500 and more"));
        FAIL();
    } catch (const CSMSException& e) {
        EXPECT_EQ(e.Code(), 0u);
        EXPECT_EQ(GetErrorText(e), QStringLiteral("+CMS ERROR: 500"));
    }
}

TEST(ModemReply, SmsModeQuery) {
    EXPECT_EQ(ModemReply::ParseSmsModeQuery(QStringLiteral("AT+CMGF?\r\r\n+CMGF: 1\r\n\r\nOK\r\n")), "1");
    EXPECT_EQ(ModemReply::ParseSmsModeQuery(QStringLiteral("\r\n+CMGF: 0\r\n\r\nOK\r\n")), "0");
    EXPECT_EQ(ModemReply::ParseSmsModeQuery(QStringLiteral("\r\n+CMGF: (0-1)\r\n\r\nOK\r\n")), "2");
    EXPECT_EQ(ModemReply::ParseSmsModeQuery(QStringLiteral("\r\nOK\r\n")), "");
    EXPECT_EQ(ModemReply::ParseSmsModeQuery(QStringLiteral("\r\n+CMGF: 1\r\n")), ""); // no OK
}

TEST(ModemReply, FinalResultOnlyOnALineOfItsOwn) {
    using R = ModemReply::FinalResult;
    EXPECT_EQ(ModemReply::FindFinalResult("AT\r\r\nOK\r\n"), R::Ok);
    EXPECT_EQ(ModemReply::FindFinalResult("\r\n+CMGS: 3\r\n\r\nOK\r\n"), R::Ok);
    EXPECT_EQ(ModemReply::FindFinalResult("\r\n+CREG: 1\r\n\r\n+CMS ERROR: 38\r\n"), R::Error);
    EXPECT_EQ(ModemReply::FindFinalResult("\r\nERROR\r\n"), R::Error);
    EXPECT_EQ(ModemReply::FindFinalResult("\r\n+COPS: 0,0,\"OK\"\r\n"), R::None);
    EXPECT_EQ(ModemReply::FindFinalResult("\r\nOK"), R::None); // the line has not ended yet
    EXPECT_EQ(ModemReply::FindFinalResult("\r\n> "), R::None);
    EXPECT_TRUE(ModemReply::HasMessageReference("\r\n+CMGS: 17\r\n"));
    EXPECT_FALSE(ModemReply::HasMessageReference("\r\n+CMGS=17\r\n"));
    // The final result's line ends with its CR LF; what follows is no part of it.
    EXPECT_EQ(ModemReply::LineEndAfter("\r\nOK\r\n\r\nRIN", 2), 6);
    EXPECT_EQ(ModemReply::LineEndAfter("\r\nERROR\r", 2), 8);
    EXPECT_EQ(ModemReply::EchoLength("hello\r\nOK\r\n", "hello"), 5);
    EXPECT_EQ(ModemReply::EchoLength("hel", "hello"), 3);
    EXPECT_EQ(ModemReply::EchoLength("\r\nOK\r\n", "hello"), 0);
}

TEST(CSMSException, EveryKindHasItsText) {
    for (int id = 513; id <= 522; ++id) {
        const CSMSException e(CSMSException::kStringTableBase | static_cast<std::uint32_t>(id), {});
        EXPECT_FALSE(GetErrorText(e).isEmpty()) << id;
        EXPECT_EQ(GetErrorText(e), ModemStringTableText(id));
    }
    EXPECT_TRUE(ModemStringTableText(512).isEmpty());
    EXPECT_TRUE(ModemStringTableText(523).isEmpty());
    try {
        CSMSException::ThrowNoResponse();
    } catch (const CSMSException& e) {
        EXPECT_EQ(GetErrorText(e), QStringLiteral("Failed to receive a response from the modem."));
        EXPECT_STREQ(e.what(), "Failed to receive a response from the modem.");
    }
    const CSMSException missing(CSMSException::kSystemErrorBase | ENOENT, {});
    EXPECT_EQ(GetErrorText(missing), QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_EQ(missing.SystemErrorNumber(), ENOENT);
    // Error number 0 is "no error": nothing to show.
    errno = 0;
    try {
        CSMSException::ThrowSystemError(0);
    } catch (const CSMSException& e) {
        EXPECT_TRUE(e.IsSystemError());
        EXPECT_TRUE(GetErrorText(e).isEmpty());
    }
    EXPECT_EQ(GetErrorText(CSMSException(0, QStringLiteral("+CMS ERROR: 38"))), QStringLiteral("+CMS ERROR: 38"));
}

TEST(ModemReply, UnsolicitedLines) {
    for (const char* line : {"+CREG: 1", "+CGREG: 0,1", "^RSSI: 17", "^BOOT:1,0,0,4", "+CMTI: \"SM\",3", "RING",
                             " +CDS: 6,12"})
        EXPECT_TRUE(ModemReply::IsUnsolicited(QLatin1String(line))) << line;
    for (const char* line : {"OK", "ERROR", "+CMGS: 4", "+CMS ERROR: 38", "+CSCS: \"GSM\"", "> "})
        EXPECT_FALSE(ModemReply::IsUnsolicited(QLatin1String(line))) << line;
}

TEST(ModemReply, DataLinesOfUnsolicitedHeaders) {
    const std::pair<const char*, int> cases[] = {
        {"+CMT: ,24", 1},                                            // PDU mode: the PDU follows
        {"+CMT: \"+15551234567\",,\"24/05/01,10:00:00+08\"", 1},     // text mode: the text follows
        {"+CBM: 88", 1},
        {"+CDS: 25", 1},                                             // PDU mode: the report's PDU follows
        {"+CDS: 6,12,\"+15551234567\",145,\"24/05/01,10:00:00+08\",\"24/05/01,10:00:05+08\",0", 0}, // text mode
        {"+CMTI: \"SM\",3", 0},
        {"+CREG: 1", 0},
        {"RING", 0},
        {"+CMGS: 4", 0},
    };
    for (const auto& [line, count] : cases)
        EXPECT_EQ(ModemReply::UnsolicitedDataLines(QLatin1String(line)), count) << line;
}

TEST(ModemReply, ServiceCentreAndCharsetAnswers) {
    struct Case {
        const char* reply;
        bool found;
        const char* address;
        int type;
    };
    const Case smsc[] = {
        {"AT+CSCA?\r\r\n+CSCA: \"+919845087001\",145\r\n\r\nOK\r\n", true, "+919845087001", 145},
        // A device in UCS2 writes the address in it; it is kept as written, to be written back unchanged.
        {"\r\n+CSCA: \"002B0039\",145\r\n\r\nOK\r\n", true, "002B0039", 145},
        {"\r\n+CREG: 1\r\n+CSCA: \"\",129\r\n\r\nOK\r\n", true, "", 129}, // none stored
        {"\r\n+CSCA: \"+4479\"\r\n\r\nOK\r\n", true, "+4479", 0},         // no type given
        {"\r\nERROR\r\n", false, "", 0},
        {"\r\n+CSCA: 145\r\n", false, "", 0},
    };
    for (const Case& c : smsc) {
        const auto centre = ModemReply::ParseServiceCentre(QLatin1String(c.reply));
        ASSERT_EQ(centre.has_value(), c.found) << c.reply;
        if (c.found) {
            EXPECT_EQ(centre->address, QLatin1String(c.address));
            EXPECT_EQ(centre->type, c.type);
        }
    }
    EXPECT_EQ(ModemReply::ParseCharsets(QStringLiteral("AT+CSCS=?\r\r\n+CSCS: (\"IRA\",\"GSM\",\"UCS2\")\r\n\r\nOK\r\n")),
              (QStringList{"IRA", "GSM", "UCS2"}));
    EXPECT_EQ(ModemReply::ParseCharsets(QStringLiteral("\r\n^RSSI: 17\r\n+CSCS: \"UCS2\"\r\n\r\nOK\r\n")),
              QStringList{"UCS2"});
    EXPECT_TRUE(ModemReply::ParseCharsets(QStringLiteral("\r\nERROR\r\n")).isEmpty());
}
