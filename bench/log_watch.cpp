#include "log_watch.h"

#include "log_text.h"
#include "process_windows.h"

namespace zorik::bench {

void LogWatch::poll() {
    HWND box = dialog_.control(e2e::kLogBox);
    const auto length = static_cast<std::size_t>(e2e::sendBounded(box, WM_GETTEXTLENGTH));
    if (length == length_)
        return;
    const double now = millisBetween(origin_, Clock::now());
    const std::string text = e2e::windowText(box);
    if (text.size() < length_) {
        // Only ever grows; start over if it did not.
        pending_.clear();
        headerSkipped_ = false;
        length_ = 0;
    }
    pending_ += text.substr(length_);
    length_ = text.size();

    std::string::size_type start = 0;
    for (auto end = pending_.find("\r\n"); end != std::string::npos;
         end = pending_.find("\r\n", start)) {
        const std::string line = pending_.substr(start, end - start);
        start = end + 2;
        // The header is "Error Check  -  10ms" and an empty line.
        if (!headerSkipped_) {
            if (line.empty())
                headerSkipped_ = true;
            continue;
        }
        if (const auto parsed = e2e::parseLogLine(line)) {
            ++lines_;
            if (sightings_.empty() || sightings_.back().count != parsed->count)
                sightings_.push_back({now, parsed->count});
        } else {
            ++malformed_;
        }
    }
    pending_.erase(0, start);
}

} // namespace zorik::bench
