#include "app/CStdioFileEx.h"

#include "app/FileException.h"
#include "common/AnsiCodec.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kAccessMask = CStdioFileEx::kModeWrite | CStdioFileEx::kModeReadWrite;
constexpr char kBom[2] = {'\xFF', '\xFE'};
// Bytes looked at per step when reading; an 8-bit piece of 4095 output bytes uses at most 8190 raw bytes
// (every LF preceded by a CR) plus one byte to see whether a CR is followed by LF.
constexpr qint64 kAnsiPeek = 2 * CStdioFileEx::kMaxAnsiLine + 2;
constexpr qint64 kUnicodePeek = 4096;

bool IsCodePageBuiltIn(unsigned cp) {
    return cp == CStdioFileEx::kCodePageNone || cp == CStdioFileEx::kCodePageAnsi ||
           cp == CStdioFileEx::kCodePageUtf8 || cp == 28591 || cp == 20127;
}

// Qt's ICU-backed converters know the other Windows and DOS code pages under one of these names.
QByteArray ConverterName(unsigned cp) {
    const QByteArray number = QByteArray::number(cp);
    for (const QByteArray& name :
         {QByteArray("windows-" + number), QByteArray("cp" + number), QByteArray("ibm-" + number)}) {
        if (QStringDecoder(name.constData()).isValid() && QStringEncoder(name.constData()).isValid())
            return name;
    }
    return {};
}

// Number of bytes at the end of a UTF-8 piece that start a sequence the piece does not finish.
qsizetype IncompleteUtf8Tail(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto b = static_cast<unsigned char>(bytes[size - back]);
        if ((b & 0xC0) == 0x80)
            continue; // continuation byte: look further back for the lead byte
        const qsizetype needed = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return needed > back ? back : 0;
    }
    return 0;
}

} // namespace

CStdioFileEx::CStdioFileEx() = default;

CStdioFileEx::~CStdioFileEx() {
    Abort();
}

bool CStdioFileEx::Open(const QString& path, unsigned flags, FileError* error) {
    Abort();
    m_unicode = false;
    m_path = path;
    auto fail = [&](const FileError& e) {
        if (error)
            *error = e;
        m_device.reset();
        return false;
    };

    const unsigned access = flags & kAccessMask;
    const bool textReading = (flags & kTypeText) && !(flags & kModeCreate) && !(flags & kModeWrite);
    if (textReading) {
        // Look at the first two bytes once: FF FE makes the file UTF-16LE, read without translation.
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly)) {
            char head[2] = {};
            if (probe.read(head, 2) == 2 && head[0] == kBom[0] && head[1] == kBom[1]) {
                m_unicode = true;
                flags = (flags & ~unsigned(kTypeText)) | kTypeBinary;
            }
        }
    }
    m_flags = flags;

    if (flags & kModeAtomicRewrite) {
        if (!(flags & kModeCreate) || (flags & kModeNoTruncate) || access != kModeWrite)
            return fail(FileError::FromErrno(path, EINVAL));
        auto save = std::make_unique<QSaveFile>(path);
        save->setDirectWriteFallback(false);
        errno = 0;
        if (!save->open(QIODevice::WriteOnly)) {
            const int err = errno;
            return fail(FileError::FromText(path, save->errorString(), err));
        }
        m_device = std::move(save);
        return true;
    }

    int oflags = O_CLOEXEC;
    oflags |= access == kModeWrite ? O_WRONLY : access == kModeReadWrite ? O_RDWR : O_RDONLY;
    const bool creating = flags & kModeCreate;
    if (creating)
        oflags |= (flags & kModeNoTruncate) ? O_CREAT : O_CREAT | O_TRUNC;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), oflags, 0666);
    if (fd < 0)
        return fail(FileError::FromErrno(path, errno, creating));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(FileError::FromErrno(path, EISDIR, creating));
    }
    auto file = std::make_unique<QFile>();
    const QIODevice::OpenMode mode = access == kModeWrite       ? QIODevice::WriteOnly
                                     : access == kModeReadWrite ? QIODevice::ReadWrite
                                                                : QIODevice::ReadOnly;
    if (!file->open(fd, mode, QFileDevice::AutoCloseHandle)) {
        const int err = errno;
        ::close(fd);
        return fail(FileError::FromText(path, file->errorString(), err));
    }
    m_device = std::move(file);
    return true;
}

bool CStdioFileEx::IsOpen() const {
    return m_device != nullptr;
}

bool CStdioFileEx::SetCodePage(unsigned codePage) {
    if (!IsCodePageBuiltIn(codePage) && ConverterName(codePage).isEmpty())
        return false;
    m_codePage = codePage;
    return true;
}

bool CStdioFileEx::ReadString(QString& text) {
    if (!m_device)
        return false;
    return m_unicode ? ReadUnicodeLine(text) : ReadAnsiLine(text);
}

bool CStdioFileEx::ReadUnicodeLine(QString& text) {
    if (m_device->pos() == 0) {
        char head[2];
        if (m_device->peek(head, 2) == 2 && head[0] == kBom[0] && head[1] == kBom[1])
            m_device->skip(2);
    }
    QByteArray units;
    bool any = false;
    for (;;) {
        char chunk[kUnicodePeek];
        const qint64 got = m_device->peek(chunk, kUnicodePeek);
        if (got < 0)
            ThrowDeviceError();
        if (got < 2) {
            // End of file; a lone trailing byte is half a code unit and is dropped.
            if (got == 1)
                m_device->skip(1);
            break;
        }
        any = true;
        qint64 take = got & ~qint64(1);
        bool lineEnd = false;
        for (qint64 i = 0; i + 1 < take; i += 2) {
            if (chunk[i] == '\n' && chunk[i + 1] == '\0') {
                take = i + 2;
                lineEnd = true;
                break;
            }
        }
        units.append(chunk, take);
        m_device->skip(take);
        if (lineEnd)
            break;
    }
    if (!any)
        return false;
    QString line(units.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(units.constData(), line.size(), line.data());
    if (line.endsWith(QLatin1String("\r\n")))
        line.chop(2);
    else if (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    text = line;
    return true;
}

bool CStdioFileEx::ReadAnsiLine(QString& text) {
    QByteArray raw(kAnsiPeek, Qt::Uninitialized);
    const qint64 got = m_device->peek(raw.data(), kAnsiPeek);
    if (got < 0)
        ThrowDeviceError();
    if (got == 0)
        return false;
    const bool translate = m_flags & kTypeText;
    QByteArray piece;
    piece.reserve(kMaxAnsiLine);
    qint64 used = 0;
    while (used < got && piece.size() < kMaxAnsiLine) {
        const char c = raw[used];
        if (translate && c == '\r' && used + 1 < got && raw[used + 1] == '\n') {
            piece.append('\n');
            used += 2;
            break;
        }
        piece.append(c);
        ++used;
        if (c == '\n')
            break;
    }
    // A UTF-8 line cut at the piece limit keeps a split character whole for the next piece.
    const unsigned cp = m_codePage;
    if (cp == kCodePageUtf8 && piece.size() == kMaxAnsiLine && !piece.endsWith('\n')) {
        const qsizetype tail = IncompleteUtf8Tail(piece);
        if (tail < piece.size()) {
            piece.chop(tail);
            used -= tail;
        }
    }
    m_device->skip(used);
    QString line = Decode(piece);
    if (line.endsWith(QLatin1String("\r\n")))
        line.chop(2);
    else if (line.endsWith(QLatin1Char('\r')) || line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    text = line;
    return true;
}

QString CStdioFileEx::Decode(const QByteArray& bytes) const {
    switch (m_codePage) {
    case kCodePageNone:
    case kCodePageAnsi:
        return AnsiCodec::Decode(bytes);
    case kCodePageUtf8:
        return QString::fromUtf8(bytes);
    case 28591:
        return QString::fromLatin1(bytes);
    case 20127: {
        QString out = QString::fromLatin1(bytes);
        for (QChar& c : out) {
            if (c.unicode() > 0x7F)
                c = QChar(c.unicode() & 0x7F); // the ASCII page keeps the low seven bits
        }
        return out;
    }
    default: {
        QStringDecoder decoder(ConverterName(m_codePage).constData());
        return decoder.decode(bytes);
    }
    }
}

QByteArray CStdioFileEx::Encode(const QString& text) const {
    return EncodeIn(m_codePage, text);
}

QByteArray CStdioFileEx::EncodeIn(unsigned codePage, const QString& text) {
    if (codePage == kCodePageUtf8)
        return text.toUtf8();
    // Decomposed sequences are composed where the code page has the composed character; whatever still
    // has no byte (a lone combining mark, a character outside the page) becomes '#'.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    const QByteArray name = IsCodePageBuiltIn(codePage) ? QByteArray() : ConverterName(codePage);
    for (qsizetype i = 0; i < composed.size(); ++i) {
        qsizetype length = 1;
        if (composed[i].isHighSurrogate() && i + 1 < composed.size() && composed[i + 1].isLowSurrogate())
            length = 2;
        const QString one = composed.mid(i, length);
        i += length - 1;
        switch (codePage) {
        case kCodePageNone:
        case kCodePageAnsi:
            out.append(AnsiCodec::CanEncode(one) ? AnsiCodec::Encode(one) : QByteArray("#"));
            break;
        case 28591:
            out.append(one.size() == 1 && one[0].unicode() <= 0xFF ? one.toLatin1() : QByteArray("#"));
            break;
        case 20127:
            out.append(one.size() == 1 && one[0].unicode() <= 0x7F ? one.toLatin1() : QByteArray("#"));
            break;
        default: {
            // A character maps when it comes back unchanged from its bytes.
            QStringEncoder encoder(name.constData());
            QStringDecoder decoder(name.constData());
            const QByteArray bytes = encoder.encode(one);
            out.append(QString(decoder.decode(bytes)) == one ? bytes : QByteArray("#"));
            break;
        }
        }
    }
    return out;
}

void CStdioFileEx::WriteString(const QString& text) {
    if (!m_device)
        throw FileException(FileError::FromErrno(m_path, EBADF));
    if (m_flags & kModeWriteUnicode) {
        if (m_device->pos() == 0)
            WriteBytes(kBom, 2);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            WriteBytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        } else {
            QByteArray bytes(text.size() * 2, Qt::Uninitialized);
            qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
            WriteBytes(bytes.constData(), bytes.size());
        }
        return;
    }
    const QByteArray bytes = Encode(text);
    WriteBytes(bytes.constData(), bytes.size());
}

void CStdioFileEx::WriteBytes(const char* data, qint64 size) {
    if (size == 0)
        return;
    if (m_device->write(data, size) != size)
        ThrowDeviceError();
}

void CStdioFileEx::Close() {
    if (!m_device)
        return;
    std::unique_ptr<QFileDevice> device = std::move(m_device);
    if (auto* save = dynamic_cast<QSaveFile*>(device.get())) {
        errno = 0;
        if (!save->commit()) {
            const int err = errno;
            throw FileException(FileError::FromText(m_path, save->errorString(), err));
        }
        return;
    }
    errno = 0;
    const bool flushed = device->flush();
    const int err = errno;
    const QString reason = device->errorString();
    device->close();
    if (!flushed)
        throw FileException(FileError::FromText(m_path, reason, err));
}

void CStdioFileEx::Abort() {
    if (!m_device)
        return;
    if (auto* save = dynamic_cast<QSaveFile*>(m_device.get()))
        save->cancelWriting();
    else
        m_device->close();
    m_device.reset();
}

qint64 CStdioFileEx::GetLength() const {
    return m_device ? m_device->size() : 0;
}

qint64 CStdioFileEx::GetPosition() const {
    return m_device ? m_device->pos() : 0;
}

qint64 CStdioFileEx::Seek(qint64 offset, SeekFrom from) {
    if (!m_device)
        throw FileException(FileError::FromErrno(m_path, EBADF));
    const qint64 base = from == SeekFrom::Begin ? 0 : from == SeekFrom::Current ? m_device->pos() : m_device->size();
    const qint64 target = base + offset;
    if (target < 0)
        throw FileException(FileError::FromErrno(m_path, EINVAL));
    if (!m_device->seek(target))
        ThrowDeviceError();
    return target;
}

qint64 CStdioFileEx::Read(void* buffer, qint64 count) {
    if (!m_device)
        throw FileException(FileError::FromErrno(m_path, EBADF));
    const qint64 got = m_device->read(static_cast<char*>(buffer), count);
    if (got < 0)
        ThrowDeviceError();
    return got;
}

void CStdioFileEx::Write(const void* buffer, qint64 count) {
    if (!m_device)
        throw FileException(FileError::FromErrno(m_path, EBADF));
    WriteBytes(static_cast<const char*>(buffer), count);
}

void CStdioFileEx::ThrowDeviceError() const {
    const int err = errno;
    throw FileException(FileError::FromText(m_path, m_device->errorString(), err));
}
