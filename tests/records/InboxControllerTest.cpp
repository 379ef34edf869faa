// The Inbox window's logic without a window: the inbox read lazily, entries deleted while others are appended,
// replies, and the export in the sent items' report layout.

#include "records/InboxController.h"
#include "records/InboxExport.h"
#include "records/InboxIndex.h"

#include "fakes/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

InboxRecord Message(const QString& number, const QString& text, bool optOut = false) {
    InboxRecord r;
    r.received = QStringLiteral("2026-12-08T10:00:00");
    r.device = QStringLiteral("/dev/ttyUSB0");
    r.number = number;
    r.text = text;
    r.optOut = optOut;
    return r;
}

QString Decoded(const QByteArray& utf16) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData() + 2), (utf16.size() - 2) / 2);
}

struct InboxRig {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Inbox.vrix"));
    InboxStore store{path};
    ScriptedPrompter prompter;
    InboxController controller{path, prompter};
};

} // namespace

TEST(InboxIndex, ReadsEveryLineOnDemandAndShowsBrokenLinesInsteadOfHidingThem) {
    InboxRig rig;
    ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+4401"), QStringLiteral("line one\nline two"))));
    // A line cut short by an interrupted write, then a good one after it; blank lines between.
    QFile file(rig.path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    const QString broken = QStringLiteral("{\"kind\":\"message\",\"num\r\n\r\n");
    file.write(reinterpret_cast<const char*>(broken.utf16()), broken.size() * 2);
    file.close();
    ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+4402"), QString(3, QChar(0x0416)), true)));

    InboxIndex index;
    ASSERT_TRUE(index.Open(rig.path));
    ASSERT_EQ(index.Count(), 3);
    EXPECT_EQ(index.Record(0).text, QStringLiteral("line one\nline two"));
    EXPECT_EQ(index.Record(1).kind, InboxRecord::Kind::Undecodable);
    EXPECT_EQ(index.Record(1).raw, QStringLiteral("{\"kind\":\"message\",\"num"));
    EXPECT_EQ(index.Record(2).text, QString(3, QChar(0x0416)));
    EXPECT_TRUE(index.Record(2).optOut);

    ASSERT_TRUE(index.Open(rig.dir.filePath(QStringLiteral("missing.vrix"))));
    EXPECT_EQ(index.Count(), 0);
}

TEST(InboxController, DeleteKeepsWhatWasAppendedMeanwhile) {
    InboxRig rig;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+440%1").arg(i), QStringLiteral("same text"))));
    ASSERT_TRUE(rig.controller.Reload());
    ASSERT_EQ(rig.controller.Count(), 4);
    // A collector stores a message while the window shows the older state.
    ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+4409"), QStringLiteral("late"))));
    ASSERT_TRUE(rig.controller.Delete({1, 3}));
    ASSERT_EQ(rig.controller.Count(), 3);
    EXPECT_EQ(rig.controller.Record(0).number, QStringLiteral("+4400"));
    EXPECT_EQ(rig.controller.Record(1).number, QStringLiteral("+4402"));
    EXPECT_EQ(rig.controller.Record(2).number, QStringLiteral("+4409"));

    EXPECT_FALSE(rig.controller.Delete({}));
    EXPECT_EQ(rig.prompter.Messages(), QStringList({InboxController::kSelectToDelete}));
}

TEST(InboxController, RepliesGoToEachSenderOfAReceivedMessageOnce) {
    InboxRig rig;
    InboxRecord report = Message(QStringLiteral("+4407"), QStringLiteral("Delivered (reference 3)"));
    report.kind = InboxRecord::Kind::Report;
    for (const InboxRecord& r : {Message(QStringLiteral("+4401"), QStringLiteral("hi")), report,
                                 Message(QStringLiteral("+4401"), QStringLiteral("again")),
                                 Message(QStringLiteral("+4402"), QStringLiteral("STOP"), true)})
        ASSERT_TRUE(rig.store.Append(r));
    ASSERT_TRUE(rig.controller.Reload());
    const QList<SentItemRecord> entries = rig.controller.ReplyEntries({0, 1, 2, 3});
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].number, QStringLiteral("+4401"));
    EXPECT_TRUE(entries[0].message.isEmpty()); // the composer's text goes to them
    EXPECT_EQ(entries[1].number, QStringLiteral("+4402"));
    EXPECT_TRUE(rig.controller.ReplyEntries({1}).isEmpty());
    EXPECT_EQ(rig.prompter.Messages(), QStringList({InboxController::kSelectToReply}));
}

TEST(InboxController, ExportsChosenOrAllEntriesLikeTheSentItems) {
    InboxRig rig;
    EXPECT_FALSE(rig.controller.MayExport());
    ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+4401"), QStringLiteral("<b>&\nbye"))));
    ASSERT_TRUE(rig.store.Append(Message(QStringLiteral("+4402"), QStringLiteral("STOP"), true)));
    ASSERT_TRUE(rig.controller.Reload());

    const QString html = rig.dir.filePath(QStringLiteral("inbox.html"));
    const ExportResult all = rig.controller.Export({}, html, ExportFormat::Html);
    ASSERT_TRUE(all.Ok()) << all.message.toStdString();
    EXPECT_EQ(all.rowsWritten, 2);
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = Decoded(file.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("<title>[ Bulk SMS - Inbox ]</title>")));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;&amp;<br>bye")));
    EXPECT_TRUE(page.contains(QStringLiteral("Opt-out")));

    const QString text = rig.dir.filePath(QStringLiteral("inbox.txt"));
    ASSERT_TRUE(rig.controller.Export({1}, text, ExportFormat::Text).Ok());
    const QString report = Decoded(InboxExport::TextReport({rig.controller.Record(1)}));
    EXPECT_TRUE(report.contains(QStringLiteral("S.No.\t: 1\r\n")));
    EXPECT_TRUE(report.contains(QStringLiteral("Kind\t: Opt-out\r\n")));
    EXPECT_FALSE(report.contains(QStringLiteral("+4401")));
}
