// The desktop program: the data folder, the main window, and the screenshot tool.
//
//   bulksms                       the program
//   bulksms --timing standard     fixed pauses between commands (older devices) instead of waiting on replies
//   bulksms --screenshots DIR     one PNG per window, with sample data, under the offscreen platform

#include "ScreenshotTool.h"

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "ui/DemoModems.h"
#include "ui/GuiPrompter.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QString screenshotDir;
    QString timingName;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshots") == 0 && i + 1 < argc)
            screenshotDir = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--timing") == 0 && i + 1 < argc)
            timingName = QString::fromLocal8Bit(argv[++i]);
    }
    // Offscreen unless a platform is asked for (QT_QPA_PLATFORM=xcb under Xvfb gives real windows).
    if (!screenshotDir.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(AppShell::kProductName);
    QApplication::setApplicationVersion(AppShell::Version());

    if (!screenshotDir.isEmpty())
        return ScreenshotTool::Run(screenshotDir) ? 0 : 1;

    const auto timing = ModemTiming::ByName(timingName);
    if (!timing) {
        std::fprintf(stderr, "Unknown timing \"%s\" (standard or fast).\n", qPrintable(timingName));
        return 2;
    }
    AppShell::Startup();
    GuiPrompter prompter;
    DemoModems demos;
    CVRIX_Bulk_SMSDlg::Options options;
    options.timing = *timing;
    CVRIX_Bulk_SMSDlg window(prompter, demos, options);
    window.show();
    app.exec();
    return 0; // the program's result is 0 however the window ended
}
