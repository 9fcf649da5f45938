// The probe's frame is written by hand so that the stack pointer before and after the call is exactly
// what the callee left; see StdcallProbe.h.
#include "abi/StdcallProbe.h"

#if defined(_WIN32) && defined(__i386__)
// cdecl symbol: leading underscore on i686 Windows. EBX, ESI, EDI and EBP are callee-saved under
// stdcall, so they still hold the frame's values when the callee returns.
asm(R"(
    .text
    .globl _HvCallStdcall
_HvCallStdcall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  %esp, %ebx
    call  *8(%ebp)
    movl  %esp, %ecx
    subl  %ebx, %ecx
    movl  20(%ebp), %edx
    movl  %ecx, (%edx)
    movl  %edi, %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");
#endif
