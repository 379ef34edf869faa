// Figures of the import wizards, driven offscreen from the main window's buttons:
//  1. the exclusion list wizard over a list of 1,000,000 numbers: opening the list ("Update" until the numbers
//     page shows every number), Export Number to a text file, Add Number, Save, then Ctrl+A and Remove Number;
//  2. the Excel import wizard over a 50,000-row workbook in the dynamic mode: the sheet's names, its columns,
//     the live preview while typing, and Finish until the rows are in the Recipient list.
// For each step: its wall time and the longest stall of the window's event loop while it ran (the largest gap
// between ticks of a 5 ms timer).
// Usage: bench_gui_import_windows [numbers] [rows] (defaults 1000000 50000)

#include "BenchMeasure.h"

#include "GuiBench.h"

#include "app/AppShell.h"
#include "app/Prompter.h"
#include "composer/gui/CVRIX_Bulk_SMSDlg.h"
#include "composer/gui/ImportWindows.h"
#include "excel_import/gui/CDynamic_Excel_Msg.h"
#include "exclusion/ExclusionNumberList.h"
#include "exclusion/ExclusionStore.h"
#include "exclusion/gui/CExclusion_Wizard.h"
#include "records/SpreadsheetExport.h"
#include "ui/DemoModems.h"
#include "ui/NumberEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Answers as YesPrompter, except that closing leaves the numbers unsaved.
class WizardPrompter final : public Prompter {
public:
    Answer Ask(const QString& message, const QString&, Icon, Buttons buttons) override {
        // Closing leaves the numbers unsaved.
        if (message.contains(QLatin1String("have not been saved yet")))
            return Answer::No;
        if (buttons == Buttons::Ok)
            std::fprintf(stderr, "  [notice] %s\n", qPrintable(message));
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
};

// The largest gap between ticks of a 5 ms timer since Start().
class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_worst = std::max(m_worst, m_since.nsecsElapsed());
            m_since.restart();
        });
    }
    void Start() {
        m_worst = 0;
        m_since.start();
        m_timer.start();
    }
    double WorstMs() {
        m_worst = std::max(m_worst, m_since.nsecsElapsed());
        return static_cast<double>(m_worst) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_worst = 0;
};

// Runs `step` (which starts the work), waits for `done`, and prints its time and the longest stall.
bool Measure(const char* what, StallMeter& meter, const std::function<void()>& step, const std::function<bool()>& done,
             QWidget* paint) {
    QElapsedTimer t;
    meter.Start();
    t.start();
    step();
    const double clickMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (!WaitFor(done)) {
        std::fprintf(stderr, "%s did not finish\n", what);
        return false;
    }
    Settle(paint);
    std::printf("%-58s %9.1f ms   (click %7.1f ms, longest stall %6.1f ms)\n", what,
                static_cast<double>(t.nsecsElapsed()) / 1e6, clickMs, meter.WorstMs());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int numbers = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 50000;
    QTemporaryDir data;
    AppShell::Startup(data.path());
    WizardPrompter prompter;
    DemoModems demos;
    CVRIX_Bulk_SMSDlg::Options options;
    options.shutdown = [] {};
    CVRIX_Bulk_SMSDlg main(prompter, demos, options);
    main.show();
    StallMeter meter;

    // ---- The exclusion list wizard ----
    {
        QStringList list;
        list.reserve(numbers);
        for (int i = 0; i < numbers; ++i)
            list << QStringLiteral("+44%1").arg(i, 10, 10, QLatin1Char('0'));
        if (!main.UserSession().ExclusionFiles().AppendList(QStringLiteral("Million"), list).Ok()) {
            std::fprintf(stderr, "could not write the list\n");
            return 1;
        }
    }
    std::printf("exclusion list wizard, %d numbers\n", numbers);
    {
        // The core work behind "Update", on this thread: reading the list file, indexing its numbers.
        const double cpu0 = CpuSeconds();
        QElapsedTimer t;
        t.start();
        ExclusionStoreLines lines = main.UserSession().ExclusionFiles().LoadList(QStringLiteral("Million"));
        const double readMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
        const double readCpu = CpuSeconds() - cpu0;
        t.restart();
        const ExclusionNumberList indexed(lines.lines);
        std::printf("  (core) read the list file %.1f ms (cpu %.1f ms), index %lld numbers %.1f ms (cpu %.1f ms)\n",
                    readMs, readCpu * 1e3, static_cast<long long>(indexed.Count()),
                    static_cast<double>(t.nsecsElapsed()) / 1e6, (CpuSeconds() - cpu0 - readCpu) * 1e3);
    }
    CExclusion_Wizard* wizard = nullptr;
    if (!Measure(
            "  open the wizard (button)", meter, [&] { main.Button(ImportWindows::kExclusion)->click(); },
            [&] { return (wizard = OpenChild<CExclusion_Wizard>(&main)) != nullptr; }, &main))
        return 1;
    wizard->AvailableView()->selectRow(0);
    if (!Measure(
            "  Update: the list's numbers shown", meter, [&] { wizard->Button(QStringLiteral("Update"))->click(); },
            [&] { return !wizard->IsBusy() && wizard->NumbersView()->model()->rowCount() == numbers; }, wizard))
        return 1;
    if (!Measure(
            "  scroll to the last number", meter, [&] { wizard->NumbersView()->scrollToBottom(); }, [] { return true; },
            wizard))
        return 1;
    if (!Measure(
            "  Export Number to .txt", meter,
            [&] { wizard->ExportTo(data.filePath(QStringLiteral("numbers.txt")), 2); },
            [&] { return !wizard->IsBusy(); }, wizard))
        return 1;
    if (!Measure(
            "  Add Number", meter,
            [&] {
                wizard->NumberField()->setText(QStringLiteral("+15550000001"));
                wizard->Button(QStringLiteral("Add Number"))->click();
            },
            [&] { return wizard->NumbersView()->model()->rowCount() == numbers + 1; }, wizard))
        return 1;
    if (!Measure(
            "  Save (the lists page again)", meter, [&] { wizard->Button(QStringLiteral("Save"))->click(); },
            [&] { return !wizard->IsBusy() && wizard->NumbersView()->model()->rowCount() == 0; }, wizard))
        return 1;
    wizard->AvailableView()->selectRow(0);
    wizard->Button(QStringLiteral("Update"))->click();
    WaitFor([&] { return !wizard->IsBusy(); });
    wizard->NumbersView()->selectAll();
    if (!Measure(
            "  Ctrl+A, Remove Number", meter, [&] { wizard->Button(QStringLiteral("Remove Number"))->click(); },
            [&] { return !wizard->IsBusy() && wizard->NumbersView()->model()->rowCount() == 0; }, wizard))
        return 1;
    if (!Measure(
            "  Close without saving", meter, [&] { wizard->Button(QStringLiteral("Close"))->click(); },
            [&] { return OpenChild<CExclusion_Wizard>(&main) == nullptr; }, &main))
        return 1;

    // ---- The Excel import wizard ----
    const QString book = data.filePath(QStringLiteral("rows.xlsx"));
    {
        int next = 0;
        const SpreadsheetExport::RowSource source = [&](QStringList* row) {
            if (next >= rows)
                return false;
            *row = {QStringLiteral("+4478%1").arg(next, 8, 10, QLatin1Char('0')), QStringLiteral("Name %1").arg(next),
                    QString::number(100 + next % 500)};
            ++next;
            return true;
        };
        if (!SpreadsheetExport(prompter)
                 .Export(SpreadsheetExportTable{{QStringLiteral("Mobile"), QStringLiteral("Name"),
                                                 QStringLiteral("Points")}},
                         source, SpreadsheetExport::Filter::All, book, SpreadsheetExport::Format::Xlsx)
                 .Ok()) {
            std::fprintf(stderr, "could not write the workbook\n");
            return 1;
        }
    }
    std::printf("Excel import wizard, %d rows, dynamic messages\n", rows);
    CDynamic_Excel_Msg* excel = nullptr;
    if (!Measure(
            "  open the wizard (button)", meter, [&] { main.Button(ImportWindows::kExcel)->click(); },
            [&] { return (excel = OpenChild<CDynamic_Excel_Msg>(&main)) != nullptr; }, &main))
        return 1;
    excel->DynamicRadio()->click();
    excel->ActionButton()->click();
    if (!Measure(
            "  Browse: the sheet names", meter, [&] { excel->BrowseTo(book); },
            [&] { return !excel->IsBusy() && excel->SheetCombo()->count() == 1; }, excel))
        return 1;
    if (!Measure(
            "  choose the sheet: its columns", meter, [&] { excel->SheetCombo()->setCurrentIndex(0); },
            [&] { return !excel->IsBusy() && excel->ColumnList()->count() == 3; }, excel))
        return 1;
    excel->ColumnList()->item(0)->setCheckState(Qt::Checked);
    excel->ActionButton()->click();
    if (!Measure(
            "  type the template (live preview)", meter,
            [&] { excel->TemplateField()->setPlainText(QStringLiteral("Hello <COL-2>, you have <COL-3> points.")); },
            [&] { return excel->PreviewTable()->rowCount() == 5; }, excel))
        return 1;
    if (!Measure(
            "  Finish: the rows in the Recipient list", meter, [&] { excel->ActionButton()->click(); },
            [&] { return OpenChild<CDynamic_Excel_Msg>(&main) == nullptr; }, &main))
        return 1;
    std::printf("  rows added: %lld (last \"%s\")\n", static_cast<long long>(main.List().Count()),
                qPrintable(main.List().Message(main.List().Count() - 1)));
    return 0;
}
