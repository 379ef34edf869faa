// bulksms-cli send with rows from a workbook and the status export of the finished run, end to end over a
// simulated modem. The workbooks are written with the program's own export and read back through
// `bulksms-cli workbook`.

#include "CliProcess.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SpreadsheetExport.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

// The cells of the first sheet of a workbook, row by row, as `bulksms-cli workbook` reads them.
QList<QStringList> FirstSheet(const QString& path, QString* sheetName = nullptr) {
    const CliRun r = RunCli({"workbook", path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray sheets = QJsonDocument::fromJson(r.bytes).array();
    EXPECT_FALSE(sheets.isEmpty()) << r.out.toStdString();
    if (sheets.isEmpty())
        return {};
    if (sheetName)
        *sheetName = sheets[0][QStringLiteral("name")].toString();
    QList<QStringList> rows;
    for (const QJsonValue& row : sheets[0][QStringLiteral("cells")].toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

class SendExcelCli : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (HasFatalFailure())
            return;
        SimModem::Options options;
        options.identity.imei = QStringLiteral("350000000000011");
        m_sim = std::make_unique<SimModem>(options);
        QString error;
        ASSERT_TRUE(m_sim->Start(&error)) << error.toStdString();
    }
    // A workbook with the heading row Number, Message, Name and the rows given.
    QString Book(const QList<QStringList>& rows) {
        ScriptedPrompter prompter;
        const QString path = m_dir.filePath(QStringLiteral("rows.xlsx"));
        const SpreadsheetExport::Result result =
            SpreadsheetExport(prompter).Export(SpreadsheetExportTable{QStringList{"Number", "Message", "Name"}}, rows,
                                               SpreadsheetExport::Filter::All, path, SpreadsheetExport::Format::Xlsx);
        EXPECT_TRUE(result.Ok()) << result.detail.toStdString();
        return path;
    }
    std::unique_ptr<SimModem> m_sim;
};

} // namespace

TEST_F(SendExcelCli, SendsWorkbookRowsAndExportsTheirStatusWithRetries) {
    const QString book =
        Book({{"+15550001", "first\nline", "Ann"}, {"Mobile", "dropped", "x"}, {"+15550002", "second", "Bob"}});
    const QString exported = m_dir.filePath(QStringLiteral("status.xlsx"));
    const CliRun r = RunCli({"send", "--port", m_sim->PortName(), "--excel", book, "--sheet", "1", "--number-column",
                             "A", "--message-column", "B", "--retries", "1", "--timing", "fast", "--status-export",
                             exported, "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(m_sim->SubmissionCount(), 2);
    QStringList texts;
    for (const SimSubmission& s : m_sim->Submissions())
        texts << s.text;
    EXPECT_EQ(texts, QStringList({"first\nline", "second"}));

    QString sheet;
    const QList<QStringList> rows = FirstSheet(exported, &sheet);
    EXPECT_EQ(sheet, QStringLiteral("Sheet1"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QStringList({"Number", "Message", "Current Status", "Status", "Retry"}));
    EXPECT_EQ(rows[1].value(0), QStringLiteral("+15550001"));
    EXPECT_EQ(rows[1].value(1), QStringLiteral("first\nline"));
    EXPECT_TRUE(rows[1].value(2).startsWith(QStringLiteral("Done ("))) << rows[1].value(2).toStdString();
    EXPECT_EQ(rows[1].value(3), QStringLiteral("Message sent successfully."));
    EXPECT_EQ(rows[2].value(0), QStringLiteral("+15550002"));
}

TEST_F(SendExcelCli, TemplateRowsAndAFilteredExportWithoutRetries) {
    const QString book = Book({{"+15550001", "", "Ann"}, {"+15550002", "", "Bob"}});
    const QString failed = m_dir.filePath(QStringLiteral("failed.XLS"));
    CliRun r = RunCli({"send", "--port", m_sim->PortName(), "--excel", book, "--sheet", "1", "--number-column", "1",
                       "--template", "Hello <COL-3>", "--timing", "fast", "--status-export", failed, "--filter", "FAL",
                       "--data", m_dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList texts;
    for (const SimSubmission& s : m_sim->Submissions())
        texts << s.text;
    EXPECT_EQ(texts, QStringList({"Hello Ann", "Hello Bob"}));
    // Nothing failed: the heading row alone.
    EXPECT_EQ(FirstSheet(failed), QList<QStringList>({{"Number", "Message", "Current Status", "Status"}}));

    // A workbook that gives no row ends before any device is used.
    r = RunCli({"send", "--port", m_sim->PortName(), "--excel", book, "--sheet", "1", "--number-column", "C",
                "--message-column", "A", "--timing", "fast", "--data", m_dir.path()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Either file is corrupted"))) << r.err.toStdString();
    EXPECT_EQ(m_sim->SubmissionCount(), 2);
}

TEST_F(SendExcelCli, RefusesBadSourceAndExportOptions) {
    const QString book = Book({{"+15550001", "m", "n"}});
    const QString port = m_sim->PortName();
    const QStringList excel = {"--excel", book, "--sheet", "1", "--number-column", "A", "--message-column", "B"};
    const std::vector<QStringList> cases = {
        QStringList{"send", "--port", port, "--rows", book} + excel,          // two sources
        QStringList{"send", "--port", port, "--excel", book, "--sheet", "1"}, // no columns
        QStringList{"send", "--port", port, "--rows", book, "--sheet", "1"},  // sheet without --excel
        QStringList{"send", "--port", port} + excel + QStringList{"--status-export", m_dir.filePath("s.csv")},
        QStringList{"send", "--port", port} + excel + QStringList{"--filter", "ALL"},
        QStringList{"send", "--port", port} + excel +
            QStringList{"--status-export", m_dir.filePath("s.xls"), "--filter", "SOME"},
    };
    for (const QStringList& args : cases)
        EXPECT_EQ(RunCli(args).exitCode, 2) << args.join(' ').toStdString();
    EXPECT_EQ(m_sim->SubmissionCount(), 0);
}

TEST_F(SendExcelCli, SuccessExportAndExitStatusCountOnlySentRows) {
    // Every submission to this modem fails: the run reports its rows, the success export holds none of them, and
    // the exit status tells a script that not every row was sent.
    QString error;
    SimModem::Options options;
    options.profile = *SimProfile::Parse(QStringLiteral("cms:38"), &error);
    SimModem failing(options);
    ASSERT_TRUE(failing.Start(&error)) << error.toStdString();
    const QString rows = File(QStringLiteral("rows.txt"), "+15550001\tone\n+15550002\ttwo\n");
    for (const char* filter : {"SUC", "FAL"}) {
        const QString exported = m_dir.filePath(QStringLiteral("%1.xlsx").arg(QLatin1String(filter)));
        const CliRun r = RunCli({"send", "--port", failing.PortName(), "--rows", rows, "--timing", "fast",
                                 "--status-export", exported, "--filter", filter, "--data", m_dir.path()});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_EQ(FirstSheet(exported).size(), QLatin1String(filter) == QLatin1String("SUC") ? 1 : 3) << filter;
    }
    // The same rows over a working modem: exit status 0.
    EXPECT_EQ(RunCli({"send", "--port", m_sim->PortName(), "--rows", rows, "--timing", "fast", "--data", m_dir.path()})
                  .exitCode,
              0);
}
