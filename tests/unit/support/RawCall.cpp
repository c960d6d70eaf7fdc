#include "RawCall.h"

// Pushes args[count-1] .. args[0], loads ECX, calls; removes the arguments
// itself only when callerCleans is set; stores EAX; returns ESP after the call
// minus ESP before the pushes. EDI (callee-saved in every convention) keeps the
// original stack pointer.
asm(R"(
    .text
    .globl _RawCallStackDelta
    .def _RawCallStackDelta; .scl 2; .type 32; .endef
_RawCallStackDelta:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 16(%ebp), %esi
    movl 20(%ebp), %ebx
    movl %esp, %edi
1:
    testl %ebx, %ebx
    jz 2f
    decl %ebx
    pushl (%esi,%ebx,4)
    jmp 1b
2:
    movl 12(%ebp), %ecx
    call *8(%ebp)
    cmpl $0, 24(%ebp)
    je 3f
    movl 20(%ebp), %ebx
    leal (%esp,%ebx,4), %esp
3:
    movl 28(%ebp), %edx
    testl %edx, %edx
    jz 4f
    movl %eax, (%edx)
4:
    movl %esp, %eax
    subl %edi, %eax
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
