// The journal's files in memory: files and folders by name, some held open
// by "another program", and failures on demand.
#pragma once

#include "journal_files.h"

#include <map>
#include <optional>
#include <string>

namespace zorik::testing {

class MemoryJournalFiles : public JournalFileSystem {
public:
    struct Entry {
        std::string bytes, flushed; // flushed: what a power cut would leave
        bool folder = false, heldByOther = false, openHere = false;
        LocalDateTime written{2026, 12, 8, 14, 15, 3};
    };
    std::map<std::string, Entry> entries;
    int writes = 0, flushes = 0;
    int failWrite = 0;      // this write (1, 2, ...) finds the disk full; 0: none
    bool failFlush = false; // every flush fails, as on removed media
    bool failReadBack = false; // every read back of an open journal fails
    std::optional<FileResult> failRename;
    std::optional<FileResult> failRead, failTruncate;
    std::size_t bytesRead = 0; // by read(), all files together

    std::unique_ptr<JournalFile> create(const std::string& name, FileResult& result) override
    {
        if (auto found = entries.find(name); found != entries.end()) {
            const Entry& entry = found->second;
            result = entry.folder ? FileResult{FileStatus::Failed, 5}
                     : entry.heldByOther ? FileResult{FileStatus::InUse, 32} : FileResult{FileStatus::Exists, 183};
            return nullptr;
        }
        result = {};
        entries[name].openHere = true;
        return std::make_unique<File>(*this, name);
    }
    FileResult lastWriteTime(const std::string& name, LocalDateTime& time) override
    {
        const FileResult opened = openLeft(name);
        if (opened.done())
            time = entries[name].written;
        return opened;
    }
    FileResult rename(const std::string& from, const std::string& to) override
    {
        if (entries.count(to))
            return {FileStatus::Exists, 183};
        if (failRename)
            return *failRename;
        entries[to] = entries.at(from);
        entries.erase(from);
        return {};
    }
    FileResult remove(const std::string& name) override
    {
        return entries.erase(name) ? FileResult{} : FileResult{FileStatus::Missing, 2};
    }
    std::string describe(unsigned long error) override { return "words for " + std::to_string(error) + ".\r\n"; }

    FileResult size(const std::string& name, std::uint64_t& bytes) override
    {
        const FileResult open = openLeft(name);
        if (open.done())
            bytes = entries[name].bytes.size();
        return open;
    }
    FileResult read(const std::string& name, std::uint64_t offset, char* data, std::size_t size,
                    std::size_t& got) override
    {
        got = 0;
        const FileResult open = failRead ? *failRead : openLeft(name);
        if (!open.done())
            return open;
        const std::string& bytes = entries[name].bytes;
        if (offset < bytes.size())
            got = bytes.copy(data, size, offset);
        bytesRead += got;
        return {};
    }
    FileResult truncate(const std::string& name, std::uint64_t bytes) override
    {
        const FileResult open = failTruncate ? *failTruncate : openLeft(name);
        if (open.done())
            entries[name].bytes.resize(bytes);
        return open;
    }

    std::string bytesOf(const std::string& name) const
    {
        auto found = entries.find(name);
        return found == entries.end() ? "(none)" : found->second.bytes;
    }

private:
    // As the Windows file functions open a left journal to look at it.
    FileResult openLeft(const std::string& name)
    {
        auto found = entries.find(name);
        if (found == entries.end())
            return {FileStatus::Missing, 2};
        if (found->second.folder)
            return {FileStatus::Failed, 5};
        if (found->second.heldByOther || found->second.openHere)
            return {FileStatus::InUse, 32};
        return {};
    }

    class File : public JournalFile {
    public:
        File(MemoryJournalFiles& files, std::string name) : m_files(files), m_entry(files.entries[name]) {}
        ~File() override { m_entry.openHere = false; }
        FileResult write(std::uint64_t offset, const char* data, std::size_t size) override
        {
            if (++m_files.writes == m_files.failWrite)
                return {FileStatus::Failed, 112};
            m_entry.bytes.resize(std::max<std::size_t>(m_entry.bytes.size(), offset + size));
            m_entry.bytes.replace(offset, size, data, size);
            return {};
        }
        FileResult flush() override
        {
            ++m_files.flushes;
            if (m_files.failFlush)
                return {FileStatus::Failed, 21};
            m_entry.flushed = m_entry.bytes;
            return {};
        }
        FileResult read(std::uint64_t offset, char* data, std::size_t size) override
        {
            if (m_files.failReadBack || offset + size > m_entry.bytes.size())
                return {FileStatus::Failed, 38};
            m_entry.bytes.copy(data, size, offset);
            return {};
        }

    private:
        MemoryJournalFiles& m_files;
        Entry& m_entry;
    };
};

} // namespace zorik::testing
