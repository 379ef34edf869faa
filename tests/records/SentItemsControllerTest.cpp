#include "records/SentItemsController.h"

#include "fakes/FileBytes.h"
#include "fakes/ScriptedPrompter.h"
#include "records/SentItemsExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using FileBytes::ReadAll;

const QString kOk = QStringLiteral("Message sent successfully.");
const QString kFail = QStringLiteral("Error : +CMS ERROR: 38");

QList<SentItemRecord> Log() {
    return {
        {QStringLiteral("+4401"), QStringLiteral("first"), QStringLiteral("04/03/2024"), kOk},
        {QStringLiteral("+4402"), QStringLiteral("two\nlines"), QStringLiteral("05/03/2024"), kFail},
        {QStringLiteral("+4403"), QStringLiteral("third"), QStringLiteral("05/03/2024"), kOk},
        {QStringLiteral("+4404"), QStringLiteral("fourth"), QStringLiteral("07/03/2024"), kOk},
    };
}

QStringList Numbers(const QList<SentItemRecord>& records) {
    QStringList out;
    for (const auto& r : records)
        out << r.number;
    return out;
}

class SentItemsControllerTest : public ::testing::Test {
protected:
    SentItemsControllerTest() { EXPECT_TRUE(m_store.Rewrite(Log())); }

    // Loads the log the way the window does: the worker step, then Apply.
    void Load() { ASSERT_TRUE(m_controller.Apply(m_controller.Read())); }
    QList<SentItemRecord> OnDisk() const {
        QList<SentItemRecord> records;
        EXPECT_TRUE(m_store.Load(&records));
        return records;
    }

    QTemporaryDir m_dir;
    SentItemsStore m_store{m_dir.filePath(QStringLiteral("SentItem.vrix"))};
    ScriptedPrompter m_prompter;
    SentItemsController m_controller{m_store, m_prompter};
};

TEST_F(SentItemsControllerTest, LoadsTheLogAndShowsTheCountsAndDetails) {
    EXPECT_EQ(m_controller.TotalText(), QStringLiteral("Total Items : 0"));
    Load();
    EXPECT_EQ(m_controller.Records(), Log());
    EXPECT_EQ(m_controller.TotalText(), QStringLiteral("Total Items : 4"));
    EXPECT_EQ(SentItemsController::SelectedText(2), QStringLiteral("Selected Items : 2"));
    EXPECT_EQ(m_controller.DetailsText(1), QStringLiteral("Number\t:  +4402\r\n\r\nDate\t:  05/03/2024\r\n\r\n"
                                                          "Message\t:  two\nlines\r\n\r\nStatus\t:  ") +
                                               kFail);
    EXPECT_EQ(m_controller.DetailsText(4), QString());
    EXPECT_EQ(m_controller.DetailsText(-1), QString());
    EXPECT_TRUE(m_prompter.Asked().empty());
}

TEST_F(SentItemsControllerTest, AMissingLogIsEmptyAndAnUnreadableOneShowsItsErrorAndKeepsTheList) {
    Load();
    QFile::remove(m_store.Path());
    ASSERT_TRUE(m_controller.Apply(m_controller.Read()));
    EXPECT_EQ(m_controller.Count(), 0);

    ASSERT_TRUE(m_controller.Apply({true, {}, Log()}));
    ASSERT_TRUE(QDir().mkpath(m_store.Path())); // a folder where the log should be
    EXPECT_FALSE(m_controller.Apply(m_controller.Read()));
    EXPECT_EQ(m_prompter.Messages(), QStringList{QStringLiteral("Error in file accessing.\n\nOR\n\nIs a directory")});
    EXPECT_EQ(m_controller.Records(), Log());
}

TEST_F(SentItemsControllerTest, ClearSelectedRewritesTheLogFromTheRemainingEntriesInOrder) {
    Load();
    const QList<SentItemRecord> before = m_controller.Records(); // the view's copy
    const SentItemsController::Change change = m_controller.Remove({0, 2, 9});
    // The step only reads: the list and the view's copy stay as they were until the change is applied.
    EXPECT_EQ(m_controller.Records(), Log());
    EXPECT_EQ(before, Log());
    ASSERT_TRUE(m_controller.Apply(change));
    EXPECT_EQ(Numbers(m_controller.Records()), (QStringList{"+4402", "+4404"}));
    EXPECT_EQ(OnDisk(), m_controller.Records());
    EXPECT_EQ(m_controller.Records().at(0).message, QStringLiteral("two\nlines"));
}

TEST_F(SentItemsControllerTest, ClearSelectedKeepsEntriesAnotherProgramAppendedSinceTheLogWasRead) {
    Load();
    // A run of bulksms-cli logs a message while the window shows the log.
    const SentItemRecord appended = SentItemsStore::MakeRecord(QStringLiteral("+4409"), QStringLiteral("late"),
                                                               QStringLiteral("Message sent successfully."));
    ASSERT_TRUE(m_store.Append(appended));
    ASSERT_TRUE(m_controller.Apply(m_controller.Remove({0, 2})));
    EXPECT_EQ(Numbers(m_controller.Records()), (QStringList{"+4402", "+4404", "+4409"}));
    EXPECT_EQ(OnDisk(), m_controller.Records());
}

TEST_F(SentItemsControllerTest, ClearAllLeavesOnlyTheByteOrderMark) {
    Load();
    ASSERT_TRUE(m_controller.Apply(m_controller.RemoveAll()));
    EXPECT_EQ(m_controller.Count(), 0);
    EXPECT_EQ(ReadAll(m_store.Path()), QByteArray("\xFF\xFE"));
}

TEST_F(SentItemsControllerTest, AFailedRewriteShowsTheFileErrorAndChangesNothing) {
    Load();
    // The log's folder turns into a file: the rewrite can create nothing there.
    const QString folder = m_dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkpath(folder));
    SentItemsStore store(folder + QStringLiteral("/SentItem.vrix"));
    ASSERT_TRUE(store.Rewrite(Log()));
    SentItemsController controller(store, m_prompter);
    ASSERT_TRUE(controller.Apply(controller.Read()));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    for (const SentItemsController::Change& change : {controller.Remove({1}), controller.RemoveAll()}) {
        m_prompter.Clear();
        EXPECT_FALSE(controller.Apply(change));
        ASSERT_EQ(m_prompter.Messages().size(), 1);
        EXPECT_TRUE(m_prompter.Messages().front().startsWith(QLatin1String("Error in ")))
            << m_prompter.Messages().front().toStdString();
        EXPECT_EQ(controller.Records(), Log());
    }
}

TEST_F(SentItemsControllerTest, RefusalsOverAnEmptyListOrWithoutASelection) {
    using Check = bool (SentItemsController::*)(const std::vector<qsizetype>&);
    const Check checks[] = {&SentItemsController::MayClearSelected, &SentItemsController::MayCopyToComposer};
    for (const Check check : checks) {
        m_prompter.Clear();
        ASSERT_TRUE(m_controller.Apply({true, {}, {}}));
        EXPECT_FALSE((m_controller.*check)({0}));
        Load();
        EXPECT_FALSE((m_controller.*check)({}));
        EXPECT_TRUE((m_controller.*check)({1}));
        EXPECT_EQ(m_prompter.Messages(),
                  (QStringList{SentItemsExport::kEmptyList, SentItemsController::kSelectAtLeastOne}));
    }

    m_prompter.Clear();
    ASSERT_TRUE(m_controller.Apply({true, {}, {}}));
    EXPECT_FALSE(m_controller.MayExport());
    EXPECT_FALSE(m_controller.MayClearAll());
    EXPECT_EQ(m_prompter.Messages(), (QStringList{SentItemsExport::kEmptyList, SentItemsExport::kEmptyList}));
    EXPECT_EQ(m_prompter.Asked().front().caption, QStringLiteral("Message"));
}

TEST_F(SentItemsControllerTest, ClearAllAsksFirst) {
    Load();
    m_prompter.Script({Prompter::Answer::No, Prompter::Answer::Yes});
    EXPECT_FALSE(m_controller.MayClearAll());
    EXPECT_TRUE(m_controller.MayClearAll());
    ASSERT_EQ(m_prompter.Asked().size(), 2u);
    EXPECT_EQ(m_prompter.Asked()[0].message, SentItemsController::kClearAllQuestion);
    EXPECT_EQ(m_prompter.Asked()[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(m_prompter.Asked()[0].buttons, Prompter::Buttons::YesNo);
}

TEST_F(SentItemsControllerTest, CopyTakesTheSelectedEntriesInListOrderAndReportsWhatWasAdded) {
    Load();
    EXPECT_EQ(Numbers(m_controller.RecordsAt({1, 3, 7})), (QStringList{"+4402", "+4404"}));
    m_controller.ReportCopy(0);
    m_controller.ReportCopy(2);
    EXPECT_EQ(m_prompter.Messages(), (QStringList{SentItemsController::kNoneCopied, SentItemsController::kCopied}));
}

TEST_F(SentItemsControllerTest, TheDurationStartsAtTheFirstAndLastEntryAndRefusesAnEndBeforeTheStart) {
    const QDate today(2024, 6, 1);
    EXPECT_EQ(m_controller.DefaultDuration(today), std::make_pair(today, today));
    Load();
    EXPECT_EQ(m_controller.DefaultDuration(today), std::make_pair(QDate(2024, 3, 4), QDate(2024, 3, 7)));
    QList<SentItemRecord> undated = Log();
    undated.first().date.clear();
    ASSERT_TRUE(m_controller.Apply({true, {}, undated}));
    EXPECT_EQ(m_controller.DefaultDuration(today).first, today);

    EXPECT_TRUE(m_controller.CheckDuration(QDate(2024, 3, 5), QDate(2024, 3, 5)));
    EXPECT_FALSE(m_controller.CheckDuration(QDate(2024, 3, 5), QDate(2024, 3, 4)));
    EXPECT_EQ(m_prompter.Messages(), QStringList{SentItemsExport::kEndBeforeStart});
}

TEST_F(SentItemsControllerTest, ExportOfOneDayAndAFilterWithoutMatchesReportsNoRecordsAndWritesNothing) {
    Load();
    const QString path = m_dir.filePath(QStringLiteral("day.txt"));
    const ExportResult day =
        SentItemsController::Export(m_controller.Records(), QDate(2024, 3, 5), QDate(2024, 3, 5),
                                    SpreadsheetExport::Filter::All, path, ExportFormat::Text, m_prompter);
    EXPECT_TRUE(m_controller.ReportExport(day));
    EXPECT_EQ(day.rowsWritten, 2);
    EXPECT_EQ(day.message, SentItemsExport::kExported);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(ReadAll(path).constData() + 2),
                                            (ReadAll(path).size() - 2) / 2);
    EXPECT_TRUE(text.contains(QLatin1String("Number\t: +4402\r\n")));
    EXPECT_TRUE(text.contains(QLatin1String("Number\t: +4403\r\n")));
    EXPECT_FALSE(text.contains(QLatin1String("+4401")));

    const QString none = m_dir.filePath(QStringLiteral("none.html"));
    const ExportResult failed =
        SentItemsController::Export(m_controller.Records(), QDate(2024, 3, 6), QDate(2024, 3, 7),
                                    SpreadsheetExport::Filter::Failed, none, ExportFormat::Html, m_prompter);
    EXPECT_FALSE(m_controller.ReportExport(failed));
    EXPECT_EQ(m_prompter.Messages(), QStringList{SentItemsExport::kNoRecords});
    EXPECT_FALSE(QFile::exists(none));
}

} // namespace
