// The simulated modem's timing quirks, network outcomes, status reports and incoming messages, driven through
// SimDialogue with a clock the test sets.

#include "sim/SimDialogue.h"
#include "sim/SimTpduEncoder.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <set>

namespace {

const QByteArray kCtrlZ = "\x1A";
// "hellohello" to +46708251358, without (0x11) and with (0x31) TP-SRR; TPDU of 23 octets.
const QByteArray kHello = "0011000B916407281553F80000AA0AE8329BFD4697D9EC37";
const QByteArray kHelloReport = "0031000B916407281553F80000AA0AE8329BFD4697D9EC37";
const QDateTime kOrigin(QDate(2024, 3, 1), QTime(10, 0, 0), QTimeZone(5 * 3600 + 1800));
const QString kSmsc = QStringLiteral("+919845087001");

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

// A dialogue with a fixed wall clock and its own time, for one test.
class Sim {
public:
    explicit Sim(const char* profile, SimIdentity identity = {}) : m_dialogue(ProfileOf(profile), identity) {
        m_dialogue.SetClockOrigin(kOrigin);
    }
    QByteArray Talk(const QByteArray& in) { return Joined(m_dialogue.Feed(in)); }
    SimDialogue::Result Feed(const QByteArray& in) { return m_dialogue.Feed(in); }
    QByteArray At(qint64 ms) {
        SimDialogue::Result r;
        m_dialogue.Advance(ms, &r);
        return Joined(r);
    }
    // Submits a PDU and returns the whole answer from the prompt on.
    SimDialogue::Result Submit(const QByteArray& pdu, int tpduLength = 23) {
        SimDialogue::Result r = m_dialogue.Feed("AT+CMGS=" + QByteArray::number(tpduLength) + "\r");
        m_dialogue.Feed(pdu + kCtrlZ, &r);
        return r;
    }
    // A text-mode submission to `number`.
    QByteArray SubmitText(const QByteArray& number, const QByteArray& body = "Hi") {
        const QByteArray prompt = Talk("AT+CMGS=\"" + number + "\"\r");
        if (!prompt.endsWith("> "))
            return prompt;
        return Talk(body + kCtrlZ);
    }
    void Inject(const QString& from, const QString& text, const std::function<void(SimIncomingMessage&)>& edit = {}) {
        SimIncomingMessage m;
        m.from = from;
        m.text = text;
        m.timestamp = kOrigin;
        if (edit)
            edit(m);
        QString error;
        ASSERT_TRUE(m_dialogue.Inject(m, &error)) << error.toStdString();
    }
    SimDialogue& Dialogue() { return m_dialogue; }

private:
    SimDialogue m_dialogue;
};

// The PDUs the network side sends for a message from `from`, as the test expects them.
std::vector<SimEncodedTpdu> Expected(const QString& from, const QString& text, int reference = 1) {
    SimIncomingMessage m;
    m.from = from;
    m.text = text;
    QString error;
    return SimTpduEncoder::Deliver(m, reference, kSmsc, kOrigin, &error);
}

TEST(SimTiming, CommandDelayHoldsEveryCommandReplyButNotTheNetworkTime) {
    Sim sim("noecho,cmddelay:120,slow:50");
    SimDialogue::Result r = sim.Feed("AT\r");
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].delayMs, 120);
    r = sim.Feed("AT+CMGS=23\r");
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].bytes, QByteArray("\r\n> "));
    EXPECT_EQ(r.outputs[0].delayMs, 120) << "the prompt is a command's answer too";
    r = sim.Feed(kHello + kCtrlZ);
    ASSERT_EQ(r.outputs.size(), 1u);
    EXPECT_EQ(r.outputs[0].delayMs, 50) << "the submission's reply takes the network's time only";
}

TEST(SimTiming, PiecesCutRepliesAnywhere) {
    Sim sim("noecho,pieces:30-80,seed:3");
    const QByteArray reply = "\r\n+CSQ: 17,0\r\n\r\nOK\r\n";
    bool cutInsideOk = false;
    bool cutBetweenCrLf = false;
    std::set<std::size_t> counts;
    for (int i = 0; i < 200; ++i) {
        const SimDialogue::Result r = sim.Feed("AT+CSQ\r");
        ASSERT_GE(r.outputs.size(), 2u);
        ASSERT_LE(r.outputs.size(), 3u);
        counts.insert(r.outputs.size());
        EXPECT_EQ(Joined(r), reply);
        EXPECT_EQ(r.outputs[0].delayMs, 0);
        qsizetype at = 0;
        for (std::size_t k = 0; k + 1 < r.outputs.size(); ++k) {
            EXPECT_GE(r.outputs[k + 1].delayMs, 30);
            EXPECT_LE(r.outputs[k + 1].delayMs, 80);
            at += r.outputs[k].bytes.size();
            cutInsideOk |= at > reply.size() - 4;
            cutBetweenCrLf |= r.outputs[k].bytes.endsWith('\r') && r.outputs[k + 1].bytes.startsWith('\n');
        }
    }
    EXPECT_TRUE(cutInsideOk);
    EXPECT_TRUE(cutBetweenCrLf);
    EXPECT_EQ(counts, (std::set<std::size_t>{2, 3}));
}

TEST(SimTiming, UnsolicitedLinesBetweenCommandsAndBeforeReplies) {
    static const QList<QByteArray> kKnown = {"+CREG: 1",  "^RSSI: 17",  "RING",
                                             "+CGREG: 1", "^MODE: 5,5", "^BOOT:20952548,0,0,0,72"};
    Sim sim("noecho,urc:100");
    EXPECT_EQ(sim.At(99), QByteArray());
    ASSERT_EQ(sim.Dialogue().NextEventMs(), std::optional<qint64>(100));
    int lines = 0;
    for (qint64 t = 100; t <= 10000; t += 10) {
        const QByteArray out = sim.At(t);
        if (out.isEmpty())
            continue;
        ++lines;
        ASSERT_TRUE(out.startsWith("\r\n") && out.endsWith("\r\n")) << out.toStdString();
        EXPECT_TRUE(kKnown.contains(out.mid(2, out.size() - 4))) << out.toStdString();
    }
    // About one every 100 ms: between half and one and a half of it apart.
    EXPECT_GE(lines, 10000 / 150 - 1);
    EXPECT_LE(lines, 10000 / 50 + 1);

    int prefixed = 0;
    for (int i = 0; i < 100; ++i) {
        const QByteArray out = sim.Talk("AT\r");
        ASSERT_TRUE(out.endsWith("\r\nOK\r\n"));
        if (out != "\r\nOK\r\n") {
            ++prefixed;
            EXPECT_TRUE(kKnown.contains(out.mid(2, out.size() - 10))) << out.toStdString();
        }
    }
    EXPECT_GT(prefixed, 5);
    EXPECT_LT(prefixed, 60);

    // Nothing while the host types a message body; it all comes after.
    EXPECT_TRUE(sim.Talk("AT+CMGS=23\r").endsWith("\r\n> "));
    EXPECT_EQ(sim.Dialogue().NextEventMs(), std::nullopt);
    EXPECT_EQ(sim.At(20000), QByteArray());
    sim.Feed(kHello + kCtrlZ);
    EXPECT_FALSE(sim.At(20000).isEmpty());
}

TEST(SimTiming, TimedLinesInPiecesNeverPileUp) {
    // Each line takes up to 2 x 80 ms to write in pieces, more than the 50 ms between lines: the next one is
    // counted from when the last piece went out, or the port would fall ever further behind.
    Sim sim("noecho,urc:50,pieces:30-80");
    qint64 busyUntil = 0;
    int lines = 0;
    for (qint64 t = 0; t <= 20000; t += 5) {
        SimDialogue::Result r;
        sim.Dialogue().Advance(t, &r);
        if (r.outputs.empty())
            continue;
        ++lines;
        EXPECT_GE(t, busyUntil) << "a line came while the one before was still being written";
        busyUntil = t;
        for (const SimOutput& o : r.outputs)
            busyUntil += o.delayMs;
    }
    EXPECT_GT(lines, 20000 / 260);
}

TEST(SimNetwork, RejectedAndTemporarilyFailingRecipients) {
    Sim sim("noecho,text-only,reject:+4477009*=21,reject:+1555*=1,tempfail:+4478*=38:2");
    const struct {
        QByteArray number;
        QByteArray reply;
    } steps[] = {
        {"+447700900123", "\r\n+CMS ERROR: 21\r\n"},     {"+447700900123", "\r\n+CMS ERROR: 21\r\n"},
        {"+15550001111", "\r\n+CMS ERROR: 1\r\n"},       {"+447800000001", "\r\n+CMS ERROR: 38\r\n"},
        {"+447800000001", "\r\n+CMS ERROR: 38\r\n"},     {"+447800000001", "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
        {"+447800000001", "\r\n+CMGS: 2\r\n\r\nOK\r\n"}, {"+447800000002", "\r\n+CMS ERROR: 38\r\n"},
        {"+447700800123", "\r\n+CMGS: 3\r\n\r\nOK\r\n"}, {"+447700900999", "\r\n+CMS ERROR: 21\r\n"},
    };
    for (const auto& s : steps)
        EXPECT_EQ(sim.SubmitText(s.number), s.reply) << s.number.toStdString();
}

TEST(SimNetwork, CmmsModesAndTheModeLoggedWithEachPart) {
    Sim sim("noecho");
    EXPECT_EQ(sim.Talk("AT+CMMS=?\r"), QByteArray("\r\n+CMMS: (0-2)\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMMS?\r"), QByteArray("\r\n+CMMS: 0\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMMS=3\r"), QByteArray("\r\nERROR\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMMS=2\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMMS?\r"), QByteArray("\r\n+CMMS: 2\r\n\r\nOK\r\n"));
    ASSERT_EQ(sim.Submit(kHello).accepted.size(), 1u);
    EXPECT_EQ(sim.Submit(kHello).accepted.at(0).cmms, 2);
    sim.At(60000);
    EXPECT_EQ(sim.Talk("AT+CMMS?\r"), QByteArray("\r\n+CMMS: 2\r\n\r\nOK\r\n")) << "mode 2 stays";

    // Mode 1 holds the link while the next send command follows within 5 s, then falls back to 0.
    EXPECT_EQ(sim.Talk("AT+CMMS=1\r"), QByteArray("\r\nOK\r\n"));
    sim.At(70000);
    EXPECT_EQ(sim.Submit(kHello).accepted.at(0).cmms, 1) << "no send yet: the hold time has not begun";
    sim.At(74000);
    EXPECT_EQ(sim.Submit(kHello).accepted.at(0).cmms, 1);
    sim.At(79500);
    EXPECT_EQ(sim.Submit(kHello).accepted.at(0).cmms, 0);
    EXPECT_EQ(sim.Talk("AT+CMMS?\r"), QByteArray("\r\n+CMMS: 0\r\n\r\nOK\r\n"));

    Sim refusing("noecho,no-cmms");
    for (const char* form : {"AT+CMMS=?\r", "AT+CMMS?\r", "AT+CMMS=2\r", "AT+CMMS=0\r"})
        EXPECT_EQ(refusing.Talk(form), QByteArray("\r\nERROR\r\n")) << form;
}

TEST(SimNetwork, CsmpWipesTheStoredSmscOnSomeDevices) {
    Sim sim("noecho,wipe-smsc-on-csmp");
    EXPECT_EQ(sim.Talk("AT+CSMP?\r"), QByteArray("\r\n+CSMP: 17,167,0,0\r\n\r\nOK\r\n")) << "reading keeps it";
    EXPECT_EQ(sim.Talk("AT+CSCA?\r"), QByteArray("\r\n+CSCA: \"+919845087001\",145\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CSMP=17,167,0,0\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CSCA?\r"), QByteArray("\r\n+CSCA: \"\",129\r\n\r\nOK\r\n"));
    EXPECT_EQ(Joined(sim.Submit(kHello)), QByteArray("\r\n> \r\n+CMS ERROR: 330\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMGF=1\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.SubmitText("+15551234567"), QByteArray("\r\n+CMS ERROR: 330\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMGF=0\r"), QByteArray("\r\nOK\r\n"));
    // A PDU that carries its own SMSC does not need the stored one.
    EXPECT_EQ(sim.Submit("07911326040000F0" + kHello.mid(2)).accepted.size(), 1u);
    EXPECT_EQ(sim.Talk("AT+CSCA=\"+919845087001\",145\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.Submit(kHello).accepted.size(), 1u);

    Sim plain("noecho");
    plain.Talk("AT+CSMP=17,167,0,0\r");
    EXPECT_EQ(plain.Submit(kHello).accepted.size(), 1u) << "other devices keep it";
}

TEST(SimCharsets, PhonebookNamesInEachCharacterSet) {
    SimIdentity id;
    id.phonebook = {{QStringLiteral("SM"),
                     50,
                     {{1, QStringLiteral("+447700900123"), 145, QString::fromUtf8("Zoë")},
                      {2, QStringLiteral("+48500100200"), 145, QString::fromUtf8("Łukasz")},
                      {3, QStringLiteral("+306900000000"), 145, QString::fromUtf8("Ελένη")},
                      {4, QStringLiteral("+81312345678"), 145, QString::fromUtf8("山田")},
                      {5, QStringLiteral("12345"), 129, QString::fromUtf8("Δ@€ x")}}}};
    Sim sim("noecho", id);
    EXPECT_EQ(sim.Talk("AT+CSCS=?\r"), QByteArray("\r\n+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"HEX\")\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPBS?\r"), QByteArray("\r\n+CPBS: \"SM\",5,50\r\n\r\nOK\r\n"));
    const struct {
        const char* charset;
        QByteArray names[5];
    } cases[] = {
        {"IRA", {"Zo?", "?ukasz", "?????", "??", "?@? x"}},
        // GSM: the default alphabet's codes as bytes (@ is 0x00, Δ 0x10, € the escape pair 1B 65).
        {"GSM", {"Zo?", "?ukasz", "?????", "??", QByteArray("\x10\x00\x1B\x65 x", 6)}},
        {"UCS2",
         {"005A006F00EB", "01410075006B00610073007A", "039503BB03AD03BD03B7", "5C717530", "0394004020AC00200078"}},
        {"HEX",
         {"005A006F00EB", "01410075006B00610073007A", "039503BB03AD03BD03B7", "5C717530", "0394004020AC00200078"}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sim.Talk("AT+CSCS=\"" + QByteArray(c.charset) + "\"\r"), QByteArray("\r\nOK\r\n"));
        const QByteArray all = sim.Talk("AT+CPBR=1,5\r");
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(all.contains(QByteArray(",\"" + c.names[i] + "\"\r\n")))
                << c.charset << " " << i << ": " << all.toStdString();
    }
}

TEST(SimReports, RoutedByCnmiDs) {
    const QString recipient = QStringLiteral("+46708251358");
    const SimEncodedTpdu expected = SimTpduEncoder::StatusReport(1, recipient, kSmsc, kOrigin, kOrigin.addSecs(2), 0);
    const QByteArray pdu = expected.pdu.toLatin1();
    const struct {
        int ds;
        QByteArray atDue; // what comes out when the report is due
        bool storedInSr;  // readable from "SR" afterwards
    } cases[] = {
        {1, "\r\n+CDS: 25\r\n" + pdu + "\r\n", false},
        {2, "\r\n+CDSI: \"SR\",1\r\n", true},
        {0, "", true},
    };
    for (const auto& c : cases) {
        Sim sim("noecho,report-delay:2000");
        ASSERT_EQ(sim.Talk("AT+CNMI=2,1,0," + QByteArray::number(c.ds) + ",0\r"), QByteArray("\r\nOK\r\n"));
        const SimDialogue::Result r = sim.Submit(kHelloReport);
        ASSERT_EQ(r.accepted.size(), 1u);
        EXPECT_TRUE(r.accepted[0].statusReportRequested);
        EXPECT_EQ(sim.At(1999), QByteArray()) << c.ds;
        EXPECT_EQ(sim.At(2000), c.atDue) << c.ds;
        EXPECT_EQ(sim.Talk("AT+CPMS=\"SR\"\r"), c.storedInSr ? QByteArray("\r\n+CPMS: 1,30,0,30,0,30\r\n\r\nOK\r\n")
                                                             : QByteArray("\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"));
        if (c.storedInSr) {
            EXPECT_EQ(sim.Talk("AT+CMGR=1\r"), "\r\n+CMGR: 0,,25\r\n" + pdu + "\r\n\r\nOK\r\n") << c.ds;
            EXPECT_EQ(sim.Talk("AT+CMGL=4\r"), "\r\n+CMGL: 1,1,,25\r\n" + pdu + "\r\n\r\nOK\r\n") << c.ds;
        }
    }
}

TEST(SimReports, OutcomeByRecipientPatternAndTextMode) {
    Sim sim("noecho,report-delay:500,report:+4670*=failed:0x45,report:+1555*=none");
    sim.Talk("AT+CNMI=2,1,0,1,0\r");
    sim.Submit(kHelloReport);
    const QByteArray failed =
        SimTpduEncoder::StatusReport(1, QStringLiteral("+46708251358"), kSmsc, kOrigin, kOrigin.addMSecs(500), 0x45)
            .pdu.toLatin1();
    EXPECT_EQ(sim.At(500), "\r\n+CDS: 25\r\n" + failed + "\r\n");
    sim.Submit(kHello); // no TP-SRR: no report
    EXPECT_EQ(sim.At(5000), QByteArray());

    // Text mode: TP-SRR from AT+CSMP's <fo> (49 = 0x31), the report in its text form.
    sim.Talk("AT+CMGF=1;+CSMP=49,167,0,0\r");
    EXPECT_EQ(sim.SubmitText("+15551234567"), QByteArray("\r\n+CMGS: 3\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.At(10000), QByteArray()) << "report:+1555*=none";
    EXPECT_EQ(sim.SubmitText("+46708251358"), QByteArray("\r\n+CMGS: 4\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.At(10500), QByteArray("\r\n+CDS: 6,4,\"+46708251358\",145,\"24/03/01,10:00:10+22\","
                                        "\"24/03/01,10:00:10+22\",69\r\n"));
}

TEST(SimReports, CnmiTestAnswerAndRefusalsByProfile) {
    const struct {
        const char* profile;
        QByteArray test;
        std::vector<int> allowedDs;
    } cases[] = {
        {"noecho", "+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)", {0, 1, 2}},
        {"noecho,cnmi-cdsi-only", "+CNMI: (0-2),(0-3),(0,2),(0,2),(0,1)", {0, 2}},
        {"noecho,cnmi-cds-only", "+CNMI: (0-2),(0-3),(0,2),(0,1),(0,1)", {0, 1}},
        {"noecho,cnmi-none", "+CNMI: (0-2),(0-3),(0,2),(0),(0,1)", {0}},
    };
    for (const auto& c : cases) {
        Sim sim(c.profile);
        EXPECT_EQ(sim.Talk("AT+CNMI=?\r"), "\r\n" + c.test + "\r\n\r\nOK\r\n") << c.profile;
        EXPECT_EQ(sim.Talk("AT+CNMI?\r"), QByteArray("\r\n+CNMI: 2,1,0,0,0\r\n\r\nOK\r\n"));
        for (int ds = 0; ds <= 2; ++ds) {
            const bool allowed = std::find(c.allowedDs.begin(), c.allowedDs.end(), ds) != c.allowedDs.end();
            EXPECT_EQ(sim.Talk("AT+CNMI=2,1,0," + QByteArray::number(ds) + ",0\r"),
                      allowed ? QByteArray("\r\nOK\r\n") : QByteArray("\r\n+CMS ERROR: 303\r\n"))
                << c.profile << " ds=" << ds;
        }
        EXPECT_EQ(sim.Talk("AT+CNMI=3,1,0,0,0\r"), QByteArray("\r\n+CMS ERROR: 303\r\n"));
        EXPECT_EQ(sim.Talk("AT+CNMI=2,1,1,0,0\r"), QByteArray("\r\n+CMS ERROR: 303\r\n"));
        EXPECT_EQ(sim.Talk("AT+CNMI=2,x\r"), QByteArray("\r\nERROR\r\n"));
        EXPECT_EQ(sim.Talk("AT+CNMA\r"), QByteArray("\r\nOK\r\n"));
    }
}

TEST(SimIncoming, RoutedByCnmiMtAndReadBack) {
    const QString from = QStringLiteral("+447700900123");
    const QByteArray pdu = Expected(from, QStringLiteral("Hello")).at(0).pdu.toLatin1();
    const int length = Expected(from, QStringLiteral("Hello")).at(0).tpduLength;
    const QByteArray len = QByteArray::number(length);

    Sim direct("noecho");
    direct.Talk("AT+CNMI=2,2,0,0,0\r");
    direct.Inject(from, QStringLiteral("Hello"));
    EXPECT_EQ(direct.At(0), "\r\n+CMT: ," + len + "\r\n" + pdu + "\r\n");
    EXPECT_EQ(direct.Talk("AT+CNMA\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(direct.Talk("AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n"));

    Sim stored("noecho"); // power-on AT+CNMI 2,1: store and say +CMTI
    stored.Inject(from, QStringLiteral("Hello"));
    EXPECT_EQ(stored.At(0), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
    EXPECT_EQ(stored.Talk("AT+CMGL=1\r"), QByteArray("\r\nOK\r\n")) << "nothing read yet";
    EXPECT_EQ(stored.Talk("AT+CMGR=1\r"), "\r\n+CMGR: 0,," + len + "\r\n" + pdu + "\r\n\r\nOK\r\n");
    EXPECT_EQ(stored.Talk("AT+CMGR=1\r"), "\r\n+CMGR: 1,," + len + "\r\n" + pdu + "\r\n\r\nOK\r\n");
    EXPECT_EQ(stored.Talk("AT+CMGL=4\r"), "\r\n+CMGL: 1,1,," + len + "\r\n" + pdu + "\r\n\r\nOK\r\n");
    EXPECT_EQ(stored.Talk("AT+CMGD=?\r"), QByteArray("\r\n+CMGD: (1),(0-4)\r\n\r\nOK\r\n"));
    EXPECT_EQ(stored.Talk("AT+CMGD=1\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(stored.Talk("AT+CMGR=1\r"), QByteArray("\r\n+CMS ERROR: 321\r\n"));
    EXPECT_EQ(stored.Talk("AT+CMGD=31\r"), QByteArray("\r\n+CMS ERROR: 321\r\n"));

    Sim silent("noecho");
    silent.Talk("AT+CNMI=2,0,0,0,0\r");
    silent.Inject(from, QStringLiteral("Hello"));
    EXPECT_EQ(silent.At(0), QByteArray());
    EXPECT_EQ(silent.Talk("AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",1,30,\"SM\",1,30,\"SM\",1,30\r\n\r\nOK\r\n"));
}

TEST(SimIncoming, TextModeListingAndIndication) {
    Sim sim("noecho");
    sim.Talk("AT+CMGF=1\r");
    sim.Inject(QStringLiteral("+447700900123"), QStringLiteral("Hi there"));
    sim.Inject(QStringLiteral("VRIX"), QString::fromUtf8("Zoë €"), [](SimIncomingMessage& m) { m.ucs2 = true; });
    EXPECT_EQ(sim.At(0), QByteArray("\r\n+CMTI: \"SM\",1\r\n\r\n+CMTI: \"SM\",2\r\n"));
    // 7-bit text in the host's character set; UCS-2 as hex of its octets (TS 27.005 <data>).
    EXPECT_EQ(sim.Talk("AT+CMGL=\"ALL\"\r"),
              QByteArray("\r\n+CMGL: 1,\"REC UNREAD\",\"+447700900123\",,\"24/03/01,10:00:00+22\"\r\nHi there\r\n"
                         "+CMGL: 2,\"REC UNREAD\",\"VRIX\",,\"24/03/01,10:00:00+22\"\r\n005A006F00EB002020AC\r\n"
                         "\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMGL=\"REC UNREAD\"\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMGL=4\r"), QByteArray("\r\nERROR\r\n")) << "text mode takes the <stat> string";
    EXPECT_EQ(sim.Talk("AT+CSDH=1;+CMGR=1\r"),
              QByteArray("\r\n+CMGR: \"REC READ\",\"+447700900123\",,\"24/03/01,10:00:00+22\",145,4,0,0,"
                         "\"+919845087001\",145,8\r\nHi there\r\n\r\nOK\r\n"));
    sim.Talk("AT+CNMI=2,2,0,0,0;+CSDH=0\r");
    sim.Inject(QStringLiteral("12345"), QStringLiteral("{ok}"));
    EXPECT_EQ(sim.At(1), QByteArray("\r\n+CMT: \"12345\",,\"24/03/01,10:00:00+22\"\r\n{ok}\r\n"));
    EXPECT_EQ(sim.Talk("AT+CMGD=0,4\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",0,30\r\n\r\nOK\r\n"));
}

TEST(SimIncoming, PartsOutOfOrderAndOneMissing) {
    Sim sim("noecho");
    sim.Talk("AT+CNMI=2,2,0,0,0\r");
    const QString text = QString(400, QLatin1Char('x'));
    sim.Inject(QStringLiteral("+447700900123"), text, [](SimIncomingMessage& m) {
        m.partsOrder = {3, 1, 2};
        m.dropPart = 1;
        m.reference = 77;
    });
    const std::vector<SimEncodedTpdu> parts = Expected(QStringLiteral("+447700900123"), text, 77);
    ASSERT_EQ(parts.size(), 3u);
    const QByteArray out = sim.At(0);
    const qsizetype third = out.indexOf(parts[2].pdu.toLatin1());
    const qsizetype second = out.indexOf(parts[1].pdu.toLatin1());
    EXPECT_GE(third, 0);
    EXPECT_GT(second, third);
    EXPECT_FALSE(out.contains(parts[0].pdu.toLatin1()));
    EXPECT_EQ(out.count("+CMT:"), 2);

    // The missing part comes later on its own.
    sim.Inject(QStringLiteral("+447700900123"), text, [](SimIncomingMessage& m) {
        m.partsOrder = {1};
        m.reference = 77;
        m.delayMs = 60000;
    });
    EXPECT_EQ(sim.At(59999), QByteArray());
    EXPECT_TRUE(sim.At(60000).contains(parts[0].pdu.toLatin1()));
}

TEST(SimIncoming, FullStorageHoldsMessagesBackUntilASlotIsFreed) {
    Sim sim("noecho,storage:2");
    EXPECT_EQ(sim.Talk("AT+CPMS=?\r"), QByteArray("\r\n+CPMS: (\"SM\",\"SR\"),(\"SM\"),(\"SM\")\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPMS=\"SM\",\"SM\",\"SM\"\r"), QByteArray("\r\n+CPMS: 0,2,0,2,0,2\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPMS=\"SM\",\"SR\"\r"), QByteArray("\r\n+CMS ERROR: 302\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPMS=\"XX\"\r"), QByteArray("\r\n+CMS ERROR: 302\r\n"));
    for (const char* text : {"one", "two", "three"})
        sim.Inject(QStringLiteral("12345"), QString::fromLatin1(text));
    EXPECT_EQ(sim.At(0), QByteArray("\r\n+CMTI: \"SM\",1\r\n\r\n+CMTI: \"SM\",2\r\n"));
    EXPECT_EQ(sim.Talk("AT+CPMS?\r"), QByteArray("\r\n+CPMS: \"SM\",2,2,\"SM\",2,2,\"SM\",2,2\r\n\r\nOK\r\n"));
    EXPECT_EQ(sim.At(100000), QByteArray()) << "the network holds the third back";
    EXPECT_EQ(sim.Talk("AT+CMGD=1\r"), QByteArray("\r\nOK\r\n"));
    EXPECT_EQ(sim.At(100000), QByteArray("\r\n+CMTI: \"SM\",1\r\n"));
}

TEST(SimIncoming, IndicationsHeldInModeZeroAreReleasedOrDropped) {
    for (const int bfr : {0, 1}) {
        Sim sim("noecho");
        sim.Talk("AT+CNMI=0,2,0,0,0\r");
        sim.Inject(QStringLiteral("12345"), QStringLiteral("held"));
        EXPECT_EQ(sim.At(0), QByteArray());
        const QByteArray out = sim.Talk("AT+CNMI=2,2,0,0," + QByteArray::number(bfr) + "\r");
        EXPECT_TRUE(out.startsWith("\r\nOK\r\n")) << out.toStdString();
        EXPECT_EQ(out.contains("\r\n+CMT: ,"), bfr == 0) << bfr;
    }
}

TEST(SimIncoming, NothingInterruptsAMessageBeingTyped) {
    Sim sim("noecho");
    sim.Talk("AT+CNMI=2,2,0,0,0\r");
    EXPECT_EQ(sim.Talk("AT+CMGS=23\r"), QByteArray("\r\n> "));
    sim.Inject(QStringLiteral("12345"), QStringLiteral("later"));
    EXPECT_EQ(sim.At(0), QByteArray());
    SimDialogue::Result r = sim.Feed(kHello + kCtrlZ);
    sim.Dialogue().Advance(0, &r);
    const QByteArray out = Joined(r);
    EXPECT_TRUE(out.startsWith("\r\n+CMGS: 1\r\n\r\nOK\r\n\r\n+CMT: ,")) << out.toStdString();
}

} // namespace
