#pragma once

#include <QString>

// `bulksms --screenshots DIR`: opens every window of the program with sample data (two demo modems, a
// scan, a finished send) and saves one PNG per window into DIR, named after the window's class. Runs with
// a throw-away data folder and answers every question with Yes/OK. False when a window could not be shown
// or saved.
namespace ScreenshotTool {
bool Run(const QString& directory);
}
