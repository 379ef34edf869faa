#include "app/UserGuide.h"

#include "app/FileOpener.h"
#include "fakes/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class UserGuideTest : public ::testing::Test {
protected:
    // Candidates for a program in <dir>/bin: <dir>/bin/user-guide.html, <dir>/share/bulksms/user-guide.html.
    UserGuideTest() { QDir(m_dir.path()).mkpath(QStringLiteral("bin")); }

    QString Put(const QString& relative) {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
        return path;
    }
    QStringList Candidates() const { return UserGuide::Candidates(m_dir.filePath(QStringLiteral("bin"))).mid(0, 2); }

    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    QStringList m_launched;
    bool m_browser = true;
    FileOpener m_opener{m_prompter, [this](const QString& path) {
                            m_launched << path;
                            return m_browser;
                        }};
};

TEST_F(UserGuideTest, TheGuideBesideTheProgramComesBeforeTheInstalledOne) {
    EXPECT_EQ(Candidates(),
              (QStringList{m_dir.filePath("bin/user-guide.html"), m_dir.filePath("share/bulksms/user-guide.html")}));
    const QString installed = Put(QStringLiteral("share/bulksms/user-guide.html"));
    EXPECT_EQ(UserGuide::Locate(Candidates()), installed);
    const QString beside = Put(QStringLiteral("bin/user-guide.html"));
    EXPECT_EQ(UserGuide::Locate(Candidates()), beside);

    EXPECT_TRUE(UserGuide::Open(Candidates(), m_opener, m_prompter));
    EXPECT_EQ(m_launched, QStringList{beside});
    EXPECT_TRUE(m_prompter.Asked().empty());
}

TEST_F(UserGuideTest, AMissingGuideSaysWhereItWasLookedFor) {
    QDir(m_dir.path()).mkpath(QStringLiteral("bin/user-guide.html")); // a folder of that name is no guide
    EXPECT_FALSE(UserGuide::Open(Candidates(), m_opener, m_prompter));
    EXPECT_TRUE(m_launched.isEmpty());
    EXPECT_EQ(m_prompter.Messages(), QStringList{UserGuide::kMissing + Candidates().join(QLatin1Char('\n'))});
}

TEST_F(UserGuideTest, NoBrowserSaysSoWithTheGuidesPath) {
    const QString guide = Put(QStringLiteral("bin/user-guide.html"));
    m_browser = false;
    EXPECT_FALSE(UserGuide::Open(Candidates(), m_opener, m_prompter));
    EXPECT_EQ(m_prompter.Messages(), QStringList{UserGuide::kNoBrowser + guide});
    EXPECT_EQ(m_prompter.Asked().front().caption, QStringLiteral("Message"));
}

TEST(UserGuideSource, TheSourceTreesGuideIsFoundLast) {
    const QStringList candidates = UserGuide::Candidates(QStringLiteral("/nonexistent/bin"));
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_TRUE(candidates.last().endsWith(QLatin1String("docs/user-guide.html")));
    EXPECT_EQ(UserGuide::Locate(candidates), candidates.last());
}

} // namespace
