// The templates window's commands over its list and the store: Update, the clear commands and Use Template.

#include "templates/TemplatesController.h"

#include "app/DataPaths.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <functional>

#include <gtest/gtest.h>

namespace {

using FileBytes::ReadAll;
using FileBytes::Utf16File;

class TemplatesControllerTest : public ::testing::Test {
protected:
    // The store holds c, b, a in file order, so the window shows a, b, c.
    TemplatesControllerTest() {
        m_paths.EnsureDataFiles();
        EXPECT_TRUE(TemplateStore(m_paths.TemplatesFile()).Append(QStringList{"c", "b", "a"}));
        EXPECT_TRUE(m_controller.Load());
    }

    QTemporaryDir m_dir;
    DataPaths m_paths{m_dir.path()};
    ScriptedPrompter m_prompter;
    TemplatesController m_controller{m_paths, m_prompter};
};

TEST_F(TemplatesControllerTest, SelectionRefusalsOfUpdateClearSelectedAndUseTemplate) {
    struct Case {
        std::vector<qsizetype> rows;
        QString update, clear, use; // empty: allowed
    };
    const Case cases[] = {
        {{},
         TemplatesController::kSelectToUpdate,
         TemplatesController::kSelectAtLeastOne,
         TemplatesController::kSelectToUse},
        {{0, 2}, TemplatesController::kOnlyOneToUpdate, {}, TemplatesController::kOnlyOneToUse},
        {{1}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        m_prompter.Clear();
        EXPECT_EQ(m_controller.MayUpdate(c.rows), c.update.isEmpty());
        EXPECT_EQ(m_controller.MayClearSelected(c.rows), c.clear.isEmpty());
        EXPECT_EQ(m_controller.UseTemplate(c.rows, QString(), 0, 0).has_value(), c.use.isEmpty());
        QStringList expected;
        for (const QString& message : {c.update, c.clear, c.use}) {
            if (!message.isEmpty())
                expected << message;
        }
        EXPECT_EQ(m_prompter.Messages(), expected) << c.rows.size();
    }

    m_prompter.Clear();
    m_controller.RemoveRows({0, 1, 2});
    EXPECT_FALSE(m_controller.MayUpdate({0}));
    EXPECT_FALSE(m_controller.MayClearSelected({0}));
    EXPECT_FALSE(m_controller.ClearAll());
    EXPECT_FALSE(m_controller.UseTemplate({0}, QString(), 0, 0));
    EXPECT_EQ(m_prompter.Messages(), QStringList(4, TemplatesController::kEmptyList));
    EXPECT_EQ(TemplatesController::kEmptyList, QStringLiteral("Template list is empty."));
}

TEST_F(TemplatesControllerTest, UpdateKeepsItsOwnTextAndRefusesAnotherTemplatesText) {
    EXPECT_TRUE(m_controller.Update(1, QStringLiteral("b")));
    EXPECT_FALSE(m_controller.Update(1, QStringLiteral("a")));
    EXPECT_FALSE(m_controller.Update(1, QString()));
    EXPECT_TRUE(m_controller.Update(1, QStringLiteral("B\r\nnew")));
    EXPECT_EQ(m_controller.Rows(), (QStringList{"a", "B\r\nnew", "c"}));
    EXPECT_EQ(m_prompter.Messages(),
              (QStringList{TemplatesController::kAlreadyExists, TemplatesController::kTypeTemplate}));
    // Written at once, bottom row first; a refused text writes nothing.
    EXPECT_EQ(ReadAll(m_paths.TemplatesFile()), Utf16File(QStringLiteral("c\nB\r|AP*|DX/new\na\n")));
}

TEST_F(TemplatesControllerTest, ClearSelectedRemovesTheRowsFromTheStore) {
    EXPECT_TRUE(m_controller.RemoveRows({0, 2, 7}));
    EXPECT_EQ(m_controller.Rows(), QStringList{"b"});
    TemplatesController reopened(m_paths, m_prompter);
    ASSERT_TRUE(reopened.Load());
    EXPECT_EQ(reopened.Rows(), QStringList{"b"});
}

TEST_F(TemplatesControllerTest, ClearAllAsksThenWritesAnEmptyStore) {
    m_prompter.Script({Prompter::Answer::No});
    EXPECT_FALSE(m_controller.ClearAll());
    EXPECT_EQ(m_controller.Rows().size(), 3);
    ASSERT_EQ(m_prompter.Asked().size(), 1u);
    EXPECT_EQ(m_prompter.Asked()[0].message, TemplatesController::kClearAllQuestion);
    EXPECT_EQ(m_prompter.Asked()[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(m_prompter.Asked()[0].icon, Prompter::Icon::Warning);
    EXPECT_EQ(m_prompter.Asked()[0].buttons, Prompter::Buttons::YesNo);

    m_prompter.Script({Prompter::Answer::Yes});
    EXPECT_TRUE(m_controller.ClearAll());
    EXPECT_TRUE(m_controller.Rows().isEmpty());
    EXPECT_EQ(ReadAll(m_paths.TemplatesFile()), QByteArray("\xFF\xFE"));
}

TEST_F(TemplatesControllerTest, ClearAllThatCannotWriteTheStoreKeepsTheRows) {
    ASSERT_TRUE(QFile::remove(m_paths.TemplatesFile()));
    ASSERT_TRUE(QDir().mkpath(m_paths.TemplatesFile())); // a folder where the store should be
    m_prompter.Script({Prompter::Answer::Yes});
    EXPECT_FALSE(m_controller.ClearAll());
    EXPECT_EQ(m_controller.Rows().size(), 3);
    ASSERT_EQ(m_prompter.Messages().size(), 2);
    EXPECT_TRUE(m_prompter.Messages().back().startsWith(QLatin1String("Error in ")))
        << m_prompter.Messages().back().toStdString();
}

TEST_F(TemplatesControllerTest, UseTemplatePutsTheTemplateInPlaceOfTheComposersSelection) {
    struct Case {
        QString composer;
        qsizetype start, end;
        QString expected;
    };
    ASSERT_TRUE(m_controller.Update(1, QStringLiteral("T1\r\nT2")));
    const Case cases[] = {
        {QString(), 0, 0, QStringLiteral("T1\r\nT2")},
        {QStringLiteral("tail"), 0, 0, QStringLiteral("T1\r\nT2tail")},
        {QStringLiteral("Hello world"), 6, 11, QStringLiteral("Hello T1\r\nT2")},
        {QStringLiteral("Hello world"), 11, 6, QStringLiteral("Hello T1\r\nT2")}, // a selection made backwards
        {QStringLiteral("a\nb"), 2, 2, QStringLiteral("a\r\nT1\r\nT2b")},         // the view's own line breaks
    };
    for (const Case& c : cases)
        EXPECT_EQ(m_controller.UseTemplate({1}, c.composer, c.start, c.end), c.expected) << c.composer.toStdString();
    EXPECT_TRUE(m_prompter.Asked().empty());
    m_controller.ReportUsed();
    EXPECT_EQ(m_prompter.Messages(), QStringList{TemplatesController::kMovedToComposer});
}

TEST_F(TemplatesControllerTest, UseTemplateOverTheLimitAsksAndKeepsTheFirst1600OnYes) {
    const QString composer(1500, QLatin1Char('c'));
    ASSERT_TRUE(m_controller.Update(0, QString(200, QLatin1Char('t'))));
    m_prompter.Script({Prompter::Answer::No, Prompter::Answer::Yes});
    EXPECT_FALSE(m_controller.UseTemplate({0}, composer, 1500, 1500).has_value());
    const std::optional<QString> kept = m_controller.UseTemplate({0}, composer, 1500, 1500);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(*kept, composer + QString(100, QLatin1Char('t')));
    ASSERT_EQ(m_prompter.Asked().size(), 2u);
    EXPECT_EQ(
        m_prompter.Asked()[0].message,
        QStringLiteral("Maximum characters limit is 1600.\n\nPress \u2018Yes\u2019 to continue to composer window "
                       "and it will show first 1600 characters of your message otherwise press \u2018No\u2019."));
    EXPECT_EQ(m_prompter.Asked()[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(m_prompter.Asked()[0].icon, Prompter::Icon::Warning);

    // A line break counts two, and the cut never falls between its CR and LF.
    m_prompter.Clear();
    ASSERT_TRUE(m_controller.Update(0, QStringLiteral("\nx")));
    m_prompter.Script({Prompter::Answer::Yes});
    const std::optional<QString> cut = m_controller.UseTemplate({0}, QString(1599, QLatin1Char('c')), 1599, 1599);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(m_prompter.Asked().size(), 1u);
    EXPECT_EQ(*cut, QString(1599, QLatin1Char('c')));
}

// Another process (a second store object here; bulksms-cli in the command tests) adds a template while the
// window shows its list. Every change the window makes works on the store as it is then: the other template
// stays, in the store and in the list the window shows next.
TEST_F(TemplatesControllerTest, EveryChangeKeepsTemplatesAnotherProcessAddedMeanwhile) {
    const TemplateStore other(m_paths.TemplatesFile());
    struct Case {
        const char* name;
        std::function<bool()> change;
        QStringList rows; // the list after the change
    };
    std::atomic<qsizetype> progress = 0;
    const Case cases[] = {
        {"add", [&] { return m_controller.AddNew(QStringLiteral("n")); }, {"n", "x1", "a", "b", "c"}},
        {"update", [&] { return m_controller.Update(3, QStringLiteral("B")); }, {"x2", "n", "x1", "a", "B", "c"}},
        {"clear selected", [&] { return m_controller.RemoveRows({2, 3}); }, {"x3", "x2", "n", "B", "c"}},
        {"import",
         [&] { return m_controller.AddImported({"i1", "x4", "c", "i2"}, &progress) == 2; },
         {"i2", "i1", "x4", "x3", "x2", "n", "B", "c"}},
        {"clear all", [&] { return m_controller.ClearAll(); }, {"x5"}},
    };
    m_prompter.Script({Prompter::Answer::Yes});
    int added = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(other.Append(QStringLiteral("x%1").arg(++added)));
        EXPECT_TRUE(c.change()) << c.name;
        EXPECT_EQ(m_controller.Rows(), c.rows) << c.name;
        QStringList stored;
        ASSERT_TRUE(other.Read(&stored, TemplateStore::Duplicates::Exact));
        EXPECT_EQ(stored, c.rows) << c.name;
    }
    EXPECT_EQ(progress.load(), 2);
    EXPECT_EQ(m_prompter.Messages(), QStringList{TemplatesController::kClearAllQuestion});
}

// What the other process did meanwhile decides: a text it added is refused as already there, and a template
// it removed that the window updates comes back with the new text on top.
TEST_F(TemplatesControllerTest, ChangesAreCheckedAgainstTheStoreAsItIsNow) {
    const TemplateStore other(m_paths.TemplatesFile());
    ASSERT_TRUE(other.Append(QStringLiteral("x")));
    EXPECT_FALSE(m_controller.AddNew(QStringLiteral("x")));
    EXPECT_EQ(m_prompter.Messages(), QStringList{TemplatesController::kAlreadyExists});
    EXPECT_EQ(m_controller.Rows(), (QStringList{"x", "a", "b", "c"})); // shown anew after the refusal

    ASSERT_TRUE(other.Rewrite({"x", "a", "c"}));
    EXPECT_TRUE(m_controller.Update(2, QStringLiteral("b2")));
    EXPECT_EQ(m_controller.Rows(), (QStringList{"b2", "x", "a", "c"}));
}

// A store that could not be read is never replaced by a list that never held its templates: a later change
// reads the store again and keeps what it holds.
TEST(TemplatesControllerStore, AChangeAfterAFailedLoadKeepsTheStoredTemplates) {
    QTemporaryDir dir;
    const DataPaths paths(dir.path());
    paths.EnsureDataFiles();
    ScriptedPrompter prompter;
    ASSERT_TRUE(TemplateStore(paths.TemplatesFile()).Append(QStringLiteral("kept")));
    const QString aside = paths.TemplatesFile() + QStringLiteral(".aside");
    ASSERT_TRUE(QFile::rename(paths.TemplatesFile(), aside));
    ASSERT_TRUE(QDir().mkpath(paths.TemplatesFile()));
    TemplatesController failed(paths, prompter);
    EXPECT_FALSE(failed.Load());
    ASSERT_TRUE(QDir().rmdir(paths.TemplatesFile()));
    ASSERT_TRUE(QFile::rename(aside, paths.TemplatesFile()));
    EXPECT_TRUE(failed.AddNew(QStringLiteral("new")));
    EXPECT_EQ(failed.Rows(), (QStringList{"new", "kept"}));
}

} // namespace
