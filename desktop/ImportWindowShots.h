#pragma once

#include <QString>

#include <functional>

class CVRIX_Bulk_SMSDlg;
class Prompter;
class QWidget;

// The screenshot tool's part for the import wizards: the Excel import wizard on each of its pages, its
// progress and example windows, and the exclusion list wizard on each page with its number editor, all over
// sample data written into `dataDir` and the main window's data folder. `save` takes one PNG of a shown
// window (named after its object name), `fail` reports a step that did not come about.
namespace ImportWindowShots {
void Take(CVRIX_Bulk_SMSDlg& main, Prompter& prompter, const QString& dataDir,
          const std::function<void(QWidget*)>& save, const std::function<void(const char*)>& fail);
}
