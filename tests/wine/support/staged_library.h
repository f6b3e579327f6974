// A folder of its own in the temporary directory holding copies of one
// program and of ZorikApi.dll from beside this test, and a ZorikApi.ini
// with the given text, so that the library finds that file beside itself
// while every other test's library finds none.
#pragma once

#include <string>

namespace zorik::wine {

class StagedLibrary {
public:
    StagedLibrary(const char* program, const std::string& iniText);
    ~StagedLibrary();
    StagedLibrary(const StagedLibrary&) = delete;
    StagedLibrary& operator=(const StagedLibrary&) = delete;

    // Empty when staging failed: then `problem` says why.
    const std::string& programPath() const { return programPath_; }
    const std::string& problem() const { return problem_; }

private:
    bool stage(const char* program, const std::string& iniText);

    std::string program_;
    std::string folder_;
    std::string programPath_;
    std::string problem_;
};

} // namespace zorik::wine
