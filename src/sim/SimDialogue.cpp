#include "sim/SimDialogue.h"

#include "common/AnsiCodec.h"
#include "sim/SimCharset.h"
#include "sim/SimGsm0338.h"
#include "sim/SimPduDecoder.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
constexpr char kBackspace = 0x08; // V.250 S5
constexpr qsizetype kMaxLine = 512;
// A PDU is at most 176 octets with its SMSC field; a text-mode body at most 160 characters (or 4 hex digits
// each). Anything past these bounds is kept out of memory and makes the submission fail.
constexpr qsizetype kMaxPduHex = 400;
constexpr qsizetype kMaxTextBody = 1024;

// TS 27.005 3.2.5 <err> values used here.
constexpr int kCmsInvalidPdu = 304;
constexpr int kCmsInvalidText = 305;
constexpr int kCmsUnknown = 500;
constexpr int kCmsSmscUnknown = 330;
constexpr int kCmsNoNetwork = 331;
// TS 27.007 9.2.1 <err> values used here.
constexpr int kCmeNotAllowed = 3;
constexpr int kCmeInvalidIndex = 21;
constexpr int kCmeBadParameters = 50;

// TS 27.005 3.5.6: with AT+CMMS=1 the link is kept only while the next send command follows the last answer
// within 1-5 s; devices take the upper bound.
constexpr qint64 kCmmsHoldMs = 5000;
// TS 23.040 9.2.2.2: TP-SRR, bit 5 of an SMS-SUBMIT's first octet (AT+CSMP's <fo> in text mode).
constexpr int kStatusReportRequest = 0x20;

QString CmeText(int code) {
    switch (code) {
    case 3:
        return QStringLiteral("operation not allowed");
    case 4:
        return QStringLiteral("operation not supported");
    case 21:
        return QStringLiteral("invalid index");
    case 22:
        return QStringLiteral("not found");
    case 50:
        return QStringLiteral("incorrect parameters");
    default:
        return QStringLiteral("unknown");
    }
}

// A dialling number as a device takes it: an optional "+", then 1 to 20 of 0-9 * #.
bool IsDiallingNumber(const QString& number) {
    const qsizetype start = number.startsWith(QLatin1Char('+')) ? 1 : 0;
    const qsizetype digits = number.size() - start;
    if (digits < 1 || digits > 20)
        return false;
    for (qsizetype i = start; i < number.size(); ++i) {
        const QChar c = number.at(i);
        if (!c.isDigit() && c != QLatin1Char('*') && c != QLatin1Char('#'))
            return false;
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

bool IsHexText(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The parameters of an extended command ("=" already removed): comma separated, strings in double quotes.
bool SplitArgs(const QByteArray& text, std::vector<QString>* texts, std::vector<bool>* quoted) {
    QString current;
    bool inQuotes = false;
    bool wasQuoted = false;
    for (const char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            wasQuoted = true;
        } else if (c == ',' && !inQuotes) {
            texts->push_back(current);
            quoted->push_back(wasQuoted);
            current.clear();
            wasQuoted = false;
        } else {
            current.append(QChar::fromLatin1(c));
        }
    }
    if (inQuotes)
        return false;
    texts->push_back(current);
    quoted->push_back(wasQuoted);
    return true;
}

// V.250 5.2.1: spaces in a command line are ignored, except inside string constants.
QByteArray WithoutSpaces(const QByteArray& line) {
    QByteArray out;
    bool inQuotes = false;
    for (const char c : line) {
        if (c == '"')
            inQuotes = !inQuotes;
        if (c == ' ' && !inQuotes)
            continue;
        out.append(c);
    }
    return out;
}

qsizetype IndexOfAt(const QByteArray& line) {
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        if ((line.at(i) == 'A' || line.at(i) == 'a') && (line.at(i + 1) == 'T' || line.at(i + 1) == 't'))
            return i;
    }
    return -1;
}

} // namespace

SimDialogue::SimDialogue(const SimProfile& profile, const SimIdentity& identity)
    : m_profile(profile), m_identity(identity), m_messages(profile), m_network(profile, identity.smsc),
      m_shaper(profile) {
    m_smsc = m_profile.noSmsc ? QString() : m_identity.smsc;
    m_smscType = m_smsc.startsWith(QLatin1Char('+')) ? 145 : 129;
    m_phonebook = m_identity.phonebook;
    if (m_phonebook.empty())
        m_phonebook.push_back({QStringLiteral("SM"), 250, {}});
    ResetSettings();
}

void SimDialogue::ResetSettings() {
    m_echo = !m_profile.noEcho;
    m_cmgf = m_profile.textOnly ? 1 : 0;
    m_cmee = 0;
    // A device left in a hex character set reports its strings (the SMSC among them) as UCS2 hex.
    m_charset = m_profile.hexCharset ? QStringLiteral("UCS2") : QStringLiteral("IRA");
    m_csmp[0] = 17;
    m_csmp[1] = 167;
    m_csmp[2] = 0;
    m_csmp[3] = 0;
    m_cmms = 0;
    m_messages.ResetSettings();
}

SimDialogue::Result SimDialogue::Feed(const QByteArray& bytes) {
    Result r;
    Feed(bytes, &r);
    return r;
}

void SimDialogue::Feed(const QByteArray& bytes, Result* r) {
    for (const char c : bytes) {
        if (m_profile.dead) {
            // Reads and discards everything; only the command lines are noted for tests.
            if (c == '\r') {
                if (const qsizetype at = IndexOfAt(m_line); at >= 0)
                    r->commands << QString::fromLatin1(m_line.mid(at));
                m_line.clear();
            } else if (c != '\n' && m_line.size() < kMaxLine) {
                m_line.append(c);
            }
            continue;
        }
        if (m_state == State::Command)
            FeedCommandByte(c, r);
        else
            FeedBodyByte(c, r);
    }
    FlushEcho(r);
}

void SimDialogue::Echo(char c) {
    if (m_echo)
        m_echoPending.append(c);
}

void SimDialogue::FlushEcho(Result* r) {
    if (m_echoPending.isEmpty())
        return;
    r->outputs.push_back({m_echoPending, 0});
    m_echoPending.clear();
}

void SimDialogue::FeedCommandByte(char c, Result* r) {
    switch (c) {
    case '\0':
    case kCtrlZ:
    case kEsc:
        return; // nothing to do outside a message body
    case '\n':
        Echo(c);
        return;
    case kBackspace:
    case 0x7F:
        Echo(c);
        if (!m_line.isEmpty())
            m_line.chop(1);
        return;
    case '\r': {
        Echo(c);
        const QByteArray line = m_line;
        const bool overflow = m_lineOverflow;
        m_line.clear();
        m_lineOverflow = false;
        if (overflow) {
            Emit(r, "\r\nERROR\r\n");
            return;
        }
        ExecuteLine(line, r);
        return;
    }
    case '/':
        // V.250 5.2.4: "A/" repeats the last command line at once, without a carriage return.
        if (m_line == "A" || m_line == "a") {
            Echo(c);
            m_line.clear();
            if (!m_lastLine.isEmpty())
                ExecuteLine(m_lastLine, r);
            return;
        }
        break;
    default:
        break;
    }
    Echo(c);
    if (m_line.size() >= kMaxLine)
        m_lineOverflow = true;
    else
        m_line.append(c);
}

void SimDialogue::FeedBodyByte(char c, Result* r) {
    if (c == kCtrlZ) {
        FlushEcho(r);
        Submit(r);
        return;
    }
    if (c == kEsc) {
        // TS 27.005 3.5.1: <ESC> cancels the message; the device answers OK and sends nothing.
        m_state = State::Command;
        m_body.clear();
        Emit(r, "\r\nOK\r\n");
        return;
    }
    Echo(c);
    if (c == kBackspace) {
        if (!m_body.isEmpty())
            m_body.chop(1);
        return;
    }
    if (m_state == State::PduBody && (c == '\r' || c == '\n' || c == ' '))
        return;
    const qsizetype limit = m_state == State::PduBody ? kMaxPduHex : kMaxTextBody;
    if (m_body.size() >= limit)
        m_bodyOverflow = true;
    else
        m_body.append(c);
}

void SimDialogue::ExecuteLine(const QByteArray& raw, Result* r) {
    const qsizetype at = IndexOfAt(raw);
    if (at < 0)
        return; // V.250: characters before the "AT" prefix are ignored; a line without it gets no answer
    const QByteArray line = raw.mid(at);
    r->commands << QString::fromLatin1(line);
    m_lastLine = raw;

    const QByteArray body = WithoutSpaces(line.mid(2));
    QStringList info;
    Outcome outcome;
    qsizetype pos = 0;
    while (pos < body.size() && outcome.final == Final::Ok) {
        const char c = body.at(pos);
        if (c == '+' || c == '^' || c == '$') {
            qsizetype end = pos;
            bool inQuotes = false;
            while (end < body.size() && (inQuotes || body.at(end) != ';')) {
                if (body.at(end) == '"')
                    inQuotes = !inQuotes;
                ++end;
            }
            outcome = Extended(body.mid(pos, end - pos), &info);
            pos = end + 1;
        } else if (c == ';') {
            ++pos;
        } else {
            outcome = Basic(body, &pos, &info);
        }
    }

    QByteArray reply = Frame(info);
    switch (outcome.final) {
    case Final::Ok:
        reply += "\r\nOK\r\n";
        break;
    case Final::Error:
        reply += "\r\nERROR\r\n";
        break;
    case Final::CmeError:
        reply += m_cmee == 2 ? QByteArray("\r\n+CME ERROR: ") + CmeText(outcome.code).toLatin1() + "\r\n"
                             : QByteArray("\r\n+CME ERROR: ") + QByteArray::number(outcome.code) + "\r\n";
        break;
    case Final::CmsError:
        reply += "\r\n+CMS ERROR: " + QByteArray::number(outcome.code) + "\r\n";
        break;
    case Final::Prompt:
        reply += "\r\n> "; // TS 27.005 3.5.1: the prompt has no line end after it
        break;
    }
    Emit(r, reply, m_profile.cmdDelayMs);
    AfterCommand(r);
}

QByteArray SimDialogue::Frame(const QStringList& info) {
    QByteArray out;
    for (const QString& line : info)
        out += "\r\n" + AnsiCodec::Encode(line) + "\r\n";
    return out;
}

SimDialogue::Outcome SimDialogue::Cme(int code) const {
    return m_cmee == 0 ? Outcome{Final::Error, 0} : Outcome{Final::CmeError, code};
}

SimDialogue::Outcome SimDialogue::Basic(const QByteArray& body, qsizetype* pos, QStringList* info) {
    char name = static_cast<char>(std::toupper(static_cast<unsigned char>(body.at(*pos))));
    ++*pos;
    const bool ampersand = name == '&';
    if (ampersand) {
        if (*pos >= body.size())
            return {Final::Error, 0};
        name = static_cast<char>(std::toupper(static_cast<unsigned char>(body.at(*pos))));
        ++*pos;
    }
    if (!ampersand && name == 'D')
        return {Final::Error, 0}; // no calls: the rest of the line is the dialling string
    if (!ampersand && name == 'S') {
        // S-parameters: Sn=v sets (accepted and forgotten), Sn? reads.
        qsizetype end = *pos;
        while (end < body.size() && std::isdigit(static_cast<unsigned char>(body.at(end))))
            ++end;
        if (end == *pos || end >= body.size())
            return {Final::Error, 0};
        if (body.at(end) == '?') {
            info->append(QStringLiteral("000"));
            *pos = end + 1;
            return {};
        }
        if (body.at(end) != '=')
            return {Final::Error, 0};
        ++end;
        while (end < body.size() && std::isdigit(static_cast<unsigned char>(body.at(end))))
            ++end;
        *pos = end;
        return {};
    }
    int value = 0;
    bool hasValue = false;
    while (*pos < body.size() && std::isdigit(static_cast<unsigned char>(body.at(*pos)))) {
        value = std::min(value * 10 + (body.at(*pos) - '0'), 1000);
        hasValue = true;
        ++*pos;
    }
    if (ampersand) {
        if (name == 'F' && value == 0) {
            ResetSettings();
            return {};
        }
        if (name == 'C' || name == 'D' || name == 'K' || name == 'W' || name == 'V')
            return {};
        return {Final::Error, 0};
    }
    switch (name) {
    case 'E':
        if (value > 1)
            return {Final::Error, 0};
        m_echo = value == 1;
        return {};
    case 'Z':
        if (value != 0)
            return {Final::Error, 0};
        ResetSettings();
        return {};
    case 'V': // only verbose result codes are offered
        return (!hasValue || value == 1) ? Outcome{} : Outcome{Final::Error, 0};
    case 'Q':
        return value == 0 ? Outcome{} : Outcome{Final::Error, 0};
    case 'X':
    case 'L':
    case 'M':
    case 'H':
        return {};
    case 'I':
        info->append(m_identity.manufacturer);
        info->append(m_identity.model);
        info->append(m_identity.revision);
        return {};
    default:
        return {Final::Error, 0};
    }
}

QString SimDialogue::Encoded(const QString& text) const {
    return SimCharset::ToTe(text, m_charset);
}

QString SimDialogue::DecodedParameter(const QString& text) const {
    // In a hex character set a number may come as UCS2 hex; a plain number is taken as it is.
    if (!SimCharset::IsHex(m_charset))
        return text;
    QString decoded;
    if (!text.isEmpty() && SimCharset::FromUcs2Hex(text, &decoded) && IsDiallingNumber(decoded))
        return decoded;
    return text;
}

const SimDialogue::Storage* SimDialogue::CurrentStorage() const {
    return &m_phonebook.at(static_cast<std::size_t>(m_storage));
}

SimDialogue::Outcome SimDialogue::Extended(const QByteArray& command, QStringList* info) {
    // Name: the prefix character and the letters and digits after it; then "", "?", "=?" or "=<parameters>".
    qsizetype nameEnd = 1;
    while (nameEnd < command.size() && std::isalnum(static_cast<unsigned char>(command.at(nameEnd))))
        ++nameEnd;
    const QString name = QString::fromLatin1(command.left(nameEnd)).toUpper();
    const QByteArray rest = command.mid(nameEnd);
    QString suffix; // "", "?", "=?" or "="
    std::vector<Arg> args;
    if (rest.isEmpty()) {
        suffix = QString();
    } else if (rest == "?") {
        suffix = QStringLiteral("?");
    } else if (rest == "=?") {
        suffix = QStringLiteral("=?");
    } else if (rest.startsWith('=')) {
        suffix = QStringLiteral("=");
        std::vector<QString> texts;
        std::vector<bool> quoted;
        if (!SplitArgs(rest.mid(1), &texts, &quoted))
            return {Final::Error, 0};
        for (std::size_t i = 0; i < texts.size(); ++i)
            args.push_back({texts[i], quoted[i]});
    } else {
        return {Final::Error, 0};
    }
    const bool exec = suffix.isEmpty();
    const bool read = suffix == QLatin1String("?");
    const bool test = suffix == QLatin1String("=?");
    const bool set = suffix == QLatin1String("=");
    const auto intArg = [&args](std::size_t i, int low, int high, int* value) {
        if (i >= args.size() || args[i].quoted)
            return false;
        bool ok = false;
        const int v = args[i].text.toInt(&ok);
        if (!ok || v < low || v > high)
            return false;
        *value = v;
        return true;
    };
    const Outcome ok{};
    const Outcome error{Final::Error, 0};
    const bool quirky = m_profile.quirky;

    // Identity (V.250 6.1, TS 27.007 5). The quirky device answers like some real ones do: no AT+GMI,
    // "Undefined" to AT+GMM, and prefixes on the others.
    if (name == QLatin1String("+GMI") || name == QLatin1String("+CGMI")) {
        if (test)
            return ok;
        if (!exec)
            return error;
        if (quirky && name == QLatin1String("+GMI"))
            return error;
        info->append(quirky ? QStringLiteral("+CGMI: \"%1\"").arg(m_identity.manufacturer) : m_identity.manufacturer);
        return ok;
    }
    if (name == QLatin1String("+GMM") || name == QLatin1String("+CGMM")) {
        if (test)
            return ok;
        if (!exec)
            return error;
        if (quirky)
            info->append(name == QLatin1String("+GMM") ? QStringLiteral("Undefined")
                                                       : QStringLiteral("+CGMM: MODEL=") + m_identity.model);
        else
            info->append(m_identity.model);
        return ok;
    }
    if (name == QLatin1String("+GMR") || name == QLatin1String("+CGMR")) {
        if (test)
            return ok;
        if (!exec)
            return error;
        info->append(m_identity.revision);
        return ok;
    }
    if (name == QLatin1String("+CGSN") || name == QLatin1String("+GSN")) {
        if (test)
            return ok;
        if (!exec)
            return error;
        info->append(quirky ? QStringLiteral("IMEI ") + m_identity.imei : m_identity.imei);
        return ok;
    }
    if (name == QLatin1String("+CIMI")) {
        if (test)
            return ok;
        if (!exec)
            return error;
        info->append(quirky ? QStringLiteral("IMSI ") + m_identity.imsi : m_identity.imsi);
        return ok;
    }
    if (name == QLatin1String("+GCAP")) {
        if (!exec)
            return test ? ok : error;
        info->append(QStringLiteral("+GCAP: +CGSM"));
        return ok;
    }

    // Equipment state and network (TS 27.007 8, 7).
    if (name == QLatin1String("+CMEE")) {
        if (read)
            info->append(QStringLiteral("+CMEE: %1").arg(m_cmee));
        else if (test)
            info->append(QStringLiteral("+CMEE: (0-2)"));
        else if (set && args.size() == 1 && intArg(0, 0, 2, &m_cmee))
            return ok;
        else
            return error;
        return ok;
    }
    if (name == QLatin1String("+CFUN")) {
        if (read) {
            info->append(QStringLiteral("+CFUN: %1").arg(m_cfun));
            return ok;
        }
        if (test) {
            info->append(QStringLiteral("+CFUN: (0,1,4),(0,1)"));
            return ok;
        }
        int fun = 0;
        int reset = 0;
        if (!set || args.size() > 2 || !intArg(0, 0, 4, &fun) || (fun != 0 && fun != 1 && fun != 4) ||
            (args.size() == 2 && !intArg(1, 0, 1, &reset)))
            return Cme(kCmeBadParameters);
        m_cfun = reset ? 1 : fun;
        return ok;
    }
    if (name == QLatin1String("+CPIN")) {
        if (!read)
            return test ? ok : error;
        info->append(QStringLiteral("+CPIN: READY"));
        return ok;
    }
    if (name == QLatin1String("+CBC")) {
        if (test) {
            info->append(QStringLiteral("+CBC: (0-3),(0-100)"));
            return ok;
        }
        if (!exec)
            return error;
        info->append(QStringLiteral("+CBC: 0,75")); // <bcs> 0: on battery, <bcl> 75 %
        return ok;
    }
    if (name == QLatin1String("+CSQ")) {
        if (test) {
            info->append(QStringLiteral("+CSQ: (0-31,99),(0-7,99)"));
            return ok;
        }
        if (!exec)
            return error;
        info->append(m_cfun == 1 ? QStringLiteral("+CSQ: 17,0") : QStringLiteral("+CSQ: 99,99"));
        return ok;
    }
    if (name == QLatin1String("+COPS")) {
        if (read) {
            info->append(m_cfun == 1 ? QStringLiteral("+COPS: 0,0,\"%1\"").arg(m_identity.operatorName)
                                     : QStringLiteral("+COPS: 0"));
            return ok;
        }
        if (test) {
            info->append(
                QStringLiteral("+COPS: (2,\"%1\",\"%1\",\"40445\"),,(0-4),(0-2)").arg(m_identity.operatorName));
            return ok;
        }
        return set ? ok : error;
    }
    if (name == QLatin1String("+CREG")) {
        if (read) {
            info->append(m_cfun == 1 ? QStringLiteral("+CREG: 0,1") : QStringLiteral("+CREG: 0,0"));
            return ok;
        }
        int n = 0;
        if (test) {
            info->append(QStringLiteral("+CREG: (0-2)"));
            return ok;
        }
        return (set && intArg(0, 0, 2, &n)) ? ok : error;
    }
    if (name == QLatin1String("+CSCS")) {
        static const QStringList kSets = {QStringLiteral("IRA"), QStringLiteral("GSM"), QStringLiteral("UCS2"),
                                          QStringLiteral("HEX")};
        if (read) {
            info->append(QStringLiteral("+CSCS: \"%1\"").arg(m_charset));
            return ok;
        }
        if (test) {
            info->append(QStringLiteral("+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"HEX\")"));
            return ok;
        }
        if (!set || args.size() != 1 || !args[0].quoted || !kSets.contains(args[0].text.toUpper()))
            return error;
        m_charset = args[0].text.toUpper();
        return ok;
    }

    // SMS (TS 27.005 3).
    if (name == QLatin1String("+CSMS")) {
        int service = 0;
        if (read)
            info->append(QStringLiteral("+CSMS: 0,1,1,1"));
        else if (test)
            info->append(QStringLiteral("+CSMS: (0,1)"));
        else if (set && args.size() == 1 && intArg(0, 0, 1, &service))
            info->append(QStringLiteral("+CSMS: 1,1,1"));
        else
            return error;
        return ok;
    }
    if (name == QLatin1String("+CMGF")) {
        if (read) {
            info->append(QStringLiteral("+CMGF: %1").arg(m_cmgf));
            return ok;
        }
        if (test) {
            info->append(m_profile.pduOnly    ? QStringLiteral("+CMGF: (0)")
                         : m_profile.textOnly ? QStringLiteral("+CMGF: (1)")
                                              : QStringLiteral("+CMGF: (0-1)"));
            return ok;
        }
        int mode = 0;
        if (!set || args.size() != 1 || !intArg(0, 0, 1, &mode))
            return error;
        if ((mode == 1 && m_profile.pduOnly) || (mode == 0 && m_profile.textOnly))
            return error;
        m_cmgf = mode;
        return ok;
    }
    if (name == QLatin1String("+CSCA")) {
        if (read) {
            info->append(QStringLiteral("+CSCA: \"%1\",%2").arg(Encoded(m_smsc)).arg(m_smscType));
            return ok;
        }
        if (test)
            return ok;
        int type = 0;
        if (!set || args.empty() || args.size() > 2 || !args[0].quoted)
            return error;
        const QString number = DecodedParameter(args[0].text);
        if (!number.isEmpty() && !IsDiallingNumber(number))
            return error;
        if (args.size() == 2 && !intArg(1, 128, 255, &type))
            return error;
        m_smsc = number;
        m_smscType = args.size() == 2 ? type : (number.startsWith(QLatin1Char('+')) ? 145 : 129);
        return ok;
    }
    if (name == QLatin1String("+CSMP")) {
        if (read) {
            info->append(
                QStringLiteral("+CSMP: %1,%2,%3,%4").arg(m_csmp[0]).arg(m_csmp[1]).arg(m_csmp[2]).arg(m_csmp[3]));
            return ok;
        }
        if (test)
            return ok;
        if (!set || args.size() > 4)
            return error;
        int values[4] = {m_csmp[0], m_csmp[1], m_csmp[2], m_csmp[3]};
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i].text.isEmpty() && !args[i].quoted)
                continue; // an omitted parameter keeps its value
            if (i == 1 && args[i].quoted)
                continue; // an enhanced or absolute validity period, given as a string
            if (!intArg(i, 0, 255, &values[i]))
                return error;
        }
        std::copy(std::begin(values), std::end(values), std::begin(m_csmp));
        if (m_profile.wipeSmscOnCsmp) {
            m_smsc.clear(); // a quirk of some USB sticks: the stored SMSC is gone until AT+CSCA sets it again
            m_smscType = 129;
        }
        return ok;
    }
    if (name == QLatin1String("+CMMS")) {
        // TS 27.005 3.5.6: 0 off, 1 keep the link until the next send command is more than kCmmsHoldMs late,
        // 2 keep it until set otherwise.
        if (m_profile.noCmms)
            return error;
        if (read) {
            info->append(QStringLiteral("+CMMS: %1").arg(m_cmms));
            return ok;
        }
        if (test) {
            info->append(QStringLiteral("+CMMS: (0-2)"));
            return ok;
        }
        if (!set || args.size() != 1 || !intArg(0, 0, 2, &m_cmms))
            return error;
        m_lastSendMs = -1;
        return ok;
    }
    if (name == QLatin1String("+CMGS")) {
        if (test)
            return ok;
        if (!set)
            return error;
        return StartSubmission(args);
    }
    if (name == QLatin1String("+CPBS") || name == QLatin1String("+CPBR"))
        return Phonebook(name, suffix, args, info);
    if (const std::optional<Outcome> answered = m_messages.Command(name, suffix, args, {m_cmgf, m_charset}, info))
        return *answered;
    return error;
}

SimDialogue::Outcome SimDialogue::Phonebook(const QString& name, const QString& suffix, const std::vector<Arg>& args,
                                            QStringList* info) {
    const Outcome ok{};
    const Outcome error{Final::Error, 0};
    // TS 27.007 8.11 and 8.12.
    if (name == QLatin1String("+CPBS")) {
        if (suffix == QLatin1String("=?")) {
            QStringList names;
            for (const Storage& s : m_phonebook)
                names << QLatin1Char('"') + s.name + QLatin1Char('"');
            info->append(QStringLiteral("+CPBS: (%1)").arg(names.join(QLatin1Char(','))));
            return ok;
        }
        if (suffix == QLatin1String("?")) {
            const Storage* s = CurrentStorage();
            info->append(QStringLiteral("+CPBS: \"%1\",%2,%3").arg(s->name).arg(s->entries.size()).arg(s->total));
            return ok;
        }
        if (suffix != QLatin1String("=") || args.size() != 1 || !args[0].quoted)
            return error;
        for (std::size_t i = 0; i < m_phonebook.size(); ++i) {
            if (m_phonebook[i].name.compare(args[0].text, Qt::CaseInsensitive) == 0) {
                m_storage = static_cast<int>(i);
                return ok;
            }
        }
        return Cme(kCmeNotAllowed);
    }
    const Storage* s = CurrentStorage();
    if (suffix == QLatin1String("=?")) {
        info->append(QStringLiteral("+CPBR: (1-%1),20,14").arg(s->total));
        return ok;
    }
    if (suffix != QLatin1String("=") || args.empty() || args.size() > 2)
        return error;
    bool okFirst = false;
    bool okLast = true;
    const int first = args[0].quoted ? 0 : args[0].text.toInt(&okFirst);
    int last = first;
    if (args.size() == 2)
        last = args[1].quoted ? 0 : args[1].text.toInt(&okLast);
    if (!okFirst || !okLast || first < 1 || last < first || last > s->total)
        return Cme(kCmeInvalidIndex);
    bool found = false;
    for (const PhonebookEntry& e : s->entries) {
        if (e.index < first || e.index > last)
            continue;
        found = true;
        info->append(
            QStringLiteral("+CPBR: %1,\"%2\",%3,\"%4\"").arg(e.index).arg(e.number).arg(e.type).arg(Encoded(e.name)));
    }
    // An empty slot read on its own answers ERROR, as the devices this models do; a range answers what it has.
    if (!found && args.size() == 1)
        return error;
    return ok;
}

SimDialogue::Outcome SimDialogue::StartSubmission(const std::vector<Arg>& args) {
    const Outcome error{Final::Error, 0};
    if (m_cmms == 1 && m_lastSendMs >= 0 && m_nowMs - m_lastSendMs > kCmmsHoldMs)
        m_cmms = 0; // the link was closed meanwhile, and the mode with it
    m_body.clear();
    m_bodyOverflow = false;
    if (m_cmgf == 0) {
        // PDU mode: AT+CMGS=<length>, the TPDU length in octets.
        int length = 0;
        if (m_profile.textOnly || args.size() != 1 || args[0].quoted)
            return error;
        bool ok = false;
        length = args[0].text.toInt(&ok);
        if (!ok || length < 1 || length > 255)
            return error;
        m_pendingLength = length;
        m_state = State::PduBody;
        return {Final::Prompt, 0};
    }
    // Text mode: AT+CMGS="<da>"[,<toda>].
    int type = 0;
    if (m_profile.pduOnly || args.empty() || args.size() > 2 || !args[0].quoted)
        return error;
    if (args.size() == 2) {
        bool ok = false;
        type = args[1].text.toInt(&ok);
        if (args[1].quoted || !ok || type < 128 || type > 255)
            return error;
    }
    const QString number = DecodedParameter(args[0].text);
    if (!IsDiallingNumber(number))
        return {Final::CmsError, kCmsInvalidText};
    m_pendingNumber = (type == 145 && !number.startsWith(QLatin1Char('+'))) ? QLatin1Char('+') + number : number;
    m_state = State::TextBody;
    return {Final::Prompt, 0};
}

void SimDialogue::Submit(Result* r) {
    const bool pduMode = m_state == State::PduBody;
    m_state = State::Command;
    const QByteArray body = m_body;
    m_body.clear();
    const auto fail = [&](int code, int delayMs) {
        Emit(r, "\r\n+CMS ERROR: " + QByteArray::number(code) + "\r\n", delayMs);
    };

    SimSubmission s;
    if (pduMode) {
        QString why;
        const QString hex = QString::fromLatin1(body);
        const std::optional<SimDecodedSubmit> decoded =
            m_bodyOverflow ? std::nullopt : SimPduDecoder::Decode(hex, &why);
        // A PDU that cannot be read, or whose TPDU is not the announced length, is refused at once: the
        // device never hands it to the network.
        if (!decoded || decoded->tpduLength != m_pendingLength) {
            fail(kCmsInvalidPdu, 0);
            return;
        }
        s.mode = QStringLiteral("pdu");
        s.to = decoded->to;
        s.text = decoded->text;
        s.smsc = decoded->smsc;
        s.dcs = decoded->dcs;
        s.flash = decoded->flash;
        s.hasUdh = decoded->hasConcat;
        s.udhRef = decoded->concatRef;
        s.udhTotal = decoded->concatTotal;
        s.udhSeq = decoded->concatSeq;
        s.pdu = hex;
        s.statusReportRequested = (decoded->firstOctet & kStatusReportRequest) != 0;
    } else {
        QString text;
        if (SimCharset::IsHex(m_charset)) {
            if (!IsHexText(body) || !SimCharset::FromUcs2Hex(QString::fromLatin1(body), &text)) {
                fail(kCmsInvalidText, 0);
                return;
            }
        } else {
            text = AnsiCodec::Decode(body);
        }
        int alphabet = 0;
        bool flash = false;
        if (m_bodyOverflow || !SimPduDecoder::InterpretDcs(m_csmp[3], &alphabet, &flash)) {
            fail(kCmsInvalidText, 0);
            return;
        }
        // What the recipient gets: 7-bit text through the GSM alphabet (unmappable characters become '?'),
        // within the size of one message.
        if (alphabet == 0) {
            const std::vector<std::uint8_t> septets = SimGsm0338::EncodeText(text);
            if (septets.size() > 160) {
                fail(kCmsInvalidText, 0);
                return;
            }
            text = SimGsm0338::DecodeSeptets(septets);
        } else if ((alphabet == 2 && text.size() > 70) || (alphabet == 1 && text.size() > 140)) {
            fail(kCmsInvalidText, 0);
            return;
        } else if (alphabet == 1) {
            text = QString::fromLatin1(text.toLatin1());
        }
        s.mode = QStringLiteral("text");
        s.to = m_pendingNumber;
        s.text = text;
        s.smsc = m_smsc;
        s.dcs = m_csmp[3];
        s.flash = flash;
        s.statusReportRequested = (m_csmp[0] & kStatusReportRequest) != 0;
    }
    s.cmms = m_cmms;

    // The network's part: silence, a failure by profile, or acceptance with a message reference.
    if (m_profile.silentAfterPdu)
        return;
    ++m_attempts;
    const int delay = m_profile.slowMs;
    if (m_cfun != 1) {
        fail(kCmsNoNetwork, delay);
        return;
    }
    if (m_profile.cmsError > 0) {
        fail(m_profile.cmsError, delay);
        return;
    }
    if (m_profile.flakyEvery > 0 && m_attempts % m_profile.flakyEvery == 0) {
        fail(kCmsUnknown, delay);
        return;
    }
    if (s.smsc.isEmpty() && m_smsc.isEmpty()) {
        fail(kCmsSmscUnknown, delay);
        return;
    }
    if (const int refusal = m_network.Refusal(s.to); refusal != 0) {
        fail(refusal, delay);
        return;
    }
    s.messageReference = m_nextReference;
    m_nextReference = (m_nextReference + 1) % 256;
    m_lastSendMs = m_nowMs + delay;
    r->accepted.push_back(s);
    Emit(r, "\r\n+CMGS: " + QByteArray::number(s.messageReference) + "\r\n\r\nOK\r\n", delay);
    m_network.Accepted(s, m_nowMs + delay);
}

bool SimDialogue::Inject(const SimIncomingMessage& message, QString* error) {
    return m_network.Inject(message, m_nowMs, error);
}

void SimDialogue::Deliver(const SimSmsRecord& record, Result* r) {
    QByteArray unsolicited;
    if (!m_messages.Route(record, {m_cmgf, m_charset}, &unsolicited)) {
        m_network.HoldBack(record); // storage full: the network keeps it until a slot is free
        return;
    }
    if (!unsolicited.isEmpty())
        EmitUnsolicited(r, unsolicited);
}

void SimDialogue::AfterCommand(Result* r) {
    const QByteArray released = m_messages.TakeReleased();
    if (!released.isEmpty())
        EmitUnsolicited(r, released);
    if (m_messages.TakeFreedSlot())
        m_network.ReleaseHeld(m_nowMs);
}

void SimDialogue::Advance(qint64 nowMs, Result* r) {
    m_nowMs = std::max(m_nowMs, nowMs);
    if (m_profile.dead || m_state != State::Command)
        return;
    if (m_cmms == 1 && m_lastSendMs >= 0 && m_nowMs - m_lastSendMs > kCmmsHoldMs)
        m_cmms = 0;
    for (const SimSmsRecord& record : m_network.TakeDue(m_nowMs))
        Deliver(record, r);
    if (const std::optional<qint64> line = m_shaper.NextLineMs(); line && *line <= m_nowMs) {
        FlushEcho(r);
        m_shaper.Line(m_nowMs, &r->outputs);
    }
}

std::optional<qint64> SimDialogue::NextEventMs() const {
    if (m_profile.dead || m_state != State::Command)
        return std::nullopt;
    const std::optional<qint64> due = m_network.NextDueMs();
    const std::optional<qint64> line = m_shaper.NextLineMs();
    if (due && line)
        return std::min(*due, *line);
    return due ? due : line;
}

void SimDialogue::Emit(Result* r, const QByteArray& reply, int delayMs) {
    FlushEcho(r);
    m_shaper.Reply(reply, delayMs, &r->outputs);
}

void SimDialogue::EmitUnsolicited(Result* r, const QByteArray& bytes) {
    FlushEcho(r);
    m_shaper.Unsolicited(bytes, &r->outputs);
}
