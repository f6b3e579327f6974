// The Linux process behind a Windows process of this Wine prefix, read
// through Wine's view of the host file system (drive Z: is the root).
// Wine does not report another process's CPU times or private memory
// through the Windows calls (GetProcessTimes answers zero), so the figures
// come from the host kernel's /proc instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorik::bench {

struct HostProcessUsage {
    double cpuSeconds = 0;           // user + system time so far, 10 ms ticks
    // CPU time of the threads alive now, to the nanosecond (schedstat);
    // finer than cpuSeconds for short windows, but forgets ended threads.
    double liveThreadCpuSeconds = 0;
    std::uint64_t residentBytes = 0; // VmRSS
    std::uint64_t privateBytes = 0;  // RssAnon: resident anonymous memory
};

class WineHostProcess {
public:
    // The host process running `programName` (e.g. "Zorik.exe", matched
    // against the end of its command line's first word) in the same Wine
    // prefix as the caller; nothing when there is none.
    static std::optional<WineHostProcess> find(const std::string& programName);
    // The prefix's wineserver, which carries out much of a Wine program's
    // work with windows and timers.
    static std::optional<WineHostProcess> findWineserver();

    int pid() const { return pid_; }
    // Nothing once the process has gone.
    std::optional<HostProcessUsage> usage() const;

private:
    explicit WineHostProcess(int pid) : pid_(pid) {}
    int pid_;
};

} // namespace zorik::bench
