// A list sent through a job database from the session, as the desktop program does it: a private PostgreSQL,
// a gateway process (bulksms-cli gateway) over simulated modems, and the progress seen through the sending
// window's observer; Stop deciding the rows no gateway has claimed.

#include "session/DatabaseSend.h"
#include "common/ResultText.h"
#include "fakes/PrivatePostgres.h"
#include "fakes/ScriptedPrompter.h"
#include "journal/PgJobStore.h"
#include "journal/PgUrl.h"
#include "sending/SendObserver.h"
#include "session/Session.h"
#include "sim/SimModem.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

namespace {

// What the sending window would have been told.
class RecordingObserver final : public SendObserver {
public:
    void RowChanged(int row) override {
        std::lock_guard lock(m_mutex);
        changed.insert(row);
    }
    void Progress(int position, int total, const QString& label) override {
        std::lock_guard lock(m_mutex);
        lastPosition = position;
        lastTotal = total;
        lastLabel = label;
    }
    void StopEnabled(bool enabled) override { stopEnabled = enabled; }
    void Finished() override { ++finished; }
    void Closed() override { ++closed; }

    std::mutex m_mutex;
    QSet<int> changed;
    int lastPosition = -1;
    int lastTotal = -1;
    QString lastLabel;
    std::atomic<bool> stopEnabled{false};
    std::atomic<int> finished{0};
    std::atomic<int> closed{0};
};

class DatabaseSendTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = PrivatePostgres::StartForSuite(&s_error); }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override {
        if (const QString missing = PrivatePostgres::MissingReason(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ASSERT_NE(s_server, nullptr) << s_error.toStdString();
        static int next = 0;
        const QString database = QStringLiteral("desk%1").arg(++next);
        QString error;
        ASSERT_TRUE(s_server->CreateDatabase(database, &error)) << error.toStdString();
        m_url = s_server->Url(database);
        session = std::make_unique<Session>(prompter, Session::Options{DataPaths(m_dir.path()), ModemTiming::Fast()});
        std::unique_ptr<PgJobStore> store;
        ASSERT_TRUE(DatabaseSend::OpenStore(*PgUrl::Parse(m_url, &error), &store).ok);
        send = std::make_unique<DatabaseSend>(std::move(store), prompter, DatabaseSend::Options{50});
    }
    void TearDown() override {
        send.reset();
        if (m_gateway) {
            m_gateway->terminate();
            m_gateway->waitForFinished(30000);
        }
    }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i)
            session->List().InsertRow(i, QStringLiteral("+1555%1").arg(100 + i), QStringLiteral("m%1").arg(i), {});
    }
    void StartGateway(int modems, const QString& profile) {
        QStringList args{"gateway",
                         "--db",
                         m_url,
                         "--name",
                         "g",
                         "--job",
                         QString::number(send->JobId()),
                         "--data",
                         m_dir.filePath("gateway")};
        for (int m = 0; m < modems; ++m) {
            SimModem::Options options;
            QString error;
            options.profile = *SimProfile::Parse(profile, &error);
            options.identity.imei = QStringLiteral("35100000000%1").arg(m, 4, 10, QLatin1Char('0'));
            sims.push_back(std::make_unique<SimModem>(options));
            ASSERT_TRUE(sims.back()->Start(&error)) << error.toStdString();
            args << "--port" << sims.back()->PortName();
        }
        m_gateway = std::make_unique<QProcess>();
        m_gateway->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_gateway->start(QStringLiteral(BULKSMS_CLI_PATH), args);
        ASSERT_TRUE(m_gateway->waitForStarted(10000));
    }
    int Received(const QString& number) const {
        int n = 0;
        for (const auto& sim : sims)
            for (const SimSubmission& s : sim->Submissions())
                n += s.to == number ? 1 : 0;
        return n;
    }

    static inline PrivatePostgres* s_server = nullptr;
    static inline QString s_error;
    QTemporaryDir m_dir;
    QString m_url;
    ScriptedPrompter prompter;
    std::unique_ptr<Session> session;
    std::unique_ptr<DatabaseSend> send;
    std::vector<std::unique_ptr<SimModem>> sims;
    std::unique_ptr<QProcess> m_gateway;
    RecordingObserver observer;
};

TEST_F(DatabaseSendTest, EveryRowSentByTheGatewaysIsShownSentWithItsDevice) {
    const int rows = 24;
    AddRows(rows);
    ASSERT_TRUE(send->Submit(*session).ok);
    ASSERT_EQ(send->Job().RowCount(), rows);
    EXPECT_EQ(send->Job().Text(0, SendJob::kCurrentStatus), SendJob::kWaiting);
    send->Open(observer);
    StartGateway(3, QStringLiteral("default"));
    ASSERT_TRUE(send->WaitForEnd(120000));

    EXPECT_EQ(observer.finished.load(), 1);
    EXPECT_EQ(observer.lastPosition, rows);
    EXPECT_EQ(observer.lastTotal, rows);
    EXPECT_EQ(observer.changed.size(), rows);
    for (int r = 0; r < rows; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(send->Job().Text(r, SendJob::kStatus), ResultText::kSentSuccessfully);
        EXPECT_EQ(send->Job().Text(r, SendJob::kCurrentStatus), SendJob::kDone);
        EXPECT_TRUE(send->Job().Text(r, SendJob::kUsePort).startsWith(QStringLiteral("35100000000")));
        EXPECT_EQ(Received(send->Job().Text(r, SendJob::kNumber)), 1);
    }
    // After the end, Close closes without a question.
    send->RequestStop(true);
    EXPECT_EQ(observer.closed.load(), 1);
    EXPECT_TRUE(prompter.Asked().empty());
}

TEST_F(DatabaseSendTest, StopDecidesTheUnclaimedRowsAndNoGatewaySendsThem) {
    const int rows = 40;
    AddRows(rows);
    ASSERT_TRUE(send->Submit(*session).ok);
    send->Open(observer);
    // Slow submissions: Stop comes while rows are claimed and most still wait.
    StartGateway(2, QStringLiteral("slow:300"));
    for (int i = 0; i < 3000 && sims[0]->SubmissionCount() + sims[1]->SubmissionCount() < 2; ++i)
        QThread::msleep(10);

    prompter.Script({Prompter::Answer::No});
    send->RequestStop(false);
    EXPECT_FALSE(send->IsFinished()); // "No": the job goes on
    prompter.Script({Prompter::Answer::Yes});
    send->RequestStop(true);
    ASSERT_TRUE(send->WaitForEnd(120000));
    for (int i = 0; i < 500 && observer.closed.load() == 0; ++i)
        QThread::msleep(10);
    EXPECT_EQ(observer.finished.load(), 1);
    EXPECT_EQ(observer.closed.load(), 1);
    EXPECT_EQ(prompter.Asked().size(), 2U);
    ASSERT_TRUE(m_gateway->waitForFinished(60000));

    int sent = 0;
    int stopped = 0;
    for (int r = 0; r < rows; ++r) {
        SCOPED_TRACE(r);
        const QString status = send->Job().Text(r, SendJob::kStatus);
        const int received = Received(send->Job().Text(r, SendJob::kNumber));
        if (status == SendJob::kStopped) {
            ++stopped;
            EXPECT_EQ(send->Job().Text(r, SendJob::kCurrentStatus), SendJob::kStopped);
            EXPECT_EQ(received, 0);
        } else {
            ++sent;
            EXPECT_EQ(status, ResultText::kSentSuccessfully);
            EXPECT_EQ(received, 1);
        }
    }
    EXPECT_GT(stopped, 0);
    EXPECT_GT(sent, 0);
    EXPECT_EQ(observer.lastPosition, rows);
}

} // namespace
