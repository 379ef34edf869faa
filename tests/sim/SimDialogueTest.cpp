#include "sim/SimDialogue.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const QByteArray kHelloHello = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37"; // TPDU of 23 octets
const QByteArray kCtrlZ = "\x1A";

SimProfile ProfileOf(const char* text) {
    QString error;
    const std::optional<SimProfile> p = SimProfile::Parse(QString::fromLatin1(text), &error);
    EXPECT_TRUE(p.has_value()) << error.toStdString();
    return p.value_or(SimProfile{});
}

QByteArray Joined(const SimDialogue::Result& r) {
    QByteArray all;
    for (const SimOutput& o : r.outputs)
        all += o.bytes;
    return all;
}

QByteArray Talk(SimDialogue& d, const QByteArray& in) {
    return Joined(d.Feed(in));
}

// The reply without what the quirky and garbage profiles add around it.
QByteArray Clean(QByteArray bytes) {
    bytes.replace("\r\n+CREG: 1\r\n", "");
    bytes.replace("\r\n^RSSI: 17\r\n", "");
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u != 0x00 && u < 0x80)
            out.append(c);
    }
    return out;
}

TEST(SimDialogue, EchoesCommandsUnlessTurnedOff) {
    SimDialogue d(SimProfile{}, SimIdentity{});
    EXPECT_EQ(Talk(d, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n")); // echoed while echo was still on
    EXPECT_EQ(Talk(d, "AT\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "ATZ\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT\r"), QByteArray("AT\r\r\nOK\r\n")); // ATZ restores echo on

    SimDialogue quiet(ProfileOf("noecho"), SimIdentity{});
    EXPECT_EQ(Talk(quiet, "AT\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(quiet, "AT&F\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(quiet, "AT\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(quiet, "ATE1\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(quiet, "AT\r"), QByteArray("AT\r\r\nOK\r\n"));
}

TEST(SimDialogue, CommandLineSyntax) {
    const struct {
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"at+cgmi\r", "\r\nSIMCOM\r\n\r\nOK\r\n"},
        {"AT + CSQ\r", "\r\n+CSQ: 17,0\r\n\r\nOK\r\n"},
        {"AT\r\n", "\r\nOK\r\n"}, // the line feed after the carriage return is ignored
        {"AT+FOO\r", "\r\nERROR\r\n"},
        {"AT+CSQ=5\r", "\r\nERROR\r\n"},
        {"HELLO\r", ""}, // no "AT": no answer
        {"\r", ""},
        {"AT+CSQ;+CBC\r", "\r\n+CSQ: 17,0\r\n\r\n+CBC: 0,75\r\n\r\nOK\r\n"},
        {"AT+CSQ;+NOPE;+CBC\r", "\r\n+CSQ: 17,0\r\n\r\nERROR\r\n"},
        {"ATE0Q0V1&C1\r", "\r\nOK\r\n"},
        {"ATD5551234;\r", "\r\nERROR\r\n"},
        {"AT+CGMX\bI\r", "\r\nSIMCOM\r\n\r\nOK\r\n"}, // backspace edits the line
        {"AT" + QByteArray(600, 'X') + "\r", "\r\nERROR\r\n"},
        {"\x1A\x1B AT\r", "\r\nOK\r\n"},
        {"AT+CSCS=\"UTF-8\"\r", "\r\nERROR\r\n"},
        {"AT+CMGS\r", "\r\nERROR\r\n"},
        {"AT+CMGS=?\r", "\r\nOK\r\n"},
        {"AT+CSMS=?\r", "\r\n+CSMS: (0,1)\r\n\r\nOK\r\n"},
        {"AT+CSMS=0\r", "\r\n+CSMS: 1,1,1\r\n\r\nOK\r\n"},
        {"AT+CSMS?\r", "\r\n+CSMS: 0,1,1,1\r\n\r\nOK\r\n"},
        {"AT+CMEE=1\r", "\r\nOK\r\n"},
        {"AT+CMEE?\r", "\r\n+CMEE: 0\r\n\r\nOK\r\n"},
        {"AT+CMEE=3\r", "\r\nERROR\r\n"},
        {"AT+CFUN?\r", "\r\n+CFUN: 1\r\n\r\nOK\r\n"},
        {"AT+CSCS?\r", "\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n"},
        {"AT+CSCS=?\r", "\r\n+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"HEX\")\r\n\r\nOK\r\n"},
        {"AT+CSMP?\r", "\r\n+CSMP: 17,167,0,0\r\n\r\nOK\r\n"},
        {"AT+CPIN?\r", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf("noecho"), SimIdentity{});
        EXPECT_EQ(Talk(d, c.in), c.out) << c.in.toStdString();
    }
}

TEST(SimDialogue, RepeatsTheLastLineOnAslash) {
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    Talk(d, "AT+CSQ\r");
    const SimDialogue::Result r = d.Feed("A/");
    EXPECT_EQ(Joined(r), QByteArray("\r\n+CSQ: 17,0\r\n\r\nOK\r\n"));
    EXPECT_EQ(r.commands, QStringList{QStringLiteral("AT+CSQ")});
}

TEST(SimDialogue, RecordsCommandLinesFromTheAtPrefix) {
    SimDialogue d(SimProfile{}, SimIdentity{});
    const SimDialogue::Result r = d.Feed(QByteArray("\x00\xFF"
                                                    "AT+CGMI\rnoise\rAT+CMGF=0\r",
                                                    26));
    EXPECT_EQ(r.commands, (QStringList{QStringLiteral("AT+CGMI"), QStringLiteral("AT+CMGF=0")}));
}

TEST(SimDialogue, IdentityAnswers) {
    SimIdentity id;
    id.imei = QStringLiteral("490154203237518");
    const struct {
        const char* profile;
        QByteArray command;
        QByteArray info; // "" for a plain ERROR
    } cases[] = {
        {"noecho", "AT+GMI", "SIMCOM"},
        {"noecho", "AT+CGMI", "SIMCOM"},
        {"noecho", "AT+GMM", "SIM800 Simulated"},
        {"noecho", "AT+CGMM", "SIM800 Simulated"},
        {"noecho", "AT+GMR", "Revision:1418B05SIM800L24"},
        {"noecho", "AT+CGMR", "Revision:1418B05SIM800L24"},
        {"noecho", "AT+CGSN", "490154203237518"},
        {"noecho", "AT+GSN", "490154203237518"},
        {"noecho", "AT+CIMI", "404451234567890"},
        {"noecho", "AT+CBC", "+CBC: 0,75"},
        {"noecho", "AT+CSQ", "+CSQ: 17,0"},
        {"noecho", "AT+COPS?", "+COPS: 0,0,\"VRIX SIM\""},
        {"noecho", "AT+CSCA?", "+CSCA: \"+919845087001\",145"},
        // A quirky device answers the way some real ones do.
        {"noecho,quirky", "AT+GMI", ""},
        {"noecho,quirky", "AT+CGMI", "+CGMI: \"SIMCOM\""},
        {"noecho,quirky", "AT+GMM", "Undefined"},
        {"noecho,quirky", "AT+CGMM", "+CGMM: MODEL=SIM800 Simulated"},
        {"noecho,quirky", "AT+CGSN", "IMEI 490154203237518"},
        {"noecho,quirky", "AT+CIMI", "IMSI 404451234567890"},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf(c.profile), id);
        const QByteArray expected = c.info.isEmpty() ? QByteArray("\r\nERROR\r\n") : "\r\n" + c.info + "\r\n\r\nOK\r\n";
        EXPECT_EQ(Clean(Talk(d, c.command + "\r")), expected) << c.profile << " " << c.command.toStdString();
    }
}

TEST(SimDialogue, SmsModesByProfile) {
    const struct {
        const char* profile;
        QByteArray test;
        QByteArray initial;
        bool pduAllowed;
        bool textAllowed;
    } cases[] = {
        {"noecho", "+CMGF: (0-1)", "+CMGF: 0", true, true},
        {"noecho,pdu-only", "+CMGF: (0)", "+CMGF: 0", true, false},
        {"noecho,text-only", "+CMGF: (1)", "+CMGF: 1", false, true},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf(c.profile), SimIdentity{});
        EXPECT_EQ(Talk(d, "AT+CMGF=?\r"), "\r\n" + c.test + "\r\n\r\nOK\r\n") << c.profile;
        EXPECT_EQ(Talk(d, "AT+CMGF?\r"), "\r\n" + c.initial + "\r\n\r\nOK\r\n") << c.profile;
        EXPECT_EQ(Talk(d, "AT+CMGF=1\r"), c.textAllowed ? QByteArray("\r\nOK\r\n") : QByteArray("\r\nERROR\r\n"));
        EXPECT_EQ(Talk(d, "AT+CMGF=0\r"), c.pduAllowed ? QByteArray("\r\nOK\r\n") : QByteArray("\r\nERROR\r\n"));
        EXPECT_EQ(Talk(d, "AT+CMGF=2\r"), QByteArray("\r\nERROR\r\n"));
    }
}

TEST(SimDialogue, ServiceCentreNumber) {
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    EXPECT_EQ(Talk(d, "AT+CSCA=\"+15550001111\",145\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSCA?\r"), QByteArray("\r\n+CSCA: \"+15550001111\",145\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSCA=\"98450\"\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSCA?\r"), QByteArray("\r\n+CSCA: \"98450\",129\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSCA=\"12ab\"\r"), QByteArray("\r\nERROR\r\n"));
    // In a hex character set the number is read and reported as UCS2 hex.
    EXPECT_EQ(Talk(d, "AT+CSCS=\"UCS2\";+CSCA=\"002B0031\",145;+CSCA?\r"),
              QByteArray("\r\n+CSCA: \"002B0031\",145\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSCS=\"GSM\";+CSCA?\r"), QByteArray("\r\n+CSCA: \"+1\",145\r\n\r\nOK\r\n"));

    SimDialogue none(ProfileOf("noecho,no-smsc"), SimIdentity{});
    EXPECT_EQ(Talk(none, "AT+CSCA?\r"), QByteArray("\r\n+CSCA: \"\",129\r\n\r\nOK\r\n"));

    SimDialogue hex(ProfileOf("noecho,hexcharset"), SimIdentity{});
    EXPECT_EQ(Talk(hex, "AT+CSCA?\r"),
              QByteArray("\r\n+CSCA: \"002B003900310039003800340035003000380037003000300031\",145\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(hex, "AT+CSCS?\r"), QByteArray("\r\n+CSCS: \"UCS2\"\r\n\r\nOK\r\n"));
}

TEST(SimDialogue, PduSubmissionDialogue) {
    SimDialogue d(SimProfile{}, SimIdentity{});
    EXPECT_EQ(Talk(d, "AT+CMGS=23\r"), QByteArray("AT+CMGS=23\r\r\n> "));
    // The PDU is echoed as typed; Ctrl-Z itself is not.
    SimDialogue::Result r = d.Feed(kHelloHello + kCtrlZ);
    EXPECT_EQ(Joined(r), kHelloHello + "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    ASSERT_EQ(r.accepted.size(), 1u);
    const SimSubmission& s = r.accepted.front();
    EXPECT_EQ(s.mode, QStringLiteral("pdu"));
    EXPECT_EQ(s.to, QStringLiteral("+46708251358"));
    EXPECT_EQ(s.text, QStringLiteral("hellohello"));
    EXPECT_EQ(s.smsc, QString());
    EXPECT_EQ(s.pdu, QString::fromLatin1(kHelloHello));
    EXPECT_EQ(s.messageReference, 1);
    EXPECT_FALSE(s.hasUdh);

    // The carriage return and line feed a program writes after Ctrl-Z get no answer of their own.
    EXPECT_EQ(Talk(d, "\r\n"), QByteArray("\r\n"));
    ASSERT_EQ(Talk(d, "ATE0\r"), QByteArray("ATE0\r\r\nOK\r\n"));

    // Message references count up.
    Talk(d, "AT+CMGS=23\r");
    r = d.Feed(kHelloHello + kCtrlZ);
    EXPECT_EQ(Joined(r), QByteArray("\r\n+CMGS: 2\r\n\r\nOK\r\n"));
    // Line breaks inside the hex are ignored.
    Talk(d, "AT+CMGS=23\r");
    r = d.Feed(kHelloHello.left(10) + "\r\n" + kHelloHello.mid(10) + kCtrlZ);
    EXPECT_EQ(r.accepted.size(), 1u);
}

TEST(SimDialogue, PduRefusals) {
    const struct {
        const char* why;
        QByteArray command;
        QByteArray body;
        QByteArray reply;
    } cases[] = {
        {"length one short", "AT+CMGS=22\r", kHelloHello + kCtrlZ, "\r\n+CMS ERROR: 304\r\n"},
        {"length one long", "AT+CMGS=24\r", kHelloHello + kCtrlZ, "\r\n+CMS ERROR: 304\r\n"},
        {"not hex", "AT+CMGS=23\r", "HELLO" + kCtrlZ, "\r\n+CMS ERROR: 304\r\n"},
        {"cut short", "AT+CMGS=23\r", kHelloHello.left(40) + kCtrlZ, "\r\n+CMS ERROR: 304\r\n"},
        {"over-long body", "AT+CMGS=23\r", QByteArray(2000, '0') + kCtrlZ, "\r\n+CMS ERROR: 304\r\n"},
        {"escape cancels", "AT+CMGS=23\r", kHelloHello + "\x1B", "\r\nOK\r\n"},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf("noecho"), SimIdentity{});
        ASSERT_EQ(Talk(d, c.command), QByteArray("\r\n> ")) << c.why;
        const SimDialogue::Result r = d.Feed(c.body);
        EXPECT_EQ(Joined(r), c.reply) << c.why;
        EXPECT_TRUE(r.accepted.empty()) << c.why;
        EXPECT_EQ(Talk(d, "AT\r"), QByteArray("\r\nOK\r\n")) << c.why << ": back in command state";
    }
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    EXPECT_EQ(Talk(d, "AT+CMGS=\"+15551234567\"\r"), QByteArray("\r\nERROR\r\n")); // text form in PDU mode
    EXPECT_EQ(Talk(d, "AT+CMGS=0\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(Talk(d, "AT+CMGF=1;+CMGS=23\r"), QByteArray("\r\nERROR\r\n")); // PDU form in text mode
}

TEST(SimDialogue, MessageReferenceWrapsAfter255) {
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    int last = -1;
    for (int i = 0; i < 256; ++i) {
        Talk(d, "AT+CMGS=23\r");
        const SimDialogue::Result r = d.Feed(kHelloHello + kCtrlZ);
        ASSERT_EQ(r.accepted.size(), 1u);
        last = r.accepted.front().messageReference;
    }
    EXPECT_EQ(last, 0);
}

// Submits hellohello once and returns what came back.
SimDialogue::Result SubmitOnce(SimDialogue& d) {
    SimDialogue::Result r = d.Feed("AT+CMGS=23\r");
    d.Feed(kHelloHello + kCtrlZ, &r);
    return r;
}

TEST(SimDialogue, NetworkOutcomesByProfile) {
    const struct {
        const char* profile;
        std::vector<QByteArray> finals; // the final reply of successive submissions ("" = none)
    } cases[] = {
        {"noecho,cms:38", {"+CMS ERROR: 38", "+CMS ERROR: 38"}},
        {"noecho,flaky:3", {"+CMGS: 1", "+CMGS: 2", "+CMS ERROR: 500", "+CMGS: 3", "+CMGS: 4", "+CMS ERROR: 500"}},
        {"noecho,flaky:1", {"+CMS ERROR: 500", "+CMS ERROR: 500"}},
        {"noecho,silent-after-pdu", {"", ""}},
        {"noecho,no-smsc", {"+CMS ERROR: 330"}},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf(c.profile), SimIdentity{});
        for (const QByteArray& expected : c.finals) {
            const SimDialogue::Result r = SubmitOnce(d);
            const QByteArray out = Joined(r);
            ASSERT_TRUE(out.startsWith("\r\n> ")) << c.profile;
            const QByteArray final = out.mid(4);
            if (expected.isEmpty()) {
                EXPECT_EQ(final, QByteArray()) << c.profile;
            } else if (expected.startsWith("+CMGS")) {
                EXPECT_EQ(final, "\r\n" + expected + "\r\n\r\nOK\r\n") << c.profile;
            } else {
                EXPECT_EQ(final, "\r\n" + expected + "\r\n") << c.profile;
            }
            EXPECT_EQ(r.accepted.size(), expected.startsWith("+CMGS") ? 1u : 0u) << c.profile;
        }
        EXPECT_EQ(Talk(d, "AT\r"), QByteArray("\r\nOK\r\n")) << c.profile << ": still answering";
    }
}

TEST(SimDialogue, NoSmscDeviceSendsWithAnSmscInThePduOrOnceOneIsSet) {
    SimDialogue d(ProfileOf("noecho,no-smsc"), SimIdentity{});
    Talk(d, "AT+CMGS=23\r");
    SimDialogue::Result r = d.Feed("07912143658709F1" + kHelloHello.mid(2) + kCtrlZ);
    ASSERT_EQ(r.accepted.size(), 1u);
    EXPECT_EQ(r.accepted.front().smsc, QStringLiteral("+12345678901"));
    Talk(d, "AT+CSCA=\"+919845087001\",145\r");
    EXPECT_EQ(SubmitOnce(d).accepted.size(), 1u);
}

TEST(SimDialogue, RadioOffRefusesSubmissions) {
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    EXPECT_EQ(Talk(d, "AT+CFUN=0\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CSQ\r"), QByteArray("\r\n+CSQ: 99,99\r\n\r\nOK\r\n"));
    EXPECT_EQ(Joined(SubmitOnce(d)), QByteArray("\r\n> \r\n+CMS ERROR: 331\r\n"));
    EXPECT_EQ(Talk(d, "AT+CFUN=7\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(Talk(d, "AT+CMEE=1;+CFUN=7\r"), QByteArray("\r\n+CME ERROR: 50\r\n"));
    EXPECT_EQ(Talk(d, "AT+CFUN=1\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(SubmitOnce(d).accepted.size(), 1u);
}

TEST(SimDialogue, SlowDelaysOnlyTheFinalReplyOfASubmission) {
    SimDialogue d(ProfileOf("noecho,slow:50"), SimIdentity{});
    SimDialogue::Result r = d.Feed("AT\r");
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].delayMs, 0);
    r = d.Feed("AT+CMGS=23\r");
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].delayMs, 0); // the prompt comes at once
    r = d.Feed(kHelloHello + kCtrlZ);
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].delayMs, 50);
    EXPECT_EQ(r.outputs[0].bytes, QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
}

TEST(SimDialogue, DeadDeviceNeverAnswers) {
    SimDialogue d(ProfileOf("dead"), SimIdentity{});
    const SimDialogue::Result r = d.Feed("AT\rATE1\rAT+CMGS=23\r" + kHelloHello + kCtrlZ);
    EXPECT_TRUE(r.outputs.empty());
    EXPECT_TRUE(r.accepted.empty());
    EXPECT_EQ(r.commands.size(), 3);
}

TEST(SimDialogue, QuirkyRepliesComeInPiecesWithUnsolicitedLines) {
    SimDialogue d(ProfileOf("noecho,quirky"), SimIdentity{});
    bool sawUnsolicited = false;
    for (int i = 0; i < 6; ++i) {
        const SimDialogue::Result r = d.Feed("AT+CSQ\r");
        ASSERT_GE(r.outputs.size(), 3u);
        for (std::size_t k = 1; k < r.outputs.size(); ++k)
            EXPECT_GT(r.outputs[k].delayMs, 0);
        const QByteArray all = Joined(r);
        sawUnsolicited |= all.contains("+CREG: 1") || all.contains("^RSSI: 17");
        EXPECT_EQ(Clean(all), QByteArray("\r\n+CSQ: 17,0\r\n\r\nOK\r\n"));
        EXPECT_FALSE(r.outputs.back().bytes.contains("OK\r\n")) << "the final token is cut";
    }
    EXPECT_TRUE(sawUnsolicited);
}

TEST(SimDialogue, GarbageProfileAddsStrayBytesBetweenReplies) {
    SimDialogue d(ProfileOf("noecho,garbage"), SimIdentity{});
    QByteArray all;
    for (int i = 0; i < 6; ++i) {
        const QByteArray out = Talk(d, "AT\r");
        EXPECT_TRUE(out.endsWith("\r\nOK\r\n")) << "stray bytes come before a reply, never inside it";
        all += out;
    }
    EXPECT_TRUE(all.contains('\0'));
    EXPECT_TRUE(all.contains('\xFF'));
    EXPECT_TRUE(all.contains('\x80'));
    EXPECT_EQ(Clean(all), QByteArray("\r\nOK\r\n").repeated(6));
}

TEST(SimDialogue, CombinedProfiles) {
    SimDialogue d(ProfileOf("quirky,slow:200,flaky:3"), SimIdentity{});
    Talk(d, "ATE0\r");
    EXPECT_EQ(SubmitOnce(d).accepted.size(), 1u);
    EXPECT_EQ(SubmitOnce(d).accepted.size(), 1u);
    Talk(d, "AT+CMGS=23\r");
    const SimDialogue::Result r = d.Feed(kHelloHello + kCtrlZ);
    EXPECT_TRUE(r.accepted.empty());
    ASSERT_GE(r.outputs.size(), 2u);
    EXPECT_EQ(r.outputs.front().delayMs, 200);
    EXPECT_EQ(Clean(Joined(r)), QByteArray("\r\n+CMS ERROR: 500\r\n"));
}

// Switches to text mode with a character set and a DCS, opens a submission to `number` and sends `body`.
SimDialogue::Result SendText(SimDialogue& d, const QByteArray& charset, int dcs, const QByteArray& number,
                             const QByteArray& body) {
    d.Feed("AT+CMGF=1;+CSCS=\"" + charset + "\";+CSMP=17,167,0," + QByteArray::number(dcs) + "\r");
    SimDialogue::Result r = d.Feed("AT+CMGS=\"" + number + "\"\r");
    EXPECT_EQ(Joined(r), QByteArray("\r\n> "));
    return d.Feed(body + kCtrlZ);
}

TEST(SimDialogue, TextModeSubmissions) {
    const struct {
        const char* why;
        QByteArray charset;
        int dcs;
        QByteArray number;
        QByteArray body;
        QString to; // "" = refused
        QString text;
        bool flash;
    } cases[] = {
        {"HEX charset, UCS2", "HEX", 8, "+15551234567", "0048006920AC", "+15551234567", QString::fromUtf8("Hi€"),
         false},
        {"UCS2 charset, flash", "UCS2", 24, "+15551234567", "00480069", "+15551234567", "Hi", true},
        {"UCS2 charset, number in hex", "UCS2", 8, "002B0031003200330034", "0041", "+1234", "A", false},
        {"IRA, Windows-1252 bytes", "IRA", 0, "12345", "caf\xE9 \x80", "12345", QString::fromUtf8("café €"), false},
        {"GSM, unmappable becomes ?", "GSM", 0, "12345", "\xEA!", "12345", "?!", false},
        {"flash 7-bit", "GSM", 16, "12345", "Hi", "12345", "Hi", true},
        {"160 characters fit", "GSM", 0, "12345", QByteArray(160, 'a'), "12345", QString(160, QLatin1Char('a')), false},
        {"161 characters do not", "GSM", 0, "12345", QByteArray(161, 'a'), "", "", false},
        {"escapes count double", "GSM", 0, "12345", QByteArray(81, '{'), "", "", false},
        {"71 UCS2 characters do not", "HEX", 8, "12345", QByteArray("0041").repeated(71), "", "", false},
        {"bad hex", "HEX", 8, "12345", "00G1", "", "", false},
    };
    for (const auto& c : cases) {
        SimDialogue d(ProfileOf("noecho"), SimIdentity{});
        const SimDialogue::Result r = SendText(d, c.charset, c.dcs, c.number, c.body);
        if (c.to.isEmpty()) {
            EXPECT_EQ(Joined(r), QByteArray("\r\n+CMS ERROR: 305\r\n")) << c.why;
            EXPECT_TRUE(r.accepted.empty()) << c.why;
            continue;
        }
        EXPECT_EQ(Joined(r), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n")) << c.why;
        ASSERT_EQ(r.accepted.size(), 1u) << c.why;
        const SimSubmission& s = r.accepted.front();
        EXPECT_EQ(s.mode, QStringLiteral("text"));
        EXPECT_EQ(s.to, c.to) << c.why;
        EXPECT_EQ(s.text, c.text) << c.why << ": " << s.text.toStdString();
        EXPECT_EQ(s.dcs, c.dcs) << c.why;
        EXPECT_EQ(s.flash, c.flash) << c.why;
        EXPECT_EQ(s.smsc, QStringLiteral("+919845087001")) << c.why;
        EXPECT_TRUE(s.pdu.isEmpty());
    }
}

TEST(SimDialogue, TextModeRefusalsByProfileAndNumber) {
    SimDialogue pduOnly(ProfileOf("noecho,pdu-only"), SimIdentity{});
    EXPECT_EQ(Talk(pduOnly, "AT+CMGS=\"12345\"\r"), QByteArray("\r\nERROR\r\n"));

    SimDialogue textOnly(ProfileOf("noecho,text-only"), SimIdentity{});
    EXPECT_EQ(Talk(textOnly, "AT+CMGS=23\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(Talk(textOnly, "AT+CMGS=\"12345\",129\r"), QByteArray("\r\n> "));
    EXPECT_EQ(Talk(textOnly, "Hi" + kCtrlZ), QByteArray("\r\n+CMGS: 1\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(textOnly, "AT+CMGS=\"12a45\"\r"), QByteArray("\r\n+CMS ERROR: 305\r\n"));
    EXPECT_EQ(Talk(textOnly, "AT+CMGS=12345\r"), QByteArray("\r\nERROR\r\n"));
}

TEST(SimDialogue, PhonebookOfTheSim) {
    SimDialogue d(ProfileOf("noecho"), SimIdentity{});
    EXPECT_EQ(Talk(d, "AT+CPBS=?\r"), QByteArray("\r\n+CPBS: (\"SM\",\"ME\",\"FD\")\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBS=\"SM\"\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBS?\r"), QByteArray("\r\n+CPBS: \"SM\",3,250\r\n\r\nOK\r\n"));
    // Reading index by index until the three used slots are found costs 40 commands.
    QList<QByteArray> entries;
    int errors = 0;
    for (int i = 1; i <= 40; ++i) {
        const QByteArray out = Talk(d, "AT+CPBR=" + QByteArray::number(i) + "\r");
        if (out == "\r\nERROR\r\n")
            ++errors;
        else
            entries << out;
    }
    EXPECT_EQ(errors, 37);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], QByteArray("\r\n+CPBR: 1,\"+919845012345\",145,\"Asha Rao\"\r\n\r\nOK\r\n"));
    EXPECT_EQ(entries[1], QByteArray("\r\n+CPBR: 2,\"9845067890\",129,\"Ravi Kumar\"\r\n\r\nOK\r\n"));
    EXPECT_EQ(entries[2], QByteArray("\r\n+CPBR: 40,\"+15551234567\",145,\"Office\"\r\n\r\nOK\r\n"));

    EXPECT_EQ(Talk(d, "AT+CPBR=1,250\r").count("+CPBR:"), 3);
    EXPECT_EQ(Talk(d, "AT+CPBR=?\r"), QByteArray("\r\n+CPBR: (1-250),20,14\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBR=251\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(Talk(d, "AT+CMEE=1;+CPBR=251\r"), QByteArray("\r\n+CME ERROR: 21\r\n"));
    EXPECT_EQ(Talk(d, "AT+CMEE=2;+CPBR=0\r"), QByteArray("\r\n+CME ERROR: invalid index\r\n"));

    EXPECT_EQ(Talk(d, "AT+CPBS=\"ME\";+CPBS?\r"), QByteArray("\r\n+CPBS: \"ME\",2,100\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBR=5\r"), QByteArray("\r\n+CPBR: 5,\"18005550199\",129,\"Help Desk\"\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBS=\"FD\";+CPBS?\r"), QByteArray("\r\n+CPBS: \"FD\",0,10\r\n\r\nOK\r\n"));
    EXPECT_EQ(Talk(d, "AT+CPBS=\"XX\"\r"), QByteArray("\r\n+CME ERROR: operation not allowed\r\n"));

    // Names follow the character set in force.
    EXPECT_EQ(Talk(d, "AT+CSCS=\"UCS2\";+CPBS=\"SM\";+CPBR=40\r"),
              QByteArray("\r\n+CPBR: 40,\"+15551234567\",145,\"004F00660066006900630065\"\r\n\r\nOK\r\n"));
}

} // namespace
