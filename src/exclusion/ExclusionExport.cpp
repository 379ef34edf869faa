#include "exclusion/ExclusionExport.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"
#include "common/AnsiCodec.h"

#include <QFileInfo>

namespace {

// Windows-1252 bytes, one per character; a character outside the code page (a surrogate pair counts as one)
// becomes '#', as the text file class writes 8-bit text.
QByteArray AnsiBytes(const QString& text) {
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size(); ++i) {
        qsizetype length = 1;
        if (composed[i].isHighSurrogate() && i + 1 < composed.size() && composed[i + 1].isLowSurrogate())
            length = 2;
        const QString one = composed.mid(i, length);
        i += length - 1;
        out.append(AnsiCodec::CanEncode(one) ? AnsiCodec::Encode(one) : QByteArray("#"));
    }
    return out;
}

} // namespace

QByteArray ExclusionExport::Report(const QStringList& numbers) {
    const QString eol = QStringLiteral("\r\n");
    const QString rule(132, QLatin1Char('='));
    QString text = rule + eol;
    text += QStringLiteral("\t\t\t\t[ Bulk SMS - Exclusion Number List ]") + eol + eol;
    text += rule + eol + eol;
    for (const QString& number : numbers)
        text += number + eol;
    text += eol;
    return AnsiBytes(text);
}

ExclusionExport::Result ExclusionExport::Write(const QStringList& numbers, const QString& path) {
    Result result;
    if (numbers.isEmpty()) {
        result.outcome = Result::Outcome::EmptyList;
        result.message = kEmptyList;
        return result;
    }
    FileError error;
    if (QFileInfo::exists(path)) {
        CStdioFileEx probe;
        if (!probe.Open(path, CStdioFileEx::kModeReadWrite, &error)) {
            result.outcome = Result::Outcome::FileNotWritable;
            result.message = FileErrorText(error);
            return result;
        }
        probe.Abort();
    }
    const QByteArray bytes = Report(numbers);
    CStdioFileEx file;
    if (!file.Open(path,
                   CStdioFileEx::kModeCreate | CStdioFileEx::kModeWrite | CStdioFileEx::kTypeBinary |
                       CStdioFileEx::kModeAtomicRewrite,
                   &error)) {
        result.outcome = Result::Outcome::FileNotWritable;
        result.message = FileErrorText(error);
        return result;
    }
    try {
        file.Write(bytes.constData(), bytes.size());
        file.Close();
    } catch (const FileException&) {
        file.Abort();
        result.outcome = Result::Outcome::WriteFailed;
        result.message = kWriteError;
        return result;
    }
    result.message = kExported;
    return result;
}
