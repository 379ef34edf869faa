#include "modem/CSMSException.h"

#include "modem/ModemReply.h"

#include <cerrno>
#include <cstring>

namespace {
const char* const kStringTable[] = {
    "SMSC Number too large to semi-octet encode",   // 513
    "Phone Number too large to semi-octet encode",  // 514
    "Failed to encode the message to send",         // 515
    "Failed to receive a response from the modem.", // 516
    "Modem does not support SMS messaging.",        // 517
    "Failed to set the PDU encoding mode.",         // 518
    "Failed to set the Message in Text mode.",      // 519
    "Modem failed to send the SMS message.",        // 520
    "Message is too large to PDU encode",           // 521
    "No message provided to PDU encode",            // 522
};

QString SystemText(int errorNumber) { return QString::fromLocal8Bit(std::strerror(errorNumber)); }
} // namespace

QString ModemStringTableText(int id) {
    if (id < 513 || id > 522)
        return {};
    return QString::fromLatin1(kStringTable[id - 513]);
}

QString NoErrorSystemText() { return SystemText(0); }

CSMSException::CSMSException(std::uint32_t code, QString text)
    : m_code(code), m_text(std::move(text)), m_what(GetErrorMessage().toUtf8()) {}

QString CSMSException::GetErrorMessage() const {
    if (IsStringTableError()) {
        QString message = ModemStringTableText(static_cast<int>(m_code & 0xFFFFu));
        message.replace(QLatin1String("%1"), m_text);
        return message;
    }
    if (IsSystemError()) {
        const QString system = SystemText(SystemErrorNumber());
        return system.isEmpty() ? m_text : system;
    }
    return m_text;
}

const char* CSMSException::what() const noexcept { return m_what.constData(); }

void CSMSException::ThrowSystemError(int errorNumber, const QString& text) {
    if (errorNumber == 0)
        errorNumber = errno;
    throw CSMSException(kSystemErrorBase | (static_cast<std::uint32_t>(errorNumber) & 0xFFFFu), text);
}

void CSMSException::ThrowNoResponse(const QString& text) {
    throw CSMSException(kStringTableBase | static_cast<std::uint32_t>(kNoResponseId), text);
}

void CSMSException::ThrowModemError(const QString& replyText) {
    throw CSMSException(0, ModemReply::ShortenError(replyText));
}

QString GetErrorText(const CSMSException& exception) {
    QString message = exception.GetErrorMessage().left(4096);
    if (exception.IsSystemError() && message.contains(NoErrorSystemText()))
        return {};
    return message;
}
