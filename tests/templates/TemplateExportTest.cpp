#include "templates/TemplateExport.h"

#include "excel_import/WorkbookReader.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using FileBytes::ReadAll;
using FileBytes::Utf16File;

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
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    const QString path = dir.filePath("t.html");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("a much longer earlier file than the new one will be, to see it is replaced whole ........"
                "...................................................................................................."
                "....................................................................................................");
    }
    const auto result = TemplateExport::Write({QStringLiteral("x")}, path, TemplateExport::Format::Html, prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.message, "Template Message List has been exported successfully.");
    EXPECT_EQ(ReadAll(path), TemplateExport::HtmlReport({QStringLiteral("x")}));

    const QString none = dir.filePath("none.txt");
    const auto empty = TemplateExport::Write({}, none, TemplateExport::Format::Text, prompter);
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
    ScriptedPrompter prompter;
    const auto result = TemplateExport::Write(kTemplates, path, TemplateExport::Format::Text, prompter);
    EXPECT_EQ(result.outcome, TemplateExport::Result::Outcome::FileNotWritable);
    EXPECT_TRUE(result.message.startsWith("Error in file accessing.")) << result.message.toStdString();
    EXPECT_EQ(ReadAll(path), QByteArray("old"));
}

TEST(TemplateExportWrite, RunningOutOfRoomKeepsTheEarlierFile) {
    // A child process whose files may not grow past 64 KB stands in for a full disk: writes fail with EFBIG.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    const QStringList many(1000, QString(100, QLatin1Char('t')));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ScriptedPrompter prompter;
        const auto result = TemplateExport::Write(many, path, TemplateExport::Format::Text, prompter);
        ::_exit(result.outcome == TemplateExport::Result::Outcome::WriteFailed &&
                        result.message == "Error in file.\n\nOR\n\nThere is not enough space on the disk."
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("full.txt")});
}

// Every sheet of a workbook as rows of cell texts, read with the program's own reader.
QList<QList<QStringList>> ReadWorkbook(const QString& path) {
    QList<QList<QStringList>> sheets;
    WorkbookReader reader;
    if (!reader.OpenWorkbook(path))
        return sheets;
    for (int s = 1; s <= reader.SheetCount(); ++s) {
        QList<QStringList> rows;
        SheetData range;
        if (reader.SelectSheet(s) && reader.GetUsedRange(&range)) {
            for (int r = 1; r <= range.Rows(); ++r) {
                QStringList row;
                for (int c = 1; c <= range.Columns(); ++c) {
                    QString text;
                    (void)reader.CellText(r, c, &text);
                    row << text;
                }
                rows << row;
            }
        }
        sheets << rows;
    }
    reader.CloseWorkbook();
    return sheets;
}

TEST(TemplateExportWrite, SpreadsheetsHoldOneTemplateColumnInListOrder) {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    for (const auto format : {TemplateExport::Format::Xls, TemplateExport::Format::Xlsx}) {
        const QString path = TemplateExport::PathWithExtension(dir.filePath(QStringLiteral("templates")), format);
        const auto result = TemplateExport::Write(kTemplates, path, format, prompter);
        ASSERT_TRUE(result.Ok()) << result.message.toStdString();
        EXPECT_EQ(result.message, TemplateExport::kExported);
        EXPECT_EQ(result.rowsWritten, 2);
        const QList<QList<QStringList>> sheets = ReadWorkbook(path);
        ASSERT_EQ(sheets.size(), 1) << path.toStdString();
        EXPECT_EQ(sheets[0],
                  (QList<QStringList>{{QStringLiteral("Template Message")}, {kTemplates[0]}, {kTemplates[1]}}));
    }
    EXPECT_TRUE(prompter.Asked().empty());
}

TEST(TemplateExportWrite, MoreRowsThanAnXlsSheetHoldsAsksOnce) {
    QTemporaryDir dir;
    QStringList many;
    for (int i = 0; i < 65536; ++i)
        many << QString::number(i);
    ScriptedPrompter prompter;
    prompter.Script({Prompter::Answer::Yes});
    const QString path = dir.filePath(QStringLiteral("many.xls"));
    const auto result = TemplateExport::Write(many, path, TemplateExport::Format::Xls, prompter);
    ASSERT_TRUE(result.Ok()) << result.message.toStdString();
    EXPECT_EQ(result.rowsWritten, 65536);
    ASSERT_EQ(prompter.Asked().size(), 1u);
    EXPECT_EQ(prompter.Asked()[0].message,
              "Number of rows in table is greater than the capacity of MS Excel worksheet so remaining rows convert in "
              "new worksheet of same MS Excel File.\n\nAre you sure you want to continue?");
    EXPECT_EQ(prompter.Asked()[0].caption, "Confirm");
    const QList<QList<QStringList>> sheets = ReadWorkbook(path);
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].size(), 65536); // heading + 65,535 rows
    EXPECT_EQ(sheets[1], (QList<QStringList>{{QStringLiteral("Template Message")}, {QStringLiteral("65535")}}));
}

TEST(TemplateExportDialog, FilterIndexAndExtensionRule) {
    EXPECT_EQ(TemplateExport::kFileDialogFilter, "Excel(97-2003) Files(*.xls)|*.xls|Excel Files(*.xlsx)|*.xlsx|Text "
                                                 "Files(*.txt)|*.txt|Html Files(*.html)|*.html||");
    using F = TemplateExport::Format;
    EXPECT_EQ(TemplateExport::FormatOfFilterIndex(0), F::Xls);
    EXPECT_EQ(TemplateExport::FormatOfFilterIndex(1), F::Xlsx);
    EXPECT_EQ(TemplateExport::FormatOfFilterIndex(2), F::Text);
    EXPECT_EQ(TemplateExport::FormatOfFilterIndex(3), F::Html);
    EXPECT_EQ(TemplateExport::FormatOfFilterIndex(4), std::nullopt);
    const struct {
        const char* path;
        F format;
        const char* expected;
    } cases[] = {
        {"a", F::Xls, "a.xls"},
        {"a.XLS", F::Xls, "a.XLS"},
        {"a.xls", F::Xlsx, "a.xls.xlsx"},
        {"a.Html", F::Html, "a.Html"},
        {"a.htm", F::Html, "a.htm.html"},
        {"a.txt", F::Text, "a.txt"},
        {"a.txt.x", F::Text, "a.txt.x.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TemplateExport::PathWithExtension(QString::fromUtf8(c.path), c.format), QString::fromUtf8(c.expected))
            << c.path;
}

} // namespace
