#pragma once

#include "ExclusionNumberList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

// Rules of the exclusion list editor that need no window: list names, and reading numbers from text files.

// Longest list name, in UTF-16 code units (the name edit's limit).
inline constexpr qsizetype kMaxListNameLength = 50;

// Why a list name is refused, in the order the rules are checked.
enum class ListNameError {
    None,
    Empty,         // "Please enter exclusion list name."
    Invalid,       // "Please enter a valid name.": a character of \/:*?"<>|, a control or U+0080-U+00FF
                   // character, a reserved device name, or longer than kMaxListNameLength
    Reserved,      // "Please enter the another name.": the index file's own base name
    AlreadyExists, // "Entered exclusion list name already exists."
};
[[nodiscard]] QString ListNameErrorText(ListNameError error);

// Checks a new name (creating or renaming) against the rules; the name is trimmed first and the trimmed name
// is what the caller stores. `availableNames` are the names of the index; the comparison ignores case.
[[nodiscard]] ListNameError CheckListName(const QString& name, const QStringList& availableNames);

// Why a text file gives no numbers.
enum class TextImportError {
    None,
    NotAnsi,      // "Please select the ANSI encoded text file." (starts with a UTF-16 or UTF-8 byte-order mark)
    EmptyFile,    // "File is empty."
    NothingTaken, // "Either file is corrupted or ... already exits in the exclusion list."
};
[[nodiscard]] QString TextImportErrorText(TextImportError error);

struct TextImportResult {
    TextImportError error = TextImportError::None;
    qsizetype taken = 0;   // numbers added to the list
    qsizetype skipped = 0; // non-empty tokens refused as invalid or already listed
};

// Splits 8-bit text (Windows-1252) into number tokens: ' ' and CR are dropped, ',' and LF end a token, and a
// token pending at the end is kept even without a line end. Empty tokens are left out.
[[nodiscard]] QStringList SplitNumberTokens(const QByteArray& bytes);

// Takes tokens into the list: each is normalised (NormalizeNumber) and trimmed; a valid number not yet
// listed is kept. The numbers kept go ahead of the existing ones, the first kept becoming row 0. Used for
// text files and for the cells of a workbook import alike. *progress (when given) counts the numbers kept as
// the tokens are gone through, for a window that polls it from another thread; the list itself changes once,
// at the end.
TextImportResult ImportNumberTokens(const QStringList& tokens, ExclusionNumberList& list,
                                    std::atomic<qsizetype>* progress = nullptr);

// The whole import of a text file's bytes into the list, with its refusals. On any error the list is
// unchanged.
TextImportResult ImportNumbersFromText(const QByteArray& bytes, ExclusionNumberList& list,
                                       std::atomic<qsizetype>* progress = nullptr);

// Choosing an import file.
enum class ImportFileError {
    None,
    Missing,      // "File does not exist on selected location."
    BadExtension, // "Please select a valid file." (only .txt, .xls and .xlsx, any letter case)
};
[[nodiscard]] QString ImportFileErrorText(ImportFileError error);
[[nodiscard]] ImportFileError CheckImportFile(const QString& path);
