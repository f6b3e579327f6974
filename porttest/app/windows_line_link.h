// The line's database on a thread of its own (/line): the station's UI
// hands it rows and asks for the line's rows, never waiting on the
// database; the thread runs LineSync's rounds (line_sync.h) when a row or
// a serial comes, and every minute (rows waiting are sent again, the
// line's yield follows the other stations), and posts the dialog a message after each round so that the
// panel shows the new state.
#pragma once

#include "line_outbox.h"
#include "line_sync.h"
#include "windows_history_files.h"
#include "windows_odbc.h"

#include <windows.h>

#include <string>

class CLineLink {
public:
    // How long the thread waits between rounds when nothing wakes it.
    static constexpr DWORD kRetryMs = 60000;
    // How long leaving waits for a round under way (a connect may take
    // the login time-out); the rows stay in the outbox file either way.
    static constexpr DWORD kLeaveMs = 3000;

    // The outbox beside `history`, this program's (`owner`, as the
    // history's pending file).
    CLineLink(const std::string& source, const std::string& history, const std::string& owner);
    ~CLineLink();
    CLineLink(const CLineLink&) = delete;
    CLineLink& operator=(const CLineLink&) = delete;

    // The rows earlier runs left waiting.
    void Load();
    // Starts the thread; its first round at once. False when no thread.
    bool Start(HWND dialog, UINT changed);

    const std::string& OutboxName() const;
    // The unit's row: on the disk in the outbox, then to the thread.
    zorik::FileResult Add(const zorik::HistoryRow& row);
    // The day and the serial whose line rows the next round reads.
    void Want(const std::string& day, const std::string& serial);
    zorik::LineState State();

private:
    // Heap-held and left behind when the thread does not end in time (a
    // driver call that hangs): the process ends it.
    struct Shared;
    static unsigned __stdcall ThreadEntry(void* parameter);
    Shared* m_shared;
    HANDLE m_thread = nullptr;
};
