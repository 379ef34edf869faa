#include "records/Biff8Writer.h"

#include "records/XlsCompoundFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Record types (MS-XLS 2.3).
enum : std::uint16_t {
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kBoundSheet = 0x0085,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kContinue = 0x003C,
    kDimensions = 0x0200,
    kStyle = 0x0293,
    kWindow2 = 0x023E,
    kBof = 0x0809,
};

constexpr std::size_t kMaxRecordData = 8224;  // BIFF8: longer data continues in CONTINUE records
constexpr std::uint16_t kTextCellFormat = 15; // XF 15: the first cell format, number format 49 ("@", text)
constexpr qsizetype kRecentMaxChars = 1 << 20;
constexpr int kRecentMaxEntries = 65536;
constexpr std::size_t kCopyChunk = 1 << 16;

using Bytes = std::vector<unsigned char>;

void Put8(Bytes* b, unsigned v) {
    b->push_back(static_cast<unsigned char>(v & 0xFF));
}
void Put16(Bytes* b, unsigned v) {
    Put8(b, v);
    Put8(b, v >> 8);
}
void Put32(Bytes* b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

Bytes Record(std::uint16_t type, const Bytes& data) {
    Bytes out;
    out.reserve(4 + data.size());
    Put16(&out, type);
    Put16(&out, static_cast<unsigned>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

bool IsCompressible(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

// The characters of a BIFF8 string: one byte each when every character is below 256 ("compressed"), else
// UTF-16LE; the option byte says which.
void PutChars(Bytes* b, const QString& text, bool compressed) {
    for (QChar c : text) {
        if (compressed)
            Put8(b, c.unicode());
        else
            Put16(b, c.unicode());
    }
}

// ShortXLUnicodeString (sheet and font names) and XLUnicodeString.
void PutString(Bytes* b, const QString& text, bool shortCount) {
    const bool compressed = IsCompressible(text);
    if (shortCount)
        Put8(b, static_cast<unsigned>(text.size()));
    else
        Put16(b, static_cast<unsigned>(text.size()));
    Put8(b, compressed ? 0 : 1);
    PutChars(b, text, compressed);
}

Bytes Bof(std::uint16_t kind) {
    Bytes d;
    Put16(&d, 0x0600); // BIFF8
    Put16(&d, kind);   // 0x0005 workbook globals, 0x0010 worksheet
    Put16(&d, 0x0DBB); // build
    Put16(&d, 0x07CC); // year
    Put32(&d, 0);      // file history flags
    Put32(&d, 6);      // lowest BIFF version that can read all records
    return Record(kBof, d);
}

Bytes Xf(std::uint16_t numberFormat, bool style) {
    Bytes d;
    Put16(&d, 0);            // font 0
    Put16(&d, numberFormat); // 0 General, 49 "@"
    // Locked; a style format has fStyle and parent 0xFFF, a cell format inherits style 0.
    Put16(&d, style ? 0xFFF5 : 0x0001);
    Put8(&d, 0x20);             // bottom-aligned
    Put8(&d, 0);                // no rotation
    Put8(&d, 0);                // no indent
    Put8(&d, style ? 0 : 0x04); // a cell format says its number format differs from its style's
    Put32(&d, 0);               // no borders
    Put32(&d, 0);
    Put16(&d, 0x20C0); // default pattern colours: foreground 64, background 65
    return Record(kXf, d);
}

Bytes Font() {
    Bytes d;
    Put16(&d, 200);    // 10 points, in twentieths
    Put16(&d, 0);      // plain
    Put16(&d, 0x7FFF); // automatic colour
    Put16(&d, 400);    // normal weight
    Put16(&d, 0);      // no super/subscript
    Put8(&d, 0);       // no underline
    Put8(&d, 0);       // family
    Put8(&d, 0);       // character set
    Put8(&d, 0);
    PutString(&d, QStringLiteral("Arial"), true);
    return Record(kFont, d);
}

bool WriteBytes(std::FILE* file, const Bytes& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// A scratch file in `directory`, removed from the directory at once.
std::FILE* OpenScratch(const QString& directory) {
    QByteArray name = QFile::encodeName(directory) + "/.bulksms-xls-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return nullptr;
    ::unlink(name.constData());
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    return file;
}

} // namespace

Biff8Writer::Biff8Writer(QString path, QString scratchDirectory) : m_path(std::move(path)) {
    m_cells = OpenScratch(scratchDirectory);
    m_strings = m_cells ? OpenScratch(scratchDirectory) : nullptr;
    if (!m_cells || !m_strings)
        FailErrno(QStringLiteral("Cannot create a scratch file"));
}

Biff8Writer::~Biff8Writer() {
    if (m_cells)
        std::fclose(m_cells);
    if (m_strings)
        std::fclose(m_strings);
}

bool Biff8Writer::Fail(const QString& why) {
    if (m_error.isEmpty())
        m_error = why;
    m_done = true;
    return false;
}

bool Biff8Writer::FailErrno(const QString& what) {
    return Fail(what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
}

bool Biff8Writer::StartSheet(const QString& name, const QStringList& headings) {
    if (m_done)
        return false;
    if (m_inSheet && !EndSheet())
        return false;
    if (name.isEmpty() || name.size() > 31)
        return Fail(QStringLiteral("A sheet name has 1 to 31 characters."));
    Sheet sheet;
    sheet.name = name;
    sheet.offset = static_cast<std::uint64_t>(std::ftell(m_cells));
    Bytes start = Bof(0x0010);
    sheet.dimensionsAt = sheet.offset + start.size();
    Bytes dimensions(14, 0); // filled in when the sheet ends
    const Bytes dimensionsRecord = Record(kDimensions, dimensions);
    start.insert(start.end(), dimensionsRecord.begin(), dimensionsRecord.end());
    if (!WriteBytes(m_cells, start))
        return FailErrno(QStringLiteral("Cannot write a sheet"));
    m_sheets.push_back(std::move(sheet));
    m_inSheet = true;
    return WriteRow(headings);
}

bool Biff8Writer::AddRow(const QStringList& cells) {
    if (m_done || !m_inSheet)
        return Fail(QStringLiteral("No sheet is started."));
    return WriteRow(cells);
}

std::uint32_t Biff8Writer::StringIndex(const QString& text) {
    if (const auto it = m_recent.constFind(text); it != m_recent.cend())
        return it.value();
    // XLUnicodeRichExtendedString without rich text or phonetic data: count, option byte, characters.
    Bytes entry;
    entry.reserve(3 + 2 * static_cast<std::size_t>(text.size()));
    const bool compressed = IsCompressible(text);
    Put16(&entry, static_cast<unsigned>(text.size()));
    Put8(&entry, compressed ? 0 : 1);
    PutChars(&entry, text, compressed);
    if (!WriteBytes(m_strings, entry))
        return UINT32_MAX;
    const std::uint32_t index = m_stringCount++;
    if (m_recent.size() < kRecentMaxEntries && m_recentChars + text.size() <= kRecentMaxChars) {
        m_recent.insert(text, index);
        m_recentChars += text.size();
    }
    return index;
}

bool Biff8Writer::WriteRow(const QStringList& cells) {
    Sheet& sheet = m_sheets.back();
    if (sheet.rows >= kMaxRows)
        return Fail(QStringLiteral("A sheet holds at most %1 rows.").arg(kMaxRows));
    if (static_cast<std::uint32_t>(cells.size()) > kMaxColumns)
        return Fail(QStringLiteral("A sheet holds at most %1 columns.").arg(kMaxColumns));
    Bytes records;
    records.reserve(14 * static_cast<std::size_t>(cells.size()));
    for (qsizetype column = 0; column < cells.size(); ++column) {
        const QString text = CellText(cells.at(column));
        if (text.isEmpty())
            continue; // an empty cell, as in the .xlsx
        const std::uint32_t index = StringIndex(text);
        if (index == UINT32_MAX)
            return FailErrno(QStringLiteral("Cannot write the string table"));
        Put16(&records, kLabelSst);
        Put16(&records, 10);
        Put16(&records, sheet.rows);
        Put16(&records, static_cast<unsigned>(column));
        Put16(&records, kTextCellFormat);
        Put32(&records, index);
        ++m_cellCount;
    }
    if (!WriteBytes(m_cells, records))
        return FailErrno(QStringLiteral("Cannot write a sheet"));
    ++sheet.rows;
    sheet.columns = std::max(sheet.columns, static_cast<std::uint32_t>(cells.size()));
    return true;
}

bool Biff8Writer::EndSheet() {
    m_inSheet = false;
    Sheet& sheet = m_sheets.back();
    Bytes window;
    // Grid lines, headers, zeros, default grid colour, outline symbols; the first sheet selected and shown.
    Put16(&window, m_sheets.size() == 1 ? 0x06B6 : 0x00B6);
    Put16(&window, 0);  // top row
    Put16(&window, 0);  // left column
    Put16(&window, 64); // grid colour index
    Put16(&window, 0);
    Put16(&window, 0); // zoom in page break preview: default
    Put16(&window, 0); // zoom in normal view: default
    Put32(&window, 0);
    Bytes end = Record(kWindow2, window);
    const Bytes eof = Record(kEof, {});
    end.insert(end.end(), eof.begin(), eof.end());
    if (!WriteBytes(m_cells, end))
        return FailErrno(QStringLiteral("Cannot write a sheet"));
    // DIMENSIONS: first row, last row + 1, first column, last column + 1.
    Bytes dimensions;
    Put32(&dimensions, 0);
    Put32(&dimensions, sheet.rows);
    Put16(&dimensions, 0);
    Put16(&dimensions, sheet.columns);
    Put16(&dimensions, 0);
    const long endPosition = std::ftell(m_cells);
    if (std::fseek(m_cells, static_cast<long>(sheet.dimensionsAt + 4), SEEK_SET) != 0 ||
        !WriteBytes(m_cells, dimensions) || std::fseek(m_cells, endPosition, SEEK_SET) != 0)
        return FailErrno(QStringLiteral("Cannot write a sheet"));
    return true;
}

bool Biff8Writer::Finish() {
    if (m_done)
        return false;
    if (m_sheets.empty())
        return Fail(QStringLiteral("A workbook needs a sheet."));
    if (m_inSheet && !EndSheet())
        return false;
    m_done = true;
    std::FILE* out = std::fopen(QFile::encodeName(m_path).constData(), "w+b");
    if (!out)
        return FailErrno(QStringLiteral("Cannot create %1").arg(m_path));
    std::setvbuf(out, nullptr, _IOFBF, 1 << 16);
    const bool written = WriteWorkbook(out);
    const int writeError = errno;
    const bool closed = std::fclose(out) == 0; // fclose flushes: a full disk may show only here
    if (!written || !closed) {
        if (!written)
            errno = writeError;
        return FailErrno(QStringLiteral("Cannot write %1").arg(m_path));
    }
    return true;
}

bool Biff8Writer::WriteWorkbook(std::FILE* out) {
    const Bytes room(XlsCompoundFile::kHeaderBytes, 0);
    if (!WriteBytes(out, room))
        return false;
    const auto streamPosition = [out] {
        return static_cast<std::uint64_t>(std::ftell(out)) - XlsCompoundFile::kHeaderBytes;
    };

    // Workbook globals.
    Bytes globals = Bof(0x0005);
    const auto append = [&globals](const Bytes& record) {
        globals.insert(globals.end(), record.begin(), record.end());
    };
    Bytes d;
    Put16(&d, 1200); // strings are UTF-16
    append(Record(kCodePage, d));
    d.clear();
    for (unsigned v : {0u, 0u, 0x3000u, 0x2000u}) // window position and size, in twips
        Put16(&d, v);
    Put16(&d, 0x0038); // horizontal and vertical scroll bars, sheet tabs
    Put16(&d, 0);      // active sheet
    Put16(&d, 0);      // first visible tab
    Put16(&d, 1);      // selected sheets
    Put16(&d, 600);    // tab bar width ratio
    append(Record(kWindow1, d));
    for (int i = 0; i < 4; ++i) // font 4 is never used by BIFF readers, so 0-3 suffice
        append(Font());
    for (int i = 0; i < 15; ++i)
        append(Xf(0, true));
    append(Xf(49, false));
    d.clear();
    Put16(&d, 0x8000); // built-in style, on XF 0
    Put8(&d, 0);       // "Normal"
    Put8(&d, 0xFF);
    append(Record(kStyle, d));
    if (!WriteBytes(out, globals))
        return false;
    std::vector<long> boundSheetAt;
    for (const Sheet& sheet : m_sheets) {
        boundSheetAt.push_back(std::ftell(out));
        d.clear();
        Put32(&d, 0); // the sheet's stream position, filled in below
        Put8(&d, 0);  // visible
        Put8(&d, 0);  // worksheet
        PutString(&d, sheet.name, true);
        if (!WriteBytes(out, Record(kBoundSheet, d)))
            return false;
    }

    // Shared string table: SST, continued in CONTINUE records, then EXTSST with where every dsst-th string
    // starts. A string's count and option byte stay in one record; its characters may cross into the next
    // record, which then starts with a fresh option byte.
    const std::uint32_t perBucket = std::max<std::uint32_t>(8, (m_stringCount + 127) / 128);
    Bytes extSst;
    Put16(&extSst, perBucket);
    Bytes record;
    Put32(&record, m_cellCount);
    Put32(&record, m_stringCount);
    std::uint16_t recordType = kSst;
    std::uint64_t recordAt = streamPosition();
    const auto flush = [&]() {
        if (!WriteBytes(out, Record(recordType, record)))
            return false;
        recordAt += 4 + record.size();
        record.clear();
        recordType = kContinue;
        return true;
    };
    std::rewind(m_strings);
    std::vector<unsigned char> chars;
    for (std::uint32_t i = 0; i < m_stringCount; ++i) {
        unsigned char head[3];
        if (std::fread(head, 1, 3, m_strings) != 3)
            return false;
        const std::size_t count = head[0] | (head[1] << 8);
        const std::size_t width = (head[2] & 1) ? 2 : 1;
        if (kMaxRecordData - record.size() < 3 + width && !flush())
            return false;
        if (i % perBucket == 0) {
            const std::uint64_t offsetInRecord = 4 + record.size();
            Put32(&extSst, static_cast<std::uint32_t>(recordAt + offsetInRecord));
            Put16(&extSst, static_cast<unsigned>(offsetInRecord));
            Put16(&extSst, 0);
        }
        record.insert(record.end(), head, head + 3);
        std::size_t remaining = count;
        while (remaining > 0) {
            const std::size_t fit = std::min(remaining, (kMaxRecordData - record.size()) / width);
            if (fit == 0) {
                if (!flush())
                    return false;
                Put8(&record, head[2] & 1);
                continue;
            }
            chars.resize(fit * width);
            if (std::fread(chars.data(), 1, chars.size(), m_strings) != chars.size())
                return false;
            record.insert(record.end(), chars.begin(), chars.end());
            remaining -= fit;
        }
    }
    if (!flush() || !WriteBytes(out, Record(kExtSst, extSst)) || !WriteBytes(out, Record(kEof, {})))
        return false;

    // The sheets' substreams, after the globals; then their positions into the BOUNDSHEET records.
    const std::uint64_t sheetsAt = streamPosition();
    std::rewind(m_cells);
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), m_cells);
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out) != n)
            return false;
        if (n < buffer.size()) {
            if (std::ferror(m_cells))
                return false;
            break;
        }
    }
    std::uint64_t streamBytes = streamPosition();
    if (streamBytes < XlsCompoundFile::kMinStreamBytes) {
        if (!WriteBytes(out, Bytes(XlsCompoundFile::kMinStreamBytes - streamBytes, 0)))
            return false;
        streamBytes = XlsCompoundFile::kMinStreamBytes;
    }
    const long end = std::ftell(out);
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        Bytes position;
        Put32(&position, static_cast<std::uint32_t>(sheetsAt + m_sheets[i].offset));
        if (std::fseek(out, boundSheetAt[i] + 4, SEEK_SET) != 0 || !WriteBytes(out, position))
            return false;
    }
    if (std::fseek(out, end, SEEK_SET) != 0)
        return false;
    QString error;
    if (!XlsCompoundFile::Finish(out, streamBytes, &error))
        return false;
    return std::fflush(out) == 0;
}
