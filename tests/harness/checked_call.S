/* CheckedCall: call a stdcall-style routine from known surroundings and
 * record what it did, so tests can see registers, stack effect and stray
 * writes that a normal call from C++ would hide.
 *
 * void CheckedCall(const void *routine, const uint32_t *arguments,
 *                  uint32_t count, uint32_t stack_skew)          (cdecl)
 *
 * Aligns the stack to 16, lowers it by stack_skew bytes (so a routine's
 * alignment assumptions show), pushes a canary and then the arguments,
 * last first, seeds EBX, ESI, EDI and EBP, and calls. LastCall receives
 * EAX, EDX, ECX, EBX, ESI, EDI, EBP after the call, the stack pointer's
 * change over the call (pushes included: 0 when the routine removed its
 * arguments) and the word found in the canary's slot. */
#include "abi.h"
    .intel_syntax noprefix

.set SeedEbx, 0x0EB00EB0
.set SeedEsi, 0x05100510
.set SeedEdi, 0x0ED10ED1
.set SeedEbp, 0x0EB90EB9
.set Canary,  0xCA11AB1E

    .section RODATA_NAME_FLAGS
    .balign 4
/* The values above, for the checks made in C++. */
GLOBAL_LABEL(CallSeeds):
    .long SeedEbx, SeedEsi, SeedEdi, SeedEbp, Canary

    .bss
    .balign 4
GLOBAL_LABEL(LastCall):
    .skip 9*4
Routine:
    .skip 4
SavedEsp:
    .skip 4
BaseEsp:
    .skip 4

    .text
GLOBAL_LABEL(CheckedCall):
    push ebp
    push ebx
    push esi
    push edi
    .set Arguments, 5*4         /* four saved registers and the return address */
    mov eax, [esp + Arguments]
    mov [Routine], eax
    mov edx, [esp + Arguments + 1*4]
    mov ecx, [esp + Arguments + 2*4]
    mov eax, [esp + Arguments + 3*4]
    mov [SavedEsp], esp
    and esp, -16
    sub esp, eax
    push Canary
    mov [BaseEsp], esp
    test ecx, ecx
    jz 2f
1:
    push dword ptr [edx + ecx*4 - 4]
    dec ecx
    jnz 1b
2:
    mov ebx, SeedEbx
    mov esi, SeedEsi
    mov edi, SeedEdi
    mov ebp, SeedEbp
    call [Routine]
    mov [SYM(LastCall) + 0*4], eax
    mov [SYM(LastCall) + 1*4], edx
    mov [SYM(LastCall) + 2*4], ecx
    mov [SYM(LastCall) + 3*4], ebx
    mov [SYM(LastCall) + 4*4], esi
    mov [SYM(LastCall) + 5*4], edi
    mov [SYM(LastCall) + 6*4], ebp
    mov eax, esp
    sub eax, [BaseEsp]
    mov [SYM(LastCall) + 7*4], eax
    mov eax, [BaseEsp]
    mov eax, [eax]
    mov [SYM(LastCall) + 8*4], eax
    mov esp, [SavedEsp]
    pop edi
    pop esi
    pop ebx
    pop ebp
    ret

    GNU_STACK_NOTE
