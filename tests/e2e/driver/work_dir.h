// A fresh, empty directory for one run of the program, so that the report
// file it may write lands where the test looks and nowhere else.
#pragma once

#include <optional>
#include <string>

namespace zorik::e2e {

class WorkDir {
public:
    // Makes a new directory below the system's temporary directory.
    WorkDir();
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }
    std::string pathOf(const std::string& name) const;

    // The file's bytes, or nothing when it cannot be opened as a file.
    std::optional<std::string> readFile(const std::string& name) const;
    void writeFile(const std::string& name, const std::string& bytes) const;
    void makeDirectory(const std::string& name) const;
    bool isDirectory(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

} // namespace zorik::e2e
