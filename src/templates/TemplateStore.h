#pragma once

#include "app/FileError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The template store "Templates.vrix": UTF-16LE with FF FE; one record per template, the text with each
// U+000A written as the marker "|AP*|DX/", then a single U+000A. The record written last is shown first.
// Every operation on the file holds one process-wide lock, so appends from sending workers never interleave.
class TemplateStore {
public:
    // How a record that repeats an earlier one is recognised when reading.
    enum class Duplicates {
        Exact,      // the templates window: whole texts, case-sensitive
        IgnoreCase, // the template cache: whole texts, letter case ignored
    };

    explicit TemplateStore(QString path);

    const QString& Path() const { return m_path; }

    // The templates in window order (row 0 = the record written last), each text once. False, with the
    // reason, when the file cannot be opened or read.
    [[nodiscard]] bool Read(QStringList* rows, Duplicates duplicates, FileError* error = nullptr) const;
    // Appends one record at the end of the file (created when missing).
    [[nodiscard]] bool Append(const QString& text, FileError* error = nullptr) const;
    // Appends one record per text, in order, with a single write.
    [[nodiscard]] bool Append(const QStringList& texts, FileError* error = nullptr) const;
    // Replaces the file by the rows, written from the bottom row up to row 0, so that reading gives the
    // same order. The old file stays whole until the new one is complete. No rows leave FF FE only.
    [[nodiscard]] bool Rewrite(const QStringList& rows, FileError* error = nullptr) const;
    // Reads the templates as they are now (exact duplicate test), lets change edit them in window order and
    // rewrites the file (unless change returns false: nothing changed), all under the store's locks, so a
    // template another process or thread adds meanwhile is neither lost nor written in between. *rows (may be
    // null) gets the templates as they are now, also when change returned false.
    [[nodiscard]] bool Update(const std::function<bool(QStringList&)>& change, QStringList* rows,
                              FileError* error = nullptr) const;

    // The record of a text, without its U+000A.
    static QString EncodeRecord(const QString& text);
    // The reading rules over the file's bytes: U+FEFF ignored wherever it stands, text after the last
    // U+000A ignored, empty and repeated records skipped.
    static QStringList ParseRows(const QByteArray& bytes, Duplicates duplicates);

    static inline const QString kNewlineMarker = QStringLiteral("|AP*|DX/");

private:
    // Read and Rewrite for a caller holding the locks.
    bool ReadHeld(QStringList* rows, Duplicates duplicates, FileError* error) const;
    bool RewriteHeld(const QStringList& rows, FileError* error) const;

    QString m_path;
};
