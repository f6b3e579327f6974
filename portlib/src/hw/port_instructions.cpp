#include "port_instructions.h"

#include <windows.h>

// Each port instruction runs inside an exception frame of its own, pushed
// onto the thread's frame chain (fs:[0]) just around it. If the system has
// not granted port access, the instruction faults and only that frame's
// handler sees it: nothing process-wide is installed, so the handler can
// neither catch anyone else's faults nor outlive the DLL, and frame-based
// handling exists on every Windows from 95 and NT 4 on.
//
// Stack inside a stub after the two pushes: [esp] previous frame,
// [esp+4] handler, [esp+8] return address, [esp+12] port, [esp+16] value.
// Both instructions are one byte long: 0xEC (in al, dx), 0xEE (out dx, al).
extern "C" {
std::uint8_t __cdecl zorik_port_in(std::uint16_t port);
void __cdecl zorik_port_out(std::uint16_t port, std::uint8_t value);
extern const char zorik_port_in_insn[];
extern const char zorik_port_out_insn[];
EXCEPTION_DISPOSITION __cdecl zorik_port_fault_handler(EXCEPTION_RECORD* record, void* frame,
                                                       CONTEXT* context, void* dispatcher);
}

asm(R"(
    .text
    .globl _zorik_port_in
    .globl _zorik_port_in_insn
_zorik_port_in:
    pushl $_zorik_port_fault_handler
    pushl %fs:0
    movl %esp, %fs:0
    movw 12(%esp), %dx
    xorl %eax, %eax
_zorik_port_in_insn:
    inb %dx, %al
    popl %fs:0
    addl $4, %esp
    ret

    .globl _zorik_port_out
    .globl _zorik_port_out_insn
_zorik_port_out:
    pushl $_zorik_port_fault_handler
    pushl %fs:0
    movl %esp, %fs:0
    movw 12(%esp), %dx
    movb 16(%esp), %al
_zorik_port_out_insn:
    outb %al, %dx
    popl %fs:0
    addl $4, %esp
    ret
)");

// A refused read sees 0xFF, what an absent port's floating bus shows; a
// refused write is dropped. Either way execution goes on after the
// instruction.
extern "C" EXCEPTION_DISPOSITION __cdecl zorik_port_fault_handler(EXCEPTION_RECORD* record, void*,
                                                                  CONTEXT* context, void*)
{
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    if (record->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return ExceptionContinueSearch;
    if (record->ExceptionAddress == zorik_port_in_insn) {
        context->Eax = (context->Eax & ~0xFFu) | 0xFFu;
    } else if (record->ExceptionAddress != zorik_port_out_insn) {
        return ExceptionContinueSearch;
    }
    context->Eip += 1;
    return ExceptionContinueExecution;
}

namespace zorik {

std::uint8_t PortInstructions::readByte(std::uint16_t port)
{
    return zorik_port_in(port);
}

void PortInstructions::writeByte(std::uint16_t port, std::uint8_t value)
{
    zorik_port_out(port, value);
}

} // namespace zorik
