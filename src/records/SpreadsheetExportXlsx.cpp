#include "records/SpreadsheetExportXlsx.h"

#include <QFile>

#include <xlsxwriter.h>
#include <zip.h>

#include <cstring>

SpreadsheetExportXlsx::SpreadsheetExportXlsx(QString path, QString scratchDirectory)
    : m_path(path), m_scratchDirectory(QFile::encodeName(scratchDirectory)) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_scratchDirectory.data();
    options.use_zip64 = LXW_FALSE;
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!m_workbook)
        Fail(QStringLiteral("Cannot start the workbook %1.").arg(path));
}

SpreadsheetExportXlsx::~SpreadsheetExportXlsx() {
    // A workbook abandoned midway is still closed (and so written) to free it; the export removes the file.
    if (m_workbook)
        workbook_close(m_workbook);
}

bool SpreadsheetExportXlsx::Fail(const QString& why) {
    if (m_error.isEmpty())
        m_error = why;
    m_done = true;
    return false;
}

namespace {
bool IsHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}
} // namespace

QString SpreadsheetExportXlsx::EscapeForXml(const QString& text) {
    const auto needsEscape = [&text](qsizetype i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate())
            return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
        if (c.isLowSurrogate())
            return i == 0 || !text.at(i - 1).isHighSurrogate();
        if (u == '_') { // "_xHHHH_" as written text must not be read as an escape
            if (i + 6 >= text.size() || text.at(i + 1) != QLatin1Char('x') || text.at(i + 6) != QLatin1Char('_'))
                return false;
            for (qsizetype k = i + 2; k < i + 6; ++k) {
                if (!IsHexDigit(text.at(k)))
                    return false;
            }
            return true;
        }
        return (u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF;
    };
    qsizetype first = 0;
    while (first < text.size() && !needsEscape(first))
        ++first;
    if (first == text.size())
        return text;
    QString out = text.left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        if (needsEscape(i))
            out += QStringLiteral("_x") +
                   QString::number(text.at(i).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')) +
                   QLatin1Char('_');
        else
            out += text.at(i);
    }
    return out;
}

bool SpreadsheetExportXlsx::WriteRow(const QStringList& cells) {
    if (m_row >= kMaxRows)
        return Fail(QStringLiteral("A sheet holds at most %1 rows.").arg(kMaxRows));
    bool anyText = false;
    for (qsizetype column = 0; column < cells.size(); ++column) {
        const QString text = CellText(cells.at(column));
        if (text.isEmpty())
            continue;
        anyText = true;
        const QByteArray utf8 = EscapeForXml(text).toUtf8();
        const lxw_error error =
            worksheet_write_string(m_sheet, m_row, static_cast<lxw_col_t>(column), utf8.constData(), nullptr);
        if (error != LXW_NO_ERROR)
            return Fail(QString::fromUtf8(lxw_strerror(error)));
    }
    if (anyText)
        ++m_rowsWithText.back();
    ++m_row;
    return true;
}

bool SpreadsheetExportXlsx::StartSheet(const QString& name, const QStringList& headings) {
    if (m_done || !m_workbook)
        return false;
    m_sheet = workbook_add_worksheet(m_workbook, name.toUtf8().constData());
    if (!m_sheet)
        return Fail(QStringLiteral("Cannot add the sheet %1.").arg(name));
    m_row = 0;
    m_rowsWithText.push_back(0);
    return WriteRow(headings);
}

bool SpreadsheetExportXlsx::AddRow(const QStringList& cells) {
    if (m_done || !m_sheet)
        return Fail(QStringLiteral("No sheet is started."));
    return WriteRow(cells);
}

bool SpreadsheetExportXlsx::Finish() {
    if (m_done || !m_workbook)
        return false;
    m_done = true;
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR)
        return Fail(QString::fromUtf8(lxw_strerror(error)));
    return Verify();
}

bool SpreadsheetExportXlsx::Verify() {
    int zipError = 0;
    zip_t* archive = zip_open(QFile::encodeName(m_path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &zipError);
    if (!archive)
        return Fail(QStringLiteral("The written workbook cannot be opened again."));
    bool ok = true;
    static constexpr char kRow[] = "<row ";
    static constexpr char kEnd[] = "</worksheet>";
    for (std::size_t sheet = 0; sheet < m_rowsWithText.size() && ok; ++sheet) {
        const QByteArray name = "xl/worksheets/sheet" + QByteArray::number(static_cast<qulonglong>(sheet + 1)) + ".xml";
        zip_file_t* part = zip_fopen(archive, name.constData(), 0);
        if (!part) {
            ok = false;
            break;
        }
        // Count "<row " across chunk boundaries by carrying the last few bytes over.
        std::uint64_t rows = 0;
        QByteArray carry;
        QByteArray tail;
        char buffer[1 << 16];
        zip_int64_t n = 0;
        while ((n = zip_fread(part, buffer, sizeof buffer)) > 0) {
            const QByteArray chunk = carry + QByteArray::fromRawData(buffer, static_cast<qsizetype>(n));
            for (qsizetype at = chunk.indexOf(kRow); at >= 0; at = chunk.indexOf(kRow, at + 1))
                ++rows;
            carry = chunk.right(static_cast<qsizetype>(std::strlen(kRow)) - 1);
            tail = chunk.size() >= 64 ? chunk.right(64) : QByteArray(tail + chunk).right(64);
        }
        zip_fclose(part);
        // A read error includes a checksum that does not match.
        ok = n == 0 && rows == m_rowsWithText[sheet] && tail.trimmed().endsWith(kEnd);
    }
    zip_discard(archive);
    if (!ok)
        return Fail(QStringLiteral("The workbook was not written completely (is the disk full?)."));
    return true;
}
