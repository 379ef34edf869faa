#include "app/FileError.h"

#include <cerrno>
#include <cstring>

namespace {
// strerror() is not thread-safe; the GNU strerror_r returns the text it chose.
QString SystemText(int errorNumber) {
    char buffer[256] = {};
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

constexpr qsizetype kMaxMessage = 4096;
} // namespace

FileError FileError::FromErrno(const QString& path, int errorNumber, bool creating) {
    QString message = SystemText(errorNumber);
    // A file that cannot be made because the disk or the user's quota is full.
    if (creating && (errorNumber == ENOSPC || errorNumber == EDQUOT))
        message = QStringLiteral("Failure creating file. ") + message;
    return {path, errorNumber, message};
}

FileError FileError::FromText(const QString& path, const QString& message, int errorNumber) {
    return {path, errorNumber, message};
}

QString FileErrorText(const FileError& error) {
    QString message = error.platformMessage.left(kMaxMessage);
    // The platform's "no error" text ("Success") carries no reason worth showing.
    if (message.contains(SystemText(0)))
        message.clear();
    if (message.startsWith(QLatin1String("Failure creating file.")))
        return QStringLiteral("Error in File creation.\n\nOR\n\nThere is not enough space on the disk.");
    if (message.isEmpty())
        return QStringLiteral("Error in file accessing.");
    return QStringLiteral("Error in file accessing.\n\nOR\n\n") + message;
}
