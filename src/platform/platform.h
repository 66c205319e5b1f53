// The operating-system services the program uses, declared with the
// 32-bit Windows calling convention (stdcall: arguments pushed last to
// first, removed by the callee; EBX, ESI, EDI and EBP preserved). On
// Windows they come from kernel32 and user32; on Linux from the layer in
// platform/linux.
#pragma once

#include <stdint.h>

#define CALLBENCH_STDCALL __attribute__((stdcall))

extern "C" {

using Handle = void*;

constexpr uint32_t kStdInputHandle = static_cast<uint32_t>(-10);
constexpr uint32_t kStdOutputHandle = static_cast<uint32_t>(-11);
constexpr uint32_t kStdErrorHandle = static_cast<uint32_t>(-12);
constexpr uint32_t kHighPriorityClass = 0x80;
constexpr uint32_t kNormalPriorityClass = 0x20;
constexpr uint32_t kMessageBoxOk = 0;
constexpr int32_t kMessageBoxResultOk = 1;

Handle CALLBENCH_STDCALL GetCurrentProcess();
int32_t CALLBENCH_STDCALL SetPriorityClass(Handle process, uint32_t priority_class);
void CALLBENCH_STDCALL Sleep(uint32_t milliseconds);
Handle CALLBENCH_STDCALL GetStdHandle(uint32_t which);
int32_t CALLBENCH_STDCALL WriteFile(Handle file, const void* bytes, uint32_t count,
                                    uint32_t* written, void* overlapped);
[[noreturn]] void CALLBENCH_STDCALL ExitProcess(uint32_t exit_code);
int32_t CALLBENCH_STDCALL MessageBoxA(Handle owner, const char* text, const char* caption,
                                      uint32_t style);

}  // extern "C"
