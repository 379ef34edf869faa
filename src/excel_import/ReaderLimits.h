#pragma once

#include <cstddef>
#include <cstdint>

// What the workbook reader accepts before it refuses a file, so that a hostile or damaged file costs bounded
// time and memory. The defaults are far beyond any workbook a person edits; tests lower them.
struct ReaderLimits {
    // The file itself.
    std::int64_t maxFileBytes = 1024LL * 1024 * 1024;
    // Uncompressed bytes of one part of an .xlsx package; a "zip bomb" is refused when it inflates past this,
    // in constant memory.
    std::int64_t maxPartBytes = 512LL * 1024 * 1024;
    // Values kept for one sheet (16 bytes each plus their texts), and shared strings of one workbook.
    std::size_t maxCells = 4u * 1024u * 1024u;
};
