#include "work_dir.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zorik::e2e {
namespace {

std::string lastErrorText(const std::string& what) {
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

// Removes a directory tree; the runs leave at most a file or a directory
// named like the report in it.
void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string full = dir + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

} // namespace

WorkDir::WorkDir() {
    static std::atomic<unsigned> made{0};
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error(lastErrorText("no temporary directory"));
    path_ = std::string(temp) + "zorik-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++made);
    removeTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error(lastErrorText("cannot create " + path_));
}

WorkDir::~WorkDir() {
    removeTree(path_);
}

std::string WorkDir::pathOf(const std::string& name) const {
    return path_ + "\\" + name;
}

std::optional<std::string> WorkDir::readFile(const std::string& name) const {
    if (isDirectory(name))
        return std::nullopt;
    std::ifstream in(pathOf(name), std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WorkDir::writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(pathOf(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + pathOf(name));
}

void WorkDir::makeDirectory(const std::string& name) const {
    if (!CreateDirectoryA(pathOf(name).c_str(), nullptr))
        throw std::runtime_error(lastErrorText("cannot create " + pathOf(name)));
}

bool WorkDir::isDirectory(const std::string& name) const {
    const DWORD attributes = GetFileAttributesA(pathOf(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WorkDir::exists(const std::string& name) const {
    return GetFileAttributesA(pathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace zorik::e2e
