#include "LoadExclusionSet.h"

#include "app/CStdioFileEx.h"
#include "app/FileException.h"

#include <QFileInfo>

ExclusionSetLoad LoadExclusionSet(const ExclusionStore& store, const NumberComparison& comparison) {
    ExclusionSetLoad load;
    load.set = ExclusionSet(comparison);
    store.Paths().EnsureDataFiles();
    const ExclusionStoreLines applied = store.AppliedNames();
    if (!applied.status.Ok()) {
        load.status = applied.status;
        return load;
    }
    // Size the table once from the files' sizes (a typical entry: a dozen UTF-16 units and its line end),
    // rather than growing it step by step.
    qint64 bytes = 0;
    for (const QString& name : applied.lines)
        bytes += QFileInfo(store.ListPath(name)).size();
    load.set.Reserve(static_cast<qsizetype>(bytes / 24), static_cast<qsizetype>(bytes / 2));

    for (const QString& name : applied.lines) {
        CStdioFileEx file;
        if (!file.Open(store.ListPath(name), CStdioFileEx::kReadDataFile)) {
            load.skippedLists << name;
            continue;
        }
        // Lines go in by batches, which lets the set overlap the memory accesses of a large table.
        constexpr qsizetype kBatch = 256;
        QStringList batch;
        batch.reserve(kBatch);
        try {
            QString line;
            while (file.ReadString(line)) {
                batch << line;
                if (batch.size() == kBatch) {
                    load.set.AddBatch(batch);
                    batch.clear();
                }
            }
            load.set.AddBatch(batch);
        } catch (const FileException&) {
            load.set.AddBatch(batch);
            // The numbers read before the failure stay excluded.
            load.skippedLists << name;
        }
    }
    return load;
}
