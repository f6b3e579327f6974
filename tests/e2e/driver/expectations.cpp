#include "expectations.h"

#include <cstdio>

#include "cp949_text.h"
#include "zorik_texts.h"

namespace zorik::e2e {
namespace {

std::string exitCodeText(DWORD code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

} // namespace

::testing::AssertionResult unitDone(const MainDialog& dialog, const std::string& utf8FirstLine, Millis timeout) {
    const std::string expected = cp949(utf8FirstLine);
    if (waitUntil([&] { return dialog.text(kBanner).substr(0, dialog.text(kBanner).find("\r\n")) == expected; },
                  timeout, Millis(100)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the banner reads " << quotedText(dialog.text(kBanner));
}

::testing::AssertionResult showsText(const MainDialog& dialog, int id,
                                     const std::string& cp949Expected, Millis timeout) {
    std::string seen;
    if (waitUntil([&] { return (seen = dialog.text(id)) == cp949Expected; }, timeout))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "control " << id << " shows " << quotedText(seen)
                                         << ", expected " << quotedText(cp949Expected) << " within "
                                         << timeout.count() << " ms";
}

::testing::AssertionResult settlesOnText(const MainDialog& dialog, int id,
                                         const std::string& cp949Expected, Millis stableFor,
                                         Millis timeout) {
    std::string seen;
    auto since = std::chrono::steady_clock::now();
    const bool settled = waitUntil(
        [&] {
            if ((seen = dialog.text(id)) != cp949Expected) {
                since = std::chrono::steady_clock::now();
                return false;
            }
            return elapsedSince(since) >= stableFor;
        },
        timeout);
    if (settled)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "control " << id << " did not keep " << quotedText(cp949Expected) << " for "
           << stableFor.count() << " ms within " << timeout.count() << " ms; last seen "
           << quotedText(seen);
}

::testing::AssertionResult showsCheck(const MainDialog& dialog, int id, int state,
                                      Millis timeout) {
    int seen = -1;
    if (waitUntil([&] { return (seen = dialog.checkState(id)) == state; }, timeout))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "button " << id << " has check state " << seen
                                         << ", expected " << state << " within "
                                         << timeout.count() << " ms";
}

::testing::AssertionResult endsNormally(ZorikSession& session, Millis timeout, DWORD exitCode) {
    const auto code = session.process().waitForExit(timeout);
    if (!code)
        return ::testing::AssertionFailure()
               << "the process is still running " << timeout.count() << " ms later";
    if (*code != exitCode)
        return ::testing::AssertionFailure() << "the process ended with exit code "
                                             << exitCodeText(*code) << ", expected "
                                             << exitCodeText(exitCode);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult endsWithoutAsking(ZorikSession& session, Millis timeout,
                                             DWORD exitCode) {
    const DWORD id = session.processId();
    std::optional<std::string> boxText;
    waitUntil(
        [&] {
            if (!session.process().running())
                return true;
            if (auto box = MessageBoxWindow::waitFor(id, Millis(0))) {
                // A box that was answered just before may still be on its
                // way out; only one that stays counts.
                try {
                    boxText = box->text();
                } catch (const std::exception&) {
                }
            }
            return boxText.has_value();
        },
        timeout, Millis(10));
    if (boxText)
        return ::testing::AssertionFailure() << "the program shows a message box "
                                             << quotedText(*boxText) << " instead of ending";
    return endsNormally(session, Millis(0), exitCode);
}

::testing::AssertionResult showsMessageBox(ZorikSession& session, const std::string& utf8Caption,
                                           const std::string& utf8Text,
                                           std::optional<MessageBoxWindow>& box, Millis timeout) {
    box = MessageBoxWindow::waitFor(session.processId(), timeout);
    if (!box)
        return ::testing::AssertionFailure() << "no message box within " << timeout.count()
                                             << " ms; expected " << quotedText(cp949(utf8Text));
    const std::string caption = box->caption();
    const std::string text = box->text();
    if (caption != cp949(utf8Caption) || text != cp949(utf8Text))
        return ::testing::AssertionFailure()
               << "message box " << quotedText(caption) << ": " << quotedText(text) << ", expected "
               << quotedText(cp949(utf8Caption)) << ": " << quotedText(cp949(utf8Text));
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult logShowsLines(const MainDialog& dialog, size_t count,
                                         std::vector<LogLine>& lines, Millis timeout) {
    std::string problem;
    waitUntil(
        [&] {
            auto parsed = parseLog(dialog.text(kLogBox), problem);
            if (!parsed)
                return true; // a malformed log will not mend itself
            lines = *parsed;
            return lines.size() >= count;
        },
        timeout, Millis(20));
    if (!problem.empty())
        return ::testing::AssertionFailure() << problem;
    if (lines.size() < count)
        return ::testing::AssertionFailure() << "the log box shows " << lines.size()
                                             << " lines, expected at least " << count
                                             << " within " << timeout.count() << " ms";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult cycleCountFits(std::uint64_t counted, long ranMs,
                                          std::uint64_t allowance) {
    const std::uint64_t most = static_cast<std::uint64_t>(ranMs / kShortestCycleMs) + allowance;
    if (counted <= most)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << counted << " cycles, more than one loop at a time can run in "
                                         << ranMs << " ms (" << most << ")";
}

std::optional<Report> parsedReport(const std::optional<std::string>& file) {
    if (!file) {
        ADD_FAILURE() << "no " << kReportName;
        return std::nullopt;
    }
    std::string problem;
    auto report = parseReport(*file, problem);
    if (!report)
        ADD_FAILURE() << problem;
    return report;
}

} // namespace zorik::e2e

namespace zorik::e2e {

::testing::AssertionResult showsSummary(const MainDialog& dialog, const char* utf8Verdict,
                                        const std::vector<LogLine>& lines, std::uint64_t& cycles,
                                        Millis timeout) {
    std::uint64_t perChannel[3] = {0, 0, 0};
    for (const LogLine& line : lines)
        if (line.inputChannel >= 0 && line.inputChannel < 3)
            ++perChannel[line.inputChannel];
    // "V  사이클 N  불일치 T ([0] a, [1] b, [2] c)  시험 시간 H:MM:SS"
    const std::string verdict = cp949(std::string(utf8Verdict) + "  사이클 ");
    const std::string figures =
        cp949("  불일치 " + std::to_string(lines.size()) + " ([0] " + std::to_string(perChannel[0]) +
              ", [1] " + std::to_string(perChannel[1]) + ", [2] " + std::to_string(perChannel[2]) +
              ")" + kSummaryTimeLabel);
    // The line follows the worker on a 250 ms timer: it is final once it
    // has kept its text for longer than that.
    constexpr Millis kStableFor(700);
    std::string seen;
    auto since = std::chrono::steady_clock::now();
    const bool shown = waitUntil(
        [&] {
            const std::string now = dialog.text(kSummary);
            if (now != seen)
                since = std::chrono::steady_clock::now();
            seen = now;
            const std::size_t end = seen.find(figures);
            if (elapsedSince(since) < kStableFor)
                return false;
            if (seen.compare(0, verdict.size(), verdict) != 0 || end == std::string::npos)
                return false;
            const std::string number = seen.substr(verdict.size(), end - verdict.size());
            if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
                return false;
            cycles = std::stoull(number);
            return true;
        },
        timeout);
    if (shown)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the summary line shows " << quotedText(seen)
                                         << ", expected " << quotedText(verdict) << "N"
                                         << quotedText(figures) << "...";
}

} // namespace zorik::e2e
