// Start-up: journals an earlier run left behind (killed, crashed, power cut)
// become "ErrorInfo.recovered-YYYYMMDD-HHMMSS.txt", named by their last
// write in local time, so that the next test's journal never writes over
// them. A journal another running Zorik holds open is left alone.
#pragma once

#include "journal_files.h"

#include <string>

namespace zorik {

// Renames every left journal (all kJournalNames names) without ever
// replacing a file. Returns what to tell the operator (code page 949):
// which files the results are now in and which journal could not be
// renamed, and why; empty when there was nothing to do.
std::string recoverLeftJournals(JournalFileSystem& files);

} // namespace zorik
