#pragma once

// BIFF8 records and compound files (the .xls format), written here independently of the program's own writer:
// the reader's tests build the cases no other program writes on request, and the .xls fuzz target wraps its
// input in a compound file. Plain bytes, no test framework.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>
#include <vector>

namespace workbook_test {

// BIFF8 records and compound files, written here independently of the program's own writer.
namespace biff {

inline QByteArray U16(unsigned v) {
    QByteArray b(2, '\0');
    b[0] = static_cast<char>(v & 0xFF);
    b[1] = static_cast<char>((v >> 8) & 0xFF);
    return b;
}
inline QByteArray U32(std::uint32_t v) {
    return U16(v & 0xFFFF) + U16(v >> 16);
}
inline QByteArray F64(double v) {
    QByteArray b(8, '\0');
    std::memcpy(b.data(), &v, 8);
    return b;
}
inline QByteArray Record(unsigned type, const QByteArray& data) {
    return U16(type) + U16(static_cast<unsigned>(data.size())) + data;
}
inline QByteArray Bof(unsigned kind) {
    return Record(0x0809, U16(0x0600) + U16(kind) + U16(0x0DBB) + U16(0x07CC) + U32(0) + U32(6));
}
inline QByteArray Eof() {
    return Record(0x000A, {});
}
// XLUnicodeString, 8-bit when every character fits, else 16-bit.
inline QByteArray String(const QString& text, bool shortCount = false) {
    bool wide = false;
    for (QChar c : text)
        wide = wide || c.unicode() > 0xFF;
    QByteArray out =
        shortCount ? QByteArray(1, static_cast<char>(text.size())) : U16(static_cast<unsigned>(text.size()));
    out += static_cast<char>(wide ? 1 : 0);
    for (QChar c : text)
        out += wide ? U16(c.unicode()) : QByteArray(1, static_cast<char>(c.unicode()));
    return out;
}
inline QByteArray Cell(unsigned type, unsigned row, unsigned col, unsigned xf, const QByteArray& rest) {
    return Record(type, U16(row) + U16(col) + U16(xf) + rest);
}
inline QByteArray LabelSst(unsigned row, unsigned col, std::uint32_t index, unsigned xf = 15) {
    return Cell(0x00FD, row, col, xf, U32(index));
}
inline QByteArray Number(unsigned row, unsigned col, double value, unsigned xf = 15) {
    return Cell(0x0203, row, col, xf, F64(value));
}

struct SheetSpec {
    QString name;
    unsigned type = 0; // BOUNDSHEET type: 0 worksheet, 2 chart
    QByteArray body;   // records between the sheet's BOF and EOF
    unsigned bofKind = 0x0010;
};

// A Workbook stream: globals (BOF, `globals`, BOUNDSHEETs, EOF) and then each sheet's substream.
inline QByteArray WorkbookStream(const QByteArray& globals, const std::vector<SheetSpec>& sheets) {
    QByteArray boundSheetsTemplate;
    for (const SheetSpec& s : sheets)
        boundSheetsTemplate += Record(0x0085, U32(0) + QByteArray(1, '\0') + QByteArray(1, static_cast<char>(s.type)) +
                                                  String(s.name, true));
    const qsizetype globalsSize = Bof(0x0005).size() + globals.size() + boundSheetsTemplate.size() + Eof().size();
    QByteArray boundSheets;
    QByteArray substreams;
    for (const SheetSpec& s : sheets) {
        const auto offset = static_cast<std::uint32_t>(globalsSize + substreams.size());
        boundSheets += Record(0x0085, U32(offset) + QByteArray(1, '\0') + QByteArray(1, static_cast<char>(s.type)) +
                                          String(s.name, true));
        substreams += Bof(s.bofKind) + s.body + Eof();
    }
    return Bof(0x0005) + globals + boundSheets + Eof() + substreams;
}

// A version 3 compound file holding one stream. Streams under 4096 bytes are stored as the format requires,
// in mini sectors inside the root entry's stream.
inline QByteArray CompoundFile(const QByteArray& stream, const QString& name = QStringLiteral("Workbook")) {
    const std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD;
    const bool mini = stream.size() < 4096;
    const auto sectors = [](qsizetype bytes, int size) {
        return static_cast<std::uint32_t>((bytes + size - 1) / size);
    };
    // Regular sectors: [data or mini container][mini FAT if mini][directory][FAT...]
    const std::uint32_t dataSectors = sectors(mini ? sectors(stream.size(), 64) * 64 : stream.size(), 512);
    const std::uint32_t miniFatSectors = mini ? 1 : 0;
    const std::uint32_t dirSector = dataSectors + miniFatSectors;
    std::uint32_t fatSectors = 1;
    while ((dirSector + 1 + fatSectors) > fatSectors * 128)
        ++fatSectors;
    std::vector<std::uint32_t> fat(fatSectors * 128, kFree);
    for (std::uint32_t i = 0; i < dataSectors; ++i)
        fat[i] = i + 1 < dataSectors ? i + 1 : kEnd;
    if (mini)
        fat[dataSectors] = kEnd;
    fat[dirSector] = kEnd;
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        fat[dirSector + 1 + i] = kFatSect;

    QByteArray header = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(16, '\0') + U16(0x3E) + U16(3) +
                        U16(0xFFFE) + U16(9) + U16(6) + QByteArray(6, '\0') + U32(0) + U32(fatSectors) +
                        U32(dirSector) + U32(0) + U32(4096) + U32(mini ? dataSectors : kEnd) + U32(miniFatSectors) +
                        U32(kEnd) + U32(0);
    for (std::uint32_t i = 0; i < 109; ++i)
        header += U32(i < fatSectors ? dirSector + 1 + i : kFree);

    QByteArray data = stream;
    data.resize(static_cast<qsizetype>(dataSectors) * 512, '\0');
    QByteArray miniFat;
    if (mini) {
        const std::uint32_t n = sectors(stream.size(), 64);
        for (std::uint32_t i = 0; i < 128; ++i)
            miniFat += U32(i < n ? (i + 1 < n ? i + 1 : kEnd) : kFree);
    }
    const auto entry = [&](const QString& entryName, int type, std::uint32_t child, std::uint32_t start,
                           std::uint32_t size) {
        QByteArray e;
        for (QChar c : entryName)
            e += U16(c.unicode());
        e.resize(64, '\0');
        e += U16(static_cast<unsigned>((entryName.size() + 1) * 2));
        e += static_cast<char>(type);
        e += static_cast<char>(1);
        e += U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U32(child);
        e += QByteArray(16 + 4 + 16, '\0');
        e += U32(start) + U32(size) + U32(0);
        return e;
    };
    QByteArray directory = entry(QStringLiteral("Root Entry"), 5, 1, mini ? 0 : kEnd,
                                 mini ? static_cast<std::uint32_t>(sectors(stream.size(), 64) * 64) : 0) +
                           entry(name, 2, 0xFFFFFFFF, 0, static_cast<std::uint32_t>(stream.size()));
    directory.resize(512, '\0');
    QByteArray fatBytes;
    for (std::uint32_t v : fat)
        fatBytes += U32(v);
    return header + data + miniFat + directory + fatBytes;
}

// The 16 cell formats every workbook starts with (15 style formats, then the default cell format 15),
// with the given number format for the cell format.
inline QByteArray CellFormats(unsigned numberFormat = 0) {
    QByteArray out;
    for (int i = 0; i < 15; ++i)
        out += Record(0x00E0, U16(0) + U16(0) + U16(0xFFF5) + QByteArray(14, '\0'));
    out += Record(0x00E0, U16(0) + U16(numberFormat) + U16(0x0001) + QByteArray(14, '\0'));
    return out;
}

} // namespace biff

} // namespace workbook_test
