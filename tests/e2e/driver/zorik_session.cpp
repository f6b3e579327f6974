#include "zorik_session.h"

#include <stdexcept>

#include "cp949_text.h"
#include "message_box.h"

namespace zorik::e2e {

ZorikSession::ZorikSession(const std::string& simSettings)
    : ownDir_(std::make_unique<WorkDir>()), dir_(ownDir_.get()),
      process_(std::make_unique<ZorikProcess>(LaunchSettings{dir_->path(), simSettings, ""})) {}

ZorikSession::ZorikSession(const WorkDir& dir, const std::string& simSettings,
                           const std::string& arguments)
    : dir_(&dir),
      process_(std::make_unique<ZorikProcess>(LaunchSettings{dir_->path(), simSettings, arguments})) {}

const MainDialog& ZorikSession::dialog() {
    if (dialog_)
        return *dialog_;
    // Fail at once, and say why, when the program ends or asks something
    // instead of showing its window.
    std::string instead;
    waitUntil(
        [&] {
            if ((dialog_ = MainDialog::waitFor(process_->id(), Millis(0))))
                return true;
            if (auto box = MessageBoxWindow::waitFor(process_->id(), Millis(0))) {
                try {
                    instead = "a message box " + quotedText(box->caption()) + ": " +
                              quotedText(box->text());
                } catch (const std::exception&) {
                    return false; // gone while being read
                }
            } else if (auto code = process_->waitForExit(Millis(0))) {
                instead = "the process ended with exit code " + std::to_string(*code);
            }
            return !instead.empty();
        },
        kStartTimeout, Millis(20));
    if (!dialog_)
        throw std::runtime_error(
            "Zorik's main window did not show; instead " +
            (instead.empty() ? "nothing within " + std::to_string(kStartTimeout.count()) + " ms"
                             : instead));
    return *dialog_;
}

} // namespace zorik::e2e
