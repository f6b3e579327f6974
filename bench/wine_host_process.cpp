#include "wine_host_process.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <vector>

namespace zorik::bench {
namespace {

const char kProcRoot[] = "Z:\\proc\\";

std::optional<std::string> readHostFile(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    // /proc files have no size: read until the end.
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::string procFile(int pid, const char* name) {
    return kProcRoot + std::to_string(pid) + "\\" + name;
}

// The numbered entries of a /proc directory: processes, or a process's
// threads.
std::vector<int> numberedEntries(const std::string& dir) {
    std::vector<int> pids;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((dir + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return pids;
    do {
        const std::string name = entry.cFileName;
        if (!name.empty() && std::all_of(name.begin(), name.end(),
                                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            pids.push_back(std::atoi(name.c_str()));
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return pids;
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// NUL-separated entries of a /proc file.
std::vector<std::string> entries(const std::string& bytes) {
    std::vector<std::string> result;
    std::string::size_type start = 0;
    while (start < bytes.size()) {
        const auto end = bytes.find('\0', start);
        result.push_back(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return result;
}

// Processes of other Wine prefixes run the same programs (other runs of
// the tests): only a process with our WINEPREFIX counts.
bool inOurPrefix(int pid) {
    char prefix[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (length == 0 || length >= sizeof prefix)
        return false;
    const auto environment = readHostFile(procFile(pid, "environ"));
    if (!environment)
        return false;
    const std::string wanted = "WINEPREFIX=" + std::string(prefix, length);
    for (const std::string& variable : entries(*environment))
        if (variable == wanted)
            return true;
    return false;
}

std::optional<int> findPid(const std::function<bool(const std::vector<std::string>&)>& matches) {
    for (int pid : numberedEntries(kProcRoot)) {
        const auto cmdline = readHostFile(procFile(pid, "cmdline"));
        if (!cmdline || cmdline->empty())
            continue;
        if (matches(entries(*cmdline)) && inOurPrefix(pid))
            return pid;
    }
    return std::nullopt;
}

std::uint64_t statusKiB(const std::string& status, const std::string& key) {
    const auto at = status.find("\n" + key + ":");
    if (at == std::string::npos)
        return 0;
    return std::strtoull(status.c_str() + at + key.size() + 2, nullptr, 10);
}

} // namespace

std::optional<WineHostProcess> WineHostProcess::find(const std::string& programName) {
    const std::string wanted = lower(programName);
    auto pid = findPid([&](const std::vector<std::string>& args) {
        const std::string first = lower(args.front());
        return endsWith(first, "\\" + wanted) || endsWith(first, "/" + wanted) || first == wanted;
    });
    if (!pid)
        return std::nullopt;
    return WineHostProcess(*pid);
}

std::optional<WineHostProcess> WineHostProcess::findWineserver() {
    auto pid = findPid([](const std::vector<std::string>& args) {
        const std::string first = args.front();
        const auto slash = first.find_last_of('/');
        return first.compare(slash == std::string::npos ? 0 : slash + 1, 10, "wineserver") == 0;
    });
    if (!pid)
        return std::nullopt;
    return WineHostProcess(*pid);
}

std::optional<HostProcessUsage> WineHostProcess::usage() const {
    const auto stat = readHostFile(procFile(pid_, "stat"));
    const auto status = readHostFile(procFile(pid_, "status"));
    if (!stat || !status || stat->empty())
        return std::nullopt;
    // Fields after the command name, which is in parentheses and may hold
    // blanks: state is field 3, utime 14, stime 15.
    const auto close = stat->rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat->substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        if (number == 15)
            stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    // Linux reports these in USER_HZ ticks, 100 per second on every
    // architecture Wine runs on.
    HostProcessUsage usage;
    usage.cpuSeconds = static_cast<double>(utime + stime) / 100.0;
    usage.residentBytes = statusKiB(*status, "VmRSS") * 1024;
    usage.privateBytes = statusKiB(*status, "RssAnon") * 1024;
    const std::string tasks = procFile(pid_, "task") + "\\";
    for (int tid : numberedEntries(tasks)) {
        // First field: nanoseconds spent running.
        if (const auto schedstat = readHostFile(tasks + std::to_string(tid) + "\\schedstat"))
            usage.liveThreadCpuSeconds += static_cast<double>(std::strtoull(schedstat->c_str(), nullptr, 10)) / 1e9;
    }
    return usage;
}

} // namespace zorik::bench
