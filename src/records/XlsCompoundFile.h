#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>

// The compound file (MS-CFB, version 3, 512-byte sectors) around the one "Workbook" stream of an .xls file we
// write. The stream is written first, straight into the file after room for the header; Finish then adds the
// directory and the allocation tables and writes the header, so the stream never has to be held in memory.
//
// Layout: header | stream sectors | directory sector | FAT sectors | DIFAT sectors (only past 109 FAT sectors,
// that is streams over about 7 MB).
class XlsCompoundFile {
public:
    static constexpr long kHeaderBytes = 512;
    // Streams shorter than this would have to live in the mini stream; the writer pads the Workbook stream to
    // this size instead (bytes after the last EOF record are ignored by readers).
    static constexpr std::uint64_t kMinStreamBytes = 4096;

    // file holds kHeaderBytes of anything, then exactly streamBytes (>= kMinStreamBytes) of the stream, and is
    // positioned at its end. False with a reason when writing fails.
    static bool Finish(std::FILE* file, std::uint64_t streamBytes, QString* error);
};
