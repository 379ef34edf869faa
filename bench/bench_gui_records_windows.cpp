// Figures of the sent items and templates windows over their largest lists, driven offscreen from the main
// window's buttons:
//  1. "Sent Items" over a log of 1,000,000 entries: the click until the window is shown and painted, the log
//     read and shown, scrolling to the end, "Send selected items to SMS Composer" with every entry selected,
//     "Clear Selected" of half of them, the export of the rest to text and to .xlsx, "Clear All";
//  2. "View Templates" over 100,000 templates: the click until shown, the store read and shown, scrolling,
//     "Clear Selected" of half of them, the export to .xlsx, Close (the store written).
// For each long step: its time, and the longest stall of the window's event loop meanwhile (the largest gap
// between ticks of a 5 ms timer).
// Usage: bench_gui_records_windows [sent items] [templates] (defaults 1000000 100000)

#include "BenchMainWindow.h"
#include "GuiBench.h"

#include "app/AppShell.h"
#include "app/Prompter.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "records/SentItemsStore.h"
#include "records/gui/CSent_Items.h"
#include "templates/TemplateStore.h"
#include "templates/gui/CViewTemplates.h"
#include "ui/DemoModems.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// The largest gap between ticks of a 5 ms timer while it runs: the longest the event loop was kept from running.
class StallProbe {
public:
    StallProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
    }
    void Start() {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start(5);
    }
    double StopMs() {
        m_timer.stop();
        return static_cast<double>(m_worst) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

void SelectRows(QTableView* view, int first, int last) {
    view->selectionModel()->select(
        QItemSelection(view->model()->index(first, 0), view->model()->index(last, view->model()->columnCount() - 1)),
        QItemSelectionModel::ClearAndSelect);
}

// Runs `start`, then the event loop until `done`; prints the time and the longest stall.
void Step(const char* what, StallProbe& probe, const std::function<void()>& start, const std::function<bool()>& done) {
    QElapsedTimer t;
    probe.Start();
    t.start();
    start();
    const bool finished = WaitFor(done, 900000);
    const double ms = Ms(t);
    const double stall = probe.StopMs();
    std::printf("  %-58s %9.1f ms   longest stall %6.1f ms%s\n", what, ms, stall, finished ? "" : "  (NOT finished)");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int templates = argc > 2 ? std::atoi(argv[2]) : 100000;
    BenchMainWindow shell;
    CVRIX_Bulk_SMSDlg& main = shell.window;
    const QTemporaryDir& data = shell.data;
    StallProbe probe;

    {
        QList<SentItemRecord> log;
        log.reserve(entries);
        const QStringList statuses{QStringLiteral("Message sent successfully."),
                                   QStringLiteral("Error : +CMS ERROR: 38"), QStringLiteral("Message sent to device.")};
        for (int i = 0; i < entries; ++i)
            log << SentItemsStore::MakeRecord(QStringLiteral("+44%1").arg(7000000000LL + i),
                                              QStringLiteral("Dear customer %1, your order has shipped.").arg(i),
                                              statuses.at(i % 3), QDate(2024, 1, 1).addDays(i / 20000));
        QElapsedTimer t;
        t.start();
        if (!main.UserSession().SentItems().Rewrite(log)) {
            std::fprintf(stderr, "could not write the sent items\n");
            return 1;
        }
        std::printf("sent items: %d entries, log of %.0f MB written in %.0f ms\n", entries,
                    static_cast<double>(QFileInfo(main.UserSession().SentItems().Path()).size()) / 1e6, Ms(t));
    }

    CSent_Items* sent = nullptr;
    {
        QElapsedTimer t;
        t.start();
        main.Button(QStringLiteral("Sent Items"))->click();
        sent = OpenChild<CSent_Items>(&main);
        if (sent == nullptr) {
            std::fprintf(stderr, "Sent Items did not open\n");
            return 1;
        }
        Settle(sent);
        std::printf("  %-58s %9.1f ms\n", "click to window shown and painted", Ms(t));
    }
    Step(
        "log read and shown", probe, [] {}, [&] { return sent->IsLoaded() && !sent->IsBusy(); });
    Step(
        "scroll to the end", probe,
        [&] {
            sent->List()->scrollToBottom();
            Settle(sent);
        },
        [] { return true; });
    Step(
        "select all (Ctrl+A)", probe,
        [&] {
            sent->List()->selectAll();
            Settle(sent);
        },
        [] { return true; });
    Step(
        "Send selected items to SMS Composer (all)", probe,
        [&] { sent->Button(QStringLiteral("Send selected items to SMS Composer"))->click(); },
        [&] { return !sent->IsBusy(); });
    std::printf("    Recipient list now %lld rows\n", static_cast<long long>(main.List().Count()));
    Step(
        "Clear Selected (first half)", probe,
        [&] {
            SelectRows(sent->List(), 0, entries / 2 - 1);
            sent->Button(QStringLiteral("Clear Selected"))->click();
        },
        [&] { return !sent->IsBusy(); });
    std::printf("    entries left %lld\n", static_cast<long long>(sent->Controller().Count()));
    const QDate from(2000, 1, 1);
    const QDate to(2100, 1, 1);
    for (const auto& [format, name] : {std::pair{ExportFormat::Text, ".txt"}, std::pair{ExportFormat::Xlsx, ".xlsx"}}) {
        const QString path = data.filePath(QStringLiteral("sent") + QLatin1String(name));
        Step(
            qPrintable(QStringLiteral("export of the rest to %1").arg(QLatin1String(name))), probe,
            [&] { sent->ExportTo(SpreadsheetExport::Filter::All, from, to, format, path); },
            [&] { return !sent->IsBusy(); });
        std::printf("    %s: %.1f MB\n", name, static_cast<double>(QFileInfo(path).size()) / 1e6);
    }
    Step(
        "Clear All", probe, [&] { sent->Button(QStringLiteral("Clear All"))->click(); },
        [&] { return !sent->IsBusy(); });
    sent->Button(QStringLiteral("Close"))->click();
    QCoreApplication::processEvents();

    {
        QStringList texts;
        texts.reserve(templates);
        for (int i = 0; i < templates; ++i)
            texts << QStringLiteral("Template %1: our offer of the week, reply YES to order.").arg(i);
        if (!TemplateStore(main.UserSession().Paths().TemplatesFile()).Append(texts)) {
            std::fprintf(stderr, "could not write the templates\n");
            return 1;
        }
        std::printf("templates: %d\n", templates);
    }
    CViewTemplates* view = nullptr;
    {
        QElapsedTimer t;
        t.start();
        main.Button(QStringLiteral("View Templates"))->click();
        view = OpenChild<CViewTemplates>(&main);
        if (view == nullptr) {
            std::fprintf(stderr, "View Templates did not open\n");
            return 1;
        }
        Settle(view);
        std::printf("  %-58s %9.1f ms\n", "click to window shown and painted", Ms(t));
    }
    Step(
        "store read and shown", probe, [] {}, [&] { return view->IsLoaded() && !view->IsBusy(); });
    Step(
        "scroll to the end", probe,
        [&] {
            view->List()->scrollToBottom();
            Settle(view);
        },
        [] { return true; });
    Step(
        "Clear Selected (first half, on the window's thread)", probe,
        [&] {
            SelectRows(view->List(), 0, templates / 2 - 1);
            view->Button(QStringLiteral("Clear Selected"))->click();
        },
        [] { return true; });
    const QString book = data.filePath(QStringLiteral("templates.xlsx"));
    Step(
        "export to .xlsx", probe, [&] { view->ExportTo(book, ExportFormat::Xlsx); }, [&] { return !view->IsBusy(); });
    Step(
        "Close (the store written)", probe, [&] { view->Button(QStringLiteral("Close"))->click(); },
        [&] { return !view->isVisible(); });
    return 0;
}
