// A file another program reads while nobody watches (the result file):
// it sees no file or a whole one, never a half. The bytes go to a name
// beside it, are flushed to the disk and only then moved into place, so a
// kill or a power cut while writing leaves the old state or the new one.
#pragma once

#include "journal_files.h"
#include "report_file.h"

#include <string>

namespace zorik {

// The report's files plus what putting a file in place needs. create's
// file flushes to the disk itself (past every cache) when it is closed.
class WholeFileSystem : public ReportFileSystem {
public:
    // `from` becomes `to`, replacing a file of that name; where the system
    // can, the move is on the disk before this returns.
    virtual FileResult replace(const std::string& from, const std::string& to) = 0;
    // Missing when there is no such file (nor its folder).
    virtual FileResult remove(const std::string& name) = 0;
};

// The name beside `name` that its bytes are written to first.
std::string temporaryNameFor(const std::string& name);

// `bytes` as the whole of `name`, by way of temporaryNameFor(name). False
// when any step failed; the temporary file is then removed and `name` is
// as it was.
bool writeWholeFile(WholeFileSystem& files, const std::string& name, const std::string& bytes);

} // namespace zorik
