// The station history's files in memory, for host tests: each file a
// string; a file can be held by "another program" (InUse on open and
// read), and a removal can be made to fail, as a kill between writing the
// history and removing the pending file leaves things.
#pragma once

#include "history_files.h"

#include <cstring>
#include <map>
#include <set>
#include <string>

class MemoryHistoryFiles final : public zorik::HistoryFiles {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> held;       // open elsewhere: no read, no write
    std::set<std::string> undeletable;

    std::unique_ptr<zorik::HistoryFile> open(const std::string& name, zorik::FileResult& result) override
    {
        if (held.count(name) != 0) {
            result = {zorik::FileStatus::InUse, 32};
            return nullptr;
        }
        result = {};
        return std::make_unique<File>(files[name]);
    }
    zorik::FileResult readAll(const std::string& name, std::string& bytes) override
    {
        if (held.count(name) != 0)
            return {zorik::FileStatus::InUse, 32};
        const auto it = files.find(name);
        if (it == files.end())
            return {zorik::FileStatus::Missing, 2};
        bytes = it->second;
        return {};
    }
    zorik::FileResult remove(const std::string& name) override
    {
        if (undeletable.count(name) != 0)
            return {zorik::FileStatus::Failed, 5};
        return files.erase(name) != 0 ? zorik::FileResult{} : zorik::FileResult{zorik::FileStatus::Missing, 2};
    }
    std::string describe(unsigned long error) override { return "error " + std::to_string(error); }

private:
    class File final : public zorik::HistoryFile {
    public:
        explicit File(std::string& bytes) : m_bytes(bytes) {}
        std::uint64_t size() const override { return m_bytes.size(); }
        zorik::FileResult readEnd(char* data, std::size_t count) override
        {
            std::memcpy(data, m_bytes.data() + m_bytes.size() - count, count);
            return {};
        }
        zorik::FileResult appendAndFlush(const std::string& bytes) override
        {
            m_bytes += bytes;
            return {};
        }

    private:
        std::string& m_bytes;
    };
};
