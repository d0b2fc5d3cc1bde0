// The simulation's core: call log, fault injection, handle accounting, the
// thread's last error and the console.
#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>

#include "platform/sim/sim_internal.h"

namespace sim {
namespace {

struct Fault {
  std::string name;
  unsigned long error;
  size_t firstCall;  // the call number (1-based, per name) that fails first
  size_t lastCall;   // 0: every call from firstCall on
};

struct Core {
  std::vector<std::string> calls;
  std::map<std::string, size_t> callCounts;
  std::vector<Fault> faults;
  std::map<const void*, detail::HandleKind> handles;
  std::vector<std::unique_ptr<char>> handleStorage;
  std::string out;
  std::string err;
  bool latin1Only = false;
  bool keepCallLog = true;
  DWORD lastError = 0;
};

Core& State() {
  static Core core;
  return core;
}

const char* KindName(detail::HandleKind kind) {
  switch (kind) {
    case detail::HandleKind::DeviceInfoSet: return "device information set";
    case detail::HandleKind::Inf: return "INF handle";
    case detail::HandleKind::Find: return "find handle";
    case detail::HandleKind::Library: return "library";
    case detail::HandleKind::Process: return "process handle";
    case detail::HandleKind::Thread: return "thread handle";
    case detail::HandleKind::Token: return "token";
    case detail::HandleKind::LocalBuffer: return "LocalAlloc buffer";
  }
  return "handle";
}

void AppendUtf8(std::string& to, unsigned long c) {
  if (c < 0x80) {
    to += static_cast<char>(c);
  } else if (c < 0x800) {
    to += static_cast<char>(0xC0 | (c >> 6));
    to += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    to += static_cast<char>(0xE0 | (c >> 12));
    to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    to += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    to += static_cast<char>(0xF0 | (c >> 18));
    to += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    to += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string& Stream(TextStream stream) {
  return stream == TEXT_STDERR ? State().err : State().out;
}

}  // namespace

void Reset() {
  Core& core = State();
  core.calls.clear();
  core.callCounts.clear();
  core.faults.clear();
  core.handles.clear();
  core.handleStorage.clear();
  core.out.clear();
  core.err.clear();
  core.latin1Only = false;
  core.keepCallLog = true;
  core.lastError = 0;
  detail::ResetSystem();
  detail::ResetMessages();
  detail::ResetFileSystem();
  detail::ResetProcesses();
  detail::ResetFileApi();
  detail::ResetDriverStore();
  detail::ResetConfigManagerRoot();
  detail::ResetDevices();
  detail::ResetInfFiles();
}

const std::vector<std::string>& Calls() { return State().calls; }

std::vector<std::string> CallsTo(const std::string& name) {
  std::vector<std::string> found;
  for (const std::string& call : State().calls) {
    if (call.compare(0, name.size() + 1, name + "(") == 0) found.push_back(call);
  }
  return found;
}

size_t CountCalls(const std::string& name) { return CallsTo(name).size(); }

void ClearCalls() { State().calls.clear(); }

void KeepCallLog(bool keep) { State().keepCallLog = keep; }

void FailCall(const std::string& name, unsigned long error, int nth, int count) {
  Core& core = State();
  size_t first = core.callCounts[name] + static_cast<size_t>(nth);
  size_t last = count == 0 ? 0 : first + static_cast<size_t>(count) - 1;
  core.faults.push_back(Fault{name, error, first, last});
}

void ClearFaults() { State().faults.clear(); }

int OpenHandles() { return static_cast<int>(State().handles.size()); }

std::string OpenHandleReport() {
  std::string report;
  for (const auto& entry : State().handles) {
    if (!report.empty()) report += ", ";
    report += KindName(entry.second);
  }
  return report.empty() ? "none" : report;
}

std::string StdOut() { return State().out; }
std::string StdErr() { return State().err; }

void ClearOutput() {
  State().out.clear();
  State().err.clear();
}

void SetConsoleLatin1Only(bool latin1Only) { State().latin1Only = latin1Only; }

std::string Utf8(const wchar_t* text) {
  std::string result;
  if (!text) return result;
  for (; *text; ++text) AppendUtf8(result, static_cast<unsigned long>(*text));
  return result;
}

std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }

namespace detail {

bool Enter(const char* name, const std::string& arguments, unsigned long* error) {
  Core& core = State();
  if (core.keepCallLog) core.calls.push_back(std::string(name) + "(" + arguments + ")");
  size_t number = ++core.callCounts[name];
  for (const Fault& fault : core.faults) {
    if (fault.name != name || number < fault.firstCall) continue;
    if (fault.lastCall != 0 && number > fault.lastCall) continue;
    *error = fault.error;
    return true;
  }
  return false;
}

bool FaultedCall(const char* name, const std::string& arguments) {
  unsigned long error = 0;
  if (!Enter(name, arguments, &error)) return false;
  SetLastError(static_cast<DWORD>(error));
  return true;
}

void* NewHandle(HandleKind kind) {
  Core& core = State();
  core.handleStorage.emplace_back(new char(0));
  void* handle = core.handleStorage.back().get();
  core.handles[handle] = kind;
  return handle;
}

void TrackHandle(HandleKind kind, const void* handle) { State().handles[handle] = kind; }

bool IsOpen(HandleKind kind, const void* handle) {
  auto found = State().handles.find(handle);
  return found != State().handles.end() && found->second == kind;
}

bool ReleaseHandle(HandleKind kind, const void* handle) {
  if (!IsOpen(kind, handle)) return false;
  State().handles.erase(handle);
  return true;
}

bool ReleaseAnyHandle(const void* handle, HandleKind* kind) {
  auto found = State().handles.find(handle);
  if (found == State().handles.end()) return false;
  *kind = found->second;
  State().handles.erase(found);
  return true;
}

std::string Quote(const wchar_t* text) { return text ? "\"" + Utf8(text) + "\"" : "null"; }

std::string Hex(unsigned long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%lX", value);
  return buffer;
}

std::wstring Lower(const std::wstring& text) {
  std::wstring lower = text;
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

}  // namespace detail
}  // namespace sim

DWORD GetLastError() { return sim::State().lastError; }

void SetLastError(DWORD error) { sim::State().lastError = error; }

void PrintNarrow(TextStream stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length > 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    sim::Stream(stream) += text;
  }
  va_end(args);
}

void WriteNarrowLine(TextStream stream, const char* line) {
  sim::Stream(stream) += line;
  sim::Stream(stream) += '\n';
}

void WriteWideText(TextStream stream, const wchar_t* text) {
  std::string& to = sim::Stream(stream);
  for (; *text; ++text) {
    if (text[0] == L'\r' && text[1] == L'\n') continue;  // as the Windows console layer does
    unsigned long c = static_cast<uint32_t>(*text);
    if (sim::State().latin1Only && c > 0xFF) c = 0x3F;  // '?'
    sim::AppendUtf8(to, c);
  }
}
