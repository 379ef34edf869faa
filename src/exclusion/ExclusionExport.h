#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The text report of one exclusion list: 8-bit text in the program's ANSI code page (Windows-1252; a
// character with no byte there becomes '#'), CR LF line ends, the numbers in list order. Report() is a pure
// function; Write() puts the bytes at a path, replacing an earlier file only once the new one is complete.
class ExclusionExport {
public:
    struct Result {
        enum class Outcome {
            Written,         // message is kExported
            EmptyList,       // message is kEmptyList; nothing written
            FileNotWritable, // the target exists and cannot be opened: its file error text
            WriteFailed      // message is kWriteError
        };
        Outcome outcome = Outcome::Written;
        QString message;

        bool Ok() const { return outcome == Outcome::Written; }
    };

    static QByteArray Report(const QStringList& numbers);

    [[nodiscard]] static Result Write(const QStringList& numbers, const QString& path);

    static inline const QString kEmptyList = QStringLiteral("Exclusion number list is empty.");
    static inline const QString kExported = QStringLiteral("Exclusion Number List has been exported successfully.");
    static inline const QString kWriteError =
        QStringLiteral("Error in file.\n\nOR\n\nThere is not enough space on the disk.");
};
