#include "app/AppendRecord.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"

bool AppendRecord(const QString& path, const QString& record, const QString& lineEnd, FileError* error) {
    // The flags of "create or extend a data file", with read access to look at the last code unit.
    constexpr unsigned kFlags = CStdioFileEx::kModeCreate | CStdioFileEx::kModeNoTruncate |
                                CStdioFileEx::kModeReadWrite | CStdioFileEx::kTypeText |
                                CStdioFileEx::kModeWriteUnicode;
    CStdioFileEx file;
    FileError openError;
    if (!file.Open(path, kFlags, &openError)) {
        if (error)
            *error = openError;
        return false;
    }
    try {
        const qint64 length = file.GetLength();
        QString text = record + lineEnd;
        if (length > 2) {
            if (length % 2 != 0) {
                // Half a code unit at the end: complete it, then end that record.
                file.SeekToEnd();
                file.Write("", 1);
                text.prepend(lineEnd);
            } else {
                char last[2] = {};
                file.Seek(-2, CStdioFileEx::SeekFrom::End);
                if (file.Read(last, 2) != 2 || last[0] != '\n' || last[1] != '\0')
                    text.prepend(lineEnd);
            }
        }
        file.SeekToEnd();
        file.WriteString(text);
        file.Close();
    } catch (const FileException& e) {
        if (error)
            *error = e.Error();
        return false;
    }
    return true;
}
