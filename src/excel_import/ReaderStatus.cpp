#include "excel_import/ReaderStatus.h"

#include "app/FileError.h"
#include "app/Prompter.h"

QString ReaderStatus::Message() const {
    QString message = ReaderErrorMessage(error);
    switch (error) {
    case ReaderError::ExcelMissing:
    case ReaderError::OpenFailed:
    case ReaderError::SheetFailed:
    case ReaderError::RangeFailed: {
        const QString noError = FileError::FromErrno({}, 0).platformMessage;
        const QString reason = osError != 0 ? FileError::FromErrno({}, osError).platformMessage : detail;
        if (!reason.isEmpty() && !reason.contains(noError))
            message += QLatin1Char('\n') + reason;
        break;
    }
    case ReaderError::None:
    case ReaderError::SheetEmpty:
    case ReaderError::AutomationError:
        break;
    }
    return message;
}

void ReaderStatus::Report(Prompter& prompter) const {
    if (Ok())
        return;
    if (error == ReaderError::SheetEmpty) {
        prompter.Notice(Message());
        return;
    }
    prompter.Ask(Message(), QStringLiteral("Excel Error"), Prompter::Icon::Error, Prompter::Buttons::Ok);
}
