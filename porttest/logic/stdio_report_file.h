// Report files through the C library: fopen "wb", fwrite, fflush, fclose,
// every result checked. Paths are relative to the current directory.
#pragma once

#include "report_file.h"

namespace zorik {

class StdioReportFileSystem : public ReportFileSystem {
public:
    std::unique_ptr<ReportFile> create(const std::string& name) override;
};

} // namespace zorik
