// Several gateway processes sending one job through a private PostgreSQL: every row received once across all
// simulators, with a gateway SIGKILLed in the middle and with the server stopped and started in the middle;
// the refusals of a wrong URL, login or schema.

#include "CliProcess.h"
#include "fakes/PrivatePostgres.h"
#include "sim/SimModem.h"
#include "sim/SimProfile.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QThread>

#include <memory>

namespace {

const int kGateways = 3;
const int kModemsPerGateway = 4;
const int kRows = 3000;

class GatewayCli : public CliTest {
protected:
    static void SetUpTestSuite() { s_server = PrivatePostgres::StartForSuite(&s_error); }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override {
        CliTest::SetUp();
        if (const QString missing = PrivatePostgres::MissingReason(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ASSERT_NE(s_server, nullptr) << s_error.toStdString();
        static int next = 0;
        m_database = QStringLiteral("cli%1").arg(++next);
        QString error;
        ASSERT_TRUE(s_server->CreateDatabase(m_database, &error)) << error.toStdString();
    }
    QString Url() const { return s_server->Url(m_database); }

    // Submits the rows file of n unique numbers, each with its own text; returns the job number.
    QString Submit(int n) {
        QByteArray rows;
        for (int i = 0; i < n; ++i) {
            const QString number = QStringLiteral("+1555%1").arg(i, 5, 10, QLatin1Char('0'));
            m_numbers << number;
            rows += (number + QStringLiteral("\tm%1\n").arg(i)).toUtf8();
        }
        const CliRun submitted =
            RunCli({"submit", "--db", Url(), "--rows", File(QStringLiteral("rows.txt"), rows), "--data", m_dir.path()});
        EXPECT_EQ(submitted.exitCode, 0) << submitted.err.toStdString();
        const QStringList fields = submitted.lines.value(0).split(QLatin1Char('\t'));
        EXPECT_EQ(fields.value(1), QString::number(n));
        return fields.value(0);
    }
    void StartModems(const QString& profile = QStringLiteral("default")) {
        for (int i = 0; i < kGateways * kModemsPerGateway; ++i) {
            SimModem::Options options;
            QString parsed;
            options.profile = *SimProfile::Parse(profile, &parsed);
            options.identity.imei = QStringLiteral("3510000000%1").arg(i, 5, 10, QLatin1Char('0'));
            auto sim = std::make_unique<SimModem>(options);
            QString error;
            ASSERT_TRUE(sim->Start(&error)) << error.toStdString();
            m_sims.push_back(std::move(sim));
        }
    }
    // Gateway g over its four modems, its stderr in a file.
    void StartGateway(int g, int deadAfterSeconds, int modems = kModemsPerGateway) {
        QStringList args{"gateway",
                         "--db",
                         Url(),
                         "--name",
                         QStringLiteral("g%1").arg(g),
                         "--dead-after",
                         QString::number(deadAfterSeconds),
                         "--data",
                         m_dir.filePath(QStringLiteral("host%1").arg(g))};
        for (int m = 0; m < modems; ++m)
            args << "--port" << m_sims[static_cast<size_t>(g * kModemsPerGateway + m)]->PortName();
        auto p = std::make_unique<QProcess>();
        p->setStandardErrorFile(m_dir.filePath(QStringLiteral("gateway%1.err").arg(g)));
        p->start(CliPath(), args);
        ASSERT_TRUE(p->waitForStarted(10000));
        m_gateways.push_back(std::move(p));
    }
    int Submitted() const {
        int n = 0;
        for (const auto& sim : m_sims)
            n += sim->SubmissionCount();
        return n;
    }
    void WaitForSubmissions(int n) {
        for (int i = 0; i < 6000 && Submitted() < n; ++i)
            QThread::msleep(10);
        ASSERT_GE(Submitted(), n);
    }
    // Waits for every gateway still running to end; each must end by itself with the status (-1: 0 or 1).
    void WaitForGateways(int exitCode = 0) {
        for (size_t g = 0; g < m_gateways.size(); ++g) {
            QProcess& p = *m_gateways[g];
            if (p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::CrashExit)
                continue; // the one killed
            if (p.state() != QProcess::NotRunning) {
                EXPECT_TRUE(p.waitForFinished(180000)) << g;
            }
            EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
            QFile err(m_dir.filePath(QStringLiteral("gateway%1.err").arg(g)));
            err.open(QIODevice::ReadOnly);
            if (exitCode >= 0) {
                EXPECT_EQ(p.exitCode(), exitCode) << g << ": " << err.readAll().toStdString();
            } else { // 1 when one of its devices refused a row
                EXPECT_LE(p.exitCode(), 1) << g << ": " << err.readAll().toStdString();
            }
        }
    }
    QMap<QString, int> Received() const {
        QMap<QString, int> received;
        for (const auto& sim : m_sims) {
            for (const SimSubmission& s : sim->Submissions())
                ++received[s.to];
        }
        return received;
    }
    // Each row's state number in the database, by number.
    QMap<QString, int> States() const {
        QString out, error;
        EXPECT_TRUE(
            s_server->Psql(m_database, QStringLiteral("SELECT number || ' ' || state FROM job_rows"), &out, &error))
            << error.toStdString();
        QMap<QString, int> states;
        for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            states[line.section(QLatin1Char(' '), 0, 0)] = line.section(QLatin1Char(' '), 1, 1).toInt();
        return states;
    }
    // Every row sent and received exactly once, except rows Unconfirmed (received at most once), at most
    // maxUnconfirmed of them; the job is finished.
    void ExpectEachRowOnce(int maxUnconfirmed) {
        const QMap<QString, int> received = Received();
        const QMap<QString, int> states = States();
        int unconfirmed = 0;
        for (const QString& number : m_numbers) {
            if (states.value(number) == 4) {
                ++unconfirmed;
                EXPECT_LE(received.value(number), 1) << number.toStdString();
            } else {
                EXPECT_EQ(states.value(number), 2) << number.toStdString();
                EXPECT_EQ(received.value(number), 1) << number.toStdString();
            }
        }
        EXPECT_LE(unconfirmed, maxUnconfirmed);
        const CliRun jobs = RunCli({"jobs", "--db", Url(), "--json"});
        ASSERT_EQ(jobs.exitCode, 0) << jobs.err.toStdString();
        const QJsonObject job = QJsonDocument::fromJson(jobs.lines.value(0).toUtf8()).object();
        EXPECT_EQ(job.value("state").toString(), QStringLiteral("finished"));
        EXPECT_EQ(job.value("sent").toInt() + job.value("unconfirmed").toInt(), kRows);
    }

    static inline PrivatePostgres* s_server = nullptr;
    static inline QString s_error;
    QString m_database;
    QStringList m_numbers;
    std::vector<std::unique_ptr<SimModem>> m_sims;
    std::vector<std::unique_ptr<QProcess>> m_gateways;
};

TEST_F(GatewayCli, ThreeGatewaysSendOneJobEachRowOnce) {
    const QString job = Submit(kRows);
    StartModems();
    for (int g = 0; g < kGateways; ++g)
        StartGateway(g, 10);
    WaitForGateways();
    ExpectEachRowOnce(0);
    // Every gateway took part; the status export of the job is written.
    const CliRun jobs = RunCli({"jobs", "--db", Url()});
    for (int g = 0; g < kGateways; ++g)
        EXPECT_TRUE(jobs.out.contains(QStringLiteral("\tg%1\t").arg(g))) << jobs.out.toStdString();
    const QString exported = m_dir.filePath(QStringLiteral("job.xlsx"));
    const CliRun results = RunCli({"results", "--db", Url(), "--job", job, "--status-export", exported});
    EXPECT_EQ(results.exitCode, 0) << results.err.toStdString();
    EXPECT_TRUE(QFile::exists(exported));
}

TEST_F(GatewayCli, AKilledGatewaysRowsGoToTheOthersOrAreUnconfirmed) {
    Submit(kRows);
    StartModems();
    for (int g = 0; g < kGateways; ++g)
        StartGateway(g, 2);
    WaitForSubmissions(kRows / 4);
    m_gateways[0]->kill(); // SIGKILL
    m_gateways[0]->waitForFinished(10000);
    WaitForGateways();
    // Its rows in flight (at most one per modem) may have been sent; everything else went exactly once.
    ExpectEachRowOnce(kModemsPerGateway);
}

TEST_F(GatewayCli, TheServerStoppedAndStartedMidRunSendsNothingTwice) {
    Submit(kRows);
    StartModems();
    for (int g = 0; g < kGateways; ++g)
        StartGateway(g, 10);
    WaitForSubmissions(kRows / 4);
    QString error;
    ASSERT_TRUE(s_server->Stop(&error)) << error.toStdString();
    const int atStop = Submitted();
    QThread::msleep(1500);
    // Nothing is submitted without a durable claim: at most the rows already claimed (one per modem) finish.
    EXPECT_LE(Submitted() - atStop, kGateways * kModemsPerGateway);
    ASSERT_TRUE(s_server->StartServer(&error)) << error.toStdString();
    WaitForGateways();
    ExpectEachRowOnce(0);
}

// A gateway stopped by SIGTERM finishes the rows it is sending and gives back what it reserved at once (no
// waiting for its heartbeat to go stale, nothing Unconfirmed); another gateway sends the rest.
TEST_F(GatewayCli, AStoppedGatewayGivesItsRowsBackAtOnce) {
    Submit(kRows);
    StartModems();
    StartGateway(0, 3600);
    WaitForSubmissions(kRows / 4);
    m_gateways[0]->terminate(); // SIGTERM
    ASSERT_TRUE(m_gateways[0]->waitForFinished(30000));
    EXPECT_EQ(m_gateways[0]->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_gateways[0]->exitCode(), 0);
    QString open, error;
    ASSERT_TRUE(s_server->Psql(m_database, QStringLiteral("SELECT COUNT(*) FROM job_rows WHERE state IN (1, 4, 6)"),
                               &open, &error))
        << error.toStdString();
    EXPECT_EQ(open, QStringLiteral("0"));
    EXPECT_LT(Submitted(), kRows);
    StartGateway(1, 3600);
    WaitForGateways();
    ExpectEachRowOnce(0);
}

// The job's retry passes run over every gateway's failures once no row is open: rows refused for a while by
// the network go out on a later pass (through any gateway), an unassigned number is not retried.
TEST_F(GatewayCli, RetryPassesAreTheJobsNotOneGatewaysOwn) {
    QByteArray rows;
    for (int i = 0; i < 40; ++i)
        rows += QStringLiteral("+1555%1\tm\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
    rows += "+19990000001\tdead number\n";
    const CliRun submitted = RunCli({"submit", "--db", Url(), "--rows", File(QStringLiteral("rows.txt"), rows),
                                     "--retries", "2", "--data", m_dir.path()});
    ASSERT_EQ(submitted.exitCode, 0) << submitted.err.toStdString();
    // Each modem refuses a number ending in 7 the first time it gets it (+CMS ERROR: 38, network out of order),
    // and 1999... always (+CMS ERROR: 1, unassigned number). Two gateways of one modem each: a row refused by
    // one may go to the other on the next pass, and is refused once more there; two passes send it either way.
    StartModems(QStringLiteral("tempfail:*7=38:1,reject:+1999*=1"));
    StartGateway(0, 10, 1);
    StartGateway(1, 10, 1);
    WaitForGateways(-1);
    QString out, error;
    ASSERT_TRUE(s_server->Psql(
        m_database, QStringLiteral("SELECT state, retry, COUNT(*) FROM job_rows GROUP BY 1, 2 ORDER BY 1, 2"), &out,
        &error))
        << error.toStdString();
    const QStringList groups = out.split(QLatin1Char('\n'));
    // 36 sent at once, the 4 ending in 7 sent on a retry pass, the dead number failed once and not retried.
    int sentFirst = 0, sentRetried = 0, failedOnce = 0;
    for (const QString& g : groups) {
        const QStringList f = g.split(QLatin1Char('|'));
        if (f.value(0) == QLatin1String("2") && f.value(1) == QLatin1String("0"))
            sentFirst += f.value(2).toInt();
        else if (f.value(0) == QLatin1String("2"))
            sentRetried += f.value(2).toInt();
        else if (f.value(0) == QLatin1String("3") && f.value(1) == QLatin1String("0"))
            failedOnce += f.value(2).toInt();
        else
            ADD_FAILURE() << g.toStdString();
    }
    EXPECT_EQ(sentFirst, 36) << out.toStdString();
    EXPECT_EQ(sentRetried, 4) << out.toStdString();
    EXPECT_EQ(failedOnce, 1) << out.toStdString();
}

TEST_F(GatewayCli, WrongUrlsLoginsAndSchemasAreRefusedWithTheirExitStatus) {
    EXPECT_EQ(RunCli({"jobs", "--db", "mysql://x@y/z"}).exitCode, 2);
    EXPECT_EQ(RunCli({"jobs"}).exitCode, 2);
    QString wrong = Url();
    wrong.replace(QStringLiteral("s3cret"), QStringLiteral("wrong"));
    const CliRun refused = RunCli({"jobs", "--db", wrong});
    EXPECT_EQ(refused.exitCode, 4) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(QLatin1String("refused the login"))) << refused.err.toStdString();
    const CliRun unreachable =
        RunCli({"jobs", "--db", QStringLiteral("postgresql://bulksms@/x?host=%1").arg(m_dir.filePath("none"))});
    EXPECT_EQ(unreachable.exitCode, 3) << unreachable.err.toStdString();

    ASSERT_EQ(RunCli({"jobs", "--db", Url()}).exitCode, 0); // creates the schema
    QString error;
    ASSERT_TRUE(s_server->Psql(m_database, QStringLiteral("UPDATE bulksms_schema SET version = 7"), nullptr, &error));
    const CliRun other = RunCli({"gateway", "--db", Url(), "--port", "/dev/null"});
    EXPECT_EQ(other.exitCode, 5) << other.err.toStdString();
    EXPECT_TRUE(other.err.contains(QLatin1String("schema version 7"))) << other.err.toStdString();
}

// Submit reads its list as send does: with --skip-duplicates the repeated number is left out (and said so) before
// the job is recorded; the job waits for a gateway.
TEST_F(GatewayCli, SubmitChecksTheListAsSendDoesAndShowsTheJob) {
    const QString rows = File(QStringLiteral("dups.txt"), "+15550001\ta\n+15550002\tb\n+15550001\tc\n");
    const CliRun submitted =
        RunCli({"submit", "--db", Url(), "--rows", rows, "--skip-duplicates", "--json", "--data", m_dir.path()});
    ASSERT_EQ(submitted.exitCode, 0) << submitted.err.toStdString();
    EXPECT_TRUE(submitted.err.contains(QLatin1String("+15550001"))) << submitted.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(submitted.lines.value(0).toUtf8()).object();
    EXPECT_EQ(o.value("rows").toInt(), 2);
    const CliRun jobs = RunCli({"jobs", "--db", Url(), "--json"});
    const QJsonObject job = QJsonDocument::fromJson(jobs.lines.value(0).toUtf8()).object();
    EXPECT_EQ(job.value("job").toInt(), o.value("job").toInt());
    EXPECT_EQ(job.value("pending").toInt(), 2);
    EXPECT_EQ(job.value("state").toString(), QStringLiteral("open"));
    // Without --db, or with a job number that is none, a usage error.
    EXPECT_EQ(RunCli({"submit", "--rows", rows}).exitCode, 2);
    EXPECT_EQ(RunCli({"results", "--db", Url(), "--job", "x", "--status-export", "a.xls"}).exitCode, 2);
    const CliRun missing =
        RunCli({"results", "--db", Url(), "--job", "99", "--status-export", m_dir.filePath("a.xls")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QLatin1String("no job 99"))) << missing.err.toStdString();
}

} // namespace
