#include "port_debugger.h"

#include "script_protocol.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zorik::wine {
namespace {

constexpr BYTE IN_AL_DX = 0xEC;
constexpr BYTE OUT_DX_AL = 0xEE;
constexpr DWORD EVENT_POLL_MS = 100;
constexpr DWORD GRACE_AFTER_KILL_MS = 5000;

std::string hex(unsigned long long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", value);
    return text;
}

// The registers a port instruction uses, in a 32-bit or a 64-bit debuggee
// (the debugger is built for the debuggee's processor).
#ifdef _WIN64
DWORD64& instructionPointer(CONTEXT& context) { return context.Rip; }
DWORD64& accumulator(CONTEXT& context) { return context.Rax; }
DWORD64 dataRegister(const CONTEXT& context) { return context.Rdx; }
#else
DWORD& instructionPointer(CONTEXT& context) { return context.Eip; }
DWORD& accumulator(CONTEXT& context) { return context.Eax; }
DWORD dataRegister(const CONTEXT& context) { return context.Edx; }
#endif

// Collects the program's standard output on a thread of its own, so a full
// pipe can never stall the program while the debugger waits for it.
class OutputCollector {
public:
    OutputCollector()
    {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        CreatePipe(&read_, &write_, &inheritable, 0);
        SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    }

    ~OutputCollector()
    {
        closeWriteEnd();
        if (thread_) {
            // Something else may still hold the pipe open; the collector
            // must not outlive this object.
            if (WaitForSingleObject(thread_, GRACE_AFTER_KILL_MS) != WAIT_OBJECT_0) {
                CancelSynchronousIo(thread_);
                WaitForSingleObject(thread_, GRACE_AFTER_KILL_MS);
            }
            CloseHandle(thread_);
        }
        CloseHandle(read_);
    }

    HANDLE writeEnd() const { return write_; }

    // Once the program holds its own copy of the write end.
    void start()
    {
        closeWriteEnd();
        thread_ = CreateThread(nullptr, 0, collect, this, 0, nullptr);
    }

    // The text written until the program closed its end, or until the wait ran out.
    std::string finish(DWORD timeoutMs)
    {
        if (thread_ && WaitForSingleObject(thread_, timeoutMs) == WAIT_OBJECT_0)
            return text_;
        return text_ + "\n[output incomplete]";
    }

private:
    static DWORD WINAPI collect(void* self)
    {
        auto* collector = static_cast<OutputCollector*>(self);
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(collector->read_, buffer, sizeof buffer, &got, nullptr) && got > 0)
            collector->text_.append(buffer, got);
        return 0;
    }

    void closeWriteEnd()
    {
        if (write_) {
            CloseHandle(write_);
            write_ = nullptr;
        }
    }

    HANDLE read_ = nullptr;
    HANDLE write_ = nullptr;
    HANDLE thread_ = nullptr;
    std::string text_;
};

class PortEmulator {
public:
    explicit PortEmulator(std::uint16_t statusPort) : statusPort_(statusPort) {}
    EmulatedRun run(const std::string& commandLine, unsigned timeoutMs);

private:
    DWORD onException(const DEBUG_EVENT& event);
    bool emulatePortInstruction(DWORD threadId);
    void onDebugString(const OUTPUT_DEBUG_STRING_INFO& info);
    void record(const PortAccess& access) { run_.steps.back().accesses.push_back(access); }

    const std::uint16_t statusPort_;
    HANDLE process_ = nullptr;
    std::uint8_t status_ = 0xFF;
    bool loaderBreakpointSeen_ = false;
    EmulatedRun run_;
};

EmulatedRun PortEmulator::run(const std::string& commandLine, unsigned timeoutMs)
{
    run_.steps.push_back({});
    OutputCollector output;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.writeEnd();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS,
                        nullptr, nullptr, &startup, &child)) {
        run_.problems.push_back("cannot start " + commandLine + ": error " + hex(GetLastError()));
        return run_;
    }
    output.start();
    process_ = child.hProcess;

    const DWORD started = GetTickCount();
    bool killed = false;
    for (;;) {
        const DWORD elapsed = GetTickCount() - started;
        if (!killed && elapsed > timeoutMs) {
            run_.problems.push_back("time limit reached; program killed");
            TerminateProcess(process_, 0xDEAD);
            killed = true;
        }
        if (killed && elapsed > timeoutMs + GRACE_AFTER_KILL_MS) {
            run_.problems.push_back("program did not end after being killed");
            break;
        }
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, EVENT_POLL_MS))
            continue;

        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            continueStatus = onException(event);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            onDebugString(event.u.DebugString);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run_.exitCode = event.u.ExitProcess.dwExitCode;
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            run_.exited = !killed;
            break;
        }
    }

    run_.output = output.finish(GRACE_AFTER_KILL_MS);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return run_;
}

DWORD PortEmulator::onException(const DEBUG_EVENT& event)
{
    const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
    // The loader stops every new debuggee once; that stop is ours to resume.
    if (record.ExceptionCode == EXCEPTION_BREAKPOINT && !loaderBreakpointSeen_) {
        loaderBreakpointSeen_ = true;
        return DBG_CONTINUE;
    }
    if (!event.u.Exception.dwFirstChance) {
        run_.problems.push_back("unhandled exception " + hex(record.ExceptionCode) + " at " +
                                hex(reinterpret_cast<std::uintptr_t>(record.ExceptionAddress)));
        return DBG_EXCEPTION_NOT_HANDLED;
    }
    if (record.ExceptionCode == EXCEPTION_PRIV_INSTRUCTION && emulatePortInstruction(event.dwThreadId))
        return DBG_CONTINUE;
    return DBG_EXCEPTION_NOT_HANDLED;
}

bool PortEmulator::emulatePortInstruction(DWORD threadId)
{
    HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, threadId);
    if (!thread) {
        run_.problems.push_back("cannot open faulting thread");
        return false;
    }
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    BYTE opcode = 0;
    SIZE_T got = 0;
    bool emulated = false;
    if (GetThreadContext(thread, &context) &&
        ReadProcessMemory(process_, reinterpret_cast<void*>(instructionPointer(context)), &opcode, 1, &got) &&
        got == 1) {
        const auto port = static_cast<std::uint16_t>(dataRegister(context) & 0xFFFF);
        if (opcode == IN_AL_DX) {
            // Only the status register is modelled; any other port floats high.
            const std::uint8_t value = port == statusPort_ ? status_ : 0xFF;
            accumulator(context) = (accumulator(context) & ~0xFFu) | value;
            record({false, port, value});
            emulated = true;
        } else if (opcode == OUT_DX_AL) {
            record({true, port, static_cast<std::uint8_t>(accumulator(context) & 0xFF)});
            emulated = true;
        } else {
            run_.problems.push_back("privileged instruction " + hex(opcode) + " at " + hex(instructionPointer(context)));
        }
    }
    if (emulated) {
        instructionPointer(context) += 1;
        emulated = SetThreadContext(thread, &context) != FALSE;
        if (!emulated)
            run_.problems.push_back("cannot step over port instruction at " + hex(instructionPointer(context) - 1));
    }
    CloseHandle(thread);
    return emulated;
}

void PortEmulator::onDebugString(const OUTPUT_DEBUG_STRING_INFO& info)
{
    if (info.fUnicode || info.nDebugStringLength == 0)
        return;
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(process_, info.lpDebugStringData, &text[0], text.size(), &got);
    text.resize(std::strlen(text.c_str()));
    if (text.compare(0, std::strlen(MARKER_PREFIX), MARKER_PREFIX) != 0)
        return;
    const std::string command = text.substr(std::strlen(MARKER_PREFIX));
    if (command.compare(0, std::strlen(STATUS_COMMAND), STATUS_COMMAND) == 0)
        status_ = static_cast<std::uint8_t>(std::strtoul(command.c_str() + std::strlen(STATUS_COMMAND), nullptr, 16));
    else if (command.compare(0, std::strlen(STEP_COMMAND), STEP_COMMAND) == 0)
        run_.steps.push_back({command.substr(std::strlen(STEP_COMMAND)), {}});
    else
        run_.problems.push_back("unknown marker: " + command);
}

} // namespace

EmulatedRun runUnderPortEmulator(const std::string& commandLine, unsigned timeoutMs, std::uint16_t statusPort)
{
    return PortEmulator(statusPort).run(commandLine, timeoutMs);
}

} // namespace zorik::wine
