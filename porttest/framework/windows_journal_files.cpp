#include "windows_journal_files.h"

#include "windows_error_text.h"

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

// Moves to `offset` from `from`; `position` (if given) receives where that is.
FileResult seek(HANDLE file, std::uint64_t offset, DWORD from, std::uint64_t* position = nullptr)
{
    LONG high = static_cast<LONG>(offset >> 32);
    // A low part of 0xFFFFFFFF is also the failure value: only the error
    // code tells them apart.
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, from);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        return lastFailure();
    if (position != nullptr)
        *position = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    return {};
}

// A left journal, open for `access`; like lastWriteTime, a file a running
// Zorik writes is refused (InUse).
HANDLE openLeft(const std::string& name, DWORD access)
{
    return ::CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// `step` on the open file, which is closed again whatever came of it.
template <class Step>
FileResult withLeft(const std::string& name, DWORD access, Step step)
{
    const HANDLE file = openLeft(name, access);
    if (file == INVALID_HANDLE_VALUE)
        return lastFailure();
    const FileResult result = step(file);
    ::CloseHandle(file);
    return result;
}

class WindowsJournalFile : public zorik::JournalFile {
public:
    explicit WindowsJournalFile(HANDLE file) : m_file(file) {}
    ~WindowsJournalFile() override { ::CloseHandle(m_file); }
    WindowsJournalFile(const WindowsJournalFile&) = delete;
    WindowsJournalFile& operator=(const WindowsJournalFile&) = delete;

    FileResult write(std::uint64_t offset, const char* data, std::size_t size) override
    {
        const FileResult moved = seek(m_file, offset, FILE_BEGIN);
        if (!moved.done())
            return moved;
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
        const FileResult moved = seek(m_file, offset, FILE_BEGIN);
        if (!moved.done())
            return moved;
        DWORD got = 0;
        if (!::ReadFile(m_file, data, static_cast<DWORD>(size), &got, nullptr))
            return lastFailure();
        if (got != size)
            return {FileStatus::Failed, ERROR_HANDLE_EOF};
        return {};
    }

private:
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
    return windowsErrorText(error);
}

FileResult WindowsJournalFiles::size(const std::string& name, std::uint64_t& bytes)
{
    // The end's position rather than GetFileSize: one import fewer.
    return withLeft(name, GENERIC_READ, [&](HANDLE file) { return seek(file, 0, FILE_END, &bytes); });
}

FileResult WindowsJournalFiles::read(const std::string& name, std::uint64_t offset, char* data, std::size_t size,
                                     std::size_t& got)
{
    got = 0;
    return withLeft(name, GENERIC_READ, [&](HANDLE file) {
        const FileResult moved = seek(file, offset, FILE_BEGIN);
        if (!moved.done())
            return moved;
        DWORD read = 0;
        if (!::ReadFile(file, data, static_cast<DWORD>(size), &read, nullptr))
            return lastFailure();
        got = read;
        return FileResult{};
    });
}

FileResult WindowsJournalFiles::truncate(const std::string& name, std::uint64_t bytes)
{
    return withLeft(name, GENERIC_WRITE, [&](HANDLE file) {
        const FileResult moved = seek(file, bytes, FILE_BEGIN);
        if (!moved.done())
            return moved;
        if (!::SetEndOfFile(file))
            return lastFailure();
        return FileResult{};
    });
}
