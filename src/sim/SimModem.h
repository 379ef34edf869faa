#pragma once

#include "sim/SimIncomingMessage.h"
#include "sim/SimPhonebook.h"
#include "sim/SimProfile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct SimIdentity {
    QString manufacturer = QStringLiteral("SIMCOM");
    QString model = QStringLiteral("SIM800 Simulated");
    QString revision = QStringLiteral("Revision:1418B05SIM800L24");
    QString imei = QStringLiteral("867856034556711");
    QString imsi = QStringLiteral("404451234567890");
    QString smsc = QStringLiteral("+919845087001");
    QString operatorName = QStringLiteral("VRIX SIM");
    std::vector<SimPhonebookStorage> phonebook = SimPhonebookStorage::Defaults();
};

// One accepted submission (one PDU, or one text-mode message), as the simulator decoded it.
struct SimSubmission {
    QString mode; // "pdu" or "text"
    QString to;   // recipient as decoded ("+" for an international number)
    QString text; // decoded text of this submission (this part only for a concatenated part)
    QString smsc; // SMSC given in the PDU ("" when "00"), or the stored one in text mode
    int dcs = 0;
    bool flash = false;
    bool hasUdh = false;
    int udhRef = 0; // concatenation reference, total and sequence when hasUdh
    int udhTotal = 0;
    int udhSeq = 0;
    QString pdu;                        // PDU hex as received (PDU mode)
    int messageReference = 0;           // the +CMGS: value it answered
    int cmms = 0;                       // AT+CMMS mode in force when it was submitted
    bool statusReportRequested = false; // TP-SRR (PDU first octet bit 5, or AT+CSMP's <fo> in text mode)
    qint64 acceptedMs = 0;              // when it was accepted, in ms of the steady clock (gaps between sends)

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
        QString linkPath;   // when set, a symlink to the pty slave is made here and removed by Stop(); an existing
                            // symlink there is replaced, any other file makes Start() fail
        QString logPath;    // when set, every accepted submission is appended as one JSON line
        QString injectPath; // when set, a file of SimIncomingMessage JSON lines: those present at Start() are
                            // delivered then, lines appended later as they come (checked every 100 ms)
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
    // How many of those start with `prefix` (case-sensitive, e.g. "AT+CMGS=").
    int CountCommands(const QString& prefix) const;

    // Has the network deliver a message (thread-safe; taken by the serving thread at once). False with a
    // reason when the message cannot be encoded or the modem is not running.
    bool Inject(const SimIncomingMessage& message, QString* error = nullptr);
    // Problems met while following Options::injectPath (lines that are not messages), for tests and the CLI.
    QStringList InjectionErrors() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
