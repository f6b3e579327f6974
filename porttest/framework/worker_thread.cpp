#include "worker_thread.h"

#include <process.h>

namespace {

struct ThreadStart {
    AFX_THREADPROC proc;
    LPVOID parameter;
};

unsigned __stdcall ThreadEntry(void* raw)
{
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    return start.proc(start.parameter);
}

} // namespace

BOOL AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter)
{
    auto* start = new ThreadStart{proc, parameter};
    // _beginthreadex rather than CreateThread: the C runtime sets up its
    // per-thread state (rand's seed among it) for the new thread.
    uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadEntry, start, 0, nullptr);
    if (handle == 0) {
        delete start;
        return FALSE;
    }
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    return TRUE;
}
