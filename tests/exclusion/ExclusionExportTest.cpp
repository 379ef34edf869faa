#include "exclusion/ExclusionExport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
    const QString path = dir.filePath("ex.txt");
    const auto result = ExclusionExport::Write({QStringLiteral("123")}, path);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Exclusion Number List has been exported successfully.");
    EXPECT_EQ(ReadAll(path), ExclusionExport::Report({QStringLiteral("123")}));

    const auto empty = ExclusionExport::Write({}, dir.filePath("e.txt"));
    EXPECT_EQ(empty.outcome, ExclusionExport::Result::Outcome::EmptyList);
    EXPECT_EQ(empty.message, "Exclusion number list is empty.");
    EXPECT_FALSE(QFile::exists(dir.filePath("e.txt")));
}

TEST(ExclusionExportWrite, TargetThatIsAFolderIsRefused) {
    QTemporaryDir dir;
    const auto result = ExclusionExport::Write({QStringLiteral("1")}, dir.path());
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.message.startsWith("Error in file accessing.")) << result.message.toStdString();
}

} // namespace
