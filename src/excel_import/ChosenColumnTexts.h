#pragma once

#include "excel_import/ExcelInfoController.h"
#include "excel_import/ReaderLimits.h"
#include "excel_import/ReaderStatus.h"

#include <QString>
#include <QStringList>

// What every import over the sheet and column picker reads (contacts, exclusion numbers, templates): the
// non-empty cell texts of the columns checked in `choice`, columns left to right, each from the used range's
// first row to its last (a header row is not skipped). On a reader failure *texts keeps the texts read before
// it and the status says what failed (an error value in a cell, say).
ReaderStatus ReadChosenColumnTexts(const QString& path, const ExcelInfoController::Choice& choice, QStringList* texts,
                                   const ReaderLimits& limits = ReaderLimits());
