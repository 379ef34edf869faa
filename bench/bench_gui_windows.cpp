// Figures of the desktop windows, driven offscreen:
//  1. the main window with 1,000,000 rows: opening it (shown and painted), scrolling to the end, "Clear All";
//  2. the list editing windows with all 1,000,000 rows selected: "Update Selected Messages" (the click that
//     opens it, the numbers filled in, the click on Apply, the messages written) and "Apply this message to
//     list items" for blank rows when there is none (the whole list is read on the click);
//  3. a 1,000-row run over 4 demo modems with "fast" timing and no latency: the longest stall of the
//     window's event loop while the run goes (a 5 ms timer's largest gap between ticks).
// Usage: bench_gui_windows [rows] [run rows] [modems] (defaults 1000000 1000 4)

#include "GuiBench.h"

#include "app/AppShell.h"
#include "app/Prompter.h"
#include "composer/gui/CFill_Msg_In_List.h"
#include "composer/gui/CUpdate_Selected_Item_SMS.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "sending/gui/CSMS_Sending.h"
#include "ui/ComposerEdit.h"
#include "ui/DemoModems.h"
#include "ui/RecipientTableModel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runRows = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int modems = argc > 3 ? std::atoi(argv[3]) : 4;
    QTemporaryDir data;
    AppShell::Startup(data.path());
    YesPrompter prompter;
    DemoModems demos;

    {
        CVRIX_Bulk_SMSDlg::Options options;
        options.shutdown = [] {};
        CVRIX_Bulk_SMSDlg window(prompter, demos, options);
        QStringList numbers;
        numbers.reserve(rows);
        for (int i = 0; i < rows; ++i)
            numbers << QStringLiteral("+44%1").arg(i, 10, 10, QLatin1Char('0'));
        static_cast<void>(window.List().AddNumbers(0, numbers, QStringLiteral("Hello"), QStringLiteral("Hello"), {}));
        numbers.clear();

        QElapsedTimer t;
        t.start();
        window.ListModel().Refresh();
        window.show();
        Settle(&window);
        std::printf("main window, %d rows: opening (model, show, paint) %.1f ms\n", rows, Ms(t));

        t.restart();
        window.Form().listView->scrollToBottom();
        Settle(&window);
        std::printf("main window, %d rows: scrolling to the end %.1f ms\n", rows, Ms(t));

        t.restart();
        window.Button(QStringLiteral("Clear All"))->click();
        Settle(&window);
        std::printf("main window, %d rows: Clear All %.1f ms (rows left %lld)\n", rows, Ms(t),
                    static_cast<long long>(window.List().Count()));
    }

    {
        CVRIX_Bulk_SMSDlg::Options options;
        options.shutdown = [] {};
        CVRIX_Bulk_SMSDlg window(prompter, demos, options);
        QStringList numbers;
        numbers.reserve(rows);
        for (int i = 0; i < rows; ++i)
            numbers << QString::number(20'000'000 + i);
        static_cast<void>(window.List().AddNumbers(0, numbers, QStringLiteral("old"), {}, {}));
        numbers.clear();
        window.RefreshList();
        window.show();
        window.Form().listView->selectAll();
        window.Form().composer->setPlainText(QStringLiteral("composer"));
        Settle(&window);

        QElapsedTimer t;
        t.start();
        window.Button(QStringLiteral("Update Selected Messages"))->click();
        const double openMs = Ms(t);
        auto* dialog = OpenChild<CUpdate_Selected_Item_SMS>(&window);
        if (dialog == nullptr || !WaitFor([&] { return !dialog->IsBusy(); }, 60000)) {
            std::fprintf(stderr, "Update Selected Messages did not open or fill\n");
            return 1;
        }
        const double fillMs = Ms(t);
        dialog->MessageField()->setPlainText(QStringLiteral("all"));
        t.restart();
        dialog->ApplyButton()->click();
        const double applyClickMs = Ms(t);
        WaitFor([&] { return OpenChild<CUpdate_Selected_Item_SMS>(&window) == nullptr; }, 60000);
        const double writtenMs = Ms(t);
        std::printf("Update Selected Messages, %d rows selected: open click %.1f ms, numbers filled %.1f ms, Apply "
                    "click %.1f ms, messages written %.1f ms (last row \"%s\")\n",
                    rows, openMs, fillMs, applyClickMs, writtenMs,
                    qPrintable(window.List().Message(window.List().Count() - 1)));

        window.Button(QStringLiteral("Apply this message to list items"))->click();
        auto* fill = OpenChild<CFill_Msg_In_List>(&window);
        if (fill == nullptr) {
            std::fprintf(stderr, "Apply this message to list items did not open\n");
            return 1;
        }
        fill->BlankRowsOption()->setChecked(true);
        t.restart();
        fill->OkButton()->click(); // no blank row: the whole list is read to find out
        std::printf("Apply this message to list items, blank rows of %d rows (none blank): OK click %.1f ms\n", rows,
                    Ms(t));
        fill->reject();
    }

    {
        CVRIX_Bulk_SMSDlg::Options options;
        options.timing = ModemTiming::Fast();
        options.shutdown = [] {};
        CVRIX_Bulk_SMSDlg window(prompter, demos, options);
        window.show();
        for (int i = 0; i < modems; ++i) {
            QString error;
            if (demos.AddDemoModem(&error).isEmpty()) {
                std::fprintf(stderr, "demo modem: %s\n", qPrintable(error));
                return 1;
            }
        }
        DeviceSelectionController::Options scan;
        scan.timing = ModemTiming::Fast();
        DemoModems* d = &demos;
        CPhone_List_Dlg wizard(window.Devices(), prompter, demos, scan, &window, [d] { return d->ExtraPorts(); });
        wizard.show();
        WaitFor([&] { return wizard.DeviceList()->rowCount() == modems && !wizard.Controller().IsScanning(); }, 60000);
        wizard.DeviceList()->selectAll();
        wizard.OnUseSelectedDevice();
        WaitFor([&] { return !wizard.IsBusy(); }, 60000);
        wizard.hide();
        window.RefreshDevices();
        QStringList numbers;
        for (int i = 0; i < runRows; ++i)
            numbers << QStringLiteral("+1555%1").arg(i, 7, 10, QLatin1Char('0'));
        static_cast<void>(window.List().AddNumbers(0, numbers, QStringLiteral("Hello"), QStringLiteral("Hello"), {}));
        window.ListModel().Refresh();

        // The largest gap between ticks of a 5 ms timer is the longest the event loop was kept from running.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 worst = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
        clock.start();
        probe.start(5);
        window.Button(QStringLiteral("Send"))->click();
        WaitFor([&] { return window.SendingWindow() != nullptr; }, 60000);
        CSMS_Sending* sending = window.SendingWindow();
        const bool finished =
            sending != nullptr && WaitFor([&] { return sending->StatusText() == QLatin1String("Finish."); }, 600000);
        const double runMs = Ms(clock);
        probe.stop();
        int received = 0;
        for (int i = 0; i < demos.DemoCount(); ++i)
            received += demos.Demo(i)->SubmissionCount();
        std::printf("run of %d rows over %d demo modems (fast): %s in %.0f ms, %d received; longest event-loop "
                    "stall %.1f ms\n",
                    runRows, modems, finished ? "finished" : "NOT finished", runMs, received,
                    static_cast<double>(worst) / 1e6);
        if (sending != nullptr)
            sending->StopButton()->click();
        WaitFor([&] { return !window.IsSending(); }, 30000);
    }
    return 0;
}
