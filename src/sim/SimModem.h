#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Behaviour profiles of the simulated modem; they combine ("pdu-only,slow:500,quirky").
struct SimProfile {
    bool pduOnly = false;        // AT+CMGF=1 answers ERROR, AT+CMGF=? gives (0)
    bool textOnly = false;       // AT+CMGF=0 answers ERROR, AT+CMGF=? gives (1)
    bool noSmsc = false;         // AT+CSCA? gives an empty number; a submission without an SMSC (PDU field "00",
                                 // or text mode) then fails with +CMS ERROR: 330 until AT+CSCA sets one
    bool hexCharset = false;     // AT+CSCA? reports the SMSC in UCS2 hex (a device set to a hex charset): the
                                 // character set is "UCS2" at power-on and after ATZ / AT&F
    int cmsError = 0;            // every submission fails with +CMS ERROR: N (0 = off)
    int flakyEvery = 0;          // every Nth submission fails with +CMS ERROR: 500 (0 = off)
    bool silentAfterPdu = false; // no answer at all after the PDU / text and Ctrl-Z (nothing is logged); later
                                 // commands are answered again
    bool dead = false;           // never answers anything
    int slowMs = 0;              // each submission takes this long before its final reply; input is still read
                                 // meanwhile, and later output waits behind that reply as on a real line
    bool quirky = false;         // replies split over several writes, unsolicited lines between commands, and
                                 // identity answers as some devices give them: AT+GMI ERROR, AT+GMM
                                 // "Undefined", '+CGMI: "<maker>"', "+CGMM: MODEL=<model>", "IMEI <n>", "IMSI <n>"
    bool noEcho = false;         // echo off from the start
    bool garbage = false;        // stray non-ASCII and NUL bytes between replies

    // Parses "default", "pdu-only", "text-only", "no-smsc", "hexcharset", "cms:N", "flaky:N",
    // "silent-after-pdu", "dead", "slow:MS", "quirky", "noecho", "garbage", comma separated.
    static std::optional<SimProfile> Parse(const QString& text, QString* error);
};

struct SimIdentity {
    QString manufacturer = QStringLiteral("SIMCOM");
    QString model = QStringLiteral("SIM800 Simulated");
    QString revision = QStringLiteral("Revision:1418B05SIM800L24");
    QString imei = QStringLiteral("867856034556711");
    QString imsi = QStringLiteral("404451234567890");
    QString smsc = QStringLiteral("+919845087001");
    QString operatorName = QStringLiteral("VRIX SIM");
};

// One accepted submission (one PDU, or one text-mode message), as the simulator decoded it.
struct SimSubmission {
    QString mode;      // "pdu" or "text"
    QString to;        // recipient as decoded ("+" for an international number)
    QString text;      // decoded text of this submission (this part only for a concatenated part)
    QString smsc;      // SMSC given in the PDU ("" when "00"), or the stored one in text mode
    int dcs = 0;
    bool flash = false;
    bool hasUdh = false;
    int udhRef = 0;    // concatenation reference, total and sequence when hasUdh
    int udhTotal = 0;
    int udhSeq = 0;
    QString pdu;       // PDU hex as received (PDU mode)
    int messageReference = 0; // the +CMGS: value it answered

    QString ToJson() const; // one line, no trailing line feed
};

// A simulated GSM modem served on a pseudo-terminal by a thread of its own. The slave side (or the symlink
// made at linkPath) is an ordinary serial port name for the rest of the program. A malformed PDU, or one whose
// TPDU length differs from AT+CMGS=<length>, answers +CMS ERROR: 304 and is not logged. After Stop() (or
// destruction) a client's reads see hang-up and its writes fail, as with an unplugged modem. A client that
// sets TIOCEXCL must clear it (TIOCNXCL) before closing, or a non-root reopen of the pty fails with EBUSY.
class SimModem {
public:
    struct Options {
        SimProfile profile;
        SimIdentity identity;
        QString linkPath;  // when set, a symlink to the pty slave is made here and removed by Stop(); an existing
                           // symlink there is replaced, any other file makes Start() fail
        QString logPath;   // when set, every accepted submission is appended as one JSON line
    };

    explicit SimModem(Options options);
    ~SimModem(); // Stop()
    SimModem(const SimModem&) = delete;
    SimModem& operator=(const SimModem&) = delete;

    bool Start(QString* error);
    void Stop();
    // The name to open: the link path when one was asked for, else the pty slave path.
    QString PortName() const;

    std::vector<SimSubmission> Submissions() const; // thread-safe copy
    int SubmissionCount() const;
    // Called on the simulator's thread for every accepted submission; it must not call Stop() (which joins that
    // thread).
    void SetSubmissionCallback(std::function<void(const SimSubmission&)> callback);
    // Every command line received (without its "\r"), for tests that check the dialogue.
    QStringList CommandsReceived() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
