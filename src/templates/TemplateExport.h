#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text and HTML reports of the templates window's list, rows in list order numbered from 1. Both are
// UTF-16LE with FF FE. The writers are pure functions; Write() puts the bytes at a path, replacing an earlier
// file only once the new one is complete.
class TemplateExport {
public:
    enum class Format { Text, Html };

    struct Result {
        enum class Outcome {
            Written,         // message is kExported
            EmptyList,       // message is kEmptyList; nothing written
            FileNotWritable, // the target exists and cannot be opened for reading and writing: its file error text
            WriteFailed      // message is kWriteError
        };
        Outcome outcome = Outcome::Written;
        QString message;

        bool Ok() const { return outcome == Outcome::Written; }
    };

    static QByteArray TextReport(const QStringList& templates);
    static QByteArray HtmlReport(const QStringList& templates);

    [[nodiscard]] static Result Write(const QStringList& templates, const QString& path, Format format);

    // "&", "<", ">" and '"' as character references.
    static QString EscapeHtml(const QString& text);

    static inline const QString kEmptyList = QStringLiteral("Template list is empty.");
    static inline const QString kExported = QStringLiteral("Template Message List has been exported successfully.");
    static inline const QString kWriteError =
        QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");
};
