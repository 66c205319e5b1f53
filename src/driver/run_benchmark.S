/* RunBenchmark: the process entry point and the whole run, written as one
 * body without a stack frame: record the stack pointer, the measurement
 * sweeps, the size report, the stack check, exit. Nothing runs before its
 * first instruction and it never returns.
 *
 * ESI holds the stack pointer of entry throughout; every routine called
 * here preserves it. The body keeps nothing of its own on the stack. */

#include "abi.h"
    .intel_syntax noprefix
#include "jumps.inc"
#include "driver/print.inc"
#include "subjects/call_site.inc"
#include "measure/measure.inc"
#include "driver/sweep.inc"

/* One line of the size report: call the procedure once as a measurement
 * would, then print heading, tab, size and line end. The size is the
 * distance to the next procedure, taken from the two addresses at run time. */
.macro ReportSizeLine procedure, next, heading
    CallSubject \procedure
    PrintLiteral "\heading"
    PrintLiteral "\t"
    mov eax, offset \next
    sub eax, offset \procedure
    PrintFigure
    PrintLiteral "\r\n"
.endm

    .text
    .balign 16
SectionStart:                   /* loop heads are aligned counting from here */
GLOBAL_LABEL(RunBenchmark):
    mov esi, esp                /* the stack pointer at entry */

MeasurementSweeps:
    .rept SweepCount
    RunSweep
    .endr

ReportSizes:
    ReportSizeLine SYM(TestNoFrameA), SYM(TestNoFrameB), "Size no frame A: "
    ReportSizeLine SYM(TestNoFrameB), SYM(TheOne),       "Size no frame B: "
    ReportSizeLine SYM(TheOne),       SYM(TestWithFrame), "Size TheOne:     "
    ReportSizeLine SYM(TestWithFrame), SYM(SubjectsEnd), "Size with frame: "

CheckStackBalance:
#ifdef CALLBENCH_STACK_SKEW
    /* Test builds only: leave the stack pointer this many bytes below entry. */
    lea esp, [esp - (CALLBENCH_STACK_SKEW)]
#endif
    mov eax, esi
    sub eax, esp                /* positive when more was pushed than popped */
    JumpIfZeroShort .Lbalanced
.Lunbalanced:
    FigureBuffer .Limbalance
    FormatFigure .Limbalance
    push 0                      /* MB_OK */
    PushText "Problem with stack"
    push offset .Limbalance
    push 0                      /* no owner window */
    call MessageBoxA_
.Lbalanced:
    AssertShortReach .Lunbalanced, .Lbalanced
    push 0
    call ExitProcess_
    /* The procedures under test follow directly on this last instruction. */
#include "subjects/subjects.inc"

    TextsEnd
    GNU_STACK_NOTE
