// A folder of its own in the temporary directory holding copies of one
// program and of ZorikApi.dll from beside this test, and a ZorikApi.ini
// with the given text, so that the library finds that file beside itself
// while every other test's library finds none; and any other files a test
// puts beside it (a stand-in inpout32.dll).
#pragma once

#include <string>
#include <vector>

namespace zorik::wine {

// A file beside the staged library: a copy of `copiedFrom`, or `bytes`.
struct StagedFile {
    std::string name;
    std::string copiedFrom;
    std::string bytes;
};

class StagedLibrary {
public:
    StagedLibrary(const char* program, const std::string& iniText, const std::vector<StagedFile>& files = {});
    ~StagedLibrary();
    StagedLibrary(const StagedLibrary&) = delete;
    StagedLibrary& operator=(const StagedLibrary&) = delete;

    // Empty when staging failed: then `problem` says why.
    const std::string& programPath() const { return programPath_; }
    const std::string& problem() const { return problem_; }
    // The folder, with its trailing backslash.
    const std::string& folder() const { return folder_; }

private:
    bool stage(const char* program, const std::string& iniText, const std::vector<StagedFile>& files);

    std::string program_;
    std::string folder_;
    std::string programPath_;
    std::string problem_;
    std::vector<std::string> extraNames_;
};

} // namespace zorik::wine
