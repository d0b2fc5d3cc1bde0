// The driver store: packages copied into the system's INF directory as
// oemN.inf, and removed again through SetupUninstallOEMInfW, which programs
// reach through GetProcAddress on "setupapi.dll".
#include <cwchar>
#include <set>

#include "platform/sim/device_tree.h"
#include "platform/sim/inf_parser.h"
#include "platform/sim/sim_store.h"

namespace sim {
namespace {

using detail::Fail;

std::set<std::wstring>& InUse() {  // lower-case names
  static std::set<std::wstring> inUse;
  return inUse;
}

// Which codes SetupUninstallOEMInfW gives for a package in use and for an
// oem<N>.inf that is not installed: no source records them, so a test
// chooses. The defaults: the code setupapi.h names for the first, and for
// the second the answer devinst.c, test_copy_oem_inf records for a name
// not in the INF folder ("bogus.inf").
struct UninstallAnswers {
  DWORD inUse = ERROR_INF_IN_USE_BY_DEVICES;
  DWORD notInstalled = ERROR_FILE_NOT_FOUND;
};

UninstallAnswers& Answers() {
  static UninstallAnswers answers;
  return answers;
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

// misc.c, test_SetupCopyOEMInf: from Vista an INF without a [Manufacturer]
// entry is refused (Windows 7 also answered ERROR_UNSUPPORTED_TYPE).
const DWORD kErrorWrongInfType = 0xE000024A;

// Why the package of `source` cannot be stored, or 0. A file its CopyFiles
// name that is missing answers ERROR_FILE_NOT_FOUND: devinst.c,
// test_driver_store, and docs "General guidelines for INF files" ask for
// every such file to be present but record no code; staging a package
// reads each file, and a file that cannot be opened is "not found".
DWORD PackageError(const std::wstring& folder, const std::string& content) {
  detail::InfFile inf;
  UINT line = 0;
  DWORD error = 0;
  if (!detail::ParseInf(content, &inf, &line, &error)) return error;
  if (!detail::HasWin4Signature(inf)) return ERROR_WRONG_INF_STYLE;
  if (!detail::VersionAtLeast(6, 0)) return 0;
  if (!detail::HasManufacturerEntry(inf)) return kErrorWrongInfType;
  const std::wstring prefix = folder + L'\\';
  for (const std::wstring& file : detail::FilesToCopy(inf)) {
    if (!FileExists(prefix + file)) return ERROR_FILE_NOT_FOUND;
  }
  return 0;
}

// Why `source` cannot be stored, or 0.
DWORD SourceError(const std::wstring& source, std::string* content) {
  if (FullPath(source).size() >= MAX_PATH) return ERROR_PATH_NOT_FOUND;
  std::wstring full = detail::Resolved(source);
  if (DirectoryExists(full)) return ERROR_ACCESS_DENIED;
  std::wstring folder = detail::FolderOf(full);
  if (!ReadFile(full, content)) return DirectoryExists(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  return PackageError(folder, *content);
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

// Whether a device, present or not, is installed from the package.
bool DeviceUses(const std::wstring& name) {
  for (const detail::SimDevice& device : detail::Tree().devices) {
    if (!device.removed && detail::EqualNoCase(device.spec.infPath, name)) return true;
  }
  return false;
}

// docs "SetupUninstallOEMInfW": the force is ignored for a package that
// runs from the driver store while a device uses it.
bool ForceIgnored(const detail::InfFile& inf, const std::wstring& name) {
  return detail::RunsFromDriverStore(inf) && DeviceUses(name);
}

// Why a stored package cannot be deleted, or 0.
DWORD UninstallError(const std::wstring& name, DWORD flags) {
  bool oem = OemNumber(name.c_str()) >= 0;
  // devinst.c, test_copy_oem_inf: a name not in the INF folder ("bogus.inf").
  if (!FileExists(InfPath(name))) return oem ? Answers().notInstalled : ERROR_FILE_NOT_FOUND;
  // Only a bare oemN.inf is an installed OEM INF.
  if (!oem) return ERROR_NOT_AN_INSTALLED_OEM_INF;
  detail::InfFile inf;
  UINT line = 0;
  DWORD error = 0;
  bool parsed = detail::LoadInf(name, &inf, &line, &error);
  // devinst.c, test_copy_oem_inf (its comment): Windows 10 refuses a package
  // without a non-empty [Manufacturer] section.
  if (detail::VersionAtLeast(10, 0) && !(parsed && detail::HasManufacturerEntry(inf))) return ERROR_INVALID_PARAMETER;
  bool inUse = InUse().count(detail::Lower(name)) || DeviceUses(name);
  if (inUse && (!(flags & SUOI_FORCEDELETE) || (parsed && ForceIgnored(inf, name)))) return Answers().inUse;
  return 0;
}

BOOL WINAPI UninstallOemInf(PCWSTR infFileName, DWORD flags, PVOID reserved) {
  if (detail::FaultedCall("SetupUninstallOEMInfW", detail::Quote(infFileName) + ", " + detail::Hex(flags))) {
    return FALSE;
  }
  if (!infFileName || reserved) return Fail(ERROR_INVALID_PARAMETER);
  if (flags & ~static_cast<DWORD>(SUOI_FORCEDELETE)) return Fail(ERROR_INVALID_FLAGS);
  std::wstring name = infFileName;
  // A path, even to a stored package, is no installed OEM INF.
  if (name.find_first_of(L"\\/:") != std::wstring::npos) return Fail(ERROR_NOT_AN_INSTALLED_OEM_INF);
  if (DWORD error = UninstallError(name, flags)) return Fail(error);
  RemoveFile(InfPath(name));
  RemoveFile(InfPath(name.substr(0, name.size() - 4) + L".pnf"));  // its precompiled form, if any
  InUse().erase(detail::Lower(name));
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

void SetUninstallAnswers(DWORD inUse, DWORD notInstalled) { Answers() = UninstallAnswers{inUse, notInstalled}; }

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
  Answers() = UninstallAnswers();
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
