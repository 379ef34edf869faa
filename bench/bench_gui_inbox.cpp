// Figures of the Inbox window over an inbox of 1,000,000 messages (one in ten an opt-out, one in a hundred
// unreadable), driven offscreen from the main window's "Inbox" button: the click until the window is shown and
// painted, scrolling to the end and painting, selecting the last message (its details shown), and the export of
// 1,000 selected messages to HTML. Exit status 1 when the window did not open or show every message.
// Usage: bench_gui_inbox [messages] (default 1000000)

#include "BenchMeasure.h"
#include "BenchMainWindow.h"
#include "GuiBench.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "records/InboxStore.h"
#include "records/gui/CInbox.h"
#include "ui/DemoModems.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// The inbox file written directly in its stored form, in blocks.
bool WriteInbox(const QString& path, int messages) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString block;
    const auto flush = [&] {
        QByteArray bytes(reinterpret_cast<const char*>(block.utf16()), block.size() * 2);
        block.clear();
        return file.write(bytes) == bytes.size();
    };
    if (file.write("\xFF\xFE", 2) != 2)
        return false;
    for (int i = 0; i < messages; ++i) {
        InboxRecord r;
        r.kind = i % 100 == 99 ? InboxRecord::Kind::Undecodable : InboxRecord::Kind::Message;
        r.received = QStringLiteral("2026-12-08T10:%1:%2").arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        r.device = QStringLiteral("/dev/ttyUSB%1").arg(i % 8);
        r.number = QStringLiteral("+44%1").arg(7000000000LL + i);
        r.sent = QStringLiteral("26/12/08,10:00:00+00");
        r.optOut = i % 10 == 0;
        r.text = r.optOut ? QStringLiteral("STOP") : QStringLiteral("Thank you, order %1 arrived today.").arg(i);
        if (r.kind == InboxRecord::Kind::Undecodable) {
            r.raw = QStringLiteral("07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07");
            r.reason = QStringLiteral("The PDU is shorter than its length says.");
        }
        block += InboxStore::FormatLine(r) + QStringLiteral("\r\n");
        if (block.size() > (1 << 20) && !flush())
            return false;
    }
    return flush();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int messages = argc > 1 ? std::atoi(argv[1]) : 1000000;
    BenchMainWindow shell;
    CVRIX_Bulk_SMSDlg& main = shell.window;
    const QTemporaryDir& data = shell.data;

    const QString path = main.UserSession().Paths().InboxFile();
    {
        QElapsedTimer t;
        t.start();
        if (!WriteInbox(path, messages)) {
            std::fprintf(stderr, "could not write the inbox\n");
            return 1;
        }
        std::printf("inbox: %d messages, file of %.0f MB written in %.0f ms\n", messages,
                    static_cast<double>(QFileInfo(path).size()) / 1e6, Ms(t));
    }

    QElapsedTimer t;
    t.start();
    main.Button(QStringLiteral("Inbox"))->click();
    CInbox* inbox = OpenChild<CInbox>(&main);
    if (inbox == nullptr) {
        std::fprintf(stderr, "Inbox did not open\n");
        return 1;
    }
    Settle(inbox);
    const double openMs = Ms(t);
    const int rows = inbox->List()->model()->rowCount();
    std::printf("  %-52s %9.1f ms  (%d rows)\n", "click to window shown and painted", openMs, rows);

    t.restart();
    inbox->List()->scrollToBottom();
    Settle(inbox);
    std::printf("  %-52s %9.1f ms\n", "scroll to the end and paint", Ms(t));

    t.restart();
    inbox->List()->selectRow(rows - 1);
    Settle(inbox);
    std::printf("  %-52s %9.1f ms  (%lld characters shown)\n", "select the last message, details shown", Ms(t),
                static_cast<long long>(inbox->Details()->toPlainText().size()));

    t.restart();
    QItemSelectionModel* selection = inbox->List()->selectionModel();
    selection->select(QItemSelection(inbox->List()->model()->index(0, 0), inbox->List()->model()->index(999, 4)),
                      QItemSelectionModel::ClearAndSelect);
    inbox->SetFileChooser({[&](QWidget*, const QString&, const QString&, QString* selected) {
                               *selected = QStringLiteral("Html Files(*.html)");
                               return data.filePath(QStringLiteral("inbox.html"));
                           },
                           {}});
    inbox->OnExport();
    std::printf("  %-52s %9.1f ms  (%.1f MB)\n", "export of 1,000 selected messages to HTML", Ms(t),
                static_cast<double>(QFileInfo(data.filePath(QStringLiteral("inbox.html"))).size()) / 1e6);
    std::printf("peak RSS: %ld KiB; window open within 1 s: %s\n", PeakRssKiB(), openMs < 1000.0 ? "yes" : "NO");
    return rows == messages ? 0 : 1;
}
