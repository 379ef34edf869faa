#pragma once

#include "sim/SimAtTypes.h"
#include "sim/SimMessageService.h"
#include "sim/SimModem.h"
#include "sim/SimNetwork.h"
#include "sim/SimOutputShaper.h"
#include "sim/SimSmsRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The simulated modem's side of the AT dialogue (ITU-T V.250 command lines, 3GPP TS 27.007 and TS 27.005
// commands) and of the network behind it, without any I/O: bytes received go in, the bytes to write (with
// their delays), the accepted submissions and the command lines come out. Time is what the caller says it is
// (Advance), in ms since the dialogue began: status reports, incoming messages and unsolicited lines come out
// of Advance when due. The pty server of SimModem drives one per instance, from its own thread only.
class SimDialogue {
public:
    struct Result {
        std::vector<SimOutput> outputs;
        std::vector<SimSubmission> accepted;
        QStringList commands; // each command line from "AT" on, without its "\r"
    };

    SimDialogue(const SimProfile& profile, const SimIdentity& identity);

    void Feed(const QByteArray& bytes, Result* result);
    Result Feed(const QByteArray& bytes);

    // The clock moves on to nowMs (never back); what is due by then goes out. While a message body is being
    // typed after AT+CMGS's prompt nothing goes out: the line is the host's until Ctrl-Z or Esc.
    void Advance(qint64 nowMs, Result* result);
    // When Advance next has something to put out; nothing while there is nothing to wait for.
    std::optional<qint64> NextEventMs() const;
    // The network delivers a message (its parts after message.delayMs). False with a reason when it cannot
    // be encoded.
    bool Inject(const SimIncomingMessage& message, QString* error);
    // The wall-clock time at 0 ms, for the time stamps of messages and reports (default: construction).
    void SetClockOrigin(const QDateTime& origin) { m_network.SetClockOrigin(origin); }

    bool EchoOn() const { return m_echo; }
    int SmsMode() const { return m_cmgf; } // AT+CMGF: 0 PDU, 1 text
    QString Charset() const { return m_charset; }

private:
    enum class State { Command, PduBody, TextBody };
    using Final = SimOutcome::Final;
    using Outcome = SimOutcome;
    using Arg = SimArg;
    using Storage = SimPhonebookStorage;
    using PhonebookEntry = SimPhonebookEntry;

    void ResetSettings(); // ATZ / AT&F: the profile's power-on settings
    void FeedCommandByte(char c, Result* r);
    void FeedBodyByte(char c, Result* r);
    void ExecuteLine(const QByteArray& raw, Result* r);
    Outcome Basic(const QByteArray& body, qsizetype* pos, QStringList* info);
    Outcome Extended(const QByteArray& command, QStringList* info);
    Outcome Phonebook(const QString& name, const QString& suffix, const std::vector<Arg>& args, QStringList* info);
    Outcome StartSubmission(const std::vector<Arg>& args);
    void Submit(Result* r);
    void Deliver(const SimSmsRecord& record, Result* r);
    void AfterCommand(Result* r); // held-back messages and released indications after a command

    Outcome Cme(int code) const;
    QString Encoded(const QString& text) const; // a string parameter in the character set in force
    QString DecodedParameter(const QString& text) const;
    const Storage* CurrentStorage() const;

    void Echo(char c);
    void FlushEcho(Result* r);
    // Writes one reply (information lines and the final result, or the prompt) with the profile's effects.
    void Emit(Result* r, const QByteArray& reply, int delayMs = 0);
    // Writes unsolicited output (indications, network lines), in pieces like a reply, nothing added.
    void EmitUnsolicited(Result* r, const QByteArray& bytes);
    static QByteArray Frame(const QStringList& info);

    SimProfile m_profile;
    SimIdentity m_identity;

    State m_state = State::Command;
    QByteArray m_line;
    bool m_lineOverflow = false;
    QByteArray m_lastLine;
    QByteArray m_echoPending;
    QByteArray m_body;
    bool m_bodyOverflow = false;
    int m_pendingLength = 0; // PDU mode: the <length> of AT+CMGS
    QString m_pendingNumber; // text mode: the recipient of AT+CMGS

    bool m_echo = true;
    int m_cmgf = 0;
    int m_cmee = 0;
    int m_cfun = 1;
    QString m_charset;
    int m_csmp[4] = {17, 167, 0, 0}; // <fo>, <vp>, <pid>, <dcs>
    QString m_smsc;
    int m_smscType = 145;
    std::vector<Storage> m_phonebook;
    int m_storage = 0;

    int m_nextReference = 1;  // TP-MR answered in +CMGS: 1 to 255, then 0 again
    int m_attempts = 0;       // submissions that reached the network, for flaky:N
    int m_cmms = 0;           // AT+CMMS
    qint64 m_lastSendMs = -1; // when the last submission was answered, for AT+CMMS=1's hold time

    SimMessageService m_messages;
    SimNetwork m_network;
    SimOutputShaper m_shaper;
    qint64 m_nowMs = 0;
};
