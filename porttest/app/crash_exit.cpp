// Without this, a fault ends the process with its exception code
// (0xC0000005 for an access violation), which "if errorlevel 1" reads as a
// number below 1, a pass; or Windows shows its own box, which waits. The
// C++ runtime's handler for the same purpose passes the exception on.
#include "crash_exit.h"

#include "bounded_run.h"

#include <windows.h>

namespace {

// Runs on the thread that failed: perhaps inside the heap's lock or the
// loader's, perhaps on the last page of an overflowed stack. So it
// allocates nothing, takes no lock, shows nothing and lets no DLL run its
// detach code (which ExitProcess would): the process simply ends. The
// journal stays exactly as the last write left it, for the next start to
// recover. Under a debugger Windows does not call it, so debugging is as
// before.
LONG WINAPI EndProgramFailed(EXCEPTION_POINTERS*)
{
    ::TerminateProcess(::GetCurrentProcess(), zorik::EXIT_PROGRAM_FAILED);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void EndProgramOnCrash()
{
    // Replaces the C runtime's filter, which turns a fault into a signal
    // nobody handles and then lets Windows end the process its own way.
    ::SetUnhandledExceptionFilter(&EndProgramFailed);
}
