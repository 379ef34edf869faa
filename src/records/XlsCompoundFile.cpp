#include "records/XlsCompoundFile.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kSectorBytes = 512;
constexpr std::uint32_t kEntriesPerSector = kSectorBytes / 4;
constexpr std::uint32_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

void Put16(std::vector<unsigned char>* out, std::uint32_t v) {
    out->push_back(static_cast<unsigned char>(v & 0xFF));
    out->push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>* out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A 128-byte directory entry (MS-CFB 2.6.1).
void PutEntry(std::vector<unsigned char>* out, const char16_t* name, std::uint8_t type, std::uint32_t child,
              std::uint32_t start, std::uint64_t size) {
    const std::size_t begin = out->size();
    std::size_t length = 0;
    for (; name[length]; ++length)
        Put16(out, name[length]);
    out->resize(begin + 64, 0);
    Put16(out, static_cast<std::uint32_t>((length + 1) * 2)); // bytes, with the terminating NUL
    out->push_back(type);
    out->push_back(1);     // black: a tree of one node per level is a valid red-black tree
    Put32(out, kNoStream); // left sibling
    Put32(out, kNoStream); // right sibling
    Put32(out, child);
    out->resize(out->size() + 16 + 4 + 8 + 8, 0); // CLSID, state bits, creation and modification times
    Put32(out, start);
    Put32(out, static_cast<std::uint32_t>(size & 0xFFFFFFFF));
    Put32(out, static_cast<std::uint32_t>(size >> 32)); // must be 0 in a version 3 file; streams stay < 4 GB
}

bool WriteAll(std::FILE* file, const std::vector<unsigned char>& bytes, QString* error) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

bool XlsCompoundFile::Finish(std::FILE* file, std::uint64_t streamBytes, QString* error) {
    if (streamBytes < kMinStreamBytes || streamBytes > 0xFFFFFFFFull) {
        *error = QStringLiteral("The workbook stream has an impossible size.");
        return false;
    }
    const auto streamSectors = static_cast<std::uint32_t>((streamBytes + kSectorBytes - 1) / kSectorBytes);
    const std::uint32_t directorySector = streamSectors;
    // Allocation table sectors cover every sector including themselves and the DIFAT sectors.
    std::uint32_t fatSectors = 1;
    std::uint32_t difatSectors = 0;
    for (;;) {
        const std::uint32_t total = streamSectors + 1 + fatSectors + difatSectors;
        const std::uint32_t neededFat = (total + kEntriesPerSector - 1) / kEntriesPerSector;
        const std::uint32_t neededDifat =
            neededFat > kHeaderDifatEntries
                ? (neededFat - kHeaderDifatEntries + kEntriesPerSector - 2) / (kEntriesPerSector - 1)
                : 0;
        if (neededFat == fatSectors && neededDifat == difatSectors)
            break;
        fatSectors = neededFat;
        difatSectors = neededDifat;
    }
    const std::uint32_t firstFat = directorySector + 1;
    const std::uint32_t firstDifat = firstFat + fatSectors;

    std::vector<unsigned char> tail;
    // Pad the stream's last sector.
    tail.resize(static_cast<std::size_t>(static_cast<std::uint64_t>(streamSectors) * kSectorBytes - streamBytes), 0);
    // Directory: the root storage and the Workbook stream; the other two slots are unused entries.
    PutEntry(&tail, u"Root Entry", 5, 1, kEndOfChain, 0);
    PutEntry(&tail, u"Workbook", 2, kNoStream, 0, streamBytes);
    PutEntry(&tail, u"", 0, kNoStream, 0, 0);
    PutEntry(&tail, u"", 0, kNoStream, 0, 0);
    // FAT.
    std::vector<std::uint32_t> fat(static_cast<std::size_t>(fatSectors) * kEntriesPerSector, kFreeSector);
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        fat[i] = i + 1 < streamSectors ? i + 1 : kEndOfChain;
    fat[directorySector] = kEndOfChain;
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        fat[firstFat + i] = kFatSector;
    for (std::uint32_t i = 0; i < difatSectors; ++i)
        fat[firstDifat + i] = kDifatSector;
    for (std::uint32_t v : fat)
        Put32(&tail, v);
    // DIFAT sectors: the FAT sector numbers past the header's 109, 127 per sector, then the next DIFAT sector.
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        for (std::uint32_t i = 0; i < kEntriesPerSector - 1; ++i) {
            const std::uint32_t index = kHeaderDifatEntries + d * (kEntriesPerSector - 1) + i;
            Put32(&tail, index < fatSectors ? firstFat + index : kFreeSector);
        }
        Put32(&tail, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }
    if (!WriteAll(file, tail, error))
        return false;

    // Header (MS-CFB 2.2).
    std::vector<unsigned char> header = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    header.resize(header.size() + 16, 0); // CLSID
    Put16(&header, 0x003E);               // minor version
    Put16(&header, 0x0003);               // major version 3: 512-byte sectors
    Put16(&header, 0xFFFE);               // little-endian
    Put16(&header, 9);                    // sector size 2^9
    Put16(&header, 6);                    // mini sector size 2^6
    header.resize(header.size() + 6, 0);  // reserved
    Put32(&header, 0);                    // directory sectors: 0 in version 3
    Put32(&header, fatSectors);
    Put32(&header, directorySector);
    Put32(&header, 0);           // transaction signature
    Put32(&header, 4096);        // mini stream cutoff
    Put32(&header, kEndOfChain); // no mini FAT
    Put32(&header, 0);
    Put32(&header, difatSectors ? firstDifat : kEndOfChain);
    Put32(&header, difatSectors);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        Put32(&header, i < fatSectors ? firstFat + i : kFreeSector);
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return WriteAll(file, header, error);
}
