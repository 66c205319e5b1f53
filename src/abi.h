/* Conventions shared by the assembly units of both targets.
 * Symbols get the C label prefix of the object format ("_" on 32-bit Windows,
 * none on ELF); stdcall routines are further decorated "@<argument bytes>"
 * on Windows only. */
#ifndef CALLBENCH_ABI_H
#define CALLBENCH_ABI_H

#define CALLBENCH_CAT2(a, b) a##b
#define CALLBENCH_CAT(a, b) CALLBENCH_CAT2(a, b)
#define SYM(name) CALLBENCH_CAT(__USER_LABEL_PREFIX__, name)

#ifdef _WIN32
#define STDCALL(name, bytes) SYM(name)@bytes
#define RODATA_NAME_FLAGS .rdata, "dr"
#define GNU_STACK_NOTE
#else
#define STDCALL(name, bytes) name
#define RODATA_NAME_FLAGS .rodata, "a"
/* Marks the object as needing no executable stack. */
#define GNU_STACK_NOTE .section .note.GNU-stack, "", @progbits
#endif

#define GLOBAL_LABEL(name) .globl SYM(name); SYM(name)

/* Platform operations and console routines, all stdcall. */
#define Sleep_ STDCALL(Sleep, 4)
#define GetCurrentProcess_ STDCALL(GetCurrentProcess, 0)
#define SetPriorityClass_ STDCALL(SetPriorityClass, 8)
#define ExitProcess_ STDCALL(ExitProcess, 4)
#define MessageBoxA_ STDCALL(MessageBoxA, 16)
#define FormatSigned_ STDCALL(FormatSigned, 8)
#define PrintText_ STDCALL(PrintText, 4)

#endif
