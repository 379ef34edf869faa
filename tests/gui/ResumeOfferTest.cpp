// The main window at start with an interrupted run in its journal: the run is offered with its counts, its
// device (a demo modem, by IMEI) found by a scan, the unconfirmed row held back on the user's No, and the rest
// sent in the usual sending window.

#include "GuiTestSupport.h"
#include "MainWindowFixture.h"

#include "app/DataPaths.h"
#include "journal/SqliteJobStore.h"
#include "sending/RunJournal.h"
#include "sending/SendJob.h"
#include "sending/gui/CSMS_Sending.h"
#include "session/RunSettings.h"

#include <QPushButton>

namespace {

const QString kSent = QStringLiteral("Message sent successfully.");
const QString kDemoImei = QStringLiteral("867856034556711"); // the first demo modem's, in every start

// Five rows: 0 sent, 1 claimed when the program died, 2..4 never claimed; recorded on the demo modem's IMEI.
void WriteInterruptedRun(const QString& journal, const QString& imei, const QStringList& numbers) {
    SqliteJobStore store(journal);
    ASSERT_TRUE(store.Open().ok);
    std::vector<JournalRowText> rows;
    for (const QString& n : numbers)
        rows.push_back({n, QStringLiteral("Resumed text")});
    qint64 id = 0;
    ASSERT_TRUE(store.CreateRun({RunSettings().ToBlob(), {{imei, QStringLiteral("/dev/ttyUSB0"), {}}}}, rows, &id).ok);
    QString error;
    ASSERT_EQ(store.Claim(id, 0, imei, &error), JobStore::ClaimOutcome::Claimed);
    ASSERT_EQ(store.Claim(id, 1, imei, &error), JobStore::ClaimOutcome::Claimed);
    ASSERT_TRUE(store.RecordResult(id, 0, JournalRowState::Sent, kSent, QStringLiteral("3"), 0).ok);
    store.ReleaseRun(id);
}

} // namespace

using ResumeOfferTest = MainWindowFixture;

TEST_F(ResumeOfferTest, AnInterruptedRunIsOfferedAtStartAndResumedOnItsDemoModem) {
    QString error;
    ASSERT_FALSE(demos.AddDemoModem(&error).isEmpty()) << error.toStdString();
    AppShell::Startup(m_dir.path());
    const QStringList numbers{QStringLiteral("+447700900001"), QStringLiteral("+447700900002"),
                              QStringLiteral("+447700900003"), QStringLiteral("+447700900004"),
                              QStringLiteral("+447700900005")};
    WriteInterruptedRun(DataPaths::Shared().JournalFile(), kDemoImei, numbers);

    prompter.Script({Prompter::Answer::Yes, Prompter::Answer::No}); // resume: yes; send unconfirmed again: no
    CVRIX_Bulk_SMSDlg::Options options = TestOptions();
    options.clockScale = 0.01;
    OpenWindow(options);
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() != nullptr; }, 30000))
        << prompter.Messages().join('\n').toStdString();
    CSMS_Sending* sending = window->SendingWindow();
    ASSERT_TRUE(WaitFor([&] { return sending->StatusText() == QLatin1String("Finish."); }, 60000));

    const QStringList asked = prompter.Messages();
    ASSERT_GE(asked.size(), 2);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("1 sent, 1 unconfirmed (may have been sent), 3 not yet sent")))
        << asked[0].toStdString();
    EXPECT_EQ(asked[1], Session::ResendQuestion(1));
    const SendJob& job = sending->Run().Job();
    ASSERT_EQ(job.RowCount(), 5);
    EXPECT_EQ(job.Text(0, SendJob::kStatus), kSent);
    EXPECT_EQ(job.Text(1, SendJob::kStatus), RunJournal::kUnconfirmed);
    QStringList received;
    for (const SimSubmission& s : demos.Demo(0)->Submissions())
        received << s.to;
    EXPECT_EQ(received, numbers.mid(2));

    sending->StopButton()->click(); // "Close"
    ASSERT_TRUE(WaitFor([&] { return window->SendingWindow() == nullptr && !window->IsSending(); }));
    // The run's device is now the window's selected device.
    EXPECT_EQ(window->Devices().DeviceCount(), 1);
}
