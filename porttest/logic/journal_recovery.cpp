#include "journal_recovery.h"

#include "program_texts.h"

#include <vector>

namespace zorik {

std::string recoverLeftJournals(JournalFileSystem& files)
{
    std::vector<std::string> recovered;
    std::vector<JournalLeftInPlace> leftInPlace;
    for (int number = 1; number <= kJournalNames; ++number) {
        const std::string journal = journalFileName(number);
        LocalDateTime written{};
        // Missing: nothing left. InUse: another running Zorik's. Failed:
        // no file to read (a folder of that name): nothing to recover.
        if (!files.lastWriteTime(journal, written).done())
            continue;
        for (int suffix = 1; suffix <= kRecoveredNames; ++suffix) {
            const std::string target = recoveredFileName(written, suffix);
            const FileResult renamed = files.rename(journal, target);
            if (renamed.status == FileStatus::Exists && suffix < kRecoveredNames)
                continue;
            if (renamed.done())
                recovered.push_back(target);
            else if (renamed.status != FileStatus::InUse)
                leftInPlace.push_back({journal, errorReason(files.describe(renamed.error), renamed.error)});
            break;
        }
    }
    return formatRecoveryMessage(recovered, leftInPlace);
}

} // namespace zorik
