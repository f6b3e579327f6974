#include "port_instructions.h"

#include <windows.h>

// The two port instructions live at known addresses so that the fault
// handler can tell our own privileged-instruction faults from anyone
// else's. Each instruction is one byte long: 0xEC (in al, dx) and 0xEE
// (out dx, al).
extern "C" {
std::uint8_t __cdecl zorik_port_in(std::uint16_t port);
void __cdecl zorik_port_out(std::uint16_t port, std::uint8_t value);
extern const char zorik_port_in_insn[];
extern const char zorik_port_out_insn[];
}

asm(R"(
    .text
    .globl _zorik_port_in
    .globl _zorik_port_in_insn
_zorik_port_in:
    movw 4(%esp), %dx
    xorl %eax, %eax
_zorik_port_in_insn:
    inb %dx, %al
    ret

    .globl _zorik_port_out
    .globl _zorik_port_out_insn
_zorik_port_out:
    movw 4(%esp), %dx
    movb 8(%esp), %al
_zorik_port_out_insn:
    outb %al, %dx
    ret
)");

namespace {

LONG CALLBACK skipRefusedPortAccess(PEXCEPTION_POINTERS info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = info->ContextRecord;
    if (record->ExceptionAddress == zorik_port_in_insn) {
        context->Eax = (context->Eax & ~0xFFu) | 0xFFu;
    } else if (record->ExceptionAddress != zorik_port_out_insn) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    context->Eip += 1;
    return EXCEPTION_CONTINUE_EXECUTION;
}

using AddHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveHandlerFn = ULONG(WINAPI*)(PVOID);

// Vectored handlers exist from Windows XP on. The 9x family lacks them,
// but there the port instructions never fault, so it needs none: look the
// functions up at run time instead of importing them.
class FaultGuard {
public:
    FaultGuard()
    {
        if (auto add = reinterpret_cast<AddHandlerFn>(kernelFunction("AddVectoredExceptionHandler")))
            handle_ = add(1, skipRefusedPortAccess);
    }

    // The handler must not outlive the DLL's code when a program unloads it.
    ~FaultGuard()
    {
        auto remove = reinterpret_cast<RemoveHandlerFn>(kernelFunction("RemoveVectoredExceptionHandler"));
        if (handle_ && remove)
            remove(handle_);
    }

    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;

private:
    static void* kernelFunction(const char* name)
    {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, name)) : nullptr;
    }

    PVOID handle_ = nullptr;
};

// Installed on the first port access, once, whichever thread gets there first.
void ensureFaultGuard()
{
    static FaultGuard guard;
}

} // namespace

namespace zorik {

std::uint8_t PortInstructions::readByte(std::uint16_t port)
{
    ensureFaultGuard();
    return zorik_port_in(port);
}

void PortInstructions::writeByte(std::uint16_t port, std::uint8_t value)
{
    ensureFaultGuard();
    zorik_port_out(port, value);
}

} // namespace zorik
