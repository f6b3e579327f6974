#include "stack_balance.h"

// ebx and esi survive any conforming call, so they hold the stack pointer
// from before the pushes and the second argument.
asm(R"(
    .text
    .globl _zorik_stack_left_by
_zorik_stack_left_by:
    pushl %ebx
    pushl %esi
    movl 12(%esp), %eax
    movl 16(%esp), %ecx
    movl 20(%esp), %edx
    movl 24(%esp), %esi
    movl %esp, %ebx
    cmpl $2, %ecx
    jb 1f
    pushl %esi
1:
    pushl %edx
    call *%eax
    movl %ebx, %eax
    subl %esp, %eax
    movl %ebx, %esp
    popl %esi
    popl %ebx
    ret
)");
