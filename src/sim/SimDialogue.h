#pragma once

#include "sim/SimModem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// One piece of what the modem writes to its port: written delayMs after the piece before it (or after the
// moment it was produced, when nothing is waiting).
struct SimOutput {
    QByteArray bytes;
    int delayMs = 0;
};

// The simulated modem's side of the AT dialogue (ITU-T V.250 command lines, 3GPP TS 27.007 and TS 27.005
// commands), without any I/O: bytes received go in, the bytes to write (with their delays), the accepted
// submissions and the command lines come out. The pty server of SimModem drives one per instance, from its
// own thread only.
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

    bool EchoOn() const { return m_echo; }
    int SmsMode() const { return m_cmgf; } // AT+CMGF: 0 PDU, 1 text
    QString Charset() const { return m_charset; }

private:
    enum class State { Command, PduBody, TextBody };
    enum class Final { Ok, Error, CmeError, CmsError, Prompt };
    struct Outcome {
        Final final = Final::Ok;
        int code = 0;
    };
    struct Arg {
        QString text;
        bool quoted = false;
    };
    struct PhonebookEntry {
        int index;
        QString number;
        int type;
        QString name;
    };
    struct Storage {
        QString name;
        int total;
        std::vector<PhonebookEntry> entries;
    };

    void ResetSettings(); // ATZ / AT&F: the profile's power-on settings
    void FeedCommandByte(char c, Result* r);
    void FeedBodyByte(char c, Result* r);
    void ExecuteLine(const QByteArray& raw, Result* r);
    Outcome Basic(const QByteArray& body, qsizetype* pos, QStringList* info);
    Outcome Extended(const QByteArray& command, QStringList* info);
    Outcome Phonebook(const QString& name, const QString& suffix, const std::vector<Arg>& args, QStringList* info);
    Outcome StartSubmission(const std::vector<Arg>& args);
    void Submit(Result* r);

    Outcome Cme(int code) const;
    QString Encoded(const QString& text) const; // a string parameter in the character set in force
    QString DecodedParameter(const QString& text) const;
    const Storage* CurrentStorage() const;

    void Echo(char c);
    void FlushEcho(Result* r);
    // Frames and writes one reply: information lines and the final result (or the prompt). Profile effects
    // (stray bytes, unsolicited lines, split writes) are added here.
    void Emit(Result* r, const QByteArray& reply, int delayMs = 0);
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

    int m_nextReference = 1; // TP-MR answered in +CMGS: 1 to 255, then 0 again
    int m_attempts = 0;      // submissions that reached the network, for flaky:N
    int m_replyCount = 0;
};
