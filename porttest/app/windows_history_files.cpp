#include "windows_history_files.h"

#include "framework/message_wait.h"
#include "framework/windows_error_text.h"

#include <windows.h>

namespace {

using zorik::FileResult;
using zorik::FileStatus;

FileResult lastFailure()
{
    const DWORD error = ::GetLastError();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return {FileStatus::Missing, error};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {FileStatus::InUse, error};
    default:
        return {FileStatus::Failed, error == 0 ? ERROR_WRITE_FAULT : error};
    }
}

// The end's position: the file's size (SetFilePointer rather than
// GetFileSize, one import fewer).
bool seekEnd(HANDLE file, std::uint64_t& size)
{
    LONG high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(file, 0, &high, FILE_END);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        return false;
    size = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    return true;
}

bool readExactly(HANDLE file, char* data, std::size_t count)
{
    while (count != 0) {
        const DWORD piece = count > 0x100000 ? 0x100000 : static_cast<DWORD>(count);
        DWORD got = 0;
        if (!::ReadFile(file, data, piece, &got, nullptr) || got == 0)
            return false;
        data += got;
        count -= got;
    }
    return true;
}

// File names as Windows compares them: ASCII letters in any case.
bool sameLetters(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

class WindowsHistoryFile final : public zorik::HistoryFile {
public:
    WindowsHistoryFile(HANDLE file, std::uint64_t size) : m_file(file), m_size(size) {}
    ~WindowsHistoryFile() override { ::CloseHandle(m_file); }
    WindowsHistoryFile(const WindowsHistoryFile&) = delete;
    WindowsHistoryFile& operator=(const WindowsHistoryFile&) = delete;

    std::uint64_t size() const override { return m_size; }

    FileResult readAll(std::string& bytes) override
    {
        if (m_size > 0x40000000u)
            return {FileStatus::Failed, ERROR_NOT_ENOUGH_MEMORY};
        bytes.assign(static_cast<std::size_t>(m_size), '\0');
        if (::SetFilePointer(m_file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
            !readExactly(m_file, &bytes[0], bytes.size()))
            return lastFailure();
        return {};
    }

    FileResult clear() override
    {
        if (::SetFilePointer(m_file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !::SetEndOfFile(m_file) ||
            !::FlushFileBuffers(m_file))
            return lastFailure();
        m_size = 0;
        return {};
    }

    FileResult readEnd(char* data, std::size_t count) override
    {
        const std::uint64_t at = m_size - count;
        LONG high = static_cast<LONG>(at >> 32);
        ::SetLastError(NO_ERROR);
        const DWORD low = ::SetFilePointer(m_file, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN);
        if ((low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) || !readExactly(m_file, data, count))
            return lastFailure();
        return {};
    }

    FileResult appendAndFlush(const std::string& bytes) override
    {
        std::uint64_t end = 0;
        if (!seekEnd(m_file, end))
            return lastFailure();
        DWORD written = 0;
        if (!::WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return lastFailure();
        // On the disk before the banner shows the verdict.
        if (!::FlushFileBuffers(m_file))
            return lastFailure();
        m_size = end + written;
        return {};
    }

private:
    HANDLE m_file;
    std::uint64_t m_size;
};

} // namespace

std::unique_ptr<zorik::HistoryFile> WindowsHistoryFiles::open(const std::string& name, zorik::HistoryOpen how,
                                                              FileResult& result)
{
    // The hold and a take share with nobody; the own pending file with
    // readers, who only look.
    const DWORD share = how == zorik::HistoryOpen::Own ? FILE_SHARE_READ : 0;
    const DWORD disposition = how == zorik::HistoryOpen::Take ? OPEN_EXISTING : OPEN_ALWAYS;
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result = lastFailure();
        return nullptr;
    }
    std::uint64_t size = 0;
    if (!seekEnd(file, size)) {
        result = lastFailure();
        ::CloseHandle(file);
        return nullptr;
    }
    result = {};
    return std::make_unique<WindowsHistoryFile>(file, size);
}

FileResult WindowsHistoryFiles::readAll(const std::string& name, std::string& bytes)
{
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lastFailure();
    FileResult result;
    std::uint64_t size = 0;
    if (!seekEnd(file, size) || size > 0x40000000u) {
        result = lastFailure();
    } else {
        bytes.assign(static_cast<std::size_t>(size), '\0');
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        if (!readExactly(file, &bytes[0], bytes.size()))
            result = lastFailure();
    }
    ::CloseHandle(file);
    return result;
}

FileResult WindowsHistoryFiles::sizeOf(const std::string& name, std::uint64_t& size)
{
    // From the folder, not the file: a station may hold the file itself.
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return lastFailure();
    ::FindClose(search);
    size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return {};
}

std::vector<std::string> WindowsHistoryFiles::startingWith(const std::string& name, const std::string& ending)
{
    std::size_t folderEnd = name.find_last_of("\\/:");
    folderEnd = folderEnd == std::string::npos ? 0 : folderEnd + 1;
    const std::string folder = name.substr(0, folderEnd);
    const std::string start = name.substr(folderEnd);
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((name + '*' + ending).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        // The pattern may also match a short 8.3 name: the long one is
        // checked itself, letters in any case as Windows compares them.
        const std::string file = found.cFileName;
        if (file.size() >= start.size() + ending.size() && sameLetters(file.substr(0, start.size()), start) &&
            sameLetters(file.substr(file.size() - ending.size()), ending))
            names.push_back(folder + start + file.substr(start.size())); // the caller's spelling
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

void WindowsHistoryFiles::pause(unsigned ms)
{
    // The dialog's thread waits: messages other programs send its windows
    // (a text asked for) are answered meanwhile, nothing else runs.
    const DWORD start = ::GetTickCount();
    WaitHandlingSentMessages([&] { return ::GetTickCount() - start >= ms; });
}

FileResult WindowsHistoryFiles::remove(const std::string& name)
{
    return ::DeleteFileA(name.c_str()) ? FileResult{} : lastFailure();
}

std::string WindowsHistoryFiles::describe(unsigned long error)
{
    return windowsErrorText(error);
}
