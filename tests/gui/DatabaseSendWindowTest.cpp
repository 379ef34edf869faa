// The main window sending its list through a job database: the check box and URL (the password never shown nor
// written to the settings), Send opening the usual progress window over the job, a gateway process sending it,
// and the window reaching "Finish." with every row sent.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/UserSettings.h"
#include "composer/gui/DatabaseSendRow.h"
#include "fakes/PrivatePostgres.h"
#include "sending/SendJob.h"
#include "sending/gui/CSMS_Sending.h"
#include "session/DatabaseSend.h"
#include "session/Session.h"
#include "sim/SimModem.h"
#include "ui/RecipientTableModel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

namespace {

class DatabaseSendWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        if (const QString missing = PrivatePostgres::MissingReason(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        QString error;
        ASSERT_TRUE(m_server.Start(&error)) << error.toStdString();
        ASSERT_TRUE(m_server.CreateDatabase(QStringLiteral("desk"), &error)) << error.toStdString();
        OpenWindow();
    }
    void TearDown() override {
        window.reset();
        if (m_gateway.state() != QProcess::NotRunning) {
            m_gateway.terminate();
            m_gateway.waitForFinished(30000);
        }
    }
    // Every file under the data folder holding the text.
    bool DataHolds(const QString& text) const {
        QDirIterator it(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text.toUtf8()))
                return true;
        }
        return false;
    }

    PrivatePostgres m_server;
    std::vector<std::unique_ptr<SimModem>> m_sims;
    QProcess m_gateway;
};

TEST_F(DatabaseSendWindowTest, SendGoesThroughTheDatabaseAndTheProgressWindowFollowsTheJob) {
    auto* row = window->findChild<DatabaseSendRow*>();
    ASSERT_NE(row, nullptr);
    row->Check()->setChecked(true);
    const QString url = m_server.Url(QStringLiteral("desk"));
    row->UrlField()->setText(url);
    Q_EMIT row->UrlField()->editingFinished();
    // The field keeps the URL without its password.
    EXPECT_FALSE(row->UrlField()->text().contains(QStringLiteral("s3cret")));
    EXPECT_TRUE(row->UrlField()->text().startsWith(QStringLiteral("postgresql://bulksms@")));

    const int rows = 12;
    QStringList numbers;
    for (int i = 0; i < rows; ++i)
        numbers << QStringLiteral("+1555%1").arg(i, 6, 10, QLatin1Char('0'));
    static_cast<void>(window->List().AddNumbers(0, numbers, QStringLiteral("Hello"), QStringLiteral("Hello"), {}));
    window->ListModel().Refresh();
    window->Button(QStringLiteral("Send"))->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }, 30000))
        << prompter.Messages().join("; ").toStdString();
    CSMS_Sending* sending = window->SendingWindow();
    ASSERT_NE(sending->ThroughDatabase(), nullptr);
    EXPECT_EQ(sending->windowTitle(), QStringLiteral("Sending Messages, Please wait..."));

    // A gateway host takes the job.
    QStringList args{"gateway",
                     "--db",
                     url,
                     "--name",
                     "g",
                     "--job",
                     QString::number(sending->ThroughDatabase()->JobId()),
                     "--data",
                     m_dir.filePath("gateway")};
    for (int m = 0; m < 2; ++m) {
        SimModem::Options options;
        QString error;
        options.identity.imei = QStringLiteral("35100000000%1").arg(m, 4, 10, QLatin1Char('0'));
        m_sims.push_back(std::make_unique<SimModem>(options));
        ASSERT_TRUE(m_sims.back()->Start(&error)) << error.toStdString();
        args << "--port" << m_sims.back()->PortName();
    }
    m_gateway.start(QStringLiteral(BULKSMS_CLI_PATH), args);
    ASSERT_TRUE(m_gateway.waitForStarted(10000));

    ASSERT_TRUE(WaitFor([&] { return sending->StopButton()->text() == QLatin1String("Close"); }, 60000));
    EXPECT_EQ(sending->StatusText(), QStringLiteral("Finish."));
    EXPECT_EQ(sending->ProgressText(), SendJob::ProgressLabel(rows, rows));
    const SendJob& job = sending->ThroughDatabase()->Job();
    for (int r = 0; r < rows; ++r) {
        EXPECT_EQ(job.Text(r, SendJob::kStatus), QStringLiteral("Message sent successfully.")) << r;
        EXPECT_TRUE(job.Text(r, SendJob::kUsePort).startsWith(QStringLiteral("35100000000"))) << r;
    }
    const QString shots = qEnvironmentVariable("BULKSMS_TEST_SHOTS", m_dir.path());
    EXPECT_TRUE(sending->grab().save(shots + QStringLiteral("/database-send.png")));
    EXPECT_TRUE(window->grab().save(shots + QStringLiteral("/database-main.png")));
    sending->StopButton()->click();
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr && !window->IsSending(); }));
    EXPECT_TRUE(prompter.Messages().filter(QStringLiteral("Are you sure")).isEmpty());

    // The choice is remembered, the password is not.
    window->UserSession().Settings().Sync();
    EXPECT_TRUE(window->UserSession().Settings().Option(QStringLiteral("SendThroughDatabase")).toBool());
    EXPECT_FALSE(DataHolds(PrivatePostgres::kPassword));
    EXPECT_FALSE(DataHolds(QStringLiteral("s3cret%20pass")));
}

} // namespace
