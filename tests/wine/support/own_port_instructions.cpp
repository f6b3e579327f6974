#include "own_port_instructions.h"

extern "C" {
extern const char zorik_test_port_in_insn[];
extern const char zorik_test_port_out_insn[];
}

asm(R"(
    .text
    .globl _zorik_test_port_in
    .globl _zorik_test_port_in_insn
_zorik_test_port_in:
    movw 4(%esp), %dx
    xorl %eax, %eax
_zorik_test_port_in_insn:
    inb %dx, %al
    ret

    .globl _zorik_test_port_out
    .globl _zorik_test_port_out_insn
_zorik_test_port_out:
    movw 4(%esp), %dx
    movb 8(%esp), %al
_zorik_test_port_out_insn:
    outb %al, %dx
    ret
)");

namespace zorik::wine {
namespace {

volatile LONG g_faultsSeen = 0;

LONG CALLBACK skipOwnPortInstruction(PEXCEPTION_POINTERS info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = info->ContextRecord;
    if (record->ExceptionAddress == zorik_test_port_in_insn)
        context->Eax = (context->Eax & ~0xFFu) | OWN_HANDLER_READ_VALUE;
    else if (record->ExceptionAddress != zorik_test_port_out_insn)
        return EXCEPTION_CONTINUE_SEARCH;
    InterlockedIncrement(&g_faultsSeen);
    context->Eip += 1;
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

OwnFaultHandler::OwnFaultHandler() : handle_(AddVectoredExceptionHandler(0, skipOwnPortInstruction)) {}

OwnFaultHandler::~OwnFaultHandler()
{
    if (handle_)
        RemoveVectoredExceptionHandler(handle_);
}

long OwnFaultHandler::faultsSeen() const
{
    return InterlockedCompareExchange(&g_faultsSeen, 0, 0);
}

} // namespace zorik::wine
