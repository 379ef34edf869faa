#include "records/SpreadsheetExport.h"

#include "app/FileError.h"
#include "app/Prompter.h"
#include "common/ResultText.h"
#include "records/Biff8Writer.h"
#include "records/SpreadsheetExportXlsx.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The process's file creation mask, read without changing it (umask() can only be read by setting it, which
// would race with other threads creating files).
mode_t CurrentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return static_cast<mode_t>(mask);
            }
        }
    }
    return 022;
}

} // namespace

QString SpreadsheetExport::PathWithExtension(const QString& path, Format format) {
    const QString extension = format == Format::Xls ? QStringLiteral(".xls") : QStringLiteral(".xlsx");
    return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

std::optional<SpreadsheetExport::Filter> SpreadsheetExport::FilterFromCode(const QString& code) {
    if (code == QLatin1String("ALL"))
        return Filter::All;
    if (code == QLatin1String("SUC"))
        return Filter::Successful;
    if (code == QLatin1String("FAL"))
        return Filter::Failed;
    return std::nullopt;
}

bool SpreadsheetExport::Passes(Filter filter, const QString& status) {
    switch (filter) {
    case Filter::All:
        return true;
    case Filter::Successful:
        return ResultText::IsSent(status);
    case Filter::Failed:
        return ResultText::IsFailure(status);
    }
    return false;
}

SpreadsheetExport::Result SpreadsheetExport::Export(const SpreadsheetExportTable& table, const QList<QStringList>& rows,
                                                    Filter filter, const QString& path, Format format) const {
    qsizetype next = 0;
    return Export(
        table,
        [&rows, &next](QStringList* row) {
            if (next >= rows.size())
                return false;
            *row = rows.at(next++);
            return true;
        },
        filter, path, format);
}

SpreadsheetExport::Result SpreadsheetExport::Export(const SpreadsheetExportTable& table, const RowSource& rows,
                                                    Filter filter, const QString& path, Format format) const {
    Result result;
    const auto notWritable = [&result](const FileError& error) {
        result.outcome = Result::Outcome::FileNotWritable;
        result.message = FileErrorText(error);
        return result;
    };
    // A link to an existing file is followed, so that the file it names is the one replaced.
    const QFileInfo pathInfo(path);
    const QString targetPath = pathInfo.isSymLink() && pathInfo.exists() ? pathInfo.canonicalFilePath() : path;
    const QByteArray target = QFile::encodeName(targetPath);
    // An existing file must be a regular file that can be written; it is then replaced. Anything else (a
    // folder, a device, a pipe) is refused before it is opened.
    struct stat info {};
    if (::stat(target.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return notWritable(FileError::FromErrno(path, EISDIR));
        if (!S_ISREG(info.st_mode))
            return notWritable(FileError::FromText(path, QStringLiteral("Not a regular file")));
        const int fd = ::open(target.constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            return notWritable(FileError::FromErrno(path, errno));
        ::close(fd);
    }

    const auto failed = [&result](const QString& detail) {
        result.outcome = Result::Outcome::WriteFailed;
        result.message = kWriteError;
        result.detail = detail;
        return result;
    };
    const QString directory = QFileInfo(targetPath).absolutePath();
    QByteArray scratch =
        QFile::encodeName(directory) + "/." + QFile::encodeName(QFileInfo(targetPath).fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0)
        return failed(QStringLiteral("Cannot create a file in %1: %2")
                          .arg(directory, FileError::FromErrno(directory, errno).platformMessage));
    ::close(fd);
    const QString scratchPath = QFile::decodeName(scratch);

    std::unique_ptr<SpreadsheetExportWriter> writer;
    if (format == Format::Xls)
        writer = std::make_unique<Biff8Writer>(scratchPath, directory);
    else
        writer = std::make_unique<SpreadsheetExportXlsx>(scratchPath, directory);
    const qint64 capacity = format == Format::Xls ? kXlsRowsPerSheet : kXlsxRowsPerSheet;

    bool ok = writer->StartSheet(SheetName(1), table.columns);
    result.sheets = 1;
    qint64 sheetRows = 0;
    bool asked = false;
    QStringList row;
    while (ok && rows(&row)) {
        if (table.statusColumn >= 0 && !Passes(filter, row.value(table.statusColumn)))
            continue;
        if (sheetRows == capacity) {
            if (!asked) {
                asked = true;
                if (!m_prompter.Confirm(kSplitQuestion)) {
                    result.declinedNextSheet = true;
                    break;
                }
            }
            ok = writer->StartSheet(SheetName(++result.sheets), table.columns);
            sheetRows = 0;
            if (!ok)
                break;
        }
        if (row.size() > table.columns.size())
            row.resize(table.columns.size());
        ok = writer->AddRow(row);
        if (ok) {
            ++sheetRows;
            ++result.rowsWritten;
        }
    }
    if (ok)
        ok = writer->Finish();
    const QString writerError = writer->Error();
    writer.reset();
    if (!ok) {
        ::unlink(scratch.constData());
        return failed(writerError);
    }
    ::chmod(scratch.constData(), 0666 & ~CurrentUmask());
    if (::rename(scratch.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(scratch.constData());
        return failed(
            QStringLiteral("Cannot replace %1: %2").arg(path, FileError::FromErrno(path, error).platformMessage));
    }
    return result;
}
