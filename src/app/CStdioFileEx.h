#pragma once

#include "app/FileError.h"

#include <QString>

#include <memory>

class QFileDevice;

// Line-oriented text file used for every data file and text export.
//
// Reading: a file opened for text reading whose first two bytes are FF FE is UTF-16LE; it is read in
// UTF-16 code units, lines end at U+000A. Any other file is 8-bit text in the code page (Windows-1252 unless
// SetCodePage chose another); with kTypeText, CR LF becomes LF as it is read; a line longer than 4095 bytes
// comes back in pieces of at most 4095 bytes. ReadString removes the line end (CR LF, or a last CR or LF).
//
// Writing: with kModeWriteUnicode, WriteString writes UTF-16LE and puts FF FE first when the position is 0;
// without it, the text is converted to the code page (unmappable characters become '#'). Nothing is ever
// translated on writing: the caller writes the line ends it wants ("\n" or "\r\n").
//
// Errors: Open() reports through its result and FileError and never throws. Read, write, flush and commit
// failures of an open file throw FileException. The destructor closes without throwing; an atomic rewrite
// that was not closed with Close() is discarded, leaving the previous file untouched.
class CStdioFileEx {
public:
    enum OpenFlag : unsigned {
        kModeRead = 0x0000,      // read only (the default access)
        kModeWrite = 0x0001,     // write only
        kModeReadWrite = 0x0002, // read and write
        kModeCreate = 0x1000,    // create the file; truncates an existing one unless kModeNoTruncate
        kModeNoTruncate = 0x2000,
        kTypeText = 0x4000,   // 8-bit reading turns CR LF into LF
        kTypeBinary = 0x8000, // no translation at all
        kModeWriteUnicode = 0x20000,
        // Whole-file rewrite: the text goes to a temporary file beside the target, which replaces the
        // target only when Close() succeeds. Needs kModeCreate and kModeWrite, not kModeNoTruncate.
        kModeAtomicRewrite = 0x40000,
    };

    // The combinations the stores use.
    static constexpr unsigned kReadDataFile = kModeRead | kTypeText;
    static constexpr unsigned kAppendDataFile =
        kModeCreate | kModeNoTruncate | kModeWrite | kTypeText | kModeWriteUnicode;
    static constexpr unsigned kRewriteDataFile =
        kModeCreate | kModeWrite | kTypeText | kModeWriteUnicode | kModeAtomicRewrite;

    // Code pages: 0 means "none set", i.e. the program's ANSI code page (Windows-1252).
    static constexpr unsigned kCodePageNone = 0;
    static constexpr unsigned kCodePageAnsi = 1252;
    static constexpr unsigned kCodePageUtf8 = 65001;

    enum class SeekFrom { Begin, Current, End };

    CStdioFileEx();
    ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    [[nodiscard]] bool Open(const QString& path, unsigned flags, FileError* error = nullptr);
    bool IsOpen() const;

    // True while a line (or a piece of an over-long 8-bit line) was read; false at the end of the file,
    // leaving text unchanged. Throws FileException on a read error.
    bool ReadString(QString& text);
    // Writes the text as it is; adds no line end. Throws FileException on a write error.
    void WriteString(const QString& text);

    // For 8-bit reading and writing; may be set before Open(). False (and no change) for a code page the
    // program cannot convert. Supported: 0, 1252, 65001, 28591 (ISO 8859-1), 20127 (US-ASCII), and the
    // other Windows code pages Qt's converters know.
    [[nodiscard]] bool SetCodePage(unsigned codePage);
    unsigned GetCodePage() const { return m_codePage; }

    // Flushes and closes; for an atomic rewrite, replaces the target. Throws FileException when the data
    // could not be written (the previous file then stays as it was for an atomic rewrite).
    void Close();
    // Closes without reporting anything; an atomic rewrite is discarded.
    void Abort();

    qint64 GetLength() const;
    qint64 GetPosition() const;
    qint64 Seek(qint64 offset, SeekFrom from);
    qint64 SeekToEnd() { return Seek(0, SeekFrom::End); }
    void SeekToBegin() { Seek(0, SeekFrom::Begin); }

    // Raw bytes, as in an ordinary file. Read gives the number of bytes read (0 at the end).
    qint64 Read(void* buffer, qint64 count);
    void Write(const void* buffer, qint64 count);

    // The flags as finally used (kTypeText replaced by kTypeBinary for a UTF-16 file).
    unsigned GetFlags() const { return m_flags; }
    // True when the file was found to be UTF-16LE with a byte-order mark when opened for reading.
    bool IsFileUnicodeText() const { return m_unicode; }
    const QString& GetFilePath() const { return m_path; }

    // The longest 8-bit piece ReadString returns, in bytes.
    static constexpr qsizetype kMaxAnsiLine = 4095;

    // The bytes WriteString writes for the text as 8-bit text in the code page (kCodePageNone is the ANSI
    // page): a character with no byte there becomes '#'.
    static QByteArray EncodeIn(unsigned codePage, const QString& text);

private:
    bool ReadUnicodeLine(QString& text);
    bool ReadAnsiLine(QString& text);
    QString Decode(const QByteArray& bytes) const;
    QByteArray Encode(const QString& text) const;
    void WriteBytes(const char* data, qint64 size);
    [[noreturn]] void ThrowDeviceError() const;

    std::unique_ptr<QFileDevice> m_device;
    QString m_path;
    unsigned m_flags = 0;
    unsigned m_codePage = kCodePageNone;
    bool m_unicode = false;
};
