#pragma once

#include <functional>

// Where a run's workers get their rows when the rows are shared with other processes (a job several gateway
// hosts send together): instead of scanning the job for a free row, a worker asks the source. The run still
// holds every row; the source says which of them this process may take.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The next row for a worker, or -1 when the job holds none for this process any more. May wait while
    // other processes hold the remaining rows, or while the source cannot be reached; returns -1 as soon as
    // stop() is true. Called from every worker's thread.
    virtual int NextRow(const std::function<bool()>& stop) = 0;
};
