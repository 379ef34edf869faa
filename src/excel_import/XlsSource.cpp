#include "excel_import/XlsSource.h"

#include "excel_import/BiffStream.h"
#include "excel_import/CellTextFormat.h"
#include "excel_import/SheetCells.h"

#include <map>

namespace {

// Record types (MS-XLS 2.3).
enum : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBofGlobals = 0x0005;
constexpr std::uint16_t kBofWorksheet = 0x0010;
// Columns of a BIFF8 sheet; some writers go beyond 256, so accept up to the largest sheet of any format.
constexpr std::uint32_t kMaxColumn = SheetCells::kMaxColumns - 1;

ReaderStatus Damaged(const QString& what) {
    return ReaderStatus::Fail(ReaderError::AutomationError, QStringLiteral("The workbook is damaged: %1").arg(what));
}

} // namespace

ReaderStatus XlsSource::Open(QByteArray workbookStream, const ReaderLimits& limits,
                             std::unique_ptr<WorkbookSource>* source) {
    auto xls = std::unique_ptr<XlsSource>(new XlsSource(limits));
    xls->m_stream = std::move(workbookStream);
    if (ReaderStatus status = xls->ReadGlobals(); !status)
        return status;
    *source = std::move(xls);
    return ReaderStatus::Success();
}

ReaderStatus XlsSource::ReadGlobals() {
    BiffStream stream(m_stream);
    BiffStream::Record record;
    if (!stream.Next(&record) || record.type != kBof || record.data.size() < 4 ||
        BiffStream::U16(record.data, 0) != kBiff8 || BiffStream::U16(record.data, 2) != kBofGlobals)
        return ReaderStatus::Fail(ReaderError::OpenFailed,
                                  QStringLiteral("The workbook is not in the Excel 97-2003 (BIFF8) format."));

    BiffContinuedReader sst;
    bool haveSst = false;
    std::vector<std::uint16_t> xfFormats;
    std::map<std::uint16_t, QString> formatCodes;
    bool ended = false;
    while (stream.Next(&record)) {
        const QByteArrayView d = record.data;
        switch (record.type) {
        case kFilePass:
            return ReaderStatus::Fail(ReaderError::AutomationError,
                                      QStringLiteral("The workbook is protected by a password."));
        case kDateMode:
            if (d.size() >= 2)
                m_date1904 = BiffStream::U16(d, 0) == 1;
            break;
        case kBoundSheet: {
            if (d.size() < 8)
                return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("A sheet entry is damaged."));
            Sheet sheet;
            sheet.offset = BiffStream::U32(d, 0);
            const auto type = static_cast<std::uint8_t>(d[5]);
            BiffContinuedReader name;
            name.AddSegment(d.sliced(6));
            if (!name.ReadString(&sheet.name, true))
                return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("A sheet name is damaged."));
            if (type == 0x06)
                break; // a Visual Basic module: not a sheet of the workbook
            sheet.kind = type == 0x00 ? SheetKind::Worksheet : type == 0x02 ? SheetKind::Chart : SheetKind::Other;
            m_sheets.push_back(std::move(sheet));
            break;
        }
        case kSst:
            if (d.size() < 8)
                return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The string table is damaged."));
            haveSst = true;
            sst.AddSegment(d.sliced(8)); // after the total and unique counts
            for (std::uint16_t next = 0; stream.PeekType(&next) && next == kContinue && stream.Next(&record);)
                sst.AddSegment(record.data);
            break;
        case kXf:
            if (d.size() >= 4)
                xfFormats.push_back(BiffStream::U16(d, 2));
            break;
        case kFormat: {
            if (d.size() < 2)
                break;
            BiffContinuedReader code;
            code.AddSegment(d.sliced(2));
            QString text;
            if (code.ReadString(&text))
                formatCodes[BiffStream::U16(d, 0)] = text;
            break;
        }
        case kEof:
            ended = true;
            break;
        default:
            break;
        }
        if (ended)
            break;
    }
    if (!ended)
        return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The workbook globals are truncated."));

    m_sharedStrings = std::make_shared<std::vector<QString>>();
    if (haveSst) {
        // The unique count in the SST header is not trusted: strings are read while the table has bytes.
        QString text;
        while (!sst.AtEnd()) {
            if (!sst.ReadString(&text))
                return ReaderStatus::Fail(ReaderError::OpenFailed, QStringLiteral("The string table is damaged."));
            if (m_sharedStrings->size() >= m_limits.maxCells)
                return ReaderStatus::Fail(ReaderError::AutomationError,
                                          QStringLiteral("The workbook has more strings than the reader keeps."));
            m_sharedStrings->push_back(text);
        }
    }
    m_dateFormats.reserve(xfFormats.size());
    for (std::uint16_t format : xfFormats) {
        const auto it = formatCodes.find(format);
        m_dateFormats.push_back(it != formatCodes.end() ? CellTextFormat::IsDateFormatCode(it->second)
                                                        : CellTextFormat::IsBuiltInDateFormat(format));
    }
    return ReaderStatus::Success();
}

ReaderStatus XlsSource::LoadSheet(int index, std::shared_ptr<SheetCells>* cells) {
    const Sheet& sheet = m_sheets.at(static_cast<std::size_t>(index));
    BiffStream stream(m_stream);
    stream.Seek(sheet.offset);
    BiffStream::Record record;
    if (!stream.Next(&record) || record.type != kBof || record.data.size() < 4 ||
        BiffStream::U16(record.data, 2) != kBofWorksheet)
        return Damaged(QStringLiteral("the sheet %1 does not start where the workbook says.").arg(sheet.name));

    auto loaded = std::make_shared<SheetCells>(m_sharedStrings, m_date1904, m_limits.maxCells);
    bool full = false;
    const auto check = [&full](bool added) { full = full || !added; };
    // A formula whose cached result is a string; the STRING record that follows holds the text.
    bool pendingString = false;
    std::uint32_t pendingRow = 0;
    std::uint32_t pendingColumn = 0;
    int depth = 1; // charts embedded in the sheet are BOF..EOF substreams of their own
    while (depth > 0) {
        if (!stream.Next(&record))
            return Damaged(QStringLiteral("the sheet %1 is truncated.").arg(sheet.name));
        const QByteArrayView d = record.data;
        if (record.type == kBof) {
            ++depth;
            continue;
        }
        if (record.type == kEof) {
            --depth;
            continue;
        }
        if (depth != 1)
            continue;
        if (record.type == kString) {
            if (!pendingString)
                continue;
            pendingString = false;
            BiffContinuedReader reader;
            reader.AddSegment(d);
            for (std::uint16_t next = 0; stream.PeekType(&next) && next == kContinue && stream.Next(&record);)
                reader.AddSegment(record.data);
            QString text;
            if (!reader.ReadString(&text))
                return Damaged(QStringLiteral("a formula's text in the sheet %1.").arg(sheet.name));
            check(loaded->AddText(pendingRow, pendingColumn, std::move(text)));
            continue;
        }
        // Cell records start with the row, the column and the cell format (XF) index.
        const bool isCell = record.type == kLabelSst || record.type == kLabel || record.type == kRString ||
                            record.type == kNumber || record.type == kRk || record.type == kMulRk ||
                            record.type == kBoolErr || record.type == kFormula;
        if (!isCell)
            continue;
        pendingString = false;
        if (d.size() < 6)
            return Damaged(QStringLiteral("a cell record in the sheet %1.").arg(sheet.name));
        const std::uint32_t row = BiffStream::U16(d, 0);
        const std::uint32_t column = BiffStream::U16(d, 2);
        const std::uint16_t xf = BiffStream::U16(d, 4);
        if (column > kMaxColumn)
            return Damaged(QStringLiteral("a cell column outside the sheet %1.").arg(sheet.name));
        switch (record.type) {
        case kLabelSst: {
            if (d.size() < 10)
                return Damaged(QStringLiteral("a text cell in the sheet %1.").arg(sheet.name));
            const std::uint32_t sstIndex = BiffStream::U32(d, 6);
            if (sstIndex >= m_sharedStrings->size())
                return Damaged(QStringLiteral("a text cell refers to a string that does not exist."));
            check(loaded->AddSharedText(row, column, sstIndex));
            break;
        }
        case kLabel:
        case kRString: {
            BiffContinuedReader reader;
            reader.AddSegment(d.sliced(6));
            QString text;
            if (!reader.ReadString(&text))
                return Damaged(QStringLiteral("a text cell in the sheet %1.").arg(sheet.name));
            check(loaded->AddText(row, column, std::move(text)));
            break;
        }
        case kNumber:
            if (d.size() < 14)
                return Damaged(QStringLiteral("a number cell in the sheet %1.").arg(sheet.name));
            check(loaded->AddNumber(row, column, BiffStream::F64(d, 6), IsDateFormat(xf)));
            break;
        case kRk:
            if (d.size() < 10)
                return Damaged(QStringLiteral("a number cell in the sheet %1.").arg(sheet.name));
            check(loaded->AddNumber(row, column, BiffStream::RkValue(BiffStream::U32(d, 6)), IsDateFormat(xf)));
            break;
        case kMulRk: {
            // Row, first column, then (XF, RK) pairs of 6 bytes, then the last column.
            if (d.size() < 12 || (d.size() - 6) % 6 != 0)
                return Damaged(QStringLiteral("a run of number cells in the sheet %1.").arg(sheet.name));
            const std::size_t count = static_cast<std::size_t>(d.size() - 6) / 6;
            for (std::size_t i = 0; i < count; ++i) {
                const std::size_t at = 4 + 6 * i;
                const std::uint32_t c = column + static_cast<std::uint32_t>(i);
                if (c > kMaxColumn)
                    return Damaged(QStringLiteral("a cell column outside the sheet %1.").arg(sheet.name));
                check(loaded->AddNumber(row, c, BiffStream::RkValue(BiffStream::U32(d, at + 2)),
                                        IsDateFormat(BiffStream::U16(d, at))));
            }
            break;
        }
        case kBoolErr:
            if (d.size() < 8)
                return Damaged(QStringLiteral("a boolean cell in the sheet %1.").arg(sheet.name));
            if (d[7] != 0)
                check(loaded->AddError(row, column, CellTextFormat::BiffErrorText(static_cast<std::uint8_t>(d[6]))));
            else
                check(loaded->AddBoolean(row, column, d[6] != 0));
            break;
        case kFormula: {
            if (d.size() < 14)
                return Damaged(QStringLiteral("a formula cell in the sheet %1.").arg(sheet.name));
            // The cached result: a double, or (when its last two bytes are FF FF) a typed value whose first
            // byte is 0 string, 1 boolean, 2 error, 3 empty string.
            if (BiffStream::U16(d, 12) != 0xFFFF) {
                check(loaded->AddNumber(row, column, BiffStream::F64(d, 6), IsDateFormat(xf)));
                break;
            }
            const auto kind = static_cast<std::uint8_t>(d[6]);
            const auto value = static_cast<std::uint8_t>(d[8]);
            if (kind == 0) {
                pendingString = true;
                pendingRow = row;
                pendingColumn = column;
            } else if (kind == 1) {
                check(loaded->AddBoolean(row, column, value != 0));
            } else if (kind == 2) {
                check(loaded->AddError(row, column, CellTextFormat::BiffErrorText(value)));
            } else if (kind == 3) {
                check(loaded->AddText(row, column, QString()));
            }
            break;
        }
        default:
            break;
        }
        if (full)
            return ReaderStatus::Fail(ReaderError::AutomationError,
                                      QStringLiteral("The sheet %1 holds more values than the reader keeps (%2).")
                                          .arg(sheet.name)
                                          .arg(m_limits.maxCells));
    }
    loaded->Finish();
    *cells = std::move(loaded);
    return ReaderStatus::Success();
}
