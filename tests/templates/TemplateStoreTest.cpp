#include "templates/TemplateStore.h"
#include "app/DataPaths.h"
#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"
#include "templates/TemplateCache.h"
#include "templates/TemplatesController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <thread>

// Readable failure output.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using FileBytes::Utf16Le;

using Dup = TemplateStore::Duplicates;

const QByteArray kBom("\xFF\xFE");

class TemplateStoreTest : public ::testing::Test {
protected:
    QString Path() const { return m_dir.filePath("Templates.vrix"); }
    QByteArray Bytes() const {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void Put(const QByteArray& bytes) const {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList Read(Dup dup = Dup::Exact) const {
        QStringList rows;
        EXPECT_TRUE(m_store.Read(&rows, dup));
        return rows;
    }

    QTemporaryDir m_dir;
    TemplateStore m_store{m_dir.filePath("Templates.vrix")};
};

TEST_F(TemplateStoreTest, TwoLineTemplateIsStoredWithTheMarkerAfterItsCarriageReturn) {
    ASSERT_TRUE(m_store.Append(QStringLiteral("a\r\nb")));
    EXPECT_EQ(Bytes(), kBom + Utf16Le(QStringLiteral("a\r|AP*|DX/b\n")));
    EXPECT_EQ(Read(), QStringList{QStringLiteral("a\r\nb")});
}

TEST_F(TemplateStoreTest, TheRecordWrittenLastIsShownFirstAndRewriteKeepsTheOrder) {
    for (const char* text : {"first", "second", "third"})
        ASSERT_TRUE(m_store.Append(QString::fromLatin1(text)));
    const QStringList shown{"third", "second", "first"};
    EXPECT_EQ(Read(), shown);
    const QStringList edited{"top", "middle\nline", "bottom"};
    ASSERT_TRUE(m_store.Rewrite(edited));
    EXPECT_EQ(Bytes(), kBom + Utf16Le(QStringLiteral("bottom\nmiddle|AP*|DX/line\ntop\n")));
    EXPECT_EQ(Read(), edited);
    ASSERT_TRUE(m_store.Rewrite({}));
    EXPECT_EQ(Bytes(), kBom);
}

TEST_F(TemplateStoreTest, ReadingRules) {
    struct Case {
        const char* name;
        QByteArray bytes;
        Dup dup;
        QStringList rows;
    };
    const std::vector<Case> cases = {
        {"empty file", {}, Dup::Exact, {}},
        {"mark only", kBom, Dup::Exact, {}},
        {"last record without U+000A is lost", kBom + Utf16Le("one\ntwo"), Dup::Exact, {"one"}},
        {"repeated record shown once, the next intact", kBom + Utf16Le("A\nB\nA\nC\n"), Dup::Exact, {"C", "B", "A"}},
        {"window test keeps letter case apart", kBom + Utf16Le("Hi\nhi\n"), Dup::Exact, {"hi", "Hi"}},
        {"cache test ignores letter case", kBom + Utf16Le("Hi\nhi\nHI there\n"), Dup::IgnoreCase, {"HI there", "Hi"}},
        {"empty records skipped", kBom + Utf16Le("\n\nx\n\n"), Dup::Exact, {"x"}},
        {"U+FEFF ignored wherever it stands", kBom + Utf16Le("a\uFEFFb\n\uFEFF\n"), Dup::Exact, {"ab"}},
        {"marker-only record is a line feed", kBom + Utf16Le("|AP*|DX/\n"), Dup::Exact, {"\n"}},
        {"no byte-order mark is read the same", Utf16Le("x\ny\n"), Dup::Exact, {"y", "x"}},
        {"odd trailing byte ignored", kBom + Utf16Le("x\n") + "y", Dup::Exact, {"x"}},
    };
    for (const Case& c : cases) {
        Put(c.bytes);
        EXPECT_EQ(Read(c.dup), c.rows) << c.name;
    }
}

TEST_F(TemplateStoreTest, AppendNeverGluesOntoARecordCutShort) {
    Put(kBom + Utf16Le("whole\ncut sh"));
    ASSERT_TRUE(m_store.Append(QStringLiteral("new")));
    EXPECT_EQ(Read(), (QStringList{"new", "cut sh", "whole"}));
    Put(kBom + Utf16Le("whole\n") + "c"); // half a code unit
    ASSERT_TRUE(m_store.Append(QStringLiteral("new")));
    EXPECT_EQ(Read().first(), QStringLiteral("new"));
    EXPECT_EQ(Read().last(), QStringLiteral("whole"));
}

TEST_F(TemplateStoreTest, MissingOrUnreadableStoreIsReported) {
    QStringList rows{"stale"};
    FileError error;
    EXPECT_FALSE(m_store.Read(&rows, Dup::Exact, &error));
    EXPECT_TRUE(rows.isEmpty());
    EXPECT_EQ(error.osError, ENOENT);
}

bool RewriteOverTheLimit(const TemplateStore& store) {
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << QStringLiteral("template %1 with some text in it").arg(i);
    const rlimit limit{8192, 8192};
    setrlimit(RLIMIT_FSIZE, &limit);
    return store.Rewrite(many);
}

TEST_F(TemplateStoreTest, RewriteFailingMidwayLeavesTheOldStoreIntact) {
    ASSERT_TRUE(m_store.Append(QStringLiteral("keep me")));
    const QByteArray before = Bytes();
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            std::_Exit(RewriteOverTheLimit(m_store) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(RewriteOverTheLimit(m_store), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(Bytes(), before);
}

TEST_F(TemplateStoreTest, CacheSavesEachTextOnceIgnoringLetterCase) {
    Put(kBom + Utf16Le("Hello\n"));
    TemplateCache cache(m_store);
    ASSERT_TRUE(cache.Reload());
    EXPECT_FALSE(cache.SaveToTemplates(QStringLiteral("HELLO")));
    EXPECT_FALSE(cache.SaveToTemplates(QString()));
    EXPECT_TRUE(cache.SaveToTemplates(QStringLiteral("New one")));
    EXPECT_FALSE(cache.SaveToTemplates(QStringLiteral("new ONE")));
    EXPECT_EQ(cache.Entries(), (QStringList{"New one", "Hello"}));
    EXPECT_EQ(Read(), (QStringList{"New one", "Hello"}));
}

TEST_F(TemplateStoreTest, CacheFromSeveralWorkersStoresEachMessageOnce) {
    Put(kBom);
    TemplateCache cache(m_store);
    ASSERT_TRUE(cache.Reload());
    {
        std::vector<std::jthread> workers;
        for (int t = 0; t < 6; ++t) {
            workers.emplace_back([&cache, t] {
                for (int i = 0; i < 40; ++i)
                    cache.SaveToTemplates((t % 2 ? QStringLiteral("MESSAGE %1") : QStringLiteral("message %1")).arg(i));
            });
        }
    }
    EXPECT_EQ(Read(Dup::IgnoreCase).size(), 40);
    EXPECT_EQ(Read(Dup::Exact).size(), 40) << "no text stored twice, in either case";
}

TEST_F(TemplateStoreTest, CacheWriteFailureIsSilentAndTriedAgainLater) {
    QDir().mkpath(Path()); // a folder where the store should be
    TemplateCache cache(m_store);
    FileError error;
    EXPECT_FALSE(cache.Reload(&error));
    EXPECT_FALSE(cache.SaveToTemplates(QStringLiteral("x")));
    EXPECT_TRUE(cache.Entries().isEmpty());
}

TEST(TemplatesController, TemplateTextCheck) {
    const QStringList rows{"Alpha", "Beta", QString(1601, 'i')};
    struct Case {
        QString text;
        qsizetype ownRow;
        QString refusal;
    };
    const std::vector<Case> cases = {
        {"", -1, "Please type template message."},
        {"Beta", -1, "Entered template already exists."},
        {"beta", -1, ""},
        {"Beta", 1, ""}, // updating a template to its own unchanged text
        {"Beta", 0, "Entered template already exists."},
        {QString(1600, 'x'), -1, ""},
        {QString(1601, 'x'), -1, TemplatesController::kTooLong},
        {QString(1601, 'i'), 2, ""}, // an imported long template kept unchanged
        {QString(1601, 'x'), 2, TemplatesController::kTooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TemplatesController::CheckTemplateText(c.text, rows, c.ownRow), c.refusal)
            << c.text.left(10).toStdString();
}

TEST(TemplatesController, LoadAndAddNewKeepTheStoreInWindowOrder) {
    QTemporaryDir app;
    const DataPaths paths(app.path());
    ScriptedPrompter prompter;
    TemplatesController controller(paths, prompter);
    ASSERT_TRUE(controller.Load()); // creates the data files first
    EXPECT_EQ(controller.CountText(), "Total Items : 0");

    EXPECT_TRUE(controller.AddNew(QStringLiteral("one")));
    EXPECT_TRUE(controller.AddNew(QStringLiteral("two\r\nlines")));
    EXPECT_FALSE(controller.AddNew(QStringLiteral("one")));
    EXPECT_FALSE(controller.AddNew(QString()));
    ASSERT_EQ(prompter.Asked().size(), 2u);
    EXPECT_EQ(prompter.Messages(), (QStringList{"Entered template already exists.", "Please type template message."}));
    EXPECT_EQ(prompter.Asked()[0].caption, "Message");
    EXPECT_EQ(prompter.Asked()[0].icon, Prompter::Icon::Information);
    EXPECT_EQ(controller.Rows(), (QStringList{"two\r\nlines", "one"}));
    EXPECT_EQ(controller.CountText(), "Total Items : 2");

    TemplatesController reopened(paths, prompter);
    ASSERT_TRUE(reopened.Load());
    EXPECT_EQ(reopened.Rows(), controller.Rows());
}

TEST(TemplatesController, UnreadableStoreShowsTheFileErrorText) {
    QTemporaryDir app;
    const DataPaths paths(app.path());
    QDir().mkpath(paths.TemplatesFile());
    ScriptedPrompter prompter;
    TemplatesController controller(paths, prompter);
    EXPECT_FALSE(controller.Load());
    EXPECT_EQ(prompter.Messages(), QStringList{"Error in file accessing.\n\nOR\n\nIs a directory"});
    EXPECT_FALSE(controller.AddNew(QStringLiteral("x")));
    EXPECT_TRUE(controller.Rows().isEmpty());
}

} // namespace
