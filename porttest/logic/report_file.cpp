#include "report_file.h"

#include "program_texts.h"

namespace zorik {

std::string toTextMode(const std::string& bytes)
{
    std::string translated;
    translated.reserve(bytes.size() + bytes.size() / 8);
    for (char byte : bytes) {
        if (byte == '\n')
            translated += '\r';
        translated += byte;
    }
    return translated;
}

std::string reportFileBytes(const ReportSnapshot& snapshot)
{
    return toTextMode(formatReportHeader(snapshot.count)) + toTextMode(snapshot.log);
}

bool saveErrorReport(const ReportSnapshot& snapshot, ReportFileSystem& files)
{
    return saveErrorReport(snapshot, files, kReportFileName);
}

bool saveErrorReport(const ReportSnapshot& snapshot, ReportFileSystem& files,
                     const std::string& fileName)
{
    std::unique_ptr<ReportFile> file = files.create(fileName);
    if (!file)
        return false;
    const std::string bytes = reportFileBytes(snapshot);
    const bool written = file->write(bytes.data(), bytes.size());
    // Closed even after a failed write, so the handle is not leaked.
    const bool closed = file->close();
    return written && closed;
}

} // namespace zorik
