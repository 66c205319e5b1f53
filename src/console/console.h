// Console text output: every number and line the program prints goes
// through these. stdcall like the platform, so the assembly calls them the
// same way: arguments pushed last to first and removed by the routine.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

extern "C" {

// Writes the decimal text of value, NUL-terminated, at buffer (at most 12 bytes).
void CALLBENCH_STDCALL FormatSigned(int32_t value, char* buffer);

// Bytes before the first NUL. Reads whole words, so up to three bytes past
// the NUL must be readable.
uint32_t CALLBENCH_STDCALL TextLength(const char* text);

// Writes text to standard output; returns the count of bytes written.
uint32_t CALLBENCH_STDCALL PrintText(const char* text);

}  // extern "C"
