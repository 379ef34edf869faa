#pragma once

#include "app/FileError.h"

#include <stdexcept>

// Thrown by CStdioFileEx when reading, writing, flushing or committing an open file fails. Opening never
// throws; it reports through its result.
class FileException : public std::runtime_error {
public:
    explicit FileException(FileError error);

    const FileError& Error() const { return m_error; }

private:
    FileError m_error;
};
