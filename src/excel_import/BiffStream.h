#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

// The records of a BIFF8 stream (the "Workbook" stream of an .xls file; MS-XLS 2.1.4): a 2-byte type, a
// 2-byte length and that many bytes of data, little-endian.
class BiffStream {
public:
    struct Record {
        std::uint16_t type = 0;
        std::size_t offset = 0; // stream position of the record's header
        QByteArrayView data;
    };

    explicit BiffStream(QByteArrayView stream) : m_stream(stream) {}

    // The record at the current position, then moves past it; false at the end of the stream or when the
    // record runs past it.
    bool Next(Record* record);
    // The type of the record at the current position without moving; false at the end.
    bool PeekType(std::uint16_t* type) const;
    void Seek(std::size_t position) { m_position = position; }
    std::size_t Position() const { return m_position; }
    std::size_t Size() const { return static_cast<std::size_t>(m_stream.size()); }

    static std::uint16_t U16(QByteArrayView data, std::size_t offset);
    static std::uint32_t U32(QByteArrayView data, std::size_t offset);
    static double F64(QByteArrayView data, std::size_t offset);
    // An RK number (MS-XLS 2.5.218): 30 bits of an integer or of a double's high bits, optionally / 100.
    static double RkValue(std::uint32_t rk);

private:
    QByteArrayView m_stream;
    std::size_t m_position = 0;
};

// Reads values that may run over from one record into the CONTINUE records after it: the shared string
// table, a formula's string result. Character data that crosses a boundary restarts in the next record with
// a new option byte saying whether the rest is 8-bit or 16-bit.
class BiffContinuedReader {
public:
    void AddSegment(QByteArrayView data) { m_segments.push_back(data); }

    bool AtEnd() const;
    bool ReadU8(std::uint8_t* value);
    bool ReadU16(std::uint16_t* value);
    bool ReadU32(std::uint32_t* value);
    bool Skip(std::size_t bytes);
    // A string with a 16-bit (or, with shortCount, 8-bit) character count, an option byte and, when the
    // option byte says so, rich-text runs and phonetic data, which are skipped (MS-XLS XLUnicodeString,
    // XLUnicodeRichExtendedString, ShortXLUnicodeString).
    bool ReadString(QString* text, bool shortCount = false);

private:
    bool Available(); // moves to the next segment when the current one is used up; false at the end
    std::vector<QByteArrayView> m_segments;
    std::size_t m_segment = 0;
    std::size_t m_offset = 0;
};
