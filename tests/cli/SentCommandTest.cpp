// bulksms-cli sent: the sent items log of a data folder, one record a line.
#include "CliProcess.h"

#include "app/DataPaths.h"
#include "records/SentItemsStore.h"

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
