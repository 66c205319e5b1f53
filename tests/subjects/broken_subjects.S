/* Deliberately faulty variants, to prove the harness catches each fault. */
#include "abi.h"
    .intel_syntax noprefix
    .text

/* Like TestNoFrameB, but leaves the arguments on the stack. */
GLOBAL_LABEL(BrokenKeepsArguments):
    mov eax, [esp + 1*4]
    mov edx, [esp + 2*4]
    mov ecx, [esp + 3*4]
    ret

/* Like TestNoFrameB, but overwrites EBX. */
GLOBAL_LABEL(BrokenClobbersEbx):
    mov eax, [esp + 1*4]
    mov edx, [esp + 2*4]
    mov ecx, [esp + 3*4]
    xor ebx, ebx
    ret 3*4

/* Like TestNoFrameB, but writes the word above its third argument. */
GLOBAL_LABEL(BrokenWritesAboveArguments):
    mov eax, [esp + 1*4]
    mov edx, [esp + 2*4]
    mov ecx, [esp + 3*4]
    mov dword ptr [esp + 4*4], 0
    ret 3*4

    GNU_STACK_NOTE
