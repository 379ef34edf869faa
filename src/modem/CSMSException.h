#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <exception>

// The one exception of the modem layer. Its code is one of three kinds:
//  - a system error: 0x80070000 | errno (facility 7), text empty;
//  - a string-table error: 0x80040000 | id (facility 4), id 513-522 (only 516 is raised by our own paths);
//  - none (0): an error reply of the device, whose text is the error.
class CSMSException : public std::exception {
public:
    static constexpr std::uint32_t kSystemErrorBase = 0x80070000u;
    static constexpr std::uint32_t kStringTableBase = 0x80040000u;
    static constexpr int kNoResponseId = 516;

    CSMSException(std::uint32_t code, QString text);

    std::uint32_t Code() const { return m_code; }
    const QString& Text() const { return m_text; }
    bool IsSystemError() const { return Facility() == 7; }
    bool IsStringTableError() const { return Facility() == 4; }
    // The system's errno for a system error, else 0.
    int SystemErrorNumber() const { return IsSystemError() ? static_cast<int>(m_code & 0xFFFFu) : 0; }

    // The message: the string-table text (with "%1" replaced by the text), the system's text for errno
    // (or the text when the system has none), or the text itself.
    QString GetErrorMessage() const;
    const char* what() const noexcept override;

    // errorNumber 0 takes the current errno.
    [[noreturn]] static void ThrowSystemError(int errorNumber, const QString& text = {});
    [[noreturn]] static void ThrowNoResponse(const QString& text = {});
    // Shortens a reply to its error ("+CMS ERROR: 500 and more" -> "+CMS ERROR: 500") and throws it.
    [[noreturn]] static void ThrowModemError(const QString& replyText);

private:
    int Facility() const { return static_cast<int>((m_code >> 16) & 0x1FFFu); }

    std::uint32_t m_code;
    QString m_text;
    QByteArray m_what;
};

// The modem layer's fixed texts, ids 513 to 522; empty for any other id.
QString ModemStringTableText(int id);

// What windows show for a modem failure: the message, at most 4096 characters; the system's "no error" text
// (errno 0) becomes empty.
QString GetErrorText(const CSMSException& exception);

// The system's text for "no error", which stands where a failure turns out to be none.
QString NoErrorSystemText();
