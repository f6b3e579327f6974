#include "windows_report_files.h"

#include "windows_error_text.h"

#include <windows.h>

namespace {

using zorik::FileResult;
using zorik::FileStatus;

FileResult lastFailure()
{
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return {FileStatus::Missing, error};
    return {FileStatus::Failed, error};
}

class WindowsReportFile : public zorik::ReportFile {
public:
    explicit WindowsReportFile(HANDLE file) : m_file(file) {}
    ~WindowsReportFile() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    WindowsReportFile(const WindowsReportFile&) = delete;
    WindowsReportFile& operator=(const WindowsReportFile&) = delete;

    bool write(const char* data, std::size_t size) override
    {
        DWORD written = 0;
        // A full disk can take part of the bytes without an error.
        return size == 0 || (::WriteFile(m_file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
    }

    bool close() override
    {
        const bool flushed = ::FlushFileBuffers(m_file) != FALSE;
        const bool closed = ::CloseHandle(m_file) != FALSE;
        m_file = INVALID_HANDLE_VALUE;
        return flushed && closed;
    }

private:
    HANDLE m_file;
};

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

} // namespace

std::unique_ptr<zorik::ReportFile> WindowsReportFiles::create(const std::string& name)
{
    // Others may read it meanwhile, not write it.
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WindowsReportFile>(file);
}

FileResult WindowsReportFiles::replace(const std::string& from, const std::string& to)
{
    const HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
    const FARPROC found = kernel != nullptr ? ::GetProcAddress(kernel, "MoveFileExA") : nullptr;
    const auto moveFileEx = reinterpret_cast<MoveFileExFunction>(reinterpret_cast<void*>(found));
    if (moveFileEx != nullptr) {
        if (moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        if (::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
            return lastFailure();
    }
    // Windows 9x: the run removed the old file when it began; should one
    // have come since, it goes now. No reader can see a half file, but
    // for a moment none at all.
    if (!::DeleteFileA(to.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return lastFailure();
    if (!::MoveFileA(from.c_str(), to.c_str()))
        return lastFailure();
    return {};
}

FileResult WindowsReportFiles::remove(const std::string& name)
{
    if (!::DeleteFileA(name.c_str()))
        return lastFailure();
    return {};
}

std::string WindowsReportFiles::describe(unsigned long error)
{
    return windowsErrorText(error);
}

std::string WindowsReportFiles::fullPath(const std::string& name)
{
    char path[MAX_PATH + 1];
    char* filePart = nullptr;
    const DWORD length = ::GetFullPathNameA(name.c_str(), sizeof path, path, &filePart);
    if (length == 0 || length >= sizeof path)
        return name;
    return std::string(path, length);
}
