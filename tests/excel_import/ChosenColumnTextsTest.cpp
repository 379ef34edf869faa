// The chosen columns' texts that the contact, exclusion-number and template imports read from a workbook.
#include "fakes/WorkbookTestSupport.h"

#include "excel_import/ChosenColumnTexts.h"

using namespace workbook_test;

namespace {

TEST(ChosenColumnTexts, CheckedColumnsLeftToRightEachTopToBottomWithoutEmptyCells) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("columns.xlsx"));
    XlsxParts parts;
    parts.sheets = {{"Other", "worksheet", "worksheets/sheet2.xml"}, {"Columns", "worksheet", "worksheets/sheet1.xml"}};
    parts.parts = {{"xl/worksheets/sheet1.xml",
                    SheetXml("<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>b2</t></is></c>"
                             "<c r=\"C2\" t=\"inlineStr\"><is><t>c2</t></is></c><c r=\"D2\"><v>4</v></c></row>"
                             "<row r=\"3\"><c r=\"D3\" t=\"inlineStr\"><is><t>d3</t></is></c></row>"
                             "<row r=\"4\"><c r=\"B4\" t=\"inlineStr\"><is><t>b4</t></is></c></row>")},
                   {"xl/worksheets/sheet2.xml", SheetXml("<row r=\"1\"><c r=\"A1\"><v>9</v></c></row>")}};
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(parts.Build());
    file.close();

    const struct {
        ExcelInfoController::Choice choice;
        QStringList texts;
    } cases[] = {
        {Choose(2, {{1, true}, {2, false}, {3, true}}), {"b2", "b4", "4", "d3"}},
        {Choose(2, {{3, true}, {1, true}}), {"4", "d3", "b2", "b4"}}, // the choice's order, not the sheet's
        {Choose(2, {{2, true}}), {"c2"}},
        {Choose(2, {{1, false}, {2, false}}), {}},
        {Choose(2, {{7, true}}), {}}, // beyond the used range: empty texts only
        {Choose(1, {{1, true}}), {"9"}},
    };
    for (const auto& c : cases) {
        QStringList texts{QStringLiteral("left over")};
        EXPECT_TRUE(ReadChosenColumnTexts(path, c.choice, &texts).Ok());
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(ChosenColumnTexts, TextsReadBeforeAFailureStayAndTheStatusSaysWhy) {
    QStringList texts;
    // Column E holds 50 in row 11; column C holds 12, then #DIV/0! in row 2, which ends the read.
    ReaderStatus status = ReadChosenColumnTexts(DataFile(QStringLiteral("libreoffice_formulas.xlsx")),
                                                Choose(1, {{5, true}, {3, true}, {1, true}}), &texts);
    EXPECT_EQ(status.error, ReaderError::AutomationError);
    EXPECT_EQ(texts, QStringList({"50", "12"}));

    status = ReadChosenColumnTexts(DataFile(QStringLiteral("openpyxl_sheets.xlsx")), Choose(4, {{1, true}}), &texts);
    EXPECT_EQ(status.error, ReaderError::SheetFailed); // the chart sheet
    EXPECT_TRUE(texts.isEmpty());

    QTemporaryDir dir;
    status = ReadChosenColumnTexts(dir.filePath(QStringLiteral("gone.xlsx")), Choose(1, {{1, true}}), &texts);
    EXPECT_EQ(status.error, ReaderError::OpenFailed);
}

} // namespace
