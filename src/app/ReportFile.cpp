#include "app/ReportFile.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"

#include <QFileInfo>
#include <QtEndian>

namespace ReportFile {

QByteArray Utf16LeWithBom(const QString& text) {
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append('\xFF').append('\xFE');
    for (const QChar c : text) {
        const char16_t unit = qToLittleEndian(c.unicode());
        bytes.append(reinterpret_cast<const char*>(&unit), 2);
    }
    return bytes;
}

QString EscapeHtml(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString HtmlMessage(const QString& text) {
    QString message = EscapeHtml(text);
    message.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    message.replace(QLatin1Char(' '), QLatin1String("&nbsp;"));
    return message;
}

QString PathWithExtension(const QString& path, QStringView extension) {
    const QString suffix = QLatin1Char('.') + extension;
    return path.endsWith(suffix, Qt::CaseInsensitive) ? path : path + suffix;
}

WriteResult Replace(const QString& path, const QByteArray& bytes) {
    WriteResult result;
    FileError error;
    if (QFileInfo::exists(path)) {
        CStdioFileEx probe;
        if (!probe.Open(path, CStdioFileEx::kModeReadWrite, &error)) {
            result.outcome = WriteResult::Outcome::NotWritable;
            result.message = FileErrorText(error);
            return result;
        }
        probe.Abort();
    }
    CStdioFileEx file;
    if (!file.Open(path,
                   CStdioFileEx::kModeCreate | CStdioFileEx::kModeWrite | CStdioFileEx::kTypeBinary |
                       CStdioFileEx::kModeAtomicRewrite,
                   &error)) {
        result.outcome = WriteResult::Outcome::NotWritable;
        result.message = FileErrorText(error);
        return result;
    }
    try {
        file.Write(bytes.constData(), bytes.size());
        file.Close();
    } catch (const FileException&) {
        file.Abort();
        result.outcome = WriteResult::Outcome::Failed;
        result.message = kWriteError;
    }
    return result;
}

} // namespace ReportFile
