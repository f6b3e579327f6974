// The report and the result file through the Windows file functions: each
// file is flushed to the disk (FlushFileBuffers) when it is closed, so that
// nothing is deleted on the strength of bytes still in a cache, and the
// result file is moved into place whole (whole_file.h). Names are relative
// to the current directory.
#pragma once

#include "whole_file.h"

#include <string>

class WindowsReportFiles : public zorik::WholeFileSystem {
public:
    std::unique_ptr<zorik::ReportFile> create(const std::string& name) override;
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on
    // the NT family. Windows 9x has no replacing move (its MoveFileExA
    // answers ERROR_CALL_NOT_IMPLEMENTED, and is looked up at run time so
    // that the image does not depend on it): there a file in the way is
    // removed, then MoveFileA.
    zorik::FileResult replace(const std::string& from, const std::string& to) override;
    zorik::FileResult remove(const std::string& name) override;
    // The system's own words for an error code; empty when it has none.
    static std::string describe(unsigned long error);
    // `name` as a full path (GetFullPathNameA), for comparing two names of
    // one file; `name` itself when it cannot be made one.
    static std::string fullPath(const std::string& name);
};
