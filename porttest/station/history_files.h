// The file operations the station's history needs, as a seam: the program
// passes the Windows file functions (app/windows_history_files.h), host
// tests an in-memory stand-in that can refuse any of them and that keeps
// Windows' sharing rules between the stations of one test.
#pragma once

#include "journal_files.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zorik {

// One open file, closed when the object goes.
class HistoryFile {
public:
    virtual ~HistoryFile() = default;
    virtual std::uint64_t size() const = 0;
    // The whole file, through this handle.
    virtual FileResult readAll(std::string& bytes) = 0;
    // The file's last `count` bytes (count at most its size).
    virtual FileResult readEnd(char* data, std::size_t count) = 0;
    // All of `bytes` at the file's end, then everything onto the disk
    // itself (FlushFileBuffers).
    virtual FileResult appendAndFlush(const std::string& bytes) = 0;
    // Empty again, on the disk.
    virtual FileResult clear() = 0;
};

enum class HistoryOpen {
    // The history itself, held while a row is read and written: made when
    // it is not there, shared with nobody (on a share, the lock the file
    // server keeps), so that two stations never read and append at once.
    Hold,
    // This program's own pending file, for the program's whole life:
    // made when it is not there, shared with readers only, so that no
    // other station takes it for one its program left behind.
    Own,
    // A pending file another program left: only when it is there and
    // nobody has it open, which is how a left one is told from a live one.
    Take,
};

class HistoryFiles {
public:
    virtual ~HistoryFiles() = default;
    virtual std::unique_ptr<HistoryFile> open(const std::string& name, HistoryOpen how, FileResult& result) = 0;
    // The whole file, read while others may hold it open for writing;
    // Missing when there is none, InUse while a station holds it.
    virtual FileResult readAll(const std::string& name, std::string& bytes) = 0;
    // The file's size, or Missing.
    virtual FileResult sizeOf(const std::string& name, std::uint64_t& size) = 0;
    virtual FileResult remove(const std::string& name) = 0;
    // The names (with `name`'s folder) of the files whose names start with
    // the last part of `name` and end with `ending`, in no order.
    virtual std::vector<std::string> startingWith(const std::string& name, const std::string& ending) = 0;
    // Waits `ms` milliseconds before the hold is tried again.
    virtual void pause(unsigned ms) = 0;
    // The system's own words for an error code, code page 949 bytes.
    virtual std::string describe(unsigned long error) = 0;
};

} // namespace zorik
