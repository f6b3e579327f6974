#include "windows_journal_files.h"

#include <windows.h>

namespace {

using zorik::FileResult;
using zorik::FileStatus;

FileResult failure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return {FileStatus::Missing, error};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {FileStatus::Exists, error};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {FileStatus::InUse, error};
    default:
        return {FileStatus::Failed, error};
    }
}

FileResult lastFailure()
{
    return failure(::GetLastError());
}

class WindowsJournalFile : public zorik::JournalFile {
public:
    explicit WindowsJournalFile(HANDLE file) : m_file(file) {}
    ~WindowsJournalFile() override { ::CloseHandle(m_file); }
    WindowsJournalFile(const WindowsJournalFile&) = delete;
    WindowsJournalFile& operator=(const WindowsJournalFile&) = delete;

    FileResult write(std::uint64_t offset, const char* data, std::size_t size) override
    {
        const FileResult placed = seek(offset);
        if (!placed.done())
            return placed;
        DWORD written = 0;
        if (!::WriteFile(m_file, data, static_cast<DWORD>(size), &written, nullptr))
            return lastFailure();
        // A full disk can take part of the bytes without an error.
        if (written != size)
            return {FileStatus::Failed, ERROR_DISK_FULL};
        return {};
    }

    FileResult flush() override
    {
        if (!::FlushFileBuffers(m_file))
            return lastFailure();
        return {};
    }

    FileResult read(std::uint64_t offset, char* data, std::size_t size) override
    {
        const FileResult placed = seek(offset);
        if (!placed.done())
            return placed;
        DWORD got = 0;
        if (!::ReadFile(m_file, data, static_cast<DWORD>(size), &got, nullptr))
            return lastFailure();
        if (got != size)
            return {FileStatus::Failed, ERROR_HANDLE_EOF};
        return {};
    }

private:
    FileResult seek(std::uint64_t offset)
    {
        LONG high = static_cast<LONG>(offset >> 32);
        // A low part of 0xFFFFFFFF is also the failure value: only the
        // error code tells them apart.
        ::SetLastError(NO_ERROR);
        if (::SetFilePointer(m_file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            ::GetLastError() != NO_ERROR)
            return lastFailure();
        return {};
    }

    HANDLE m_file;
};

} // namespace

std::unique_ptr<zorik::JournalFile> WindowsJournalFiles::create(const std::string& name, FileResult& result)
{
    // Shared for reading only: the operator may look at it while the test
    // runs, but no other program writes, renames or removes it. OPEN_ALWAYS
    // rather than CREATE_NEW tells a file held open by another program
    // (sharing violation) and a folder of that name (access denied) from a
    // file that is simply there.
    ::SetLastError(NO_ERROR);
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result = lastFailure();
        return nullptr;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // Somebody's results: left exactly as they are.
        ::CloseHandle(file);
        result = {FileStatus::Exists, ERROR_ALREADY_EXISTS};
        return nullptr;
    }
    result = {};
    return std::make_unique<WindowsJournalFile>(file);
}

FileResult WindowsJournalFiles::lastWriteTime(const std::string& name, zorik::LocalDateTime& time)
{
    // Denying others the right to write fails while a running Zorik holds
    // the journal: that one is not left behind.
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastFailure();
    FILETIME written, local;
    SYSTEMTIME parts;
    const bool ok = ::GetFileTime(file, nullptr, nullptr, &written) && ::FileTimeToLocalFileTime(&written, &local) &&
                    ::FileTimeToSystemTime(&local, &parts);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!ok)
        return failure(error);
    time = {parts.wYear, parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond};
    return {};
}

FileResult WindowsJournalFiles::rename(const std::string& from, const std::string& to)
{
    // MoveFileA never replaces an existing file.
    if (!::MoveFileA(from.c_str(), to.c_str()))
        return lastFailure();
    return {};
}

FileResult WindowsJournalFiles::remove(const std::string& name)
{
    if (!::DeleteFileA(name.c_str()))
        return lastFailure();
    return {};
}

std::string WindowsJournalFiles::describe(unsigned long error)
{
    char text[512];
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                          0, text, sizeof text, nullptr);
    return std::string(text, length);
}
