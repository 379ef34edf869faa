// The reader over hand-built workbooks: the corners of both formats that other programs write only now and
// then (relationship targets, inline and rich strings, strings continued across BIFF records, RK numbers,
// embedded charts, mini-stream storage), and hostile or damaged files, which must end in a failure status,
// never a crash, a hang or unbounded memory.
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/WorkbookReader.h"

#include <algorithm>
#include <initializer_list>

using namespace workbook_test;

namespace {

// Opens bytes, reads sheet 1 and returns its status; *data gets the range.
ReaderStatus ReadFirstSheet(WorkbookReader& reader, const QByteArray& bytes, SheetData* data) {
    if (ReaderStatus status = reader.OpenWorkbookData(bytes); !status)
        return status;
    if (ReaderStatus status = reader.SelectSheet(1); !status)
        return status;
    return reader.GetUsedRange(data);
}

QStringList Row(const SheetData& data, int row) {
    QStringList out;
    for (int c = 1; c <= data.Columns(); ++c)
        out << data.Cell(row, c).text;
    return out;
}

XlsxParts OneSheet(const QByteArray& sheetData, const std::string& target = "worksheets/sheet1.xml") {
    XlsxParts parts;
    parts.sheets = {{"Data", "worksheet", target}};
    parts.parts = {{"xl/worksheets/sheet1.xml", SheetXml(sheetData)}};
    return parts;
}

// --- .xlsx ---

TEST(SyntheticXlsx, RelativeAndAbsolutePartNamesReachTheSameParts) {
    const QByteArray sheet = SheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>found</t></is></c></row>");
    const struct {
        std::string workbookPart;
        std::string target;
        std::string partName;
    } cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "./sheets/../worksheets/Sheet%201.xml", "xl/worksheets/Sheet 1.xml"},
        {"book/main.xml", "../data/s.xml", "data/s.xml"},
        {"xl/workbook.xml", "WORKSHEETS/SHEET1.XML", "xl/worksheets/sheet1.xml"}, // part names ignore case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        XlsxParts parts;
        parts.workbookPart = c.workbookPart;
        parts.sheets = {{"S", "worksheet", c.target}};
        parts.parts = {{c.partName, sheet}};
        WorkbookReader reader;
        SheetData data;
        ASSERT_TRUE(ReadFirstSheet(reader, parts.Build(), &data));
        EXPECT_EQ(data.Cell(1, 1).text, QStringLiteral("found"));
    }
}

TEST(SyntheticXlsx, StringKindsEscapesAndCellsWithoutReferences) {
    XlsxParts parts = OneSheet("<row r=\"2\">"
                               "<c r=\"B2\" t=\"s\"><v>0</v></c>" // plain shared string
                               "<c t=\"s\"><v>1</v></c>"          // no reference: C2
                               "<c t=\"inlineStr\"><is><r><t>rich </t></r><r><t>inline</t></r></is></c>" // D2
                               "<c r=\"F2\" t=\"str\"><f>A1</f><v>line_x000D_break</v></c>"
                               "<c r=\"G2\" s=\"1\"/>"              // formatted, no value: not part of the used range
                               "</row><row><c><v>7</v></c></row>"); // row 3, column A
    parts.sharedStringsTarget = "sharedStrings.xml";
    parts.parts.push_back(
        {"xl/sharedStrings.xml",
         "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t xml:space=\"preserve\"> "
         "spaced _x005F_x0041_ </t></si><si><r><t>Tokyo</t></r><rPh sb=\"0\" eb=\"2\"><t>TOUKYOU</t></rPh></si>"
         "</sst>"});
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(ReadFirstSheet(reader, parts.Build(), &data));
    EXPECT_EQ(data.FirstSheetRow(), 2);
    EXPECT_EQ(data.FirstSheetColumn(), 1);
    EXPECT_EQ(data.Rows(), 2);
    EXPECT_EQ(data.Columns(), 6);
    EXPECT_EQ(Row(data, 1), QStringList({"", " spaced _x0041_ ", "Tokyo", "rich inline", "", "line\rbreak"}));
    EXPECT_EQ(Row(data, 2), QStringList({"7", "", "", "", "", ""}));
}

TEST(SyntheticXlsx, OnlyCellsOfSheetDataCount) {
    XlsxParts parts;
    parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {{"xl/worksheets/sheet1.xml",
                    "<worksheet><sheetData><row r=\"2\"><c r=\"B2\"><v>1</v></c></row></sheetData>"
                    "<extLst><ext><c r=\"A1\"><v>9</v></c></ext></extLst></worksheet>"}};
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(ReadFirstSheet(reader, parts.Build(), &data));
    EXPECT_EQ(data.FirstSheetRow(), 2);
    EXPECT_EQ(data.Rows(), 1);
}

TEST(SyntheticXlsx, DatesFollowTheCellFormatAndTheDateSystem) {
    XlsxParts parts = OneSheet("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>45356</v></c><c r=\"B1\" s=\"2\"><v>45356.5</v>"
                               "</c><c r=\"C1\" s=\"3\"><v>45356</v></c><c r=\"D1\" s=\"4\"><v>0.75</v></c>"
                               "<c r=\"E1\" t=\"d\"><v>2024-03-05T08:00:00</v></c></row>");
    parts.stylesTarget = "styles.xml";
    parts.parts.push_back({"xl/styles.xml",
                           "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>"
                           "<numFmt numFmtId=\"164\" formatCode=\"[$-409]d\\-mmm\\-yy;@\"/><numFmt numFmtId=\"165\" "
                           "formatCode=\"&quot;day&quot;\\ 0\"/></numFmts><cellStyleXfs><xf numFmtId=\"14\"/>"
                           "</cellStyleXfs><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"22\"/>"
                           "<xf numFmtId=\"165\"/><xf numFmtId=\"46\"/></cellXfs></styleSheet>"});
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(ReadFirstSheet(reader, parts.Build(), &data));
    EXPECT_EQ(Row(data, 1),
              QStringList({"05/03/2024", "05/03/2024 12:00:00", "45356", "18:00:00", "05/03/2024 08:00:00"}));

    parts.workbookPr = "date1904=\"1\"";
    ASSERT_TRUE(ReadFirstSheet(reader, parts.Build(), &data));
    EXPECT_EQ(data.Cell(1, 1).text, QStringLiteral("06/03/2028"));
}

TEST(SyntheticXlsx, SparseHugeRangeIsCheapAndCellsOutsideTheGridAreRefused) {
    // A reader that keeps at most two values reads the whole-sheet range: the range costs its values, not its
    // rectangle.
    ReaderLimits twoValues;
    twoValues.maxCells = 2;
    WorkbookReader sparse(twoValues);
    SheetData data;
    ASSERT_TRUE(
        ReadFirstSheet(sparse,
                       OneSheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"1048576\"><c r=\"XFD1048576\">"
                                "<v>2</v></c></row>")
                           .Build(),
                       &data));
    EXPECT_EQ(data.Rows(), 1048576);
    EXPECT_EQ(data.Columns(), 16384);
    EXPECT_EQ(data.Cell(1, 1).text, QStringLiteral("1"));
    EXPECT_EQ(data.Cell(1048576, 16384).text, QStringLiteral("2"));
    EXPECT_EQ(data.Cell(500000, 9000).text, QString());

    WorkbookReader reader;

    for (const char* cell : {"<c r=\"XFE1\"><v>1</v></c>", "<c r=\"A1048577\"><v>1</v></c>", "<c r=\"A0\"><v>1</v></c>",
                             "<c r=\"1A\"><v>1</v></c>", "<c r=\"AAAAA1\"><v>1</v></c>", "<c r=\"A1\"><v>12abc</v></c>",
                             "<c r=\"A1\" t=\"s\"><v>0</v></c>", "<c r=\"A1\" t=\"s\"><v>-1</v></c>"}) {
        SCOPED_TRACE(cell);
        const ReaderStatus status =
            ReadFirstSheet(reader, OneSheet(QByteArray("<row>") + cell + "</row>").Build(), &data);
        EXPECT_EQ(status.error, ReaderError::AutomationError);
        EXPECT_TRUE(status.detail.startsWith(QStringLiteral("The workbook is damaged"))) << status.detail.toStdString();
    }
    const ReaderStatus badRow = ReadFirstSheet(reader, OneSheet("<row r=\"1048577\"/>").Build(), &data);
    EXPECT_EQ(badRow.error, ReaderError::AutomationError);
}

TEST(SyntheticXlsx, ZipBombAndTooManyValuesAreRefusedAtTheLimit) {
    ReaderLimits limits;
    limits.maxPartBytes = 1 << 20;
    limits.maxCells = 1000;
    WorkbookReader reader(limits);
    SheetData data;
    // 4 MB of white space deflates to a few kilobytes.
    XlsxParts bomb = OneSheet(QByteArray(4 << 20, ' '));
    const QByteArray bombBytes = bomb.Build();
    EXPECT_LT(bombBytes.size(), 64 * 1024);
    ReaderStatus status = ReadFirstSheet(reader, bombBytes, &data);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_TRUE(status.detail.contains(QStringLiteral("inflates"))) << status.detail.toStdString();

    QByteArray many;
    for (int i = 1; i <= 1001; ++i)
        many += "<row><c><v>" + QByteArray::number(i) + "</v></c></row>";
    status = ReadFirstSheet(reader, OneSheet(many).Build(), &data);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_TRUE(status.detail.contains(QStringLiteral("more values"))) << status.detail.toStdString();
    many.chop(QByteArray("<row><c><v>1001</v></c></row>").size());
    EXPECT_TRUE(ReadFirstSheet(reader, OneSheet(many).Build(), &data));
    EXPECT_EQ(data.Rows(), 1000);

    // One cell whose text runs on for megabytes (deflated to almost nothing), within the default part limit.
    WorkbookReader unlimited;
    status = ReadFirstSheet(
        unlimited,
        OneSheet("<row><c t=\"inlineStr\"><is><t>" + QByteArray(2 << 20, 'a') + "</t></is></c></row>").Build(), &data);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_TRUE(status.detail.contains(QStringLiteral("longer than a cell"))) << status.detail.toStdString();
}

TEST(SyntheticXlsx, DocumentTypeDeclarationsAreRefused) {
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                              "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet xmlns=\"http://schemas.openxmlformats."
                              "org/spreadsheetml/2006/main\"><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t></is>"
                              "</c></row></sheetData></worksheet>";
    XlsxParts parts;
    parts.sheets = {{"Data", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {{"xl/worksheets/sheet1.xml", laughs}};
    WorkbookReader reader;
    SheetData data;
    const ReaderStatus status = ReadFirstSheet(reader, parts.Build(), &data);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_TRUE(status.detail.contains(QStringLiteral("document type"))) << status.detail.toStdString();
}

TEST(SyntheticXlsx, MissingOrDamagedPartsFailCleanly) {
    WorkbookReader reader;
    SheetData data;
    // No workbook part at all.
    ReaderStatus status = reader.OpenWorkbookData(Zip({{"hello.txt", "hi"}}));
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
    EXPECT_EQ(status.Message(), QStringLiteral("Failed to open Excel file!\nThe file holds no spreadsheet."));
    // A sheet whose relationship or part is missing, or whose XML is cut short.
    XlsxParts noPart;
    noPart.sheets = {{"Gone", "worksheet", "worksheets/gone.xml"}};
    EXPECT_EQ(ReadFirstSheet(reader, noPart.Build(), &data).error, ReaderError::AutomationError);
    EXPECT_EQ(ReadFirstSheet(reader, OneSheet("<row><c><v>1</v></c>").Build(), &data).error,
              ReaderError::AutomationError);
    // Sheets of other kinds are listed but not read.
    XlsxParts kinds;
    kinds.sheets = {{"Dialog", "dialogsheet", "dialogsheets/d.xml"}, {"Chart", "chartsheet", "chartsheets/c.xml"}};
    ASSERT_TRUE(reader.OpenWorkbookData(kinds.Build()));
    EXPECT_EQ(reader.SheetKindOf(1), SheetKind::Other);
    EXPECT_EQ(reader.SheetKindOf(2), SheetKind::Chart);
    EXPECT_EQ(reader.SelectSheet(1).error, ReaderError::SheetFailed);

    // A stored (uncompressed) sheet part changed after its checksum was written: still well-formed XML, but
    // the zip's CRC no longer matches.
    QByteArray damaged = OneSheet("<row><c t=\"inlineStr\"><is><t>MARKER-TEXT</t></is></c></row>").Build(true);
    const qsizetype at = damaged.indexOf("MARKER-TEXT");
    ASSERT_GE(at, 0);
    damaged[at] = 'N';
    status = ReadFirstSheet(reader, damaged, &data);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_TRUE(status.detail.contains(QStringLiteral("damaged"))) << status.detail.toStdString();
}

// --- .xls ---

using namespace workbook_test::biff;

QByteArray Sst(const std::vector<QByteArray>& segments, unsigned total, unsigned unique) {
    QByteArray out = Record(0x00FC, U32(total) + U32(unique) + segments.front());
    for (std::size_t i = 1; i < segments.size(); ++i)
        out += Record(0x003C, segments[i]);
    return out;
}

TEST(SyntheticXls, StringsContinuedAcrossRecordsRichTextAndPhonetics) {
    // String 0 is split: its first 3 characters 8-bit in the SST record, the rest 16-bit in a CONTINUE that
    // starts with a fresh option byte. String 1 has two rich-text runs and 6 bytes of phonetic data, split too.
    const QByteArray first = U16(6) + QByteArray(1, '\0') + QByteArray("abc");
    const QByteArray second = QByteArray(1, '\x01') + U16(0x0434) + U16(0x0435) + U16(0x0444);
    const QByteArray rich = U16(4) + QByteArray(1, '\x0C') + U16(2) + U32(6) + QByteArray("rich") + U32(0) + U32(1);
    const QByteArray sst = Sst({first, second + rich + QByteArray(2, 'p'), QByteArray(4, 'q')}, 3, 2);
    const QByteArray stream =
        WorkbookStream(CellFormats() + sst, {{QStringLiteral("S"), 0, LabelSst(0, 0, 0) + LabelSst(0, 1, 1)}});
    for (const QByteArray& file : {CompoundFile(stream), CompoundFile(stream + QByteArray(5000, '\0'))}) {
        WorkbookReader reader;
        SheetData data;
        ASSERT_TRUE(ReadFirstSheet(reader, file, &data)); // the first file keeps its stream in mini sectors
        EXPECT_EQ(Row(data, 1), QStringList({QStringLiteral("abc\u0434\u0435\u0444"), QStringLiteral("rich")}));
    }
}

TEST(SyntheticXls, NumberRecordsAndFormulaResults) {
    const auto rk = [](unsigned row, unsigned col, std::uint32_t value) {
        return Cell(0x027E, row, col, 15, U32(value));
    };
    // RK: integer 1234 (<<2 | fInt), integer 123456 / 100, a double by its high 30 bits (1.5), 150 / 100.
    const std::uint32_t doubleBits = static_cast<std::uint32_t>(0x3FF80000u);
    const std::uint32_t double150 = static_cast<std::uint32_t>(0x4062C000u);
    QByteArray body = rk(0, 0, (1234u << 2) | 2) + rk(0, 1, (123456u << 2) | 3) + rk(0, 2, doubleBits) +
                      rk(0, 3, double150 | 1) + rk(0, 4, static_cast<std::uint32_t>(-7 * 4) | 2);
    // MULRK over row 1, columns 1..3.
    body += Record(0x00BD, U16(1) + U16(1) + U16(15) + U32((10u << 2) | 2) + U16(15) + U32((20u << 2) | 2) + U16(15) +
                               U32((30u << 2) | 2) + U16(3));
    const auto formula = [](unsigned row, unsigned col, const QByteArray& value) {
        return Cell(0x0006, row, col, 15, value + U16(0) + U32(0) + U16(0));
    };
    body += formula(2, 0, F64(447700900123.0));
    body += formula(2, 1, QByteArray::fromHex("0000000000000000").replace(6, 2, "\xFF\xFF")); // string follows
    // The STRING record with its text continued in a CONTINUE record switching to 16-bit.
    body += Record(0x0207, U16(4) + QByteArray(1, '\0') + QByteArray("ok"));
    body += Record(0x003C, QByteArray(1, '\x01') + U16('!') + U16(0x263A));
    body += formula(2, 2, QByteArray::fromHex("0100010000000000").replace(6, 2, "\xFF\xFF")); // TRUE
    body += formula(2, 3, QByteArray::fromHex("0200070000000000").replace(6, 2, "\xFF\xFF")); // #DIV/0!
    body += formula(2, 4, QByteArray::fromHex("0300000000000000").replace(6, 2, "\xFF\xFF")); // ""
    body += Cell(0x0205, 3, 0, 15, QByteArray("\x01\x00", 2)) + Cell(0x0205, 3, 1, 15, QByteArray("\x2A\x01", 2));
    // LABEL with a 16-bit string, and a chart embedded in the sheet whose records are not cells of it.
    body += Cell(0x0204, 3, 2, 15, String(QStringLiteral("\u0416abel")));
    body += Bof(0x0020) + Number(9, 9, 99) + Eof();
    const QByteArray stream = WorkbookStream(CellFormats(), {{QStringLiteral("S"), 0, body}});
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(ReadFirstSheet(reader, CompoundFile(stream), &data));
    EXPECT_EQ(data.Rows(), 4);
    EXPECT_EQ(data.Columns(), 5);
    EXPECT_EQ(Row(data, 1), QStringList({"1234", "1234.56", "1.5", "1.5", "-7"}));
    EXPECT_EQ(Row(data, 2), QStringList({"", "10", "20", "30", ""}));
    EXPECT_EQ(Row(data, 3), QStringList({"447700900123", QStringLiteral("ok!\u263A"), "TRUE", "#DIV/0!", ""}));
    EXPECT_EQ(data.Cell(3, 4).kind, CellValue::Kind::Error);
    EXPECT_EQ(data.Cell(3, 5).kind, CellValue::Kind::Text);
    EXPECT_EQ(Row(data, 4), QStringList({"TRUE", "#N/A", QStringLiteral("\u0416abel"), "", ""}));
    EXPECT_EQ(data.Cell(4, 2).kind, CellValue::Kind::Error);
}

TEST(SyntheticXls, ChartSheetsMacroSheetsAndModules) {
    const QByteArray stream =
        WorkbookStream(CellFormats(), {{QStringLiteral("Data"), 0, Number(0, 0, 1)},
                                       {QStringLiteral("Chart1"), 2, Record(0x1002, QByteArray(16, '\0')), 0x0020},
                                       {QStringLiteral("Macro1"), 1, {}, 0x0040},
                                       {QStringLiteral("Module1"), 6, {}, 0x0006}});
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbookData(CompoundFile(stream)));
    ASSERT_EQ(reader.SheetCount(), 3); // the code module is not a sheet
    EXPECT_EQ(reader.SheetKindOf(2), SheetKind::Chart);
    EXPECT_EQ(reader.SheetKindOf(3), SheetKind::Other);
    const ReaderStatus status = reader.SelectSheet(2);
    EXPECT_EQ(status.error, ReaderError::SheetFailed);
    EXPECT_TRUE(status.Message().startsWith(QStringLiteral("Failed to get Excel Worksheet!")));
}

TEST(SyntheticXls, DateFormatsAndThe1904System) {
    const QByteArray format = Record(0x041E, U16(164) + String(QStringLiteral("dd/mm/yy hh:mm")));
    QByteArray globals = format + CellFormats(164);
    globals += Record(0x00E0, U16(0) + U16(14) + U16(0x0001) + QByteArray(14, '\0')); // XF 16: built-in date
    const QByteArray body = Number(0, 0, 45356.25, 15) + Number(0, 1, 45356, 16) + Number(0, 2, 45356, 0);
    WorkbookReader reader;
    SheetData data;
    ASSERT_TRUE(ReadFirstSheet(reader, CompoundFile(WorkbookStream(globals, {{QStringLiteral("S"), 0, body}})), &data));
    EXPECT_EQ(Row(data, 1), QStringList({"05/03/2024 06:00:00", "05/03/2024", "45356"}));
    ASSERT_TRUE(ReadFirstSheet(
        reader, CompoundFile(WorkbookStream(Record(0x0022, U16(1)) + globals, {{QStringLiteral("S"), 0, body}})),
        &data));
    EXPECT_EQ(data.Cell(1, 2).text, QStringLiteral("06/03/2028"));
}

TEST(SyntheticXls, ProtectedOldDamagedAndHostileFilesFailCleanly) {
    const QByteArray sheet = Number(0, 0, 1);
    WorkbookReader reader;
    SheetData data;
    // FILEPASS: the workbook is encrypted.
    ReaderStatus status = reader.OpenWorkbookData(
        CompoundFile(WorkbookStream(Record(0x002F, U16(1) + QByteArray(52, '\0')), {{QStringLiteral("S"), 0, sheet}})));
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_EQ(status.detail, QStringLiteral("The workbook is protected by a password."));
    // Excel 5.0/95 keeps its workbook in a "Book" stream.
    status = reader.OpenWorkbookData(CompoundFile(QByteArray(5000, '\0'), QStringLiteral("Book")));
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
    EXPECT_TRUE(status.Message().contains(QStringLiteral("Excel 5.0/95")));
    // A compound file of another program.
    status = reader.OpenWorkbookData(CompoundFile(QByteArray(5000, 'x'), QStringLiteral("WordDocument")));
    EXPECT_EQ(status.Message(), QStringLiteral("Failed to open Excel file!\nThe file is not an Excel workbook."));

    const std::pair<const char*, QByteArray> damagedSheets[] = {
        {"a string index past the table", LabelSst(0, 0, 5)},
        {"a short cell record", Record(0x0203, U16(0) + U16(0))},
        {"a column past the largest sheet", Number(0, 20000, 1)},
        {"a MULRK of odd size", Record(0x00BD, U16(0) + U16(0) + U16(15) + U32(2) + U16(0) + U16(0))},
        {"a LABEL shorter than its count", Cell(0x0204, 0, 0, 15, U16(50) + QByteArray(1, '\0') + "ab")},
    };
    for (const auto& [what, body] : damagedSheets) {
        SCOPED_TRACE(what);
        status = ReadFirstSheet(reader, CompoundFile(WorkbookStream(CellFormats(), {{QStringLiteral("S"), 0, body}})),
                                &data);
        EXPECT_EQ(status.error, ReaderError::AutomationError);
    }
    // A sheet whose EOF is missing, and a BOUNDSHEET pointing anywhere but a BOF.
    QByteArray truncated = WorkbookStream(CellFormats(), {{QStringLiteral("S"), 0, sheet}});
    truncated.chop(4);
    EXPECT_EQ(ReadFirstSheet(reader, CompoundFile(truncated), &data).error, ReaderError::AutomationError);
    QByteArray misplaced = WorkbookStream(CellFormats(), {{QStringLiteral("S"), 0, sheet}});
    const qsizetype bound = misplaced.indexOf(QByteArray::fromHex("8500"));
    misplaced.replace(bound + 4, 4, U32(3));
    EXPECT_EQ(ReadFirstSheet(reader, CompoundFile(misplaced), &data).error, ReaderError::AutomationError);

    // A sector chain that loops back on itself, in the FAT of the first sector of the stream.
    QByteArray looping =
        CompoundFile(WorkbookStream(CellFormats(), {{QStringLiteral("S"), 0, sheet}}) + QByteArray(5000, '\0'));
    const std::uint32_t fatSector =
        static_cast<std::uint8_t>(looping[76]) | (static_cast<std::uint8_t>(looping[77]) << 8);
    const qsizetype fatOffset = 512 + static_cast<qsizetype>(fatSector) * 512;
    looping.replace(fatOffset + 4 * 3, 4, U32(0)); // sector 3 -> sector 0
    // Refused, not followed round for ever (the test's time-out would end a hang).
    status = reader.OpenWorkbookData(looping);
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
    EXPECT_EQ(reader.SheetCount(), 0);
}

// Cut and corrupted copies of each committed workbook end in a status: the reader never crashes or hangs on
// them, and every step fails only in the ways its callers handle. (The fuzz targets go much further.)
TEST(DamagedWorkbooks, TruncatedAndCorruptedCommittedFilesEndInAStatus) {
    const auto oneOf = [](ReaderError error, std::initializer_list<ReaderError> kinds) {
        return std::find(kinds.begin(), kinds.end(), error) != kinds.end();
    };
    for (const char* name : {"openpyxl_sheets.xlsx", "xlwt_sheets.xls", "libreoffice_formulas.xls",
                             "libreoffice_formulas.xlsx", "libreoffice_password.xlsx"}) {
        SCOPED_TRACE(name);
        QFile file(DataFile(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        std::uint32_t seed = 12345;
        const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
        int opened = 0;
        int refused = 0;
        for (int trial = 0; trial < 300; ++trial) {
            SCOPED_TRACE(trial);
            QByteArray damaged = bytes;
            if (trial % 2 == 0) {
                damaged.truncate(static_cast<qsizetype>(next() % static_cast<std::uint32_t>(bytes.size())));
            } else {
                for (int flips = 0; flips < 4; ++flips)
                    damaged[next() % static_cast<std::uint32_t>(bytes.size())] = static_cast<char>(next() >> 16);
            }
            WorkbookReader reader;
            const ReaderStatus open = reader.OpenWorkbookData(damaged);
            if (!open) {
                ++refused;
                EXPECT_TRUE(oneOf(open.error, {ReaderError::OpenFailed, ReaderError::AutomationError}))
                    << open.Message().toStdString();
                EXPECT_EQ(reader.SheetCount(), 0);
                continue;
            }
            ++opened;
            for (int sheet = 1; sheet <= reader.SheetCount(); ++sheet) {
                const ReaderStatus selected = reader.SelectSheet(sheet);
                if (!selected) {
                    EXPECT_EQ(selected.error, ReaderError::SheetFailed) << selected.Message().toStdString();
                    continue;
                }
                SheetData data;
                const ReaderStatus range = reader.GetUsedRange(&data);
                if (!range) {
                    EXPECT_TRUE(oneOf(range.error, {ReaderError::SheetEmpty, ReaderError::AutomationError}))
                        << range.Message().toStdString();
                    if (range.error == ReaderError::SheetEmpty) {
                        EXPECT_EQ(data.Rows() + data.Columns(), 0);
                    }
                    continue;
                }
                EXPECT_GE(data.Rows(), 1);
                EXPECT_GE(data.Columns(), 1);
                QString text;
                for (int r = 1; r <= std::min(data.Rows(), 50); ++r) {
                    for (int c = 1; c <= std::min(data.Columns(), 10); ++c) {
                        const ReaderStatus cell = reader.CellText(r, c, &text);
                        if (!cell) {
                            EXPECT_EQ(cell.error, ReaderError::AutomationError);
                            EXPECT_TRUE(text.isEmpty());
                        }
                    }
                }
            }
        }
        // Cutting a file short is refused at least sometimes; the rest reached the sheets and cells above.
        EXPECT_GT(refused, 0) << opened << " opened";
    }
}

} // namespace
