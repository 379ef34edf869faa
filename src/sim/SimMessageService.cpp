#include "sim/SimMessageService.h"

#include "sim/SimCharset.h"

#include <QTimeZone>

#include <cstdlib>

namespace {

// TS 27.005 3.2.5 <err> values used here.
constexpr int kCmsNotAllowed = 302;
constexpr int kCmsNotSupported = 303;
constexpr int kCmsInvalidIndex = 321;

// Indications the modem keeps while AT+CNMI mode 0 holds them; past this the oldest are lost, as in a device.
constexpr std::size_t kMaxBuffered = 64;

const char* const kStatText[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", "ALL"};

// Type of address for text mode (TS 27.005 <tooa>/<tora>): the octet the PDU carries.
int AddressType(const QString& address) {
    const QString digits = address.startsWith(QLatin1Char('+')) ? address.mid(1) : address;
    bool allDigits = !digits.isEmpty();
    for (const QChar c : digits)
        allDigits = allDigits && c.isDigit() && c.unicode() < 0x80;
    if (!allDigits)
        return 0xD0;
    return address.startsWith(QLatin1Char('+')) ? 145 : 129;
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool IntArg(const std::vector<SimArg>& args, std::size_t i, int low, int high, int* value) {
    if (i >= args.size() || args[i].quoted)
        return false;
    bool ok = false;
    const int v = args[i].text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

} // namespace

SimMessageService::SimMessageService(const SimProfile& profile)
    : m_profile(profile), m_sm(QStringLiteral("SM"), profile.storageSlots),
      m_sr(QStringLiteral("SR"), profile.storageSlots) {}

void SimMessageService::ResetSettings() {
    m_cnmi = CnmiSettings{};
    m_csdh = 0;
    m_readSr = false;
}

QString SimMessageService::TimeText(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int quarters = std::abs(offset) / 900;
    return time.toString(QStringLiteral("yy/MM/dd,HH:mm:ss")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1").arg(quarters, 2, 10, QLatin1Char('0'));
}

SimMessageStore* SimMessageService::Storage(const QString& name) {
    if (name.compare(QLatin1String("SM"), Qt::CaseInsensitive) == 0)
        return &m_sm;
    if (name.compare(QLatin1String("SR"), Qt::CaseInsensitive) == 0)
        return &m_sr;
    return nullptr;
}

bool SimMessageService::DsAllowed(int ds) const {
    switch (m_profile.reportRouting) {
    case SimReportRouting::Both:
        return ds >= 0 && ds <= 2;
    case SimReportRouting::CdsiOnly:
        return ds == 0 || ds == 2;
    case SimReportRouting::CdsOnly:
        return ds == 0 || ds == 1;
    case SimReportRouting::None:
        return ds == 0;
    }
    return false;
}

std::optional<SimOutcome> SimMessageService::Command(const QString& name, const QString& suffix,
                                                     const std::vector<SimArg>& args, const Host& host,
                                                     QStringList* info) {
    if (name == QLatin1String("+CPMS"))
        return Cpms(suffix, args, info);
    if (name == QLatin1String("+CNMI"))
        return Cnmi(suffix, args, info);
    if (name == QLatin1String("+CMGR")) {
        if (suffix == QLatin1String("=?"))
            return SimOutcome::Ok();
        return suffix == QLatin1String("=") ? Cmgr(args, host, info) : SimOutcome::Error();
    }
    if (name == QLatin1String("+CMGL"))
        return Cmgl(suffix, args, host, info);
    if (name == QLatin1String("+CMGD"))
        return Cmgd(suffix, args, info);
    if (name == QLatin1String("+CNMA")) {
        // Acknowledgement of a +CMT / +CDS (TS 27.005 3.4.4): taken and not needed, the network here never
        // redelivers.
        if (suffix == QLatin1String("=?") && host.cmgf == 0)
            info->append(QStringLiteral("+CNMA: (0-2)"));
        return SimOutcome::Ok();
    }
    if (name == QLatin1String("+CSDH")) {
        if (suffix == QLatin1String("?"))
            info->append(QStringLiteral("+CSDH: %1").arg(m_csdh));
        else if (suffix == QLatin1String("=?"))
            info->append(QStringLiteral("+CSDH: (0,1)"));
        else if (suffix.isEmpty())
            m_csdh = 0;
        else if (!(args.size() == 1 && IntArg(args, 0, 0, 1, &m_csdh)))
            return SimOutcome::Error();
        return SimOutcome::Ok();
    }
    return std::nullopt;
}

SimOutcome SimMessageService::Cpms(const QString& suffix, const std::vector<SimArg>& args, QStringList* info) {
    // <mem1> (read, list, delete) may be "SM" or "SR"; <mem2> (write, send) and <mem3> (receive) only "SM".
    if (suffix == QLatin1String("=?")) {
        info->append(QStringLiteral("+CPMS: (\"SM\",\"SR\"),(\"SM\"),(\"SM\")"));
        return SimOutcome::Ok();
    }
    const SimMessageStore& mem1 = ReadStorage();
    if (suffix == QLatin1String("?")) {
        info->append(QStringLiteral("+CPMS: \"%1\",%2,%3,\"SM\",%4,%5,\"SM\",%4,%5")
                         .arg(mem1.Name())
                         .arg(mem1.Used())
                         .arg(mem1.Capacity())
                         .arg(m_sm.Used())
                         .arg(m_sm.Capacity()));
        return SimOutcome::Ok();
    }
    if (suffix != QLatin1String("=") || args.empty() || args.size() > 3)
        return SimOutcome::Error();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const SimMessageStore* s = Storage(args[i].text);
        if (!args[i].quoted || !s || (i > 0 && s != &m_sm))
            return SimOutcome::Cms(kCmsNotAllowed);
    }
    m_readSr = Storage(args[0].text) == &m_sr;
    const SimMessageStore& chosen = ReadStorage();
    info->append(QStringLiteral("+CPMS: %1,%2,%3,%4,%3,%4")
                     .arg(chosen.Used())
                     .arg(chosen.Capacity())
                     .arg(m_sm.Used())
                     .arg(m_sm.Capacity()));
    return SimOutcome::Ok();
}

SimOutcome SimMessageService::Cnmi(const QString& suffix, const std::vector<SimArg>& args, QStringList* info) {
    if (suffix == QLatin1String("?")) {
        info->append(QStringLiteral("+CNMI: %1,%2,%3,%4,%5")
                         .arg(m_cnmi.mode)
                         .arg(m_cnmi.mt)
                         .arg(m_cnmi.bm)
                         .arg(m_cnmi.ds)
                         .arg(m_cnmi.bfr));
        return SimOutcome::Ok();
    }
    if (suffix == QLatin1String("=?")) {
        static const char* const kDs[] = {"(0-2)", "(0,2)", "(0,1)", "(0)"};
        info->append(QStringLiteral("+CNMI: (0-2),(0-3),(0,2),%1,(0,1)")
                         .arg(QLatin1String(kDs[static_cast<int>(m_profile.reportRouting)])));
        return SimOutcome::Ok();
    }
    if (suffix != QLatin1String("=") || args.empty() || args.size() > 5)
        return SimOutcome::Error();
    // Omitted parameters take their default, 0.
    int values[5] = {0, 0, 0, 0, 0};
    static const int kHigh[5] = {2, 3, 3, 2, 1};
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].text.isEmpty() && !args[i].quoted)
            continue;
        if (!IntArg(args, i, 0, 255, &values[i]))
            return SimOutcome::Error();
        if (values[i] > kHigh[i])
            return SimOutcome::Cms(kCmsNotSupported);
    }
    if (values[2] == 1 || values[2] == 3 || !DsAllowed(values[3]))
        return SimOutcome::Cms(kCmsNotSupported);
    const bool leavingBuffer = m_cnmi.mode == 0 && values[0] != 0;
    m_cnmi = {values[0], values[1], values[2], values[3], values[4]};
    if (leavingBuffer) {
        // TS 27.005 3.4.1: bfr 0 flushes what the modem held to the host, bfr 1 clears it.
        if (m_cnmi.bfr == 0) {
            for (const QByteArray& held : m_buffered)
                m_released += held;
        }
        m_buffered.clear();
    }
    return SimOutcome::Ok();
}

SimOutcome SimMessageService::Cmgr(const std::vector<SimArg>& args, const Host& host, QStringList* info) {
    int index = 0;
    if (args.size() != 1 || !IntArg(args, 0, 0, 100000, &index))
        return SimOutcome::Error();
    SimSmsRecord* record = ReadStorage().At(index);
    if (!record)
        return SimOutcome::Cms(kCmsInvalidIndex);
    info->append(Read(*record, host));
    record->stat = 1; // REC UNREAD becomes REC READ once read
    return SimOutcome::Ok();
}

SimOutcome SimMessageService::Cmgl(const QString& suffix, const std::vector<SimArg>& args, const Host& host,
                                   QStringList* info) {
    if (suffix == QLatin1String("=?")) {
        info->append(host.cmgf == 0 ? QStringLiteral("+CMGL: (0-4)")
                                    : QStringLiteral("+CMGL: (\"REC UNREAD\",\"REC READ\",\"STO UNSENT\","
                                                     "\"STO SENT\",\"ALL\")"));
        return SimOutcome::Ok();
    }
    // No parameter lists the unread ones (TS 27.005 3.4.2: <stat> defaults to 0 / "REC UNREAD").
    int stat = 0;
    if (suffix == QLatin1String("=")) {
        if (args.size() != 1)
            return SimOutcome::Error();
        if (host.cmgf == 0) {
            if (!IntArg(args, 0, 0, 4, &stat))
                return SimOutcome::Error();
        } else {
            stat = -1;
            for (int s = 0; s < 5; ++s) {
                if (args[0].quoted && args[0].text.compare(QLatin1String(kStatText[s]), Qt::CaseInsensitive) == 0)
                    stat = s;
            }
            if (stat < 0)
                return SimOutcome::Error();
        }
    } else if (!suffix.isEmpty()) {
        return SimOutcome::Error();
    }
    SimMessageStore& storage = ReadStorage();
    QStringList entries;
    for (const int index : storage.UsedIndexes()) {
        SimSmsRecord* record = storage.At(index);
        if (stat != 4 && record->stat != stat)
            continue;
        entries << Listed(index, *record, host);
        record->stat = 1;
    }
    // The entries follow one another without blank lines: one framed block.
    if (!entries.isEmpty())
        info->append(entries.join(QStringLiteral("\r\n")));
    return SimOutcome::Ok();
}

SimOutcome SimMessageService::Cmgd(const QString& suffix, const std::vector<SimArg>& args, QStringList* info) {
    SimMessageStore& storage = ReadStorage();
    if (suffix == QLatin1String("=?")) {
        QStringList used;
        for (const int index : storage.UsedIndexes())
            used << QString::number(index);
        info->append(QStringLiteral("+CMGD: (%1),(0-4)").arg(used.join(QLatin1Char(','))));
        return SimOutcome::Ok();
    }
    int index = 0;
    int flag = 0;
    if (suffix != QLatin1String("=") || args.empty() || args.size() > 2 ||
        (args.size() == 2 && !IntArg(args, 1, 0, 4, &flag)))
        return SimOutcome::Error();
    if (!IntArg(args, 0, 0, 100000, &index) && !(flag > 0 && args[0].text.isEmpty()))
        return SimOutcome::Error();
    if (flag == 0 && (index < 1 || index > storage.Capacity()))
        return SimOutcome::Cms(kCmsInvalidIndex);
    bool freed = false;
    if (flag == 0) {
        freed = storage.Remove(index); // an empty slot is answered OK, as the devices modelled here do
    } else {
        // 1-3: every read message (the storages hold no sent or unsent ones); 4: everything.
        for (const int used : storage.UsedIndexes()) {
            if (flag == 4 || storage.At(used)->stat == 1)
                freed = storage.Remove(used) || freed;
        }
    }
    m_freedSlot = m_freedSlot || freed;
    return SimOutcome::Ok();
}

bool SimMessageService::Route(const SimSmsRecord& record, const Host& host, QByteArray* unsolicited) {
    if (record.statusReport) {
        // TS 27.005 3.4.1 <ds>: 1 routes the report at once; 0 and 2 keep it in "SR" (2 says so with +CDSI).
        if (m_cnmi.ds == 1) {
            Indicate(Indication(record, host), unsolicited);
            return true;
        }
        const int index = m_sr.Store(record);
        if (index == 0)
            return false;
        if (m_cnmi.ds == 2)
            Indicate(QStringLiteral("+CDSI: \"SR\",%1").arg(index), unsolicited);
        return true;
    }
    // <mt>: 2 routes every message but class 2 at once, 3 only class 3; the rest is stored, with +CMTI
    // unless mt is 0. Class 2 (SIM specific) is always stored.
    const bool direct = (m_cnmi.mt == 2 && record.messageClass != 2) || (m_cnmi.mt == 3 && record.messageClass == 3);
    if (direct) {
        Indicate(Indication(record, host), unsolicited);
        return true;
    }
    const int index = m_sm.Store(record);
    if (index == 0)
        return false;
    if (m_cnmi.mt != 0)
        Indicate(QStringLiteral("+CMTI: \"SM\",%1").arg(index), unsolicited);
    return true;
}

void SimMessageService::Indicate(const QString& text, QByteArray* unsolicited) {
    const QByteArray framed = "\r\n" + text.toLatin1() + "\r\n";
    if (m_cnmi.mode != 0) {
        *unsolicited += framed;
        return;
    }
    m_buffered.push_back(framed);
    if (m_buffered.size() > kMaxBuffered)
        m_buffered.pop_front();
}

QByteArray SimMessageService::TakeReleased() {
    QByteArray out;
    out.swap(m_released);
    return out;
}

bool SimMessageService::TakeFreedSlot() {
    const bool freed = m_freedSlot;
    m_freedSlot = false;
    return freed;
}

QString SimMessageService::Data(const SimSmsRecord& record, const Host& host) const {
    // TS 27.005 3.1 <data>: 7-bit text without a header in the host's character set, anything else (8-bit,
    // UCS2, or a user data header present) as hex of the user data octets.
    const bool header = (record.tpdu.firstOctet & 0x40) != 0;
    if (record.tpdu.sevenBit && !header)
        return SimCharset::ToTe(record.tpdu.text, host.charset);
    return QString::fromLatin1(record.tpdu.userData.toHex().toUpper());
}

QString SimMessageService::DeliverDetails(const SimSmsRecord& record, const Host& host) const {
    // <tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>: characters for plain 7-bit text, else TP-UDL.
    const bool header = (record.tpdu.firstOctet & 0x40) != 0;
    const qsizetype length = record.tpdu.sevenBit && !header ? record.tpdu.text.size() : record.tpdu.userDataLength;
    return QLatin1Char(',') + QStringList{QString::number(AddressType(record.address)),
                                          QString::number(record.tpdu.firstOctet),
                                          QStringLiteral("0"),
                                          QString::number(record.tpdu.dcs),
                                          Quoted(SimCharset::ToTe(record.smsc, host.charset)),
                                          QString::number(AddressType(record.smsc)),
                                          QString::number(length)}
                                  .join(QLatin1Char(','));
}

QString SimMessageService::ReportFields(const SimSmsRecord& record, const Host& host) const {
    // <fo>,<mr>,<ra>,<tora>,<scts>,<dt>,<st>
    return QStringList{QString::number(record.tpdu.firstOctet),
                       QString::number(record.messageReference),
                       Quoted(SimCharset::ToTe(record.address, host.charset)),
                       QString::number(AddressType(record.address)),
                       Quoted(TimeText(record.serviceCentreTime)),
                       Quoted(TimeText(record.dischargeTime)),
                       QString::number(record.status)}
        .join(QLatin1Char(','));
}

QString SimMessageService::Indication(const SimSmsRecord& record, const Host& host) const {
    if (host.cmgf == 0) {
        return record.statusReport ? QStringLiteral("+CDS: %1\r\n%2").arg(record.tpdu.tpduLength).arg(record.tpdu.pdu)
                                   : QStringLiteral("+CMT: ,%1\r\n%2").arg(record.tpdu.tpduLength).arg(record.tpdu.pdu);
    }
    if (record.statusReport)
        return QStringLiteral("+CDS: ") + ReportFields(record, host);
    return QStringLiteral("+CMT: %1,,%2%3\r\n%4")
        .arg(Quoted(SimCharset::ToTe(record.address, host.charset)), Quoted(TimeText(record.serviceCentreTime)),
             m_csdh ? DeliverDetails(record, host) : QString(), Data(record, host));
}

QString SimMessageService::Read(const SimSmsRecord& record, const Host& host) const {
    if (host.cmgf == 0)
        return QStringLiteral("+CMGR: %1,,%2\r\n%3").arg(record.stat).arg(record.tpdu.tpduLength).arg(record.tpdu.pdu);
    const QString stat = Quoted(QLatin1String(kStatText[record.stat]));
    if (record.statusReport)
        return QStringLiteral("+CMGR: %1,%2").arg(stat, ReportFields(record, host));
    return QStringLiteral("+CMGR: %1,%2,,%3%4\r\n%5")
        .arg(stat, Quoted(SimCharset::ToTe(record.address, host.charset)), Quoted(TimeText(record.serviceCentreTime)),
             m_csdh ? DeliverDetails(record, host) : QString(), Data(record, host));
}

QString SimMessageService::Listed(int index, const SimSmsRecord& record, const Host& host) const {
    if (host.cmgf == 0) {
        return QStringLiteral("+CMGL: %1,%2,,%3\r\n%4")
            .arg(index)
            .arg(record.stat)
            .arg(record.tpdu.tpduLength)
            .arg(record.tpdu.pdu);
    }
    const QString stat = Quoted(QLatin1String(kStatText[record.stat]));
    if (record.statusReport)
        return QStringLiteral("+CMGL: %1,%2,%3").arg(index).arg(stat, ReportFields(record, host));
    const bool header = (record.tpdu.firstOctet & 0x40) != 0;
    const qsizetype length = record.tpdu.sevenBit && !header ? record.tpdu.text.size() : record.tpdu.userDataLength;
    return QStringLiteral("+CMGL: %1,%2,%3,,%4%5\r\n%6")
        .arg(index)
        .arg(stat, Quoted(SimCharset::ToTe(record.address, host.charset)), Quoted(TimeText(record.serviceCentreTime)),
             m_csdh ? QStringLiteral(",%1,%2").arg(AddressType(record.address)).arg(length) : QString(),
             Data(record, host));
}
