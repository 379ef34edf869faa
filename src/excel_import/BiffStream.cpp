#include "excel_import/BiffStream.h"

#include <bit>
#include <cstring>

std::uint16_t BiffStream::U16(QByteArrayView data, std::size_t offset) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data()) + offset;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t BiffStream::U32(QByteArrayView data, std::size_t offset) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data()) + offset;
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

double BiffStream::F64(QByteArrayView data, std::size_t offset) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(U32(data, offset)) | (static_cast<std::uint64_t>(U32(data, offset + 4)) << 32);
    return std::bit_cast<double>(bits);
}

double BiffStream::RkValue(std::uint32_t rk) {
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2); // fInt: a signed 30-bit integer
    } else {
        value = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    }
    if (rk & 0x01)
        value /= 100.0; // fX100
    return value;
}

bool BiffStream::Next(Record* record) {
    if (m_position + 4 > Size())
        return false;
    const std::uint16_t type = U16(m_stream, m_position);
    const std::uint16_t length = U16(m_stream, m_position + 2);
    if (m_position + 4 + length > Size())
        return false;
    record->type = type;
    record->offset = m_position;
    record->data = m_stream.sliced(static_cast<qsizetype>(m_position + 4), length);
    m_position += 4 + static_cast<std::size_t>(length);
    return true;
}

bool BiffStream::PeekType(std::uint16_t* type) const {
    if (m_position + 4 > Size())
        return false;
    *type = U16(m_stream, m_position);
    return true;
}

bool BiffContinuedReader::Available() {
    while (m_segment < m_segments.size() && m_offset >= static_cast<std::size_t>(m_segments[m_segment].size())) {
        ++m_segment;
        m_offset = 0;
    }
    return m_segment < m_segments.size();
}

bool BiffContinuedReader::AtEnd() const {
    for (std::size_t s = m_segment; s < m_segments.size(); ++s) {
        if (static_cast<std::size_t>(m_segments[s].size()) > (s == m_segment ? m_offset : 0))
            return false;
    }
    return true;
}

bool BiffContinuedReader::ReadU8(std::uint8_t* value) {
    if (!Available())
        return false;
    *value = static_cast<std::uint8_t>(m_segments[m_segment][static_cast<qsizetype>(m_offset)]);
    ++m_offset;
    return true;
}

bool BiffContinuedReader::ReadU16(std::uint16_t* value) {
    std::uint8_t low = 0;
    std::uint8_t high = 0;
    if (!ReadU8(&low) || !ReadU8(&high))
        return false;
    *value = static_cast<std::uint16_t>(low | (high << 8));
    return true;
}

bool BiffContinuedReader::ReadU32(std::uint32_t* value) {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (!ReadU16(&low) || !ReadU16(&high))
        return false;
    *value = static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
    return true;
}

bool BiffContinuedReader::Skip(std::size_t bytes) {
    while (bytes > 0) {
        if (!Available())
            return false;
        const std::size_t left = static_cast<std::size_t>(m_segments[m_segment].size()) - m_offset;
        const std::size_t n = std::min(left, bytes);
        m_offset += n;
        bytes -= n;
    }
    return true;
}

bool BiffContinuedReader::ReadString(QString* text, bool shortCount) {
    std::uint16_t count = 0;
    if (shortCount) {
        std::uint8_t shortValue = 0;
        if (!ReadU8(&shortValue))
            return false;
        count = shortValue;
    } else if (!ReadU16(&count)) {
        return false;
    }
    std::uint8_t options = 0;
    if (!ReadU8(&options))
        return false;
    std::uint16_t runs = 0;
    std::uint32_t phoneticBytes = 0;
    if ((options & 0x08) && !ReadU16(&runs)) // fRichSt
        return false;
    if ((options & 0x04) && !ReadU32(&phoneticBytes)) // fExtSt
        return false;
    bool wide = options & 0x01; // fHighByte
    text->clear();
    text->reserve(count);
    std::size_t remaining = count;
    while (remaining > 0) {
        if (m_segment >= m_segments.size())
            return false;
        if (m_offset >= static_cast<std::size_t>(m_segments[m_segment].size())) {
            // The characters continue in the next record, which starts with a fresh option byte.
            ++m_segment;
            m_offset = 0;
            std::uint8_t continued = 0;
            if (!ReadU8(&continued))
                return false;
            wide = continued & 0x01;
            continue;
        }
        const QByteArrayView segment = m_segments[m_segment];
        const std::size_t left = static_cast<std::size_t>(segment.size()) - m_offset;
        const std::size_t width = wide ? 2 : 1;
        const std::size_t n = std::min(remaining, left / width);
        if (n == 0)
            return false; // half a 16-bit character before the boundary
        const auto* bytes = reinterpret_cast<const unsigned char*>(segment.data()) + m_offset;
        if (wide) {
            for (std::size_t i = 0; i < n; ++i)
                text->append(QChar(static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8))));
        } else {
            // 8-bit characters are the low bytes of UTF-16 code units, that is Latin-1.
            text->append(QLatin1StringView(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(n)));
        }
        m_offset += n * width;
        remaining -= n;
    }
    return Skip(4u * runs) && Skip(phoneticBytes);
}
