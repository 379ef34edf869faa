#include "exclusion/ExclusionNumberImport.h"

#include "exclusion/ExclusionNumberList.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"
#include "app/Prompter.h"
#include "excel_import/ChosenColumnTexts.h"
#include "excel_import/WorkbookReader.h"

#include <QFileInfo>

ExclusionNumberImport::ExclusionNumberImport(ExclusionNumberList& list, Prompter& prompter, const ReaderLimits& limits)
    : m_list(list), m_prompter(prompter), m_limits(limits) {}

bool ExclusionNumberImport::CheckChosenFile(const QString& path) {
    switch (CheckImportFile(path)) {
    case ImportFileError::None:
        return true;
    case ImportFileError::Missing:
        m_prompter.Ask(ImportFileErrorText(ImportFileError::Missing), QStringLiteral("Warning"),
                       Prompter::Icon::Warning, Prompter::Buttons::Ok);
        return false;
    case ImportFileError::BadExtension:
        m_prompter.Notice(ImportFileErrorText(ImportFileError::BadExtension));
        return false;
    }
    return false;
}

std::optional<ExclusionNumberImport::Kind> ExclusionNumberImport::CheckLoadPath(const QString& path) {
    switch (CheckImportFile(path)) {
    case ImportFileError::None:
        break;
    case ImportFileError::Missing:
        m_prompter.Notice(kNoPath);
        return std::nullopt;
    case ImportFileError::BadExtension:
        m_prompter.Notice(ImportFileErrorText(ImportFileError::BadExtension));
        return std::nullopt;
    }
    if (QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
        return Kind::Text;
    return Kind::Workbook;
}

ExclusionNumberImport::Outcome ExclusionNumberImport::RunText(const QString& path) {
    m_taken.store(0, std::memory_order_relaxed);
    Outcome outcome;
    QByteArray bytes;
    CStdioFileEx file;
    FileError error;
    if (!file.Open(path, CStdioFileEx::kModeRead | CStdioFileEx::kTypeBinary, &error)) {
        m_prompter.Notice(FileErrorText(error));
        outcome.refused = true;
        return outcome;
    }
    try {
        // Read to the end rather than trusting the length: the file may grow or shrink meanwhile.
        char buffer[65536];
        for (qint64 got; (got = file.Read(buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, got);
        file.Close();
    } catch (const FileException& e) {
        m_prompter.Notice(FileErrorText(e.Error()));
        outcome.refused = true;
        return outcome;
    }
    const TextImportResult result = ImportNumbersFromText(bytes, m_list, &m_taken);
    outcome.taken = result.taken;
    if (result.error != TextImportError::None) {
        m_prompter.Notice(TextImportErrorText(result.error));
        outcome.refused = result.error != TextImportError::NothingTaken;
    }
    return outcome;
}

bool ExclusionNumberImport::ReadSheetNames(const QString& path, QStringList* names) {
    const ReaderStatus status = WorkbookReader::ReadSheetNames(path, names);
    status.Report(m_prompter);
    return status.Ok();
}

ExclusionNumberImport::Outcome ExclusionNumberImport::RunWorkbook(const QString& path,
                                                                  const ExcelInfoController::Choice& choice) {
    m_taken.store(0, std::memory_order_relaxed);
    Outcome outcome;
    // The non-empty texts of the checked columns, column by column, every row: an empty cell is no token.
    QStringList texts;
    outcome.status = ReadChosenColumnTexts(path, choice, &texts, m_limits);
    outcome.status.Report(m_prompter);
    const TextImportResult result = ImportNumberTokens(texts, m_list, &m_taken);
    outcome.taken = result.taken;
    if (outcome.status.Ok() && result.error == TextImportError::NothingTaken)
        m_prompter.Notice(TextImportErrorText(result.error));
    return outcome;
}
