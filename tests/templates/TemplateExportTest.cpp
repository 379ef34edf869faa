#include "templates/TemplateExport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Utf16File(const QString& text) {
    QByteArray out("\xFF\xFE");
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kTemplates = {QStringLiteral("Meet at 5 & bring \"docs\""), QStringLiteral("a\r\nb <i>€</i>")};

TEST(TemplateExportText, ByteExactAndUnchangedTexts) {
    const QString r(132, QLatin1Char('='));
    const QString expected = r + "\r\n\t\t\t\t[ VRIX Bulk SMS - Template Messages ]\r\n\r\n" + r + "\r\n\r\n" +
                             "\r\nS.No : 1\r\n---------\r\nMessage  : Meet at 5 & bring \"docs\"\r\n" +
                             "\r\nS.No : 2\r\n---------\r\nMessage  : a\r\nb <i>€</i>\r\n" + "\r\n";
    EXPECT_EQ(TemplateExport::TextReport(kTemplates), Utf16File(expected));
}

TEST(TemplateExportHtml, ByteExactWithEscaping) {
    const QString head =
        "<html><head><title>Bulk SMS - Phone Messages</title><style type=text/css>Body,Td,Th{font-family:Verdana, "
        "Arial, Helvetica, sans-serif; font-size:11px}.style1 {font-size: 16px;\tfont-weight: bold;\tcolor: "
        "#FFFFFF;}.style2 {font-size: 13px;\tfont-weight: bold;\tcolor: #000000;}</style></head><body bgcolor "
        "=#f1f4fa><table width=900 border=1 align=center cellpadding=0 cellspacing=0 bordercolor=#647dbe><tr><td>"
        "<table width=900 border=0 align=center cellpadding=0 cellspacing=0><tr><td height=26 colspan=2 "
        "bgcolor=#647dbe><div align=center class=style1>VRIX Bulk SMS - Template Messages</div></td></tr><tr><td "
        "height=21 colspan=2></td></tr><tr><td width=98>&nbsp;</td><td width=802><br>";
    const QString rows =
        "<br>S.No. : 1<br>---------<br>Message&nbsp;&nbsp;&nbsp;:&nbsp;&nbsp;"
        "Meet&nbsp;at&nbsp;5&nbsp;&amp;&nbsp;bring&nbsp;&quot;docs&quot;<br>"
        "<br>S.No. : 2<br>---------<br>Message&nbsp;&nbsp;&nbsp;:&nbsp;&nbsp;a\r<br>b&nbsp;&lt;i&gt;€&lt;/i&gt;<br>"
        "<br>";
    EXPECT_EQ(TemplateExport::HtmlReport(kTemplates), Utf16File(head + rows));
}

TEST(TemplateExportWrite, ReplacesEarlierFileAndRefusesEmptyList) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.html");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a much longer earlier file than the new one will be, to see it is replaced whole ........"
                "...................................................................................................."
                "....................................................................................................");
    }
    const auto result = TemplateExport::Write({QStringLiteral("x")}, path, TemplateExport::Format::Html);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Template Message List has been exported successfully.");
    EXPECT_EQ(ReadAll(path), TemplateExport::HtmlReport({QStringLiteral("x")}));

    const QString none = dir.filePath("none.txt");
    const auto empty = TemplateExport::Write({}, none, TemplateExport::Format::Text);
    EXPECT_EQ(empty.outcome, TemplateExport::Result::Outcome::EmptyList);
    EXPECT_EQ(empty.message, "Template list is empty.");
    EXPECT_FALSE(QFile::exists(none));
}

TEST(TemplateExportWrite, UnwritableTargetKeepsItsContents) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    QTemporaryDir dir;
    const QString path = dir.filePath("ro.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const auto result = TemplateExport::Write(kTemplates, path, TemplateExport::Format::Text);
    EXPECT_EQ(result.outcome, TemplateExport::Result::Outcome::FileNotWritable);
    EXPECT_TRUE(result.message.startsWith("Error in file accessing.")) << result.message.toStdString();
    EXPECT_EQ(ReadAll(path), QByteArray("old"));
}

} // namespace
