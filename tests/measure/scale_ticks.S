/* The measurement's scaling step on its own, for tests:
 * int32_t ScaleTicks(int64_t ticks)  (cdecl). TickTotal keeps the whole
 * 64-bit quotient afterwards. The caller's x87 control word is restored. */
#include "abi.h"
    .intel_syntax noprefix
#include "jumps.inc"
#include "subjects/call_site.inc"
#include "measure/measure.inc"

    .bss
    .balign 4
CallerControlWord:
    .skip 4

    .text
GLOBAL_LABEL(ScaleTicks):
    fnstcw [CallerControlWord]
    mov eax, [esp + 1*4]
    mov [SYM(TickTotal)], eax
    mov eax, [esp + 2*4]
    mov [SYM(TickTotal) + 4], eax
    mov dword ptr [SYM(PassCount)], PassesPerLoop
    ScaleTickTotal
    fldcw [CallerControlWord]
    ret

    GNU_STACK_NOTE
