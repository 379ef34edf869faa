// bulksms-cli sent: the sent items log of a data folder, one record a line.
#include "CliProcess.h"

#include "app/DataPaths.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsController.h"
#include "records/SentItemsStore.h"
#include "sim/SimModem.h"

namespace {

class SentCommand : public CliTest {};

TEST_F(SentCommand, PrintsEveryRecordWithLineFeedsShown) {
    const DataPaths paths(m_dir.path());
    paths.EnsureDataFiles();
    const SentItemsStore store(paths.SentItemFile());
    ASSERT_TRUE(store.Append({"+441", "a\r\nb", "05/03/2024", "Message sent successfully."}));
    ASSERT_TRUE(store.Append({"2", "\u00E9", "06/03/2024", "Error : x"}));
    const CliRun run = RunCli({"sent", "--data", m_dir.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(
        run.out,
        QStringLiteral("+441\ta\r\\nb\t05/03/2024\tMessage sent successfully.\n2\t\u00E9\t06/03/2024\tError : x\n"));
}

} // namespace

// --number finds one person's entries in any written form under the default country.
TEST_F(SentCommand, NumberFindsOnePersonsEntriesInAnyForm) {
    const DataPaths paths(m_dir.path());
    paths.EnsureDataFiles();
    const SentItemsStore store(paths.SentItemFile());
    for (const char* number : {"07700 900555", "+447700900556", "0044-7700-900555"})
        ASSERT_TRUE(store.Append(SentItemsStore::MakeRecord(QString::fromLatin1(number), QStringLiteral("Hi"),
                                                            QStringLiteral("Message sent successfully."))));
    CliRun r = RunCli({"sent", "--data", m_dir.path(), "--number", "+447700900555", "--country", "GB"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(r.lines[0].startsWith(QStringLiteral("07700 900555\t")));
    EXPECT_TRUE(r.lines[1].startsWith(QStringLiteral("0044-7700-900555\t")));
    r = RunCli({"sent", "--data", m_dir.path(), "--number", "+447700900555", "--country", ""});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.lines.isEmpty()) << r.out.toStdString();
}

// The sent items window's Clear All (its controller, in this process) while bulksms-cli sends and logs more: the
// entries the window showed go, those the send appended since stay.
TEST_F(SentCommand, ClearAllKeepsEntriesASendLoggedSinceTheWindowReadTheLog) {
    const DataPaths paths(m_dir.path());
    paths.EnsureDataFiles();
    const SentItemsStore store(paths.SentItemFile());
    ASSERT_TRUE(store.Append(SentItemsStore::MakeRecord(QStringLiteral("+4401"), QStringLiteral("old"),
                                                        QStringLiteral("Message sent successfully."))));
    ScriptedPrompter prompter;
    SentItemsController window(store, prompter);
    ASSERT_TRUE(window.Apply(window.Read()));

    SimModem::Options options;
    options.identity.imei = QStringLiteral("350000000000001");
    SimModem sim(options);
    QString error;
    ASSERT_TRUE(sim.Start(&error)) << error.toStdString();
    const QString rows = File(QStringLiteral("rows.txt"), "+15550001\tnew one\n+15550002\tnew two\n");
    const CliRun send = RunCli({"send", "--port", sim.PortName(), "--rows", rows, "--timing", "fast", "--save-sent",
                                "--data", m_dir.path()});
    ASSERT_EQ(send.exitCode, 0) << send.err.toStdString();

    ASSERT_TRUE(window.Apply(window.RemoveAll()));
    QStringList kept;
    for (const SentItemRecord& record : window.Records())
        kept << record.number;
    kept.sort();
    EXPECT_EQ(kept, (QStringList{"+15550001", "+15550002"}));
    const CliRun sent = RunCli({"sent", "--data", m_dir.path()});
    EXPECT_EQ(sent.lines.size(), 2) << sent.out.toStdString();
}
