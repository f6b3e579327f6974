// The journal's files through the Windows file functions, every one of
// which Windows 95 and NT 3.1 already have. Names are relative to the
// current directory, where the report goes.
#pragma once

#include "journal_files.h"

class WindowsJournalFiles : public zorik::JournalFileSystem {
public:
    std::unique_ptr<zorik::JournalFile> create(const std::string& name, zorik::FileResult& result) override;
    zorik::FileResult lastWriteTime(const std::string& name, zorik::LocalDateTime& time) override;
    zorik::FileResult rename(const std::string& from, const std::string& to) override;
    zorik::FileResult remove(const std::string& name) override;
    std::string describe(unsigned long error) override;
    zorik::FileResult size(const std::string& name, std::uint64_t& bytes) override;
    zorik::FileResult read(const std::string& name, std::uint64_t offset, char* data, std::size_t size,
                           std::size_t& got) override;
    zorik::FileResult truncate(const std::string& name, std::uint64_t bytes) override;
};
