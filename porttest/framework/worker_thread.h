// Starting a worker thread.
#pragma once

#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID parameter);

// Runs `proc(parameter)` on a new thread at normal priority with the
// default stack size, starting at once. The thread is not kept: it ends on
// its own when `proc` returns. FALSE when no thread could be started.
BOOL AfxBeginThread(AFX_THREADPROC proc, LPVOID parameter);
