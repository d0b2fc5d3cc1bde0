// The driver store: packages copied into the system's INF directory as
// oemN.inf, and removed again through SetupUninstallOEMInfW, which programs
// reach through GetProcAddress on "setupapi.dll".
#include <cwchar>
#include <set>

#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_store.h"

namespace sim {
namespace {

using detail::Fail;

std::set<std::wstring>& InUse() {  // lower-case names
  static std::set<std::wstring> inUse;
  return inUse;
}

std::wstring InfPath(const std::wstring& name) { return std::wstring(kInfDirectory) + L"\\" + name; }

bool SameLetters(const wchar_t* text, const wchar_t* lower, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    wchar_t c = text[i] >= L'A' && text[i] <= L'Z' ? static_cast<wchar_t>(text[i] - L'A' + L'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

// N of a name written exactly "oemN.inf" (any case), or -1. Called for every
// file of the INF directory on every copy, so it allocates nothing.
long OemNumber(const wchar_t* name) {
  size_t length = std::wcslen(name);
  if (length < 8 || length > 13 || !SameLetters(name, L"oem", 3) || !SameLetters(name + length - 4, L".inf", 4)) {
    return -1;
  }
  if (name[3] == L'0' && length != 8) return -1;  // no leading zeros
  long number = 0;
  for (size_t i = 3; i < length - 4; ++i) {
    if (name[i] < L'0' || name[i] > L'9') return -1;
    number = number * 10 + (name[i] - L'0');
  }
  return number;
}

std::wstring OemName(long number) { return L"oem" + std::to_wstring(number) + L".inf"; }

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// An INF names its style in [Version]: Signature="$Windows NT$" (or one of
// the older two). A file without it is no INF to the driver store.
bool HasInfSignature(const std::string& content) {
  bool inVersion = false;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = Trim(content.substr(start, end - start));
    start = end + 1;
    line = Trim(line.substr(0, line.find(';')));
    if (!line.empty() && line[0] == '[') {
      inVersion = LowerAscii(line) == "[version]";
      continue;
    }
    size_t equals = line.find('=');
    if (!inVersion || equals == std::string::npos) continue;
    if (LowerAscii(Trim(line.substr(0, equals))) != "signature") continue;
    std::string value = LowerAscii(Trim(line.substr(equals + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value == "$windows nt$" || value == "$chicago$" || value == "$windows 95$";
  }
  return false;
}

// Why `source` cannot be stored, or 0.
DWORD SourceError(const std::wstring& source, std::string* content) {
  if (FullPath(source).size() >= MAX_PATH) return ERROR_PATH_NOT_FOUND;
  std::wstring full = detail::Resolved(source);
  if (DirectoryExists(full)) return ERROR_ACCESS_DENIED;
  if (!ReadFile(full, content)) {
    size_t slash = full.rfind(L'\\');
    return DirectoryExists(full.substr(0, slash <= 2 ? 3 : slash)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  return HasInfSignature(*content) ? 0 : ERROR_WRONG_INF_STYLE;
}

// The name a package gets: that of a stored package with the same bytes, as
// Windows keeps one copy of each, or else the lowest free oemN.inf.
std::wstring StoreName(const std::string& content, bool* alreadyStored) {
  std::set<long> taken;
  for (const detail::FileView& file : detail::FilesIn(kInfDirectory)) {
    long number = OemNumber(file.name);
    if (number < 0) continue;
    taken.insert(number);
    if (*file.content == content) {
      *alreadyStored = true;
      return OemName(number);
    }
  }
  *alreadyStored = false;
  long free = 0;
  while (taken.count(free)) ++free;
  return OemName(free);
}

BOOL WINAPI UninstallOemInf(PCWSTR infFileName, DWORD flags, PVOID reserved) {
  if (detail::FaultedCall("SetupUninstallOEMInfW", detail::Quote(infFileName) + ", " + detail::Hex(flags))) {
    return FALSE;
  }
  if (!infFileName || reserved) return Fail(ERROR_INVALID_PARAMETER);
  if (flags & ~static_cast<DWORD>(SUOI_FORCEDELETE)) return Fail(ERROR_INVALID_FLAGS);
  // Only a bare oemN.inf of the INF directory is an installed OEM INF; a
  // path, even to one, is not.
  std::wstring name = infFileName;
  if (name.find_first_of(L"\\/:") != std::wstring::npos || OemNumber(name.c_str()) < 0 || !FileExists(InfPath(name))) {
    return Fail(ERROR_NOT_AN_INSTALLED_OEM_INF);
  }
  std::wstring key = detail::Lower(name);
  if (InUse().count(key) && !(flags & SUOI_FORCEDELETE)) return Fail(ERROR_INF_IN_USE_BY_DEVICES);
  RemoveFile(InfPath(name));
  RemoveFile(InfPath(name.substr(0, name.size() - 4) + L".pnf"));  // its precompiled form, if any
  InUse().erase(key);
  return TRUE;
}

}  // namespace

std::vector<std::wstring> StoredPackages() {
  std::set<long> numbers;
  for (const detail::FileView& file : detail::FilesIn(kInfDirectory)) {
    long number = OemNumber(file.name);
    if (number >= 0) numbers.insert(number);
  }
  std::vector<std::wstring> names;
  for (long number : numbers) names.push_back(OemName(number));
  return names;
}

void MarkPackageInUse(const std::wstring& infName, bool inUse) {
  if (inUse) {
    InUse().insert(detail::Lower(infName));
  } else {
    InUse().erase(detail::Lower(infName));
  }
}

namespace detail {

void ResetDriverStore() {
  InUse().clear();
  RegisterExport(L"setupapi.dll", "SetupUninstallOEMInfW", reinterpret_cast<FARPROC>(&UninstallOemInf));
}

}  // namespace detail
}  // namespace sim

using namespace sim::detail;

// Copy styles other than 0 are refused rather than half modelled: the
// program never asks for one.
BOOL SetupCopyOEMInfW(PCWSTR sourceInfFileName, PCWSTR oemSourceMediaLocation, DWORD oemSourceMediaType,
                      DWORD copyStyle, PWSTR destinationInfFileName, DWORD destinationInfFileNameSize,
                      PDWORD requiredSize, PWSTR* destinationInfFileNameComponent) {
  std::string arguments = Quote(sourceInfFileName) + ", " + Quote(oemSourceMediaLocation) + ", " +
                          std::to_string(oemSourceMediaType) + ", " + Hex(copyStyle) + ", " +
                          std::to_string(destinationInfFileNameSize);
  if (FaultedCall("SetupCopyOEMInfW", arguments)) return FALSE;
  if (!sourceInfFileName || oemSourceMediaType > SPOST_URL) return Fail(ERROR_INVALID_PARAMETER);
  if (copyStyle != 0) return Fail(ERROR_INVALID_FLAGS);
  std::string content;
  if (DWORD error = sim::SourceError(sourceInfFileName, &content)) return Fail(error);
  bool alreadyStored = false;
  std::wstring stored = sim::InfPath(sim::StoreName(content, &alreadyStored));
  DWORD needed = static_cast<DWORD>(stored.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (destinationInfFileName && destinationInfFileNameSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (!alreadyStored) sim::AddFile(stored, content);
  if (destinationInfFileName) {
    std::wmemcpy(destinationInfFileName, stored.c_str(), stored.size() + 1);
    if (destinationInfFileNameComponent) {
      *destinationInfFileNameComponent = destinationInfFileName + stored.rfind(L'\\') + 1;
    }
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
