// The workbook reader over workbooks made by other programs (tests/data/workbooks, see its README): the same
// sheets written by openpyxl (.xlsx), xlwt (.xls) and LibreOffice (.xls), formulas with cached results and
// error values, and password-protected files.
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/WorkbookReader.h"

#include <sys/stat.h>

using workbook_test::DataFile;

namespace {

struct Geometry {
    QString sheet;
    int rows;
    int columns;
    int firstRow;
    int firstColumn;
    QString topLeft;
};

class SheetsOfEveryProducer : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override { ASSERT_TRUE(m_reader.OpenWorkbook(DataFile(GetParam()))) << GetParam().toStdString(); }
    void TearDown() override { m_reader.CloseWorkbook(); }

    int SheetNumber(const QString& name) const {
        for (int i = 1; i <= m_reader.SheetCount(); ++i) {
            if (m_reader.SheetName(i) == name)
                return i;
        }
        ADD_FAILURE() << "no sheet " << name.toStdString();
        return 0;
    }

    SheetData Read(const QString& name) {
        SheetData data;
        EXPECT_TRUE(m_reader.SelectSheet(SheetNumber(name)));
        EXPECT_TRUE(m_reader.GetUsedRange(&data));
        return data;
    }

    WorkbookReader m_reader;
};

TEST_P(SheetsOfEveryProducer, UsedRangeStartsAtTheFirstValueWhereverItStands) {
    const Geometry cases[] = {
        {QStringLiteral("AtC3"), 3, 3, 3, 3, QStringLiteral("r1c1")},
        // The only value in B2 is read as itself, not as an empty A1 (see the report on this mended rule).
        {QStringLiteral("SingleB2"), 1, 1, 2, 2, QStringLiteral("+447700900123")},
        {QStringLiteral("SingleA1"), 1, 1, 1, 1, QStringLiteral("only")},
        {QStringLiteral("Headers"), 2, 6, 1, 1, QStringLiteral("Mobile")},
    };
    for (const Geometry& g : cases) {
        SCOPED_TRACE(g.sheet.toStdString());
        const SheetData data = Read(g.sheet);
        EXPECT_EQ(data.Rows(), g.rows);
        EXPECT_EQ(data.Columns(), g.columns);
        EXPECT_EQ(data.FirstSheetRow(), g.firstRow);
        EXPECT_EQ(data.FirstSheetColumn(), g.firstColumn);
        QString text;
        EXPECT_TRUE(m_reader.CellText(1, 1, &text));
        EXPECT_EQ(text, g.topLeft);
    }
    const SheetData data = Read(QStringLiteral("AtC3"));
    QString text;
    EXPECT_TRUE(m_reader.CellText(3, 3, &text));
    EXPECT_EQ(text, QStringLiteral("r3c3"));
    // Outside the used range, and an empty cell inside it, give the empty text.
    for (const auto& [row, column] : {std::pair{0, 1}, {1, 0}, {4, 1}, {1, 4}, {-3, 2}, {100000, 100000}}) {
        text = QStringLiteral("stale");
        EXPECT_TRUE(m_reader.CellText(row, column, &text));
        EXPECT_EQ(text, QString()) << row << "," << column;
    }
    Read(QStringLiteral("Headers"));
    EXPECT_TRUE(m_reader.CellText(1, 2, &text));
    EXPECT_EQ(text, QString());
    EXPECT_TRUE(m_reader.CellText(1, 5, &text));
    EXPECT_EQ(text, QStringLiteral("   ")); // text is not trimmed
}

TEST_P(SheetsOfEveryProducer, EmptySheetIsSheetEmptyWithItsNotice) {
    EXPECT_TRUE(m_reader.SelectSheet(SheetNumber(QStringLiteral("Empty"))));
    SheetData data;
    const ReaderStatus status = m_reader.GetUsedRange(&data);
    EXPECT_EQ(status.error, ReaderError::SheetEmpty);
    EXPECT_EQ(status.Message(), QStringLiteral("Excel sheet is empty."));
    EXPECT_EQ(data.Rows(), 0);
    EXPECT_EQ(data.Columns(), 0);
}

TEST_P(SheetsOfEveryProducer, NumbersBooleansAndDatesAsText) {
    const SheetData data = Read(QStringLiteral("Numbers"));
    const std::pair<const char*, const char*> expected[] = {
        {"twelve digits", "447700900123"},
        {"fifteen digits", "123456789012345"},
        {"sixteen digits", "1.23456789012346E+15"},
        {"half", "0.5"},
        {"negative", "-42"},
        {"pi", "3.14159"},
        {"tiny", "1E-07"},
        {"third", "0.333333333333333"},
        {"leading zero text", "07700900123"},
        {"padded text", "  padded  "},
        {"unicode", "Gr\u00fc\u00dfe \u263a \U0001F600"},
        {"two lines", "line1\nline2"},
        {"true", "TRUE"},
        {"false", "FALSE"},
        {"date", "05/03/2024"},
        {"date and time", "05/03/2024 14:30:15"},
        {"time", "09:05:00"},
        {"percent", "0.25"},
    };
    ASSERT_EQ(data.Rows(), static_cast<int>(std::size(expected)));
    for (int row = 1; row <= data.Rows(); ++row) {
        const auto& [label, value] = expected[row - 1];
        QString text;
        EXPECT_TRUE(m_reader.CellText(row, 1, &text));
        EXPECT_EQ(text, QString::fromUtf8(label));
        EXPECT_TRUE(m_reader.CellText(row, 2, &text));
        EXPECT_EQ(text, QString::fromUtf8(value)) << label;
    }
}

TEST_P(SheetsOfEveryProducer, EmptyHeadersAreNumberedUntitledColumns) {
    Read(QStringLiteral("Headers"));
    QList<WorkbookReader::ColumnName> names;
    EXPECT_TRUE(m_reader.ColumnNames(WorkbookReader::kNoLimit, &names));
    const QList<WorkbookReader::ColumnName> expected = {
        {1, QStringLiteral("Mobile"), QStringLiteral("<COL-1>")},
        {2, QStringLiteral("Untitled Column 1"), QStringLiteral("<COL-2>")},
        {3, QStringLiteral("Name"), QStringLiteral("<COL-3>")},
        {4, QStringLiteral("City"), QStringLiteral("<COL-4>")},
        {5, QStringLiteral("Untitled Column 2"), QStringLiteral("<COL-5>")},
        {6, QStringLiteral("Note"), QStringLiteral("<COL-6>")},
    };
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(m_reader.ColumnNames(3, &names));
    EXPECT_EQ(names, expected.mid(0, 3));
}

INSTANTIATE_TEST_SUITE_P(Producers, SheetsOfEveryProducer,
                         ::testing::Values(QStringLiteral("openpyxl_sheets.xlsx"), QStringLiteral("xlwt_sheets.xls"),
                                           QStringLiteral("libreoffice_sheets.xls")),
                         [](const auto& param) {
                             return param.param.left(param.param.indexOf(QLatin1Char('.'))).toStdString() +
                                    (param.param.endsWith(QLatin1String("xlsx")) ? "_xlsx" : "_xls");
                         });

TEST(WorkbookReader, SheetsAreListedInWorkbookOrderWithTheirKind) {
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbook(DataFile(QStringLiteral("openpyxl_sheets.xlsx"))));
    QStringList names;
    for (int i = 1; i <= reader.SheetCount(); ++i)
        names << reader.SheetName(i);
    EXPECT_EQ(names, QStringList({"AtC3", "SingleB2", "Empty", "Chart", "SingleA1", "Headers", "Numbers"}));
    EXPECT_EQ(reader.SheetKindOf(4), SheetKind::Chart);
    EXPECT_EQ(reader.SheetKindOf(1), SheetKind::Worksheet);
    EXPECT_EQ(reader.SheetName(0), QString());
    EXPECT_EQ(reader.SheetName(8), QString());

    QStringList listed;
    EXPECT_TRUE(WorkbookReader::ReadSheetNames(DataFile(QStringLiteral("xlwt_sheets.xls")), &listed));
    EXPECT_EQ(listed, QStringList({"AtC3", "SingleB2", "Empty", "SingleA1", "Headers", "Numbers"}));
}

TEST(WorkbookReader, ChartSheetOrMissingSheetIsSheetFailed) {
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbook(DataFile(QStringLiteral("openpyxl_sheets.xlsx"))));
    for (int sheet : {4, 0, 8}) {
        const ReaderStatus status = reader.SelectSheet(sheet);
        EXPECT_EQ(status.error, ReaderError::SheetFailed) << sheet;
        EXPECT_TRUE(status.Message().startsWith(QStringLiteral("Failed to get Excel Worksheet!")));
        SheetData data;
        EXPECT_EQ(reader.GetUsedRange(&data).error, ReaderError::RangeFailed);
    }
    EXPECT_EQ(reader.SelectSheet(4).Message(),
              QStringLiteral("Failed to get Excel Worksheet!\nThe sheet Chart is a chart sheet, not a worksheet."));
}

class Formulas : public ::testing::TestWithParam<QString> {};

TEST_P(Formulas, CachedResultsAreReadAndErrorValuesStopTheRead) {
    WorkbookReader reader;
    ASSERT_TRUE(reader.OpenWorkbook(DataFile(GetParam())));
    ASSERT_TRUE(reader.SelectSheet(1));
    SheetData data;
    ASSERT_TRUE(reader.GetUsedRange(&data));
    EXPECT_EQ(data.Rows(), 11);
    EXPECT_EQ(data.Columns(), 5);
    const std::pair<int, const char*> values[] = {
        {1, "12"}, {4, "abc6"}, {5, "TRUE"}, {7, "447700900123"}, {8, ""},
    };
    for (const auto& [row, value] : values) {
        QString text;
        EXPECT_TRUE(reader.CellText(row, 3, &text)) << row;
        EXPECT_EQ(text, QString::fromUtf8(value)) << row;
    }
    QString longText;
    EXPECT_TRUE(reader.CellText(9, 3, &longText));
    EXPECT_EQ(longText, QStringLiteral("ab").repeated(150));
    // A run of integers (one MULRK record in the .xls).
    for (int c = 1; c <= 5; ++c) {
        QString text;
        EXPECT_TRUE(reader.CellText(11, c, &text));
        EXPECT_EQ(text, QString::number(c * 10));
    }
    const std::pair<int, const char*> errors[] = {{2, "#DIV/0!"}, {3, "#N/A"}, {6, "#VALUE!"}};
    for (const auto& [row, code] : errors) {
        QString text = QStringLiteral("stale");
        const ReaderStatus status = reader.CellText(row, 3, &text);
        EXPECT_EQ(status.error, ReaderError::AutomationError) << row;
        EXPECT_EQ(status.Message(), QStringLiteral("Excel Error : File reading process is discarded."));
        EXPECT_TRUE(status.detail.contains(QString::fromUtf8(code))) << status.detail.toStdString();
        EXPECT_EQ(text, QString());
        const CellValue cell = data.Cell(row, 3);
        EXPECT_EQ(cell.kind, CellValue::Kind::Error);
        EXPECT_EQ(cell.text, QString::fromUtf8(code));
    }
    QList<WorkbookReader::ColumnName> names;
    EXPECT_TRUE(reader.ColumnNames(10, &names));
    EXPECT_EQ(names.size(), 5);
    EXPECT_EQ(names[2].name, QStringLiteral("12"));
}

INSTANTIATE_TEST_SUITE_P(LibreOffice, Formulas,
                         ::testing::Values(QStringLiteral("libreoffice_formulas.xlsx"),
                                           QStringLiteral("libreoffice_formulas.xls")),
                         [](const auto& param) {
                             return std::string(param.param.endsWith(QLatin1String("xlsx")) ? "xlsx" : "xls");
                         });

TEST(WorkbookReader, PasswordProtectedWorkbookIsAutomationError) {
    for (const char* name : {"libreoffice_password.xlsx", "libreoffice_password.xls"}) {
        SCOPED_TRACE(name);
        WorkbookReader reader;
        const ReaderStatus status = reader.OpenWorkbook(DataFile(QString::fromUtf8(name)));
        EXPECT_EQ(status.error, ReaderError::AutomationError);
        EXPECT_EQ(status.Message(), QStringLiteral("Excel Error : File reading process is discarded."));
        EXPECT_EQ(status.detail, QStringLiteral("The workbook is protected by a password."));
        EXPECT_EQ(reader.SheetCount(), 0);
    }
}

TEST(WorkbookReader, UnopenableFilesAreOpenFailedWithTheSystemReason) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.xlsx"));
    WorkbookReader reader;
    ReaderStatus status = reader.OpenWorkbook(missing);
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
    EXPECT_EQ(status.Message(), QStringLiteral("Failed to open Excel file!\nNo such file or directory"));

    status = reader.OpenWorkbook(dir.path());
    EXPECT_EQ(status.Message(), QStringLiteral("Failed to open Excel file!\nIs a directory"));
    // A named pipe is refused without being opened (opening it would wait for a writer).
    const QString fifo = dir.filePath(QStringLiteral("pipe.xlsx"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    status = reader.OpenWorkbook(fifo);
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
    EXPECT_EQ(status.Message(), QStringLiteral("Failed to open Excel file!\nInvalid argument"));

    const std::pair<const char*, QByteArray> notWorkbooks[] = {
        {"empty.xlsx", QByteArray()},
        {"text.xls", QByteArray("Number,Message\n447700900123,hello\n")},
        {"truncated-zip.xlsx", QByteArray("PK\x03\x04", 4)},
        {"truncated-cfb.xls", QByteArray::fromHex("D0CF11E0A1B11AE1")},
    };
    for (const auto& [name, bytes] : notWorkbooks) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        status = reader.OpenWorkbook(path);
        EXPECT_EQ(status.error, ReaderError::OpenFailed) << name;
        EXPECT_TRUE(status.Message().startsWith(QStringLiteral("Failed to open Excel file!\n"))) << name;
        EXPECT_EQ(reader.SheetCount(), 0);
    }
}

TEST(WorkbookReader, DataOutlivesTheClosedWorkbookAndReadsNeedARange) {
    WorkbookReader reader;
    QString text;
    EXPECT_EQ(reader.CellText(1, 1, &text).error, ReaderError::RangeFailed);
    SheetData data;
    EXPECT_EQ(reader.GetUsedRange(&data).error, ReaderError::RangeFailed);
    ASSERT_TRUE(reader.OpenWorkbook(DataFile(QStringLiteral("xlwt_sheets.xls"))));
    ASSERT_TRUE(reader.SelectSheet(1));
    ASSERT_TRUE(reader.GetUsedRange(&data));
    reader.CloseWorkbook();
    reader.CloseWorkbook();
    EXPECT_EQ(reader.SheetCount(), 0);
    EXPECT_EQ(reader.CellText(1, 1, &text).error, ReaderError::RangeFailed);
    EXPECT_TRUE(data.CellText(2, 3, &text));
    EXPECT_EQ(text, QStringLiteral("r2c3"));
}

TEST(ReaderStatus, EveryKindHasItsMessage) {
    const std::pair<ReaderError, const char*> messages[] = {
        {ReaderError::None, ""},
        {ReaderError::ExcelMissing, "Microsoft Excel must be installed to use this feature."},
        {ReaderError::OpenFailed, "Failed to open Excel file!"},
        {ReaderError::SheetFailed, "Failed to get Excel Worksheet!"},
        {ReaderError::RangeFailed, "Failed to get header cell range!"},
        {ReaderError::SheetEmpty, "Excel sheet is empty."},
        {ReaderError::AutomationError, "Excel Error : File reading process is discarded."},
    };
    for (const auto& [error, message] : messages) {
        EXPECT_EQ(ReaderErrorMessage(error), QString::fromUtf8(message));
        // A reason is appended to the first four kinds only, and never the system's "no error" text.
        const ReaderStatus withReason{error, 0, QStringLiteral("why")};
        const bool appends = error == ReaderError::ExcelMissing || error == ReaderError::OpenFailed ||
                             error == ReaderError::SheetFailed || error == ReaderError::RangeFailed;
        EXPECT_EQ(withReason.Message(), QString::fromUtf8(message) + (appends ? QStringLiteral("\nwhy") : QString()));
        const ReaderStatus noError{error, 0, QStringLiteral("Success")};
        EXPECT_EQ(noError.Message(), QString::fromUtf8(message));
    }
}

} // namespace
