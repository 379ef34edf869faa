// bulksms-cli templates: the template store of a data folder listed and added to.
#include "CliProcess.h"

#include "app/DataPaths.h"
#include "fakes/ScriptedPrompter.h"
#include "templates/TemplatesController.h"

#include <QProcess>

#include <memory>
#include <vector>

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

// The templates window (its controller, in this process) and bulksms-cli change the same store: every change
// of either is a read-change-rewrite under the store's locks, so neither loses what the other added, also when
// they run at the same moment.
TEST_F(TemplatesCommand, TheWindowKeepsTemplatesBulksmsCliAddsWhileItIsOpen) {
    const DataPaths paths(m_dir.path());
    ScriptedPrompter prompter;
    TemplatesController window(paths, prompter);
    ASSERT_TRUE(window.Load());
    ASSERT_TRUE(window.AddNew(QStringLiteral("w0")));
    ASSERT_EQ(Run({"--add", "cli"}).exitCode, 0);
    ASSERT_TRUE(window.RemoveRows({0})); // the window still shows w0 alone
    EXPECT_EQ(window.Rows(), QStringList{"cli"});

    std::vector<std::unique_ptr<QProcess>> adders;
    QStringList expected{"cli"};
    for (int i = 0; i < 4; ++i) {
        auto& adder = adders.emplace_back(std::make_unique<QProcess>());
        const QString text = QStringLiteral("p%1").arg(i);
        adder->start(CliPath(), {"templates", "--data", m_dir.path(), "--add", text});
        expected << text;
    }
    for (int i = 0; i < 20; ++i) {
        const QString text = QStringLiteral("w%1").arg(i + 1);
        EXPECT_TRUE(window.AddNew(text));
        expected << text;
    }
    for (auto& adder : adders) {
        ASSERT_TRUE(adder->waitForFinished(60000));
        EXPECT_EQ(adder->exitCode(), 0) << adder->readAllStandardError().toStdString();
    }
    ASSERT_TRUE(window.Load());
    QStringList shown = window.Rows();
    shown.sort();
    expected.sort();
    EXPECT_EQ(shown, expected);
}

} // namespace
