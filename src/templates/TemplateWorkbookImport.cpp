#include "templates/TemplateWorkbookImport.h"

#include "app/Prompter.h"
#include "excel_import/ChosenColumnTexts.h"
#include "excel_import/WorkbookReader.h"
#include "templates/TemplatesController.h"

#include <QFileInfo>

TemplateWorkbookImport::TemplateWorkbookImport(TemplatesController& templates, Prompter& prompter,
                                               const ReaderLimits& limits)
    : m_templates(templates), m_prompter(prompter), m_limits(limits) {}

bool TemplateWorkbookImport::CheckFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        m_prompter.Ask(kMissing, QStringLiteral("Warning"), Prompter::Icon::Warning, Prompter::Buttons::Ok);
        return false;
    }
    const QString extension = info.suffix();
    if (extension.compare(QLatin1String("xls"), Qt::CaseInsensitive) != 0 &&
        extension.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) != 0) {
        m_prompter.Notice(kInvalidFile);
        return false;
    }
    return true;
}

bool TemplateWorkbookImport::ReadSheetNames(const QString& path, QStringList* names) {
    const ReaderStatus status = WorkbookReader::ReadSheetNames(path, names);
    status.Report(m_prompter);
    return status.Ok();
}

TemplateWorkbookImport::Outcome TemplateWorkbookImport::Run(const QString& path,
                                                            const ExcelInfoController::Choice& choice) {
    m_added.store(0, std::memory_order_relaxed);
    Outcome outcome;
    // The non-empty texts of the checked columns, column by column, as the contact import reads its numbers.
    QStringList texts;
    outcome.status = ReadChosenColumnTexts(path, choice, &texts, m_limits);
    outcome.status.Report(m_prompter);
    const std::optional<qsizetype> added = m_templates.AddImported(texts, &m_added);
    if (!added) {
        outcome.storeFailed = true;
        return outcome;
    }
    outcome.added = *added;
    if (outcome.status.Ok() && outcome.added == 0)
        m_prompter.Notice(kNothingAdded);
    return outcome;
}
