#include "exclusion/ExclusionExport.h"

#include "excel_import/WorkbookReader.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using FileBytes::ReadAll;

TEST(ExclusionExportReport, ByteExactAnsiText) {
    const QByteArray r(132, '=');
    const QByteArray expected = r + "\r\n\t\t\t\t[ Bulk SMS - Exclusion Number List ]\r\n\r\n" + r + "\r\n\r\n" +
                                "+919800000001\r\n0123\r\n" + "\r\n";
    EXPECT_EQ(ExclusionExport::Report({QStringLiteral("+919800000001"), QStringLiteral("0123")}), expected);
}

TEST(ExclusionExportReport, CharactersOutsideTheCodePage) {
    // "€" has a Windows-1252 byte (0x80); a decomposed "é" is composed to 0xE9; CJK and an emoji (one
    // surrogate pair) have none and become one '#' each.
    const QString text = QStringLiteral("€e\u0301\u4E2D") + QString::fromUcs4(U"\U0001F600");
    const QByteArray report = ExclusionExport::Report({text});
    EXPECT_TRUE(report.contains(QByteArray("\r\n\r\n\x80\xE9##\r\n\r\n"))) << report.toHex().toStdString();
}

TEST(ExclusionExportWrite, WritesAndRefusesEmptyList) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QString path = dir.filePath("ex.txt");
    const auto result = ExclusionExport::Write({QStringLiteral("123")}, path, ExclusionExport::Format::Text, prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Exclusion Number List has been exported successfully.");
    EXPECT_EQ(ReadAll(path), ExclusionExport::Report({QStringLiteral("123")}));

    const auto empty = ExclusionExport::Write({}, dir.filePath("e.txt"), ExclusionExport::Format::Text, prompter);
    EXPECT_EQ(empty.outcome, ExclusionExport::Result::Outcome::EmptyList);
    EXPECT_EQ(empty.message, "Exclusion number list is empty.");
    EXPECT_FALSE(QFile::exists(dir.filePath("e.txt")));
}

TEST(ExclusionExportWrite, TargetThatIsAFolderIsRefused) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const auto result =
        ExclusionExport::Write({QStringLiteral("1")}, dir.path(), ExclusionExport::Format::Text, prompter);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.message.startsWith("Error in file accessing.")) << result.message.toStdString();
}

// Column 1 of the first sheet, read with the program's own reader.
QStringList FirstColumn(const QString& path) {
    QStringList texts;
    WorkbookReader reader;
    SheetData range;
    if (reader.OpenWorkbook(path) && reader.SelectSheet(1) && reader.GetUsedRange(&range)) {
        for (int row = 1; row <= range.Rows(); ++row) {
            QString text;
            (void)reader.CellText(row, 1, &text);
            texts << text;
        }
    }
    return texts;
}

TEST(ExclusionExportWrite, SpreadsheetsHoldTheNumbersUnderTheirHeading) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const QStringList numbers = {QStringLiteral("0123"), QStringLiteral("+919800000001"), QStringLiteral("98765")};
    for (const auto format : {ExclusionExport::Format::Xls, ExclusionExport::Format::Xlsx}) {
        const QString path = ExclusionExport::PathWithExtension(dir.filePath(QStringLiteral("list")), format);
        const auto result = ExclusionExport::Write(numbers, path, format, prompter);
        ASSERT_TRUE(result.Ok()) << result.message.toStdString();
        EXPECT_EQ(result.message, "Exclusion Number List has been exported successfully.");
        EXPECT_EQ(result.rowsWritten, 3);
        EXPECT_EQ(FirstColumn(path), QStringList{QStringLiteral("Exclusion Number")} + numbers) << path.toStdString();
    }
    const auto empty = ExclusionExport::Write({}, dir.filePath("e.xls"), ExclusionExport::Format::Xls, prompter);
    EXPECT_EQ(empty.outcome, ExclusionExport::Result::Outcome::EmptyList);
    EXPECT_FALSE(QFile::exists(dir.filePath("e.xls")));
    EXPECT_TRUE(prompter.Asked().empty());
}

TEST(ExclusionExportWrite, SpreadsheetTargetThatIsAFolderIsRefused) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    const auto result =
        ExclusionExport::Write({QStringLiteral("1")}, dir.path(), ExclusionExport::Format::Xlsx, prompter);
    EXPECT_EQ(result.outcome, ExclusionExport::Result::Outcome::FileNotWritable);
    EXPECT_FALSE(result.message.isEmpty());
}

TEST(ExclusionExportDialog, FilterIndexAndExtensionRule) {
    EXPECT_EQ(ExclusionExport::kFileDialogFilter,
              "Excel(97-2003) Files(*.xls)|*.xls|Excel Files(*.xlsx)|*.xlsx|Text Files(*.txt)|*.txt||");
    using F = ExclusionExport::Format;
    EXPECT_EQ(ExclusionExport::FormatOfFilterIndex(0), F::Xls);
    EXPECT_EQ(ExclusionExport::FormatOfFilterIndex(1), F::Xlsx);
    EXPECT_EQ(ExclusionExport::FormatOfFilterIndex(2), F::Text);
    EXPECT_EQ(ExclusionExport::FormatOfFilterIndex(3), std::nullopt);
    EXPECT_EQ(ExclusionExport::PathWithExtension("n", F::Text), "n.txt");
    EXPECT_EQ(ExclusionExport::PathWithExtension("n.TXT", F::Text), "n.TXT");
    EXPECT_EQ(ExclusionExport::PathWithExtension("n.xlsx", F::Xls), "n.xlsx.xls");
    EXPECT_EQ(ExclusionExport::PathWithExtension("n.XlsX", F::Xlsx), "n.XlsX");
}

} // namespace
