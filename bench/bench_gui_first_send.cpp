// A new user's first send from the window: two demo modems taken in the wizard, twenty numbers, Send; the time
// from the click on Send to "Finish." in the sending window. With no argument the program's own default timing
// is used; "standard" or "fast" gives one (standard is the fixed pauses the program once started with).
// Usage: bench_gui_first_send [standard|fast] [messages] [modems] (defaults: the program's default, 20, 2)

#include "GuiBench.h"

#include "app/AppShell.h"
#include "app/Prompter.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "devices/gui/CPhone_List_Dlg.h"
#include "sending/gui/CSMS_Sending.h"
#include "ui/DemoModems.h"
#include "ui/RecipientTableModel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString timingName = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int messages = argc > 2 ? std::atoi(argv[2]) : 20;
    const int modems = argc > 3 ? std::atoi(argv[3]) : 2;
    QTemporaryDir data;
    AppShell::Startup(data.path());
    YesPrompter prompter;
    DemoModems demos;

    CVRIX_Bulk_SMSDlg::Options options;
    options.shutdown = [] {};
    if (!timingName.isEmpty()) {
        options.timing = ModemTiming::ByName(timingName);
        if (!options.timing) {
            std::fprintf(stderr, "timing is standard or fast\n");
            return 2;
        }
    }
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
    scan.timing = window.UserSession().Timing();
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
    for (int i = 0; i < messages; ++i)
        numbers << QStringLiteral("+1555%1").arg(i, 7, 10, QLatin1Char('0'));
    static_cast<void>(window.List().AddNumbers(0, numbers, QStringLiteral("Hello"), QStringLiteral("Hello"), {}));
    window.ListModel().Refresh();

    QElapsedTimer clock;
    clock.start();
    window.Button(QStringLiteral("Send"))->click();
    WaitFor([&] { return window.SendingWindow() != nullptr; }, 60000);
    CSMS_Sending* sending = window.SendingWindow();
    const bool finished =
        sending != nullptr && WaitFor([&] { return sending->StatusText() == QLatin1String("Finish."); }, 600000);
    const double runMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    int received = 0;
    for (int i = 0; i < demos.DemoCount(); ++i)
        received += demos.Demo(i)->SubmissionCount();
    std::printf("%d messages over %d demo modems, %s: Send to \"Finish.\" %s in %.0f ms, %d received\n", messages,
                modems, qPrintable(window.UserSession().Timing().Description()), finished ? "finished" : "NOT finished",
                runMs, received);
    if (sending != nullptr)
        sending->StopButton()->click();
    WaitFor([&] { return !window.IsSending(); }, 30000);
    return finished ? 0 : 1;
}
