#include "excel_import/CompoundFile.h"

#include <cstring>

namespace {

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kEntrySize = 128;

std::uint16_t U16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t U32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

} // namespace

bool CompoundFile::HasSignature(const char* data, std::size_t size) {
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

const char* CompoundFile::Sector(std::uint32_t sector) const {
    if (sector >= m_sectorCount)
        return nullptr;
    return m_data + kHeaderSize + static_cast<std::size_t>(sector) * m_sectorSize;
}

bool CompoundFile::Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                         std::vector<std::uint32_t>* chain, QString* error) const {
    chain->clear();
    std::uint32_t sector = start;
    while (sector != kEndOfChain) {
        if (sector > kMaxRegularSector || sector >= table.size() || chain->size() >= table.size()) {
            *error = QStringLiteral("A sector chain of the compound file is broken.");
            return false;
        }
        chain->push_back(sector);
        sector = table[sector];
    }
    return true;
}

bool CompoundFile::Open(const char* data, std::size_t size, QString* error) {
    m_data = data;
    m_size = size;
    if (!HasSignature(data, size) || size < kHeaderSize) {
        *error = QStringLiteral("The file is not a compound file.");
        return false;
    }
    const std::uint16_t sectorShift = U16(data + 30);
    const std::uint16_t miniShift = U16(data + 32);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6 || U16(data + 28) != 0xFFFE) {
        *error = QStringLiteral("The compound file header is damaged.");
        return false;
    }
    m_sectorSize = 1u << sectorShift;
    m_miniSectorSize = 1u << miniShift;
    m_miniCutoff = U32(data + 56);
    // A version 4 file's header occupies a whole 4096-byte sector; sector 0 still starts after it.
    const std::size_t headerSpan = m_sectorSize;
    if (size < headerSpan) {
        *error = QStringLiteral("The compound file is truncated.");
        return false;
    }
    m_sectorCount = static_cast<std::uint32_t>((size - headerSpan) / m_sectorSize);
    // Sector() counts from kHeaderSize; for 4096-byte sectors shift the base by the header padding.
    if (headerSpan != kHeaderSize)
        m_data = data + (headerSpan - kHeaderSize);

    const std::uint32_t fatSectorCount = U32(data + 44);
    const std::uint32_t firstDirectory = U32(data + 48);
    const std::uint32_t firstMiniFat = U32(data + 60);
    const std::uint32_t firstDifat = U32(data + 68);
    if (fatSectorCount > m_sectorCount) {
        *error = QStringLiteral("The compound file's allocation table is larger than the file.");
        return false;
    }

    // The allocation table's own sectors: 109 in the header, the rest in a chain of DIFAT sectors whose last
    // entry points to the next one.
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(U32(data + 76 + 4 * i));
    std::uint32_t difat = firstDifat;
    const std::uint32_t perDifat = m_sectorSize / 4 - 1;
    std::uint32_t difatVisited = 0;
    while (fatSectors.size() < fatSectorCount && difat <= kMaxRegularSector) {
        const char* sector = Sector(difat);
        if (!sector || ++difatVisited > m_sectorCount) {
            *error = QStringLiteral("The compound file's DIFAT chain is broken.");
            return false;
        }
        for (std::uint32_t i = 0; i < perDifat && fatSectors.size() < fatSectorCount; ++i)
            fatSectors.push_back(U32(sector + 4 * i));
        difat = U32(sector + 4 * perDifat);
    }
    if (fatSectors.size() < fatSectorCount) {
        *error = QStringLiteral("The compound file's allocation table is incomplete.");
        return false;
    }
    m_fat.clear();
    m_fat.reserve(static_cast<std::size_t>(fatSectorCount) * (m_sectorSize / 4));
    for (std::uint32_t fatSector : fatSectors) {
        const char* sector = Sector(fatSector);
        if (!sector) {
            *error = QStringLiteral("The compound file's allocation table points outside the file.");
            return false;
        }
        for (std::uint32_t i = 0; i < m_sectorSize / 4; ++i)
            m_fat.push_back(U32(sector + 4 * i));
    }
    if (m_fat.size() > m_sectorCount)
        m_fat.resize(m_sectorCount); // entries for sectors the file does not hold are never followed

    std::vector<std::uint32_t> chain;
    if (!Chain(m_fat, firstDirectory, &chain, error))
        return false;
    m_entries.clear();
    for (std::uint32_t s : chain) {
        const char* sector = Sector(s);
        for (std::uint32_t offset = 0; offset + kEntrySize <= m_sectorSize; offset += kEntrySize) {
            const char* e = sector + offset;
            Entry entry;
            const std::uint16_t nameBytes = U16(e + 64);
            const int nameChars = nameBytes >= 2 && nameBytes <= 64 ? nameBytes / 2 - 1 : 0;
            for (int i = 0; i < nameChars; ++i)
                entry.name += QChar(U16(e + 2 * i));
            entry.type = static_cast<std::uint8_t>(e[66]);
            entry.left = U32(e + 68);
            entry.right = U32(e + 72);
            entry.child = U32(e + 76);
            entry.start = U32(e + 116);
            entry.size = U32(e + 120);
            if (m_sectorSize == 4096)
                entry.size |= static_cast<std::uint64_t>(U32(e + 124)) << 32;
            m_entries.push_back(std::move(entry));
        }
    }
    if (m_entries.empty() || m_entries.front().type != 5) {
        *error = QStringLiteral("The compound file has no root storage.");
        return false;
    }
    m_miniFat.clear();
    if (firstMiniFat != kEndOfChain && firstMiniFat <= kMaxRegularSector) {
        if (!Chain(m_fat, firstMiniFat, &chain, error))
            return false;
        for (std::uint32_t s : chain) {
            const char* sector = Sector(s);
            for (std::uint32_t i = 0; i < m_sectorSize / 4; ++i)
                m_miniFat.push_back(U32(sector + 4 * i));
        }
    }
    return true;
}

const CompoundFile::Entry* CompoundFile::FindInRoot(const QString& name) const {
    // The root's children form a binary tree through left and right siblings; walk it with a bounded stack.
    std::vector<std::uint32_t> pending{m_entries.front().child};
    std::vector<bool> visited(m_entries.size(), false);
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream || id >= m_entries.size() || visited[id])
            continue;
        visited[id] = true;
        const Entry& entry = m_entries[id];
        if (entry.type == 2 && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    return nullptr;
}

bool CompoundFile::HasStream(const QString& name) const {
    return !m_entries.empty() && FindInRoot(name);
}

bool CompoundFile::ReadSectors(std::uint32_t start, std::uint64_t size, QByteArray* out, QString* error) const {
    std::vector<std::uint32_t> chain;
    if (!Chain(m_fat, start, &chain, error))
        return false;
    if (static_cast<std::uint64_t>(chain.size()) * m_sectorSize < size) {
        *error = QStringLiteral("A stream of the compound file is shorter than its size.");
        return false;
    }
    out->resize(static_cast<qsizetype>(size));
    std::uint64_t done = 0;
    for (std::uint32_t s : chain) {
        if (done >= size)
            break;
        const std::uint64_t n = std::min<std::uint64_t>(m_sectorSize, size - done);
        std::memcpy(out->data() + done, Sector(s), n);
        done += n;
    }
    return true;
}

bool CompoundFile::ReadStream(const QString& name, QByteArray* out, QString* error) const {
    const Entry* entry = m_entries.empty() ? nullptr : FindInRoot(name);
    if (!entry) {
        *error = QStringLiteral("The compound file has no stream %1.").arg(name);
        return false;
    }
    if (entry->size > m_size) {
        *error = QStringLiteral("The stream %1 claims to be larger than the file.").arg(name);
        return false;
    }
    if (entry->size >= m_miniCutoff)
        return ReadSectors(entry->start, entry->size, out, error);

    // A small stream lives in mini sectors inside the root's stream.
    const Entry& root = m_entries.front();
    QByteArray container;
    if (root.size > m_size || !ReadSectors(root.start, root.size, &container, error))
        return false;
    std::vector<std::uint32_t> chain;
    if (!Chain(m_miniFat, entry->start, &chain, error))
        return false;
    if (static_cast<std::uint64_t>(chain.size()) * m_miniSectorSize < entry->size) {
        *error = QStringLiteral("A stream of the compound file is shorter than its size.");
        return false;
    }
    out->resize(static_cast<qsizetype>(entry->size));
    std::uint64_t done = 0;
    for (std::uint32_t s : chain) {
        if (done >= entry->size)
            break;
        const std::uint64_t offset = static_cast<std::uint64_t>(s) * m_miniSectorSize;
        const std::uint64_t n = std::min<std::uint64_t>(m_miniSectorSize, entry->size - done);
        if (offset + n > static_cast<std::uint64_t>(container.size())) {
            *error = QStringLiteral("A mini sector of the compound file is outside its container.");
            return false;
        }
        std::memcpy(out->data() + done, container.constData() + offset, n);
        done += n;
    }
    return true;
}
