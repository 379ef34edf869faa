// The templates window's commands over its list: Update, the clear commands, Use Template and Close.

#include "templates/TemplatesController.h"

#include "app/DataPaths.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    // Nothing is written before Close; Close writes the rows bottom up.
    EXPECT_EQ(ReadAll(m_paths.TemplatesFile()), Utf16File(QStringLiteral("c\nb\na\n")));
    ASSERT_TRUE(m_controller.Save());
    EXPECT_EQ(ReadAll(m_paths.TemplatesFile()), Utf16File(QStringLiteral("c\nB\r|AP*|DX/new\na\n")));
}

TEST_F(TemplatesControllerTest, ClearSelectedRemovesTheRowsAndCloseWritesTheRest) {
    m_controller.RemoveRows({0, 2, 7});
    EXPECT_EQ(m_controller.Rows(), QStringList{"b"});
    ASSERT_TRUE(m_controller.Save());
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

TEST(TemplatesControllerClose, AStoreThatCouldNotBeReadIsNeverOverwritten) {
    QTemporaryDir dir;
    const DataPaths paths(dir.path());
    paths.EnsureDataFiles();
    ScriptedPrompter prompter;
    const QByteArray stored = Utf16File(QStringLiteral("kept\n"));
    {
        QFile file(paths.TemplatesFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    TemplatesController neverLoaded(paths, prompter);
    EXPECT_TRUE(neverLoaded.Save());
    EXPECT_EQ(ReadAll(paths.TemplatesFile()), stored);

    // A store that could not be read (here: a folder for a moment) is left alone at Close.
    const QString aside = paths.TemplatesFile() + QStringLiteral(".aside");
    ASSERT_TRUE(QFile::rename(paths.TemplatesFile(), aside));
    ASSERT_TRUE(QDir().mkpath(paths.TemplatesFile()));
    TemplatesController failed(paths, prompter);
    EXPECT_FALSE(failed.Load());
    ASSERT_TRUE(QDir().rmdir(paths.TemplatesFile()));
    ASSERT_TRUE(QFile::rename(aside, paths.TemplatesFile()));
    EXPECT_TRUE(failed.Save());
    EXPECT_EQ(ReadAll(paths.TemplatesFile()), stored);
}

} // namespace
