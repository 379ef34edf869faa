#pragma once

#include "ExclusionSet.h"
#include "ExclusionStore.h"

#include <QStringList>

struct ExclusionSetLoad {
    ExclusionSet set;
    // Set when the applied-lists file could not be read: its file error text is to be shown once, and the
    // set is then empty.
    ExclusionStoreStatus status;
    // Applied lists that gave nothing or only part of their numbers because their file is missing (deleted
    // outside the program) or unreadable. Not shown to the user; kept for diagnostics.
    QStringList skippedLists;
};

// Builds the Exclusion set: makes sure the data files exist, then adds every line of every list named in the
// applied-lists file, in applied order and file order (a number in two lists is added twice). The files are
// only read, never opened for writing, so a read-only data folder still gives its exclusions. The caller
// calls this only while "Use Exclusion Rules" is checked. The set compares numbers by `comparison` (by default
// as texts ignoring case).
[[nodiscard]] ExclusionSetLoad LoadExclusionSet(const ExclusionStore& store,
                                                const NumberComparison& comparison = NumberComparison());
