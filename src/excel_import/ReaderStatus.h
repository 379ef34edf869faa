#pragma once

#include "excel_import/ReaderError.h"

#include <QString>

class Prompter;

// The outcome of one reader operation: success, or a failure kind with what is known about its cause.
struct [[nodiscard]] ReaderStatus {
    ReaderError error = ReaderError::None;
    int osError = 0; // errno of a failed system call, 0 when the failure had none
    QString detail;  // our own reader's account of the cause (e.g. "the workbook is protected by a password")

    bool Ok() const { return error == ReaderError::None; }
    explicit operator bool() const { return Ok(); }

    static ReaderStatus Success() { return {}; }
    static ReaderStatus Fail(ReaderError error, QString detail = {}) { return {error, 0, std::move(detail)}; }
    static ReaderStatus FromErrno(ReaderError error, int osError) { return {error, osError, {}}; }

    // The text shown to the user: the kind's message; for the first four kinds followed by a line break and
    // the system's text for osError (or, without one, the detail), unless that text is the system's "no
    // error" text. AutomationError and SheetEmpty show their message alone.
    QString Message() const;

    // Shows the failure the way every caller does: SheetEmpty as a notice ("Excel sheet is empty.", caption
    // "Message", information icon), every other failure in an error box with the caption "Excel Error".
    // Nothing is shown for success.
    void Report(Prompter& prompter) const;
};
