#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads the streams of a compound file (the "structured storage" container of .xls workbooks and of
// password-protected Office Open XML files; MS-CFB) over bytes the caller keeps alive. Every sector chain
// is bounded by the file's sector count, so a damaged or malicious file ends in an error, never a loop.
class CompoundFile {
public:
    static bool HasSignature(const char* data, std::size_t size);

    // False with a reason when the header, the allocation table or the directory is damaged.
    bool Open(const char* data, std::size_t size, QString* error);
    // Whether the root storage holds a stream of this name (compared without regard to case).
    bool HasStream(const QString& name) const;
    // The whole stream; false with a reason when it is missing or its sectors are damaged.
    bool ReadStream(const QString& name, QByteArray* out, QString* error) const;

private:
    struct Entry {
        QString name;
        std::uint8_t type = 0; // 1 storage, 2 stream, 5 root
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::uint32_t child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    const char* Sector(std::uint32_t sector) const; // nullptr outside the file
    bool Chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::vector<std::uint32_t>* chain,
               QString* error) const;
    bool ReadSectors(std::uint32_t start, std::uint64_t size, QByteArray* out, QString* error) const;
    const Entry* FindInRoot(const QString& name) const;

    const char* m_data = nullptr;
    std::size_t m_size = 0;
    std::uint32_t m_sectorSize = 512;
    std::uint32_t m_miniSectorSize = 64;
    std::uint32_t m_miniCutoff = 4096;
    std::uint32_t m_sectorCount = 0; // sectors the file holds after its header
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<Entry> m_entries;
};
