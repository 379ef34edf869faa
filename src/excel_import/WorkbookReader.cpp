#include "excel_import/WorkbookReader.h"

#include "excel_import/CompoundFile.h"
#include "excel_import/SheetCells.h"
#include "excel_import/XlsSource.h"
#include "excel_import/XlsxSource.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kZipSignature[4] = {'P', 'K', '\x03', '\x04'};

QString PasswordDetail() {
    return QStringLiteral("The workbook is protected by a password.");
}

} // namespace

WorkbookReader::WorkbookReader(const ReaderLimits& limits) : m_limits(limits) {}

WorkbookReader::~WorkbookReader() {
    CloseWorkbook();
}

QString WorkbookReader::Placeholder(int column) {
    return QStringLiteral("<COL-%1>").arg(column);
}

ReaderStatus WorkbookReader::OpenWorkbook(const QString& path) {
    CloseWorkbook();
    const QByteArray name = QFile::encodeName(path);
    // Only regular files are opened: a named pipe or a device (a serial port, say) could block the open or
    // the read, or change state by being opened. Non-blocking, in case the path changes in between.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, errno);
    if (!S_ISREG(info.st_mode))
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, errno);
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    if (info.st_size == 0) {
        ::close(fd);
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The file is empty."));
    }
    if (info.st_size > m_limits.maxFileBytes) {
        ::close(fd);
        return ReaderStatus::Fail(ReaderError::OpenFailed,
                                  QStringLiteral("The file is larger than %1 bytes.").arg(m_limits.maxFileBytes));
    }
    // Mapped, not read: only the pages the reader touches become resident.
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    const int mapError = errno;
    ::close(fd);
    if (map == MAP_FAILED)
        return ReaderStatus::FromErrno(ReaderError::OpenFailed, mapError);
    m_map = map;
    m_mapSize = size;
    ReaderStatus status = OpenBytes(static_cast<const char*>(map), size);
    if (!status)
        CloseWorkbook();
    return status;
}

ReaderStatus WorkbookReader::OpenWorkbookData(QByteArray bytes) {
    CloseWorkbook();
    if (bytes.isEmpty())
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The file is empty."));
    if (bytes.size() > m_limits.maxFileBytes)
        return ReaderStatus::Fail(ReaderError::OpenFailed,
                                  QStringLiteral("The file is larger than %1 bytes.").arg(m_limits.maxFileBytes));
    m_bytes = std::move(bytes);
    ReaderStatus status = OpenBytes(m_bytes.constData(), static_cast<std::size_t>(m_bytes.size()));
    if (!status)
        CloseWorkbook();
    return status;
}

ReaderStatus WorkbookReader::OpenBytes(const char* data, std::size_t size) {
    if (size >= sizeof kZipSignature && std::memcmp(data, kZipSignature, sizeof kZipSignature) == 0)
        return XlsxSource::Open(data, size, m_limits, &m_source);
    if (!CompoundFile::HasSignature(data, size))
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The file is not an Excel workbook."));

    CompoundFile file;
    QString error;
    if (!file.Open(data, size, &error))
        return ReaderStatus::Fail(ReaderError::OpenFailed, error);
    // A password-protected .xlsx is its encrypted package inside a compound file.
    if (file.HasStream(QStringLiteral("EncryptedPackage")) || file.HasStream(QStringLiteral("EncryptionInfo")))
        return ReaderStatus::Fail(ReaderError::AutomationError, PasswordDetail());
    if (!file.HasStream(QStringLiteral("Workbook"))) {
        if (file.HasStream(QStringLiteral("Book")))
            return ReaderStatus::Fail(ReaderError::OpenFailed,
                                      QStringLiteral("Excel 5.0/95 workbooks are not supported; save it as an "
                                                     "Excel 97-2003 or Excel workbook."));
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The file is not an Excel workbook."));
    }
    QByteArray stream;
    if (!file.ReadStream(QStringLiteral("Workbook"), &stream, &error))
        return ReaderStatus::Fail(ReaderError::OpenFailed, error);
    return XlsSource::Open(std::move(stream), m_limits, &m_source);
}

int WorkbookReader::SheetCount() const {
    return m_source ? m_source->SheetCount() : 0;
}

QString WorkbookReader::SheetName(int sheet) const {
    return sheet >= 1 && sheet <= SheetCount() ? m_source->SheetName(sheet - 1) : QString();
}

SheetKind WorkbookReader::SheetKindOf(int sheet) const {
    return sheet >= 1 && sheet <= SheetCount() ? m_source->Kind(sheet - 1) : SheetKind::Other;
}

ReaderStatus WorkbookReader::SelectSheet(int sheet) {
    m_selected = 0;
    m_haveRange = false;
    m_range = {};
    if (sheet < 1 || sheet > SheetCount())
        return ReaderStatus::Fail(ReaderError::SheetFailed, QStringLiteral("The workbook has no sheet %1.").arg(sheet));
    if (m_source->Kind(sheet - 1) != SheetKind::Worksheet)
        return ReaderStatus::Fail(ReaderError::SheetFailed,
                                  QStringLiteral("The sheet %1 is a %2 sheet, not a worksheet.")
                                      .arg(m_source->SheetName(sheet - 1), SheetKindName(m_source->Kind(sheet - 1))));
    m_selected = sheet;
    return ReaderStatus::Success();
}

ReaderStatus WorkbookReader::OpenSheet(const QString& path, int sheet, SheetData* data) {
    ReaderStatus status = OpenWorkbook(path);
    if (status)
        status = SelectSheet(sheet);
    if (status)
        status = GetUsedRange(data);
    return status;
}

ReaderStatus WorkbookReader::GetUsedRange(SheetData* data) {
    if (m_selected == 0)
        return ReaderStatus::Fail(ReaderError::RangeFailed, QStringLiteral("No worksheet is chosen."));
    if (!m_haveRange) {
        std::shared_ptr<SheetCells> cells;
        if (ReaderStatus status = m_source->LoadSheet(m_selected - 1, &cells); !status)
            return status;
        m_range = SheetData(std::move(cells));
        m_haveRange = true;
    }
    *data = m_range;
    if (m_range.Rows() == 0)
        return ReaderStatus::Fail(ReaderError::SheetEmpty);
    return ReaderStatus::Success();
}

ReaderStatus WorkbookReader::CellText(int row, int column, QString* text) const {
    if (!m_haveRange) {
        text->clear();
        return ReaderStatus::Fail(ReaderError::RangeFailed, QStringLiteral("The used range was not read."));
    }
    return m_range.CellText(row, column, text);
}

ReaderStatus WorkbookReader::ColumnNames(int limit, QList<ColumnName>* names) const {
    names->clear();
    if (!m_haveRange)
        return ReaderStatus::Fail(ReaderError::RangeFailed, QStringLiteral("The used range was not read."));
    const int columns = limit == kNoLimit ? m_range.Columns() : std::min(m_range.Columns(), limit);
    int untitled = 0;
    for (int c = 1; c <= columns; ++c) {
        QString header;
        if (ReaderStatus status = m_range.CellText(1, c, &header); !status) {
            names->clear();
            return status;
        }
        if (header.trimmed().isEmpty())
            header = QStringLiteral("Untitled Column %1").arg(++untitled);
        names->append({c, header, Placeholder(c)});
    }
    return ReaderStatus::Success();
}

void WorkbookReader::CloseWorkbook() {
    m_source.reset();
    m_selected = 0;
    m_haveRange = false;
    m_range = {};
    m_bytes.clear();
    if (m_map) {
        ::munmap(m_map, m_mapSize);
        m_map = nullptr;
        m_mapSize = 0;
    }
}

ReaderStatus WorkbookReader::ReadSheetNames(const QString& path, QStringList* names) {
    names->clear();
    WorkbookReader reader;
    ReaderStatus status = reader.OpenWorkbook(path);
    if (status) {
        for (int i = 1; i <= reader.SheetCount(); ++i)
            names->append(reader.SheetName(i));
    }
    reader.CloseWorkbook();
    return status;
}
