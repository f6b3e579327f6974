// The station history's files through the Windows file functions, all of
// which Windows 95 and NT 3.1 have. The hold opens the history without
// sharing (on a share, the server keeps the lock for every station); the
// own pending file shares with readers only; reading shares with writers
// too, so that a file a spreadsheet holds open can still be read.
#pragma once

#include "history_files.h"

class WindowsHistoryFiles : public zorik::HistoryFiles {
public:
    std::unique_ptr<zorik::HistoryFile> open(const std::string& name, zorik::HistoryOpen how,
                                             zorik::FileResult& result) override;
    zorik::FileResult readAll(const std::string& name, std::string& bytes) override;
    zorik::FileResult sizeOf(const std::string& name, std::uint64_t& size) override;
    zorik::FileResult remove(const std::string& name) override;
    std::vector<std::string> startingWith(const std::string& name, const std::string& ending) override;
    void pause(unsigned ms) override;
    std::string describe(unsigned long error) override;
};
