// The station history's files through the Windows file functions, all of
// which Windows 95 and NT 3.1 have. Appending shares the file with readers
// only, so that a spreadsheet may look at it meanwhile; reading shares it
// with writers too, so that a file a spreadsheet holds open can still be
// read at start.
#pragma once

#include "history_files.h"

class WindowsHistoryFiles : public zorik::HistoryFiles {
public:
    std::unique_ptr<zorik::HistoryFile> open(const std::string& name, zorik::FileResult& result) override;
    zorik::FileResult readAll(const std::string& name, std::string& bytes) override;
    zorik::FileResult remove(const std::string& name) override;
    std::string describe(unsigned long error) override;
};
