// The report file written on exit ("ErrorInfo.txt"): the count header and
// the test log, both translated as a text-mode write would (every LF
// becomes CR LF, so the CR LF line ends reach the disk as CR CR LF).
#pragma once

#include "loopback_log.h"

#include <cstddef>
#include <memory>
#include <string>

namespace zorik {

// Text-mode translation: every LF byte becomes CR LF; nothing else changes.
std::string toTextMode(const std::string& bytes);

// The exact bytes of the report file for a snapshot: the translated
// header (35 bytes) followed by the translated log.
std::string reportFileBytes(const ReportSnapshot& snapshot);

// One open file, written in binary (the translation is ours).
class ReportFile {
public:
    virtual ~ReportFile() = default;
    // False when not every byte was written.
    virtual bool write(const char* data, std::size_t size) = 0;
    // Flushes and closes; false when either fails. Called once.
    virtual bool close() = 0;
};

class ReportFileSystem {
public:
    virtual ~ReportFileSystem() = default;
    // Creates or truncates the file; nullptr when it cannot be opened.
    virtual std::unique_ptr<ReportFile> create(const std::string& name) = 0;
};

// Writes reportFileBytes(snapshot) to kReportFileName ("ErrorInfo.txt").
// Returns false when the file could not be opened, written or closed; the
// caller then shows kSaveFailed.
bool saveErrorReport(const ReportSnapshot& snapshot, ReportFileSystem& files);
// The same bytes to another file (a bounded run's /report:FILE), relative
// to the current directory unless it says otherwise.
bool saveErrorReport(const ReportSnapshot& snapshot, ReportFileSystem& files,
                     const std::string& fileName);

} // namespace zorik
