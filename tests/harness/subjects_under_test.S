/* The procedures under test, from the same unit the benchmark uses. */
#include "abi.h"
    .intel_syntax noprefix
    .text
#include "subjects/subjects.inc"
    GNU_STACK_NOTE
