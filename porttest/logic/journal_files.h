// The file operations the test journal and its recovery need, as a seam:
// the program passes the Windows file functions
// (framework/windows_journal_files.h), host tests an in-memory stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zorik {

// What became of a file operation, in the terms the journal decides by.
enum class FileStatus {
    Done,
    Missing, // no such file
    Exists,  // a file of the name to be made is already there
    InUse,   // another program holds the file open and shares it no further
    Failed,  // anything else: a folder of that name, a read-only folder, a full disk ...
};

struct FileResult {
    FileStatus status = FileStatus::Done;
    unsigned long error = 0; // the system's own code, for the operator; 0 when done

    bool done() const { return status == FileStatus::Done; }
};

// A moment in local time, as a file's last write is shown to the operator.
struct LocalDateTime {
    int year, month, day;
    int hour, minute, second;
};

// One journal, open for writing until the object goes.
class JournalFile {
public:
    virtual ~JournalFile() = default;
    // All `size` bytes at `offset` from the file's start.
    virtual FileResult write(std::uint64_t offset, const char* data, std::size_t size) = 0;
    // Everything written so far onto the disk itself, past every cache.
    virtual FileResult flush() = 0;
    // All `size` bytes at `offset` back from the file.
    virtual FileResult read(std::uint64_t offset, char* data, std::size_t size) = 0;
};

class JournalFileSystem {
public:
    virtual ~JournalFileSystem() = default;

    // A new, empty file `name`, open for writing. While it is open other
    // programs may read it, but neither write, rename nor remove it. A file
    // already there is never touched: Exists, or InUse when another
    // program holds it open. Nothing (and `result` says why) on failure.
    virtual std::unique_ptr<JournalFile> create(const std::string& name, FileResult& result) = 0;
    // When the file was last written, in local time. InUse while another
    // program holds it open for writing; Missing when there is none.
    virtual FileResult lastWriteTime(const std::string& name, LocalDateTime& time) = 0;
    // Renames `from`; never replaces a file called `to` (Exists).
    virtual FileResult rename(const std::string& from, const std::string& to) = 0;
    virtual FileResult remove(const std::string& name) = 0;
    // The system's own words for an error code, code page 949 bytes; empty
    // when it has none.
    virtual std::string describe(unsigned long error) = 0;

    // --- a left journal's torn end, for recovery: each opens the file,
    // shared with readers only (InUse while another program holds it),
    // and closes it again ---

    // The file's length in bytes.
    virtual FileResult size(const std::string& name, std::uint64_t& bytes) = 0;
    // Up to `size` bytes from `offset` into `data`; `got` says how many (fewer
    // only at the file's end).
    virtual FileResult read(const std::string& name, std::uint64_t offset, char* data, std::size_t size,
                            std::size_t& got) = 0;
    // Cuts the file to its first `bytes` bytes.
    virtual FileResult truncate(const std::string& name, std::uint64_t bytes) = 0;
};

} // namespace zorik
