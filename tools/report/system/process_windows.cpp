#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "core/command_line.hpp"
#include "system/bounded_capture.hpp"
#include "system/interruption.hpp"
#include "system/interruption_windows.hpp"
#include "system/process.hpp"
#include "system/windows_handle.hpp"
#include "system/windows_text.hpp"

namespace callbench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kChunk = 16 * 1024;
constexpr DWORD kPipeBuffer = 64 * 1024;

SECURITY_ATTRIBUTES inheritable() {
  return {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
}

ProcessResult not_started(DWORD error, const std::string& doing = "") {
  ProcessResult result;
  result.code = static_cast<int>(error);
  result.start_error = doing + system_message(error);
  return result;
}

// Anonymous pipes cannot be waited on, so each stream is a named pipe whose
// reading end is overlapped; the run inherits its writing end as an ordinary handle.
class InboundPipe {
 public:
  enum class Read { Data, Waiting, Closed };

  InboundPipe() = default;
  InboundPipe(const InboundPipe&) = delete;
  InboundPipe& operator=(const InboundPipe&) = delete;
  ~InboundPipe() { settle(); }

  DWORD open() {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 10; ++attempt) {
      const std::wstring name = L"\\\\.\\pipe\\callbench-report-" + std::to_wstring(::GetCurrentProcessId()) +
                                L"-" + std::to_wstring(serial++) + L"-" + std::to_wstring(::GetTickCount());
      server_.reset(::CreateNamedPipeW(
          name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kPipeBuffer, 0,
          nullptr));
      if (!server_) {
        if (::GetLastError() == ERROR_ACCESS_DENIED) continue;  // the name is taken
        return ::GetLastError();
      }
      auto attributes = inheritable();
      client_.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, &attributes, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!client_) return ::GetLastError();
      event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
      if (!event_) return ::GetLastError();
      return ERROR_SUCCESS;
    }
    return ERROR_PIPE_BUSY;
  }

  HANDLE child_end() const { return client_.get(); }
  void close_child_end() { client_.reset(); }
  // Set when a read has finished; only meaningful while one is outstanding.
  HANDLE event() const { return event_.get(); }
  bool reading() const { return reading_; }

  // Asks for the next chunk unless one is asked for already or the pipe is closed.
  void start() {
    if (reading_ || closed_) return;
    overlapped_ = {};
    overlapped_.hEvent = event_.get();
    if (::ReadFile(server_.get(), buffer_, sizeof buffer_, nullptr, &overlapped_) ||
        ::GetLastError() == ERROR_IO_PENDING) {
      reading_ = true;
    } else {
      closed_ = true;  // broken pipe: every writer has gone
    }
  }

  // A finished read's bytes go to sink; start() asks for more.
  template <typename Sink>
  Read collect(Sink& sink) {
    if (!reading_) return closed_ ? Read::Closed : Read::Waiting;
    DWORD count = 0;
    if (::GetOverlappedResult(server_.get(), &overlapped_, &count, FALSE)) {
      reading_ = false;
      sink.append(buffer_, count);
      return Read::Data;
    }
    if (::GetLastError() == ERROR_IO_INCOMPLETE) return Read::Waiting;
    reading_ = false;
    closed_ = true;
    return Read::Closed;
  }

  // Bytes written and not yet taken by a read.
  DWORD waiting_bytes() const {
    DWORD available = 0;
    if (!::PeekNamedPipe(server_.get(), nullptr, 0, nullptr, &available, nullptr)) return 0;
    return available;
  }

  // Ends an outstanding read; bytes it took before the cancel still go to sink.
  template <typename Sink>
  void finish(Sink& sink) {
    if (!reading_) return;
    ::CancelIoEx(server_.get(), &overlapped_);
    DWORD count = 0;
    if (::GetOverlappedResult(server_.get(), &overlapped_, &count, TRUE)) sink.append(buffer_, count);
    reading_ = false;
  }

 private:
  struct Discard {
    void append(const char*, std::size_t) {}
  };
  // The system writes into buffer_ until the read is over; it must not outlive it.
  void settle() {
    Discard discard;
    finish(discard);
  }

  Handle server_, client_, event_;
  OVERLAPPED overlapped_ = {};
  bool reading_ = false;
  bool closed_ = false;
  char buffer_[kChunk];
};

// Only the handles in this list are inherited, whatever else is inheritable.
class InheritedHandles {
 public:
  explicit InheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {}
  InheritedHandles(const InheritedHandles&) = delete;
  InheritedHandles& operator=(const InheritedHandles&) = delete;
  ~InheritedHandles() {
    if (ready_) ::DeleteProcThreadAttributeList(list());
  }

  DWORD prepare() {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    if (!::InitializeProcThreadAttributeList(list(), 1, 0, &size)) return ::GetLastError();
    ready_ = true;
    if (!::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                     handles_.size() * sizeof(HANDLE), nullptr, nullptr))
      return ::GetLastError();
    return ERROR_SUCCESS;
  }
  LPPROC_THREAD_ATTRIBUTE_LIST list() {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }

 private:
  std::vector<HANDLE> handles_;
  std::vector<char> storage_;
  bool ready_ = false;
};

// Reads what the pipe holds now, without waiting for writers that are still
// there; stops early at the deadline or once standard output is over its limit.
template <typename Sink>
void drain(InboundPipe& pipe, Sink& sink, Clock::time_point deadline, const BoundedCapture& output) {
  for (;;) {
    if (output.overflowed() || Clock::now() >= deadline) break;
    const auto read = pipe.collect(sink);
    if (read == InboundPipe::Read::Closed) return;
    if (read == InboundPipe::Read::Data) {
      pipe.start();
      continue;
    }
    if (pipe.waiting_bytes() == 0) break;
    // The outstanding read takes those bytes as soon as it can.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    ::WaitForSingleObject(pipe.event(), static_cast<DWORD>(std::max<long long>(left, 0)));
  }
  pipe.finish(sink);
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const ProcessLimits& limits) {
  if (argv.empty()) return not_started(ERROR_FILE_NOT_FOUND);
  InboundPipe out, err;
  if (DWORD e = out.open(); e != ERROR_SUCCESS) return not_started(e);
  if (DWORD e = err.open(); e != ERROR_SUCCESS) return not_started(e);
  auto attributes = inheritable();
  Handle nul(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, OPEN_EXISTING,
                           0, nullptr));
  if (!nul) return not_started(::GetLastError());

  // The run and whatever it starts share the job, so one call kills them all,
  // and they die with the job's handle should this program end first.
  Handle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job) return not_started(::GetLastError(), "cannot make a job object: ");
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION kill_on_close = {};
  kill_on_close.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &kill_on_close,
                                 sizeof kill_on_close))
    return not_started(::GetLastError(), "cannot make a job object: ");

  InheritedHandles inherited({nul.get(), out.child_end(), err.child_end()});
  if (DWORD e = inherited.prepare(); e != ERROR_SUCCESS) return not_started(e);
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = nul.get();
  startup.StartupInfo.hStdOutput = out.child_end();
  startup.StartupInfo.hStdError = err.child_end();
  startup.lpAttributeList = inherited.list();
  std::wstring command_line = widen(windows_command_line(argv));

  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(limits.timeout_seconds));
  PROCESS_INFORMATION created = {};
  // Suspended until it is in the job, so nothing it starts can escape it. In a
  // process group of its own, the console's Ctrl+C reaches only this program,
  // which then stops the run itself.
  if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        nullptr, &startup.StartupInfo, &created))
    return not_started(::GetLastError());
  Handle process(created.hProcess), thread(created.hThread);
  if (!::AssignProcessToJobObject(job.get(), process.get())) {
    const DWORD error = ::GetLastError();
    ::TerminateProcess(process.get(), 1);
    return not_started(error, "cannot put the run in a job object: ");
  }
  ::ResumeThread(thread.get());
  thread.reset();
  out.close_child_end();
  err.close_child_end();
  nul.reset();

  ProcessResult result;
  BoundedCapture captured_out(limits.max_output);
  TailCapture captured_err(limits.error_tail);
  auto outcome = ProcessResult::Outcome::Exited;
  auto finish = start;
  bool exited = false;
  const HANDLE interrupted = interruption_event();

  const auto stopped = [&]() {
    if (captured_out.overflowed()) return outcome = ProcessResult::Outcome::OutputTooLarge, true;
    if (Clock::now() >= deadline) return outcome = ProcessResult::Outcome::TimedOut, true;
    if (interruption_signal() != 0) return outcome = ProcessResult::Outcome::Interrupted, true;
    return false;
  };

  out.start();
  err.start();
  // Whether the run has ended is asked before the clock is: a run that has
  // finished counts, however late this program looks.
  while (!(exited = ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) && !stopped()) {
    HANDLE waits[4];
    DWORD count = 0;
    waits[count++] = process.get();
    if (out.reading()) waits[count++] = out.event();
    if (err.reading()) waits[count++] = err.event();
    if (interrupted) waits[count++] = interrupted;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    ::WaitForMultipleObjects(count, waits, FALSE, static_cast<DWORD>(std::max<long long>(left, 0)));
    // One chunk per stream at most, so the clock is looked at between chunks.
    if (out.collect(captured_out) == InboundPipe::Read::Data) out.start();
    if (err.collect(captured_err) == InboundPipe::Read::Data) err.start();
  }

  finish = Clock::now();
  // Whatever the run wrote is in the pipes now; what it left running goes
  // first, so that nothing more arrives and the pipes empty for good.
  if (exited) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (::QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &accounting,
                                    sizeof accounting, nullptr))
      result.left_running = static_cast<int>(accounting.ActiveProcesses);
  }
  ::TerminateJobObject(job.get(), 1);
  if (exited) {
    drain(out, captured_out, deadline, captured_out);
    drain(err, captured_err, deadline, captured_out);
    if (captured_out.overflowed()) outcome = ProcessResult::Outcome::OutputTooLarge;
  }

  result.wall_seconds = std::chrono::duration<double>(finish - start).count();
  result.out = captured_out.take();
  result.err_dropped = captured_err.dropped();
  result.err = captured_err.take();
  result.outcome = outcome;
  if (outcome != ProcessResult::Outcome::Exited) return result;
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  result.code = static_cast<int>(code);
  return result;
}

std::optional<std::string> program_file(const std::string& program) {
  if (program.empty()) return std::nullopt;
  // Close to CreateProcessW's own search: the name as given, then the PATH, .exe added when it has no
  // extension.
  std::wstring found(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::SearchPathW(nullptr, widen(program).c_str(), L".exe",
                                       static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < found.size()) return narrow(found.data(), length);
    found.resize(length);
  }
}

}  // namespace callbench
