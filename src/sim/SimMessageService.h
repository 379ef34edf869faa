#pragma once

#include "sim/SimAtTypes.h"
#include "sim/SimMessageStore.h"
#include "sim/SimProfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

// The receiving side of the simulated modem (3GPP TS 27.005 3.1-3.4): the message storages, where the network's
// messages and status reports go by AT+CNMI, and the commands that read and delete them (AT+CPMS, AT+CMGR,
// AT+CMGL, AT+CMGD, AT+CNMI, AT+CNMA, AT+CSDH). SimDialogue owns one and calls it from its thread only.
class SimMessageService {
public:
    // What the host's settings make of the modem's output: SMS mode (AT+CMGF) and character set (AT+CSCS).
    struct Host {
        int cmgf = 0; // 0 PDU, 1 text
        QString charset;
    };

    explicit SimMessageService(const SimProfile& profile);

    // Answers one of its commands (name as "+CMGL", suffix "", "?", "=?" or "="); nothing when the name is
    // not one of them. Information text goes to *info, one entry per framed block.
    std::optional<SimOutcome> Command(const QString& name, const QString& suffix, const std::vector<SimArg>& args,
                                      const Host& host, QStringList* info);

    // The network hands over one message or status report. Its indication (+CMT, +CMTI, +CDS, +CDSI, framed
    // with line ends) is appended to *unsolicited when AT+CNMI asks for one now. False when it must wait
    // because its storage is full: the network holds it back and tries again later.
    bool Route(const SimSmsRecord& record, const Host& host, QByteArray* unsolicited);

    // Indications held while AT+CNMI mode was 0, released by the AT+CNMI that ended it (bfr 0); emptied here.
    QByteArray TakeReleased();
    // True once after AT+CMGD freed a slot (held-back messages may now go in).
    bool TakeFreedSlot();

    void ResetSettings(); // ATZ / AT&F: AT+CNMI, AT+CSDH and AT+CPMS back to power-on values

    // Framed indications and information texts (exposed for SimDialogue's text-mode views and for tests).
    static QString TimeText(const QDateTime& time); // "yy/MM/dd,hh:mm:ss+zz", zz in quarter hours

private:
    struct CnmiSettings {
        int mode = 2; // 0 buffer in the modem, 1 discard when busy, 2 buffer when busy (modelled as 2)
        int mt = 1;   // 0 store silently, 1 store and +CMTI, 2 +CMT, 3 +CMT for class 3 only
        int bm = 0;
        int ds = 0; // 0 store silently in "SR", 1 +CDS, 2 store and +CDSI
        int bfr = 0;
    };

    SimMessageStore* Storage(const QString& name);
    SimMessageStore& ReadStorage() { return m_readSr ? m_sr : m_sm; }
    bool DsAllowed(int ds) const;

    SimOutcome Cpms(const QString& suffix, const std::vector<SimArg>& args, QStringList* info);
    SimOutcome Cnmi(const QString& suffix, const std::vector<SimArg>& args, QStringList* info);
    SimOutcome Cmgr(const std::vector<SimArg>& args, const Host& host, QStringList* info);
    SimOutcome Cmgl(const QString& suffix, const std::vector<SimArg>& args, const Host& host, QStringList* info);
    SimOutcome Cmgd(const QString& suffix, const std::vector<SimArg>& args, QStringList* info);

    // The header line and the PDU or data line of a stored record (without framing line ends).
    QString Listed(int index, const SimSmsRecord& record, const Host& host) const;
    QString Read(const SimSmsRecord& record, const Host& host) const;
    QString Indication(const SimSmsRecord& record, const Host& host) const;     // +CMT / +CDS
    QString Data(const SimSmsRecord& record, const Host& host) const;           // text-mode <data>
    QString DeliverDetails(const SimSmsRecord& record, const Host& host) const; // CSDH=1 fields after <scts>
    QString ReportFields(const SimSmsRecord& record, const Host& host) const;   // <fo>,<mr>,..,<st>
    void Indicate(const QString& text, QByteArray* unsolicited);

    SimProfile m_profile;
    SimMessageStore m_sm;
    SimMessageStore m_sr;
    bool m_readSr = false; // AT+CPMS <mem1>: "SR" rather than "SM"
    CnmiSettings m_cnmi;
    int m_csdh = 0;
    std::deque<QByteArray> m_buffered; // indications held while AT+CNMI mode is 0
    QByteArray m_released;
    bool m_freedSlot = false;
};
