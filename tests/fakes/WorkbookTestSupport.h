#pragma once

// Helpers of the workbook reader's tests and of the imports' tests: paths of the committed workbooks, picker
// choices, Debian's python3 for workbooks made at test time, and builders of small .xlsx packages and BIFF8
// compound files for cases no other program writes on request.

#include "excel_import/ExcelInfoController.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

// Readable QString values in failure messages.
[[maybe_unused]] static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace workbook_test {

inline QString DataFile(const QString& name) {
    return QStringLiteral(BULKSMS_TEST_DATA) + QStringLiteral("/workbooks/") + name;
}

// A picker choice: the sheet and its columns (number, checked), each named "c<number>".
inline ExcelInfoController::Choice Choose(int sheet, std::initializer_list<std::pair<int, bool>> columns) {
    ExcelInfoController::Choice choice{sheet, {}};
    for (const auto& [number, checked] : columns)
        choice.columns.append({number, QStringLiteral("c%1").arg(number), checked});
    return choice;
}

// Debian's interpreter, which has the python3-openpyxl / python3-xlwt / python3-xlrd modules that
// tools/deps.sh installs (a python3 earlier on PATH may be another installation without them).
inline QString Python() {
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

// Runs a python script; fails the test with its output when it does not exit 0.
inline bool RunPython(const QString& script, const QStringList& args = {}) {
    QProcess p;
    p.start(Python(), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << "python did not finish";
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << "python failed: " << p.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

// Workbooks too large to commit, written at test time by another program: kLargeRows rows, row i (from 0)
// holding the number 447700000000 + i and the text "message i". A path ending in ".xls" is written by xlwt
// (BIFF8), any other by openpyxl (.xlsx).
constexpr int kLargeRows = 60000;

inline bool WriteLargeWorkbook(const QString& path) {
    static const char* const kOpenpyxl = R"(
import sys, openpyxl
wb = openpyxl.Workbook(write_only=True)
ws = wb.create_sheet("Big")
for i in range(int(sys.argv[2])):
    ws.append([447700000000 + i, "message %d" % i])
wb.save(sys.argv[1])
)";
    static const char* const kXlwt = R"(
import sys, xlwt
wb = xlwt.Workbook()
ws = wb.add_sheet("Big")
for i in range(int(sys.argv[2])):
    ws.write(i, 0, 447700000000 + i)
    ws.write(i, 1, "message %d" % i)
wb.save(sys.argv[1])
)";
    const bool xls = path.endsWith(QLatin1String(".xls"));
    return RunPython(QString::fromUtf8(xls ? kXlwt : kOpenpyxl), {path, QString::number(kLargeRows)});
}

// An .xlsx package (a zip) from part names and contents, in memory.
// With store, parts are kept uncompressed.
inline QByteArray Zip(const std::vector<std::pair<std::string, QByteArray>>& parts, bool store = false) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("p.zip")));
    int error = 0;
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    std::vector<QByteArray> keep;
    keep.reserve(parts.size());
    for (const auto& [name, content] : parts) {
        keep.push_back(content);
        zip_source_t* source =
            zip_source_buffer(archive, keep.back().constData(), static_cast<zip_uint64_t>(keep.back().size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        EXPECT_GE(index, 0);
        if (store)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QFile file(QString::fromLocal8Bit(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

inline const char* kContentTypes =
    "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
inline const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A minimal package: one workbook part at workbookPart with the given sheets (name -> relationship type
// suffix "worksheet"/"chartsheet" and target as written in the relationship), the parts given, and
// optional shared strings.
struct XlsxParts {
    std::string workbookPart = "xl/workbook.xml";
    std::string workbookPr; // attributes of <workbookPr>, e.g. date1904="1"
    struct Sheet {
        std::string name;
        std::string type = "worksheet";
        std::string target; // as the relationship writes it
    };
    std::vector<Sheet> sheets;
    std::vector<std::pair<std::string, QByteArray>> parts; // further parts (sheets, sharedStrings.xml, ...)
    std::string sharedStringsTarget;                       // relationship target, empty for none
    std::string stylesTarget;

    QByteArray Build(bool store = false) const {
        QByteArray rootRels = QByteArray("<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                                         "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                                         "Type=\"") +
                              kRelNs + "/officeDocument\" Target=\"/" + workbookPart.c_str() + "\"/></Relationships>";
        QByteArray workbook = QByteArray("<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats."
                                         "org/spreadsheetml/2006/main\" xmlns:r=\"") +
                              kRelNs + "\">";
        if (!workbookPr.empty())
            workbook += "<workbookPr " + QByteArray(workbookPr.c_str()) + "/>";
        workbook += "<sheets>";
        QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
                          "package/2006/relationships\">";
        int id = 1;
        for (const Sheet& s : sheets) {
            workbook += "<sheet name=\"" + QByteArray(s.name.c_str()) + "\" sheetId=\"" + QByteArray::number(id) +
                        "\" r:id=\"rId" + QByteArray::number(id) + "\"/>";
            rels += "<Relationship Id=\"rId" + QByteArray::number(id) + "\" Type=\"" + kRelNs + "/" + s.type.c_str() +
                    "\" Target=\"" + s.target.c_str() + "\"/>";
            ++id;
        }
        if (!sharedStringsTarget.empty())
            rels += "<Relationship Id=\"rIdS\" Type=\"" + QByteArray(kRelNs) + "/sharedStrings\" Target=\"" +
                    sharedStringsTarget.c_str() + "\"/>";
        if (!stylesTarget.empty())
            rels += "<Relationship Id=\"rIdT\" Type=\"" + QByteArray(kRelNs) + "/styles\" Target=\"" +
                    stylesTarget.c_str() + "\"/>";
        workbook += "</sheets></workbook>";
        rels += "</Relationships>";
        const std::size_t slash = workbookPart.rfind('/');
        const std::string relsPart = (slash == std::string::npos ? std::string() : workbookPart.substr(0, slash + 1)) +
                                     "_rels/" + workbookPart.substr(slash == std::string::npos ? 0 : slash + 1) +
                                     ".rels";
        std::vector<std::pair<std::string, QByteArray>> all = {{"[Content_Types].xml", kContentTypes},
                                                               {"_rels/.rels", rootRels},
                                                               {workbookPart, workbook},
                                                               {relsPart, rels}};
        all.insert(all.end(), parts.begin(), parts.end());
        return Zip(all, store);
    }
};

// A worksheet part whose <sheetData> holds the given XML.
inline QByteArray SheetXml(const QByteArray& sheetData) {
    return "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
           "main\"><dimension ref=\"A1:XFD1048576\"/><sheetData>" +
           sheetData + "</sheetData></worksheet>";
}

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
