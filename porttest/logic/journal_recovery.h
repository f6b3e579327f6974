// Start-up: journals an earlier run left behind (killed, crashed, power cut)
// become "ErrorInfo.recovered-YYYYMMDD-HHMMSS.txt", named by their last
// write in local time, so that the next test's journal never writes over
// them. A journal another running Zorik holds open is left alone.
//
// A power cut can leave a journal at its new length with zeros or stale
// disk contents where the last unflushed lines should be. Before the
// rename such a torn end is cut: everything after the last whole line,
// a line being whole when it ends with the report's CR CR LF. Only the
// journal's last kTornEndScan bytes are read, a few kilobytes at a time
// (a journal can outgrow a 9x PC's memory); a torn end is at most the
// file system's last allocation unit (64 KB at most) and the one cycle's
// lines that were not yet flushed.
//
// Nothing that may be a result is cut: the cut never reaches into the
// 35-byte count header, so a journal without a whole line after it (torn
// inside its header, or shorter than one) keeps every byte; so does one
// without a line end in its last kTornEndScan bytes, and the operator is
// told why. Zeros between whole lines stay where they are.
#pragma once

#include "journal_files.h"

#include <cstdint>
#include <string>

namespace zorik {

constexpr std::uint64_t kTornEndScan = 128 * 1024;

// Cuts every left journal's torn end, then renames it (all kJournalNames
// names) without ever replacing a file. Returns what to tell the operator
// (code page 949): which files the results are now in, which had a torn
// end cut and how many bytes, and which journal could not be renamed or
// trimmed, and why; empty when there was nothing to do.
std::string recoverLeftJournals(JournalFileSystem& files);

} // namespace zorik
