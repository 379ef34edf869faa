// bulksms-cli exclusion: the lists of a data folder created, shown, applied and refused.
#include "CliProcess.h"

#include <QFile>

namespace {

class ExclusionCommandTest : public CliTest {
protected:
    // Runs "bulksms-cli exclusion --data <temp> ARGS"; gives the exit code and keeps stdout and stderr.
    int Run(const QStringList& args) {
        const CliRun run =
            RunCli(QStringList{QStringLiteral("exclusion"), QStringLiteral("--data"), m_dir.path()} + args);
        m_out = run.out;
        m_err = run.err;
        return run.exitCode;
    }

    QString m_out;
    QString m_err;
};

TEST_F(ExclusionCommandTest, CreateShowApplyAndList) {
    const QString numbers = File(QStringLiteral("n.txt"), QByteArray("0044-207946,(020) 7946\r\n+4412\n12a4\n+4412"));
    EXPECT_EQ(Run({QStringLiteral("--lists")}), 0);
    EXPECT_EQ(m_out, QString());

    EXPECT_EQ(Run({QStringLiteral("--create"), QStringLiteral("Sales"), QStringLiteral("--numbers"), numbers}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Total Numbers : 3\n"));
    EXPECT_EQ(Run({QStringLiteral("--create"), QStringLiteral("Admin"), QStringLiteral("--numbers"), numbers}), 0);

    EXPECT_EQ(Run({QStringLiteral("--show"), QStringLiteral("sales")}), 0);
    EXPECT_EQ(m_out, QStringLiteral("0044207946\n0207946\n+4412\n"));

    EXPECT_EQ(
        Run({QStringLiteral("--apply"), QStringLiteral("Admin"), QStringLiteral("Sales"), QStringLiteral("ADMIN")}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Admin\nSales\n"));
    QFile applied(m_dir.filePath(QStringLiteral("BULK_SMS_DATA/AppExclusion.vrix")));
    ASSERT_TRUE(applied.open(QIODevice::ReadOnly));
    EXPECT_EQ(applied.readAll(), QByteArray("\xFF\xFE"
                                            "A\0d\0m\0i\0n\0\n\0S\0a\0l\0e\0s\0\n\0",
                                            26));

    EXPECT_EQ(Run({QStringLiteral("--lists")}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Sales\nAdmin\n"));

    EXPECT_EQ(Run({QStringLiteral("--apply")}), 0); // none applied
    EXPECT_EQ(m_out, QString());
}

TEST_F(ExclusionCommandTest, RefusalsPrintTheProgramsMessage) {
    const QString numbers = File(QStringLiteral("n.txt"), QByteArray("111"));
    const QString utf8 = File(QStringLiteral("u.txt"), QByteArray("\xEF\xBB\xBF"
                                                                  "111"));
    const QString empty = File(QStringLiteral("e.txt"), QByteArray());
    const QString invalid = File(QStringLiteral("i.txt"), QByteArray("12a4,44+12"));
    const QString csv = File(QStringLiteral("n.csv"), QByteArray("111"));
    ASSERT_EQ(Run({QStringLiteral("--create"), QStringLiteral("Sales"), QStringLiteral("--numbers"), numbers}), 0);

    struct Case {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("--create"), QStringLiteral("SALES"), QStringLiteral("--numbers"), numbers},
         QStringLiteral("Entered exclusion list name already exists.")},
        {{QStringLiteral("--create"), QStringLiteral("lpt3"), QStringLiteral("--numbers"), numbers},
         QStringLiteral("Please enter a valid name.")},
        {{QStringLiteral("--create"), QStringLiteral("ExListIndex"), QStringLiteral("--numbers"), numbers},
         QStringLiteral("Please enter the another name.")},
        {{QStringLiteral("--create"), QStringLiteral(" "), QStringLiteral("--numbers"), numbers},
         QStringLiteral("Please enter exclusion list name.")},
        {{QStringLiteral("--create"), QStringLiteral("A"), QStringLiteral("--numbers"), utf8},
         QStringLiteral("Please select the ANSI encoded text file.")},
        {{QStringLiteral("--create"), QStringLiteral("A"), QStringLiteral("--numbers"), empty},
         QStringLiteral("File is empty.")},
        {{QStringLiteral("--create"), QStringLiteral("A"), QStringLiteral("--numbers"), invalid},
         QStringLiteral("Either file is corrupted or selected file contains invalid characters.\n\nOR\n\n"
                        "Numbers are skipped because of duplicate number already exits in the exclusion list.")},
        {{QStringLiteral("--create"), QStringLiteral("A"), QStringLiteral("--numbers"), m_dir.filePath("no.txt")},
         QStringLiteral("File does not exist on selected location.")},
        {{QStringLiteral("--create"), QStringLiteral("A"), QStringLiteral("--numbers"), csv},
         QStringLiteral("Please select a valid file.")},
        {{QStringLiteral("--show"), QStringLiteral("Nope")},
         QStringLiteral("There is no exclusion list named \"Nope\".")},
        {{QStringLiteral("--apply"), QStringLiteral("Sales"), QStringLiteral("Nope")},
         QStringLiteral("There is no exclusion list named \"Nope\".")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(m_err, c.message + QLatin1Char('\n')) << c.args.join(' ').toStdString();
    }
    // Nothing refused was stored.
    EXPECT_EQ(Run({QStringLiteral("--lists")}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Sales\n"));
}

TEST_F(ExclusionCommandTest, UsageErrors) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({QStringLiteral("--lists"), QStringLiteral("--show"), QStringLiteral("A")}), 2);
    EXPECT_EQ(Run({QStringLiteral("--create"), QStringLiteral("A")}), 2);
    EXPECT_EQ(Run({QStringLiteral("--lists"), QStringLiteral("extra")}), 2);
}

} // namespace
