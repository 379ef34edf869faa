#pragma once

#include "app/AppShell.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "fakes/ScriptedPrompter.h"
#include "modem/ModemTiming.h"
#include "ui/DemoModems.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

// A shown main window over a fresh data folder, its message boxes answered by a ScriptedPrompter. The window
// is destroyed first, before the demo modems and the prompter it uses.
class MainWindowFixture : public ::testing::Test {
protected:
    // Fast timing and no process shutdown; a test fixture may change them before OpenWindow.
    static CVRIX_Bulk_SMSDlg::Options TestOptions() {
        CVRIX_Bulk_SMSDlg::Options options;
        options.timing = ModemTiming::Fast();
        options.shutdown = [] {};
        return options;
    }

    void OpenWindow(const CVRIX_Bulk_SMSDlg::Options& options = TestOptions()) {
        AppShell::Startup(m_dir.path());
        window = std::make_unique<CVRIX_Bulk_SMSDlg>(prompter, demos, options);
        window->show();
    }

    QTemporaryDir m_dir;
    ScriptedPrompter prompter;
    DemoModems demos;
    std::unique_ptr<CVRIX_Bulk_SMSDlg> window;
};
