// The probe's frame is written by hand so that the stack pointer before and after the call is exactly
// what the callee left; see StdcallProbe.h.
#include "abi/StdcallProbe.h"

#if defined(_WIN32) && defined(__i386__)
// cdecl symbol: leading underscore on i686 Windows. Frame: -4..-12 the caller's EBX, ESI, EDI; -16..-24
// copies of the values EBX, ESI, EDI hold across the call; -28 the x87 status word before it. EBP must
// survive the call for the probe to find its frame at all: a callee that loses it crashes the test.
asm(R"(
    .text
    .globl _HvCallStdcall
_HvCallStdcall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl  $16, %esp
    fnstsw %ax
    movw  %ax, -28(%ebp)
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  movl  %esp, %ebx
    movl  %ebx, -16(%ebp)
    movl  %esi, -20(%ebp)
    movl  %edi, -24(%ebp)
    cld
    call  *8(%ebp)
    movl  20(%ebp), %edx
    movl  %eax, 0(%edx)
    movl  %esp, %ecx
    subl  -16(%ebp), %ecx
    movl  %ecx, 4(%edx)
    xorl  %ecx, %ecx
    cmpl  -16(%ebp), %ebx
    je    3f
    orl   $1, %ecx
3:  cmpl  -20(%ebp), %esi
    je    4f
    orl   $2, %ecx
4:  cmpl  -24(%ebp), %edi
    je    5f
    orl   $4, %ecx
5:  pushfl
    popl  %eax
    testl $0x400, %eax
    jz    6f
    orl   $8, %ecx
    cld
6:  movl  %ecx, 8(%edx)
    fnstsw %ax
    movzwl %ax, %eax
    shrl  $11, %eax
    movzwl -28(%ebp), %ecx
    shrl  $11, %ecx
    subl  %eax, %ecx
    andl  $7, %ecx
    movl  %ecx, 12(%edx)
    jecxz 8f
7:  fstp  %st(0)
    loop  7b
8:  leal  -12(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret

    .globl _HvBadlyBehavedCallee
_HvBadlyBehavedCallee:
    xorl  %ebx, %ebx
    xorl  %esi, %esi
    std
    fld1
    ret   $8
)");
#endif
