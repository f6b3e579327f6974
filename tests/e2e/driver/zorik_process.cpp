#include "zorik_process.h"

#include <stdexcept>

namespace zorik::e2e {
namespace {

constexpr char kSimVariable[] = "ZORIK_SIM";

// Sets ZORIK_SIM for the child only: the test's own environment is
// restored once the child has its copy.
class ScopedSimSetting {
public:
    explicit ScopedSimSetting(const std::string& value) {
        char old[1024];
        const DWORD length = GetEnvironmentVariableA(kSimVariable, old, sizeof old);
        if (length > 0 && length < sizeof old)
            previous_ = std::string(old, length);
        SetEnvironmentVariableA(kSimVariable, value.empty() ? nullptr : value.c_str());
    }
    ~ScopedSimSetting() {
        SetEnvironmentVariableA(kSimVariable, previous_ ? previous_->c_str() : nullptr);
    }

private:
    std::optional<std::string> previous_;
};

// The tests run on an X display without a window manager. Wine would wait
// up to two seconds for one whenever a window of the program is hidden (a
// message box answered, the dialog closed); told to place its windows
// itself, it does not. Only Wine reads this key, and only in the throwaway
// prefix the test runs in.
void letWineManageItsOwnWindows() {
    static const bool done = [] {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
            RegCloseKey(key);
        }
        return true;
    }();
    static_cast<void>(done);
}

} // namespace

std::string ZorikProcess::programPath() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    path.erase(path.find_last_of("\\/") + 1);
    return path + "Zorik.exe";
}

ZorikProcess::ZorikProcess(const LaunchSettings& settings) {
    const std::string program = programPath();
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        throw std::runtime_error(program + " does not exist");

    letWineManageItsOwnWindows();
    std::string commandLine = "\"" + program + "\"";
    if (!settings.arguments.empty())
        commandLine += " " + settings.arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const ScopedSimSetting sim(settings.simSettings);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        settings.workDir.empty() ? nullptr : settings.workDir.c_str(), &startup,
                        &info_))
        throw std::runtime_error("cannot start " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");
}

ZorikProcess::~ZorikProcess() {
    kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ZorikProcess::running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ZorikProcess::waitForExit(Millis timeout) const {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void ZorikProcess::kill() {
    if (running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

} // namespace zorik::e2e
