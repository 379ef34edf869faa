// bulksms-cli templates: the template store of a data folder listed and added to.
#include "CliProcess.h"

namespace {

class TemplatesCommand : public CliTest {
protected:
    CliRun Run(const QStringList& args) { return RunCli(QStringList{"templates", "--data", m_dir.path()} + args); }
};

TEST_F(TemplatesCommand, ListsInWindowOrderAndRefusesAnExistingText) {
    EXPECT_EQ(Run({"--add", "first"}).exitCode, 0);
    CliRun run = Run({"--add", "second\nline"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "second\\nline\nfirst\n");
    run = Run({"--add", "first"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Entered template already exists.\n");
    EXPECT_EQ(run.out, "");
    run = Run({});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "second\\nline\nfirst\n");
}

} // namespace
