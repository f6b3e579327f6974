// The file operations the station's history needs, as a seam: the program
// passes the Windows file functions (framework/windows_history_files.h),
// host tests an in-memory stand-in that can refuse any of them.
#pragma once

#include "journal_files.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zorik {

// One file open for appending, shared with readers only, closed when the
// object goes.
class HistoryFile {
public:
    virtual ~HistoryFile() = default;
    virtual std::uint64_t size() const = 0;
    // The file's last `count` bytes (count at most its size).
    virtual FileResult readEnd(char* data, std::size_t count) = 0;
    // All of `bytes` at the file's end, then everything onto the disk
    // itself (FlushFileBuffers).
    virtual FileResult appendAndFlush(const std::string& bytes) = 0;
};

class HistoryFiles {
public:
    virtual ~HistoryFiles() = default;
    // Opens `name` for appending, made empty when it is not there.
    virtual std::unique_ptr<HistoryFile> open(const std::string& name, FileResult& result) = 0;
    // The whole file, read while others may hold it open; Missing when
    // there is none.
    virtual FileResult readAll(const std::string& name, std::string& bytes) = 0;
    virtual FileResult remove(const std::string& name) = 0;
    // The system's own words for an error code, code page 949 bytes.
    virtual std::string describe(unsigned long error) = 0;
};

} // namespace zorik
