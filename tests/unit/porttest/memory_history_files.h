// The station history's files in memory, for host tests: each file a
// string, shared by every StationHistory on one object as a folder on a
// share is by several stations. Opens keep Windows' sharing rules (a hold
// or a take shares with nobody; a program's own pending file with readers
// only; nothing open is removed); a file can also be held by "another
// program" (a spreadsheet: InUse on every open and read), a removal or a
// write made to fail (a kill between writing the history and emptying a
// pending file leaves things so), and a pause lets the other program go
// after a number of pauses.
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
    std::set<std::string> unwritable; // appends fail (a full disk)
    unsigned pauses = 0;              // pauses so far
    unsigned releaseAfter = 0;        // the held files are let go at this pause; 0: never

    std::unique_ptr<zorik::HistoryFile> open(const std::string& name, zorik::HistoryOpen how,
                                             zorik::FileResult& result) override
    {
        const Use& use = m_use[name];
        // Every way of opening writes, and none shares writing.
        const bool busy = use.exclusive + use.own != 0;
        if (held.count(name) != 0 || busy) {
            result = {zorik::FileStatus::InUse, 32};
            return nullptr;
        }
        if (how == zorik::HistoryOpen::Take && files.count(name) == 0) {
            result = {zorik::FileStatus::Missing, 2};
            return nullptr;
        }
        result = {};
        return std::make_unique<File>(*this, name, how == zorik::HistoryOpen::Own);
    }
    zorik::FileResult readAll(const std::string& name, std::string& bytes) override
    {
        if (held.count(name) != 0 || m_use[name].exclusive != 0)
            return {zorik::FileStatus::InUse, 32};
        const auto it = files.find(name);
        if (it == files.end())
            return {zorik::FileStatus::Missing, 2};
        bytes = it->second;
        return {};
    }
    zorik::FileResult sizeOf(const std::string& name, std::uint64_t& size) override
    {
        const auto it = files.find(name);
        if (it == files.end())
            return {zorik::FileStatus::Missing, 2};
        size = it->second.size();
        return {};
    }
    zorik::FileResult remove(const std::string& name) override
    {
        const Use& use = m_use[name];
        if (undeletable.count(name) != 0 || use.exclusive + use.own != 0)
            return {zorik::FileStatus::Failed, 5};
        return files.erase(name) != 0 ? zorik::FileResult{} : zorik::FileResult{zorik::FileStatus::Missing, 2};
    }
    std::vector<std::string> startingWith(const std::string& name, const std::string& ending) override
    {
        std::vector<std::string> names;
        for (const auto& file : files)
            if (file.first.size() >= name.size() + ending.size() && file.first.compare(0, name.size(), name) == 0 &&
                file.first.compare(file.first.size() - ending.size(), ending.size(), ending) == 0)
                names.push_back(file.first);
        return names;
    }
    void pause(unsigned) override
    {
        if (++pauses == releaseAfter)
            held.clear();
    }
    std::string describe(unsigned long error) override { return "error " + std::to_string(error); }

    bool isOpen(const std::string& name) { return m_use[name].exclusive + m_use[name].own != 0; }

private:
    struct Use {
        int exclusive = 0;
        int own = 0;
    };
    std::map<std::string, Use> m_use;

    class File final : public zorik::HistoryFile {
    public:
        File(MemoryHistoryFiles& all, std::string name, bool own) : m_all(all), m_name(std::move(name)), m_own(own)
        {
            m_all.files[m_name];
            ++(m_own ? m_all.m_use[m_name].own : m_all.m_use[m_name].exclusive);
        }
        ~File() override { --(m_own ? m_all.m_use[m_name].own : m_all.m_use[m_name].exclusive); }
        std::uint64_t size() const override { return m_all.files[m_name].size(); }
        zorik::FileResult readAll(std::string& bytes) override
        {
            bytes = m_all.files[m_name];
            return {};
        }
        zorik::FileResult readEnd(char* data, std::size_t count) override
        {
            const std::string& bytes = m_all.files[m_name];
            std::memcpy(data, bytes.data() + bytes.size() - count, count);
            return {};
        }
        zorik::FileResult appendAndFlush(const std::string& bytes) override
        {
            if (m_all.unwritable.count(m_name) != 0)
                return {zorik::FileStatus::Failed, 112};
            m_all.files[m_name] += bytes;
            return {};
        }
        zorik::FileResult clear() override
        {
            if (m_all.undeletable.count(m_name) != 0)
                return {zorik::FileStatus::Failed, 5};
            m_all.files[m_name].clear();
            return {};
        }

    private:
        MemoryHistoryFiles& m_all;
        std::string m_name;
        bool m_own;
    };
};
