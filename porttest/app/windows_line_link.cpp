#include "windows_line_link.h"

#include <process.h>

struct CLineLink::Shared {
    Shared(const std::string& source, const std::string& history, const std::string& owner)
        : outbox(files, history, owner), sync(odbc, outbox, source)
    {
    }
    WindowsHistoryFiles files;
    zorik::LineOutbox outbox;
    WindowsOdbc odbc;
    zorik::LineSync sync;
    HANDLE wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    volatile LONG stop = 0;
    HWND dialog = nullptr;
    UINT changed = 0;
};

CLineLink::CLineLink(const std::string& source, const std::string& history, const std::string& owner)
    : m_shared(new Shared(source, history, owner))
{
}

CLineLink::~CLineLink()
{
    if (m_thread == nullptr) {
        ::CloseHandle(m_shared->wake);
        delete m_shared;
        return;
    }
    ::InterlockedExchange(&m_shared->stop, 1);
    ::SetEvent(m_shared->wake);
    if (::WaitForSingleObject(m_thread, kLeaveMs) == WAIT_OBJECT_0) {
        ::CloseHandle(m_shared->wake);
        delete m_shared;
    }
    ::CloseHandle(m_thread);
}

void CLineLink::Load()
{
    m_shared->outbox.load();
}

bool CLineLink::Start(HWND dialog, UINT changed)
{
    if (m_shared->wake == nullptr)
        return false;
    m_shared->dialog = dialog;
    m_shared->changed = changed;
    const uintptr_t thread = _beginthreadex(nullptr, 0, &ThreadEntry, m_shared, 0, nullptr);
    m_thread = reinterpret_cast<HANDLE>(thread);
    return m_thread != nullptr;
}

const std::string& CLineLink::OutboxName() const
{
    return m_shared->outbox.name();
}

zorik::FileResult CLineLink::Add(const zorik::HistoryRow& row)
{
    const zorik::FileResult added = m_shared->outbox.add(row);
    ::SetEvent(m_shared->wake);
    return added;
}

void CLineLink::Want(const std::string& day, const std::string& serial)
{
    m_shared->sync.want(day, serial);
    ::SetEvent(m_shared->wake);
}

zorik::LineState CLineLink::State()
{
    return m_shared->sync.state();
}

unsigned __stdcall CLineLink::ThreadEntry(void* parameter)
{
    Shared& shared = *static_cast<Shared*>(parameter);
    while (shared.stop == 0) {
        shared.sync.round();
        ::PostMessageA(shared.dialog, shared.changed, 0, 0);
        if (shared.stop != 0)
            break;
        // Until the next row or serial, or a minute: waiting rows are sent
        // again, and the line's yield follows the other stations' units.
        ::WaitForSingleObject(shared.wake, kRetryMs);
    }
    shared.odbc.disconnect();
    return 0;
}
