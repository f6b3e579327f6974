#include "journal_checks.h"

#include <windows.h>

#include <cstdio>

#include "cp949_text.h"
#include "expectations.h"
#include "log_text.h"
#include "operator_steps.h"
#include "zorik_texts.h"

namespace zorik::e2e {

std::string recoveredNameOf(const WorkDir& dir, const std::string& journal) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(dir.pathOf(journal).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return "(no " + journal + ")";
    FindClose(search);
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    char name[64];
    std::snprintf(name, sizeof name, "ErrorInfo.recovered-%04u%02u%02u-%02u%02u%02u.txt", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond);
    return name;
}

std::string windowsReason(unsigned long error) {
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        --length;
    const std::string number = "오류 " + std::to_string(error);
    return length == 0 ? number : utf8FromCp949(std::string(text, length)) + " (" + number + ")";
}

namespace {

std::vector<std::string> linesAfterHeader(const std::string& log) {
    return splitCrLf(log.substr(std::string(kFreshLog).size()));
}

} // namespace

::testing::AssertionResult journalSurvivesKill(Millis after, const std::string& sim) {
    WorkDir dir;
    std::string boxLog;
    {
        ZorikSession zorik(dir, sim);
        if (auto started = startLoopbackTest(zorik); !started)
            return started;
        pauseAnsweringMessages(after);
        boxLog = zorik.dialog().text(kLogBox);
        zorik.process().kill();
    }
    const auto file = dir.readFile(kJournalName);
    if (!file)
        return ::testing::AssertionFailure() << "no " << kJournalName << " after the kill";
    std::string problem;
    const auto report = parseReport(*file, problem);
    const auto lines = report ? parseLog(report->log, problem) : std::nullopt;
    if (!lines)
        return ::testing::AssertionFailure() << problem;
    if (!lines->empty() && lines->back().count > report->count)
        return ::testing::AssertionFailure() << "count " << report->count << " below the last line's "
                                             << lines->back().count;
    // Both are the start of one log: the journal's up to the kill, the
    // box's up to a moment before it.
    const auto journaled = linesAfterHeader(report->log);
    const auto shown = linesAfterHeader(boxLog);
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto line = parseLogLine(shown[i]);
        if (i < journaled.size() ? journaled[i] != shown[i] : line && line->count < report->count)
            return ::testing::AssertionFailure()
                   << "line " << i << " of the log box " << quotedText(shown[i]) << " is not in the journal ("
                   << journaled.size() << " lines, count " << report->count << ")";
    }

    const std::string recovered = recoveredNameOf(dir, kJournalName);
    ZorikSession next(dir, "");
    std::optional<MessageBoxWindow> box;
    if (auto told = showsMessageBox(next, kDialogCaption, std::string(kRecoveredIntro) + "\r\n" + recovered, box,
                                    kStartTimeout);
        !told)
        return told;
    box->answer(IDOK, kReactionTimeout);
    next.dialog();
    if (dir.exists(kJournalName) || dir.readFile(recovered) != file)
        return ::testing::AssertionFailure() << recovered << " does not hold the journal's bytes, or "
                                             << kJournalName << " is still there";
    std::printf("killed %ld ms into the test: %zu lines journaled, %zu shown, count %llu\n",
                static_cast<long>(after.count()), journaled.size(), shown.size(),
                static_cast<unsigned long long>(report->count));
    next.dialog().pressKey(VK_ESCAPE);
    return endsWithoutAsking(next);
}

} // namespace zorik::e2e
