#include "staged_library.h"

#include <windows.h>

namespace zorik::wine {

namespace {

constexpr const char* STAGED_FILES[] = {"ZorikApi.dll", "ZorikApi.ini"};

std::string ownFolder()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path);
    return self.substr(0, self.find_last_of('\\') + 1);
}

bool writeWhole(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool wrote = file != INVALID_HANDLE_VALUE &&
                       WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return wrote;
}

} // namespace

StagedLibrary::StagedLibrary(const char* program, const std::string& iniText, const std::vector<StagedFile>& files)
    : program_(program)
{
    if (stage(program, iniText, files))
        programPath_ = folder_ + program;
}

bool StagedLibrary::stage(const char* program, const std::string& iniText, const std::vector<StagedFile>& files)
{
    char temp[MAX_PATH + 1] = {};
    char unique[MAX_PATH + 1] = {};
    // The unique name is made as a file; the folder takes its place.
    if (!GetTempPathA(MAX_PATH, temp) || !GetTempFileNameA(temp, "zrk", 0, unique) || !DeleteFileA(unique) ||
        !CreateDirectoryA(unique, nullptr)) {
        problem_ = "cannot make a folder in " + std::string(temp);
        return false;
    }
    folder_ = std::string(unique) + "\\";
    const std::string from = ownFolder();
    for (const char* name : {program, STAGED_FILES[0]}) {
        if (!CopyFileA((from + name).c_str(), (folder_ + name).c_str(), TRUE)) {
            problem_ = "cannot copy " + from + name;
            return false;
        }
    }
    if (!writeWhole(folder_ + STAGED_FILES[1], iniText)) {
        problem_ = "cannot write " + folder_ + STAGED_FILES[1];
        return false;
    }
    for (const StagedFile& file : files) {
        extraNames_.push_back(file.name);
        const std::string to = folder_ + file.name;
        if (file.copiedFrom.empty() ? !writeWhole(to, file.bytes) : !CopyFileA(file.copiedFrom.c_str(), to.c_str(), TRUE)) {
            problem_ = "cannot put " + to + (file.copiedFrom.empty() ? "" : " from " + file.copiedFrom);
            return false;
        }
    }
    return true;
}

StagedLibrary::~StagedLibrary()
{
    if (folder_.empty())
        return;
    DeleteFileA((folder_ + program_).c_str());
    for (const char* name : STAGED_FILES)
        DeleteFileA((folder_ + name).c_str());
    for (const std::string& name : extraNames_)
        DeleteFileA((folder_ + name).c_str());
    RemoveDirectoryA(folder_.c_str());
}

} // namespace zorik::wine
