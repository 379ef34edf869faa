#include "ExclusionListRules.h"

#include "NumberText.h"

#include "common/AnsiCodec.h"

#include <QFileInfo>
#include <QSet>

QString ListNameErrorText(ListNameError error) {
    switch (error) {
    case ListNameError::None:
        return {};
    case ListNameError::Empty:
        return QStringLiteral("Please enter exclusion list name.");
    case ListNameError::Invalid:
        return QStringLiteral("Please enter a valid name.");
    case ListNameError::Reserved:
        return QStringLiteral("Please enter the another name.");
    case ListNameError::AlreadyExists:
        return QStringLiteral("Entered exclusion list name already exists.");
    }
    return {};
}

namespace {

bool HasForbiddenCharacter(const QString& name) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        // U+0000 cannot stand in a file name either.
        if (forbidden.contains(c) || u <= 0x1F || (u >= 0x80 && u <= 0xFF))
            return true;
    }
    return false;
}

bool IsReservedDeviceName(const QString& name) {
    const QString upper = name.toUpper();
    if (upper == QLatin1String("CON") || upper == QLatin1String("PRN") || upper == QLatin1String("AUX") ||
        upper == QLatin1String("NUL"))
        return true;
    if (upper.size() == 4 && (upper.startsWith(QLatin1String("COM")) || upper.startsWith(QLatin1String("LPT")))) {
        const char16_t digit = upper.at(3).unicode();
        return digit >= u'1' && digit <= u'9';
    }
    return false;
}

} // namespace

ListNameError CheckListName(const QString& name, const QStringList& availableNames) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return ListNameError::Empty;
    if (HasForbiddenCharacter(trimmed) || IsReservedDeviceName(trimmed) || trimmed.size() > kMaxListNameLength)
        return ListNameError::Invalid;
    if (trimmed == QLatin1String("ExListIndex"))
        return ListNameError::Reserved;
    for (const QString& existing : availableNames) {
        if (QString::compare(existing, trimmed, Qt::CaseInsensitive) == 0)
            return ListNameError::AlreadyExists;
    }
    return ListNameError::None;
}

QString TextImportErrorText(TextImportError error) {
    switch (error) {
    case TextImportError::None:
        return {};
    case TextImportError::NotAnsi:
        return QStringLiteral("Please select the ANSI encoded text file.");
    case TextImportError::EmptyFile:
        return QStringLiteral("File is empty.");
    case TextImportError::NothingTaken:
        return QStringLiteral("Either file is corrupted or selected file contains invalid characters.\n\nOR\n\n"
                              "Numbers are skipped because of duplicate number already exits in the exclusion "
                              "list.");
    }
    return {};
}

QStringList SplitNumberTokens(const QByteArray& bytes) {
    QStringList tokens;
    QByteArray token;
    const auto flush = [&] {
        if (!token.isEmpty())
            tokens << AnsiCodec::Decode(token);
        token.clear();
    };
    for (const char b : bytes) {
        if (b == ' ' || b == '\r')
            continue;
        if (b == ',' || b == '\n')
            flush();
        else
            token.append(b);
    }
    flush();
    return tokens;
}

TextImportResult ImportNumberTokens(const QStringList& tokens, ExclusionNumberList& list,
                                    std::atomic<qsizetype>* progress) {
    TextImportResult result;
    QStringList taken;
    QSet<QString> takenKeys; // numbers of this import, so a file's own repeats count as duplicates
    for (const QString& token : tokens) {
        const QString number = NormalizeNumber(token).trimmed();
        if (number.isEmpty())
            continue;
        if (!IsValidNumberText(number) || list.Contains(number) || takenKeys.contains(CaseFoldedKey(number))) {
            ++result.skipped;
            continue;
        }
        taken << number;
        takenKeys.insert(CaseFoldedKey(number));
        if (progress)
            progress->fetch_add(1, std::memory_order_relaxed);
    }
    result.taken = taken.size();
    list.InsertAtTop(taken);
    if (result.taken == 0)
        result.error = TextImportError::NothingTaken;
    return result;
}

TextImportResult ImportNumbersFromText(const QByteArray& bytes, ExclusionNumberList& list,
                                       std::atomic<qsizetype>* progress) {
    TextImportResult result;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xEF\xBB")) {
        result.error = TextImportError::NotAnsi;
        return result;
    }
    if (bytes.isEmpty()) {
        result.error = TextImportError::EmptyFile;
        return result;
    }
    return ImportNumberTokens(SplitNumberTokens(bytes), list, progress);
}

QString ImportFileErrorText(ImportFileError error) {
    switch (error) {
    case ImportFileError::None:
        return {};
    case ImportFileError::Missing:
        return QStringLiteral("File does not exist on selected location.");
    case ImportFileError::BadExtension:
        return QStringLiteral("Please select a valid file.");
    }
    return {};
}

ImportFileError CheckImportFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return ImportFileError::Missing;
    const QString ext = info.suffix().toLower();
    if (ext != QLatin1String("txt") && ext != QLatin1String("xls") && ext != QLatin1String("xlsx"))
        return ImportFileError::BadExtension;
    return ImportFileError::None;
}
