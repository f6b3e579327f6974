#include "journal_recovery.h"

#include "program_texts.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zorik {

namespace {

constexpr std::uint64_t kHeaderBytes = 35; // "Count Data : %016X" and an empty line, CR CR LF each
constexpr std::size_t kChunk = 4096;

// A torn end's fate: `cut` bytes gone, or `failure` says why it is kept.
struct Trim {
    std::uint64_t cut = 0;
    std::string failure;
};

// Where the last CR CR LF ends, looking back from the file's end to
// `floor`, one chunk at a time; 0 when there is none.
FileResult lastLineEnd(JournalFileSystem& files, const std::string& name, std::uint64_t size, std::uint64_t floor,
                       std::uint64_t& end)
{
    end = 0;
    char chunk[kChunk + 2];
    for (std::uint64_t stop = size; stop > floor;) {
        const std::uint64_t start = stop - std::min<std::uint64_t>(kChunk, stop - floor);
        // Two bytes past `stop`: a line end that starts in this chunk may
        // finish in the one after it.
        const std::size_t want = static_cast<std::size_t>(std::min(stop + 2, size) - start);
        std::size_t got = 0;
        const FileResult read = files.read(name, start, chunk, want, got);
        if (!read.done())
            return read;
        for (std::size_t i = static_cast<std::size_t>(stop - start); i-- > 0;)
            if (i + 3 <= got && chunk[i] == '\r' && chunk[i + 1] == '\r' && chunk[i + 2] == '\n') {
                end = start + i + 3;
                return {};
            }
        stop = start;
    }
    return {};
}

Trim trimTornEnd(JournalFileSystem& files, const std::string& name)
{
    std::uint64_t size = 0;
    FileResult result = files.size(name, size);
    if (!result.done())
        return {0, errorReason(files.describe(result.error), result.error)};
    const std::uint64_t floor = size > kTornEndScan ? size - kTornEndScan : 0;
    std::uint64_t end = 0;
    result = lastLineEnd(files, name, size, floor, end);
    if (!result.done())
        return {0, errorReason(files.describe(result.error), result.error)};
    if (end < kHeaderBytes)
        // No whole line after the count: the header itself is torn and may
        // still hold the count; or the last lines lie before the bytes
        // looked at, and nothing tells results from garbage.
        return {0, floor > 0 ? kTornEndNotFound : ""};
    if (end == size)
        return {};
    result = files.truncate(name, end);
    if (!result.done())
        return {0, errorReason(files.describe(result.error), result.error)};
    return {size - end, ""};
}

} // namespace

std::string recoverLeftJournals(JournalFileSystem& files)
{
    std::vector<std::string> recovered;
    std::vector<JournalLeftInPlace> leftInPlace;
    std::vector<JournalTrimmed> trimmed;
    for (int number = 1; number <= kJournalNames; ++number) {
        const std::string journal = journalFileName(number);
        LocalDateTime written{};
        // Missing: nothing left. InUse: another running Zorik's. Failed:
        // no file to read (a folder of that name): nothing to recover.
        // The time is taken first: cutting the torn end is a write.
        if (!files.lastWriteTime(journal, written).done())
            continue;
        const Trim trim = trimTornEnd(files, journal);
        std::string nowCalled = journal;
        for (int suffix = 1; suffix <= kRecoveredNames; ++suffix) {
            const std::string target = recoveredFileName(written, suffix);
            const FileResult renamed = files.rename(journal, target);
            if (renamed.status == FileStatus::Exists && suffix < kRecoveredNames)
                continue;
            if (renamed.done()) {
                recovered.push_back(target);
                nowCalled = target;
            } else if (renamed.status != FileStatus::InUse) {
                leftInPlace.push_back({journal, errorReason(files.describe(renamed.error), renamed.error)});
            }
            break;
        }
        if (trim.cut != 0 || !trim.failure.empty())
            trimmed.push_back({nowCalled, trim.cut, trim.failure});
    }
    return formatRecoveryMessage(recovered, leftInPlace, trimmed);
}

} // namespace zorik
