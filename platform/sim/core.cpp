// The simulation's core: call log, fault injection, handle accounting, the
// thread's last error and the console.
#include <cstdio>
#include <cstdlib>
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
  std::string out;  // bytes as written, CR LF included
  std::string err;
  bool redirected = false;
  UINT consoleCodePage = 437;
  bool keepCallLog = true;
  DWORD lastError = 0;
};

Core& State() {
  static Core core;
  return core;
}

// The fault injected into the `number`th call of `name`, if any.
const Fault* FaultFor(const char* name, size_t number) {
  for (const Fault& fault : State().faults) {
    if (fault.name != name || number < fault.firstCall) continue;
    if (fault.lastCall != 0 && number > fault.lastCall) continue;
    return &fault;
  }
  return nullptr;
}

// With PELMORA_SIM_TRACE set (and not empty), every simulated call goes to the
// real standard error as it is made: its name, arguments, number and fault.
void TraceCall(const char* name, const std::string& arguments, size_t number, const Fault* fault) {
  static const char* const trace = std::getenv("PELMORA_SIM_TRACE");
  if (!trace || !*trace) return;
  std::string line = "sim: " + std::string(name) + "(" + arguments + ") #" + std::to_string(number);
  if (fault) line += " fails with " + std::to_string(fault->error);
  std::fprintf(stderr, "%s\n", line.c_str());
}

// In the order of detail::HandleKind.
const char* KindName(detail::HandleKind kind) {
  static const char* const kNames[] = {
      "device information set", "INF handle", "find handle",       "library",     "process handle",
      "thread handle",          "token",      "LocalAlloc buffer", "registry key"};
  return kNames[static_cast<int>(kind)];
}

void AppendUtf8(std::string& to, unsigned long c) {
  if (c < 0x80) {
    to += static_cast<char>(c);
    return;
  }
  const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;  // continuation bytes
  to += static_cast<char>(((0xFF00 >> (extra + 1)) & 0xFF) | (c >> (6 * extra)));
  for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) to += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
}

// The standard handles are the streams themselves.
std::string* Stream(HANDLE handle) {
  if (handle == &State().out) return &State().out;
  return handle == &State().err ? &State().err : nullptr;
}

// What a reader sees: a CR LF pair is one line end.
std::string Shown(const std::string& bytes) {
  std::string shown;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) shown += bytes[i];
  }
  return shown;
}

// The upper halves (0x80 to 0xFF) of the OEM code pages the simulation
// converts to. Windows: docs "Code Page Identifiers" (437, and 850 for
// Western European systems; every installed code page converts).
const wchar_t kCodePage437[] =
    L"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
    L"└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
const wchar_t kCodePage850[] =
    L"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒáíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐"
    L"└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀ÓßÔÒõÕµþÞÚÛÙýÝ¯´\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0";

// The byte of `c` in the code page whose upper half is `upper`; -1 when it
// lacks the character.
int OemByte(const wchar_t* upper, unsigned long c) {
  if (c < 0x80) return static_cast<int>(c);
  for (int i = 0; i < 128; ++i) {
    if (static_cast<unsigned long>(upper[i]) == c) return 0x80 + i;
  }
  return -1;
}

}  // namespace

void Reset() {
  State() = Core();
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

int OpenHandles() { return static_cast<int>(State().handles.size()); }

std::string OpenHandleReport() {
  std::string report;
  for (const auto& entry : State().handles) {
    if (!report.empty()) report += ", ";
    report += KindName(entry.second);
  }
  return report.empty() ? "none" : report;
}

std::string StdOut() { return Shown(State().out); }
std::string StdErr() { return Shown(State().err); }
std::string RawStdOut() { return State().out; }

void RedirectOutput(unsigned consoleCodePage) {
  State().redirected = true;
  State().consoleCodePage = consoleCodePage;
}

void ClearOutput() {
  State().out.clear();
  State().err.clear();
}

std::string Utf8(const wchar_t* text) {
  std::string result;
  if (!text) return result;
  for (; *text; ++text) AppendUtf8(result, static_cast<unsigned long>(*text));
  return result;
}

std::string Utf8(const std::wstring& text) { return Utf8(text.c_str()); }

namespace detail {

bool FaultInjected(const char* name, const std::string& arguments, unsigned long* error) {
  Core& core = State();
  if (core.keepCallLog) core.calls.push_back(std::string(name) + "(" + arguments + ")");
  size_t number = ++core.callCounts[name];
  const Fault* fault = FaultFor(name, number);
  TraceCall(name, arguments, number, fault);
  if (!fault) return false;
  *error = fault->error;
  return true;
}

bool FaultedCall(const char* name, const std::string& arguments) {
  unsigned long error = 0;
  if (!FaultInjected(name, arguments, &error)) return false;
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

using sim::detail::Fail;

DWORD GetLastError() { return sim::State().lastError; }

void SetLastError(DWORD error) { sim::State().lastError = error; }

HANDLE GetStdHandle(DWORD which) {
  if (which == STD_OUTPUT_HANDLE) return &sim::State().out;
  return which == STD_ERROR_HANDLE ? &sim::State().err : INVALID_HANDLE_VALUE;
}

BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
  *mode = 3;  // ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT
  return sim::Stream(console) && !sim::State().redirected;
}

UINT GetConsoleOutputCP() { return sim::State().consoleCodePage; }
UINT GetOEMCP() { return 437; }

// The simulated console shows every character; it is kept as UTF-8.
BOOL WriteConsoleW(HANDLE console, const void* buffer, DWORD length, LPDWORD written, LPVOID) {
  std::string* to = sim::State().redirected ? nullptr : sim::Stream(console);
  const auto* text = static_cast<const wchar_t*>(buffer);
  for (DWORD i = 0; to && i < length; ++i) sim::AppendUtf8(*to, static_cast<uint32_t>(text[i]));
  *written = to ? length : 0;
  return to != nullptr;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID) {
  std::string* to = sim::Stream(file);
  if (to) to->append(static_cast<const char*>(buffer), size);
  *written = to ? size : 0;
  return to != nullptr;
}

// Code pages 437, 850 and 65001 (UTF-8, which takes no flags and no
// replacement).
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR bytes, int size, LPCSTR replacement,
                        PBOOL usedReplacement) {
  const wchar_t* upper = codePage == 437 ? sim::kCodePage437 : codePage == 850 ? sim::kCodePage850 : nullptr;
  if (!upper && (codePage != CP_UTF8 || flags || replacement || usedReplacement)) {
    SetLastError(codePage == CP_UTF8 ? ERROR_INVALID_FLAGS : ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string converted;
  for (int i = 0; i < length; ++i) {
    unsigned long c = static_cast<uint32_t>(text[i]);
    int byte = upper ? sim::OemByte(upper, c) : -2;
    if (byte == -2) sim::AppendUtf8(converted, c);
    if (byte != -2) converted += byte >= 0 ? static_cast<char>(byte) : (replacement ? *replacement : '?');
  }
  if (size != 0 && static_cast<size_t>(size) < converted.size()) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  if (size != 0) converted.copy(bytes, converted.size());
  return static_cast<int>(converted.size());
}
