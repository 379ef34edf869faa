#pragma once

#include "GuiBench.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "ui/DemoModems.h"

#include <QTemporaryDir>

// The desktop program's main window over a data folder of its own, shown and settled, answering yes to every
// question: where the window benchmarks start.
struct BenchMainWindow {
    QTemporaryDir data;
    YesPrompter prompter;
    DemoModems demos;
    CVRIX_Bulk_SMSDlg window;

    BenchMainWindow() : window(prompter, demos, StartupOptions(data)) {
        window.show();
        Settle(&window);
    }

private:
    // The data folder is the program's before the window exists.
    static CVRIX_Bulk_SMSDlg::Options StartupOptions(const QTemporaryDir& folder) {
        AppShell::Startup(folder.path());
        CVRIX_Bulk_SMSDlg::Options options;
        options.shutdown = [] {};
        return options;
    }
};
