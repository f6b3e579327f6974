// One run of Zorik for one test: a fresh current directory, the process,
// and its main window once it shows. Whatever the test's outcome, the
// process is gone when the session is.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "main_dialog.h"
#include "wait_until.h"
#include "work_dir.h"
#include "zorik_process.h"

namespace zorik::e2e {

// Bounds for the waits of the tests. They are generous, for a loaded
// machine; a healthy program needs a small fraction of each.
inline constexpr Millis kStartTimeout(20000);   // process start to dialog shown
inline constexpr Millis kReactionTimeout(3000); // a click or key to its visible effect
inline constexpr Millis kExitTimeout(5000);     // closing the dialog to the process' end
// The loop finishes the cycle it is in (about 330 ms) before it stops.
inline constexpr Millis kCycleEndTimeout(3000);

class ZorikSession {
public:
    // Starts Zorik.exe in a new directory; `simSettings` is ZORIK_SIM.
    explicit ZorikSession(const std::string& simSettings = "");
    // Starts it in an existing directory, e.g. one prepared with files,
    // with `arguments` on its command line.
    ZorikSession(const WorkDir& dir, const std::string& simSettings,
                 const std::string& arguments = "");

    const WorkDir& dir() const { return *dir_; }
    ZorikProcess& process() { return *process_; }
    DWORD processId() const { return process_->id(); }

    // The main window; waits for it on first use and throws if it does not
    // show within kStartTimeout.
    const MainDialog& dialog();

private:
    std::unique_ptr<WorkDir> ownDir_;
    const WorkDir* dir_;
    std::unique_ptr<ZorikProcess> process_;
    std::optional<MainDialog> dialog_;
};

} // namespace zorik::e2e
