#include <vector>

#include "engine/engine.h"
#include "engine/message_output.h"
#include "packages/packages.h"
#include "platform/platform.h"

// The engine takes the name for its messages from element 0 of its vector:
// this program's own file, so that a failure line names what the user ran.
std::wstring OwnProgramPath() {
  std::vector<wchar_t> path(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return L"pelmora.exe";
  return std::wstring(path.data(), length);
}

std::wstring FullPathOf(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return L"";
  std::vector<wchar_t> full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  return length == 0 || length >= size ? L"" : std::wstring(full.data(), length);
}

void WriteProgramLine(DWORD messageId, const std::wstring& program, const std::wstring& subject,
                      const std::wstring& reason) {
  WriteEngineMessage(TEXT_STDERR, messageId, ProgramBaseName(program.c_str()), PrintableText(subject.c_str()).c_str(),
                     reason.c_str());
}
