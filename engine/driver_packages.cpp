#include "engine/driver_packages.h"

#include <cwchar>
#include <set>

#include "engine/ascii.h"
#include "engine/engine.h"
#include "engine/line_format.h"
#include "engine/message_output.h"
#include "messages.h"
#include "platform/scoped_handle.h"

namespace {

const DWORD kSectionNameCharacters = 256;
const DWORD kLineTextCharacters = 1024;
// More sections than any INF file has; the walk ends here even on a
// platform that fails for every index without ever saying the sections
// have ended.
const UINT kMostSections = 65536;

std::wstring LowerAscii(const wchar_t* text) {
  std::wstring lower;
  for (; *text; ++text) lower += AsciiLower(*text);
  return lower;
}

// <Windows>\inf of the shared Windows directory: a per-user directory under
// Terminal Services, or one named by the caller's environment, would hold
// other files than the driver store's.
bool InfFolder(std::wstring* folder) {
  WCHAR windows[MAX_PATH];
  UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  folder->assign(windows, length);
  if (folder->back() != L'\\') *folder += L'\\';
  *folder += L"inf";
  return true;
}

// The names of the folder's INF files as a multi-string, or false.
bool ReadInfList(const std::wstring& folder, std::vector<wchar_t>* list) {
  DWORD required = 0;
  if (!SetupGetInfFileListW(folder.c_str(), INF_STYLE_WIN4, nullptr, 0, &required)) return false;
  list->assign(static_cast<size_t>(required) + 1, L'\0');
  if (!SetupGetInfFileListW(folder.c_str(), INF_STYLE_WIN4, list->data(), static_cast<DWORD>(list->size()), nullptr)) {
    return false;
  }
  list->back() = L'\0';  // the walk over it never leaves the buffer
  return true;
}

// True when a line of the section holds `text` (with case).
bool SectionHolds(HINF inf, const wchar_t* section, const wchar_t* text) {
  INFCONTEXT context;
  if (!SetupFindFirstLineW(inf, section, nullptr, &context)) return false;
  WCHAR line[kLineTextCharacters];
  do {
    // A line longer than the buffer cannot be read and is passed over.
    if (SetupGetLineTextW(&context, nullptr, nullptr, nullptr, line, kLineTextCharacters, nullptr)) {
      line[kLineTextCharacters - 1] = L'\0';
      if (std::wcsstr(line, text)) return true;
    }
  } while (SetupFindNextLine(&context, &context));
  return false;
}

bool FileHolds(HINF inf, const wchar_t* text) {
  WCHAR section[kSectionNameCharacters];
  for (UINT index = 0; index < kMostSections; ++index) {
    if (!SetupEnumInfSectionsW(inf, index, section, kSectionNameCharacters - 1, nullptr)) {
      // The end of the sections ends the walk; a section whose name cannot
      // be read (one too long for the buffer) is skipped.
      if (GetLastError() == ERROR_NO_MORE_ITEMS) return false;
      continue;
    }
    if (SectionHolds(inf, section, text)) return true;
  }
  return false;
}

std::wstring VersionValue(HINF inf, const wchar_t* key) {
  WCHAR value[kLineTextCharacters];
  if (!SetupGetLineTextW(nullptr, inf, L"Version", key, value, kLineTextCharacters, nullptr)) return L"";
  value[kLineTextCharacters - 1] = L'\0';
  return value;
}

ScopedInf OpenInf(const std::wstring& path) {
  UINT errorLine = 0;
  return ScopedInf(SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
}

// One present device's package into `names` (lower case). Only a missing
// driver key or InfPath value means the device has none.
bool AddPackageOfDevice(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, std::set<std::wstring>* names) {
  ScopedRegistryKey key(SetupDiOpenDevRegKey(devs, devInfo, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE));
  if (!key.valid()) return GetLastError() == ERROR_KEY_DOES_NOT_EXIST;
  WCHAR value[MAX_PATH + 1];
  DWORD type = REG_NONE;
  DWORD size = MAX_PATH * static_cast<DWORD>(sizeof(WCHAR));
  LONG error = RegQueryValueExW(key.get(), L"InfPath", nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
  if (error == ERROR_FILE_NOT_FOUND) return true;
  if (error != ERROR_SUCCESS || type != REG_SZ) return false;
  value[size / sizeof(WCHAR)] = L'\0';  // the value need not end with its terminator
  names->insert(LowerAscii(value));
  return true;
}

// The packages that present devices are installed from (lower case). Devices
// that are not present keep none: that is what the forced deletion is for.
bool PackagesOfPresentDevices(std::set<std::wstring>* names) {
  ScopedDeviceSet set(
      SetupDiGetClassDevsExW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES, nullptr, nullptr, nullptr));
  if (!set.valid()) return false;
  SP_DEVINFO_DATA devInfo;
  devInfo.cbSize = sizeof devInfo;
  for (DWORD index = 0;; ++index) {
    if (!SetupDiEnumDeviceInfo(set.get(), index, &devInfo)) return GetLastError() == ERROR_NO_MORE_ITEMS;
    if (!AddPackageOfDevice(set.get(), &devInfo, names)) return false;
  }
}

}  // namespace

bool IsOemPackageName(const wchar_t* name) {
  if (AsciiLower(name[0]) != L'o' || AsciiLower(name[1]) != L'e' || AsciiLower(name[2]) != L'm') return false;
  const wchar_t* digits = name + 3;
  const wchar_t* end = digits;
  while (*end >= L'0' && *end <= L'9') ++end;
  return end != digits && EqualIgnoringAsciiCase(end, L".inf");
}

SurveyResult SurveyOemPackages(const wchar_t* text, PackageDetails details, std::vector<OemPackage>* packages) {
  packages->clear();
  if (text && IsBlankText(text)) return SurveyResult::kDone;
  std::wstring folder;
  std::vector<wchar_t> list;
  if (!InfFolder(&folder) || !ReadInfList(folder, &list)) return SurveyResult::kListUnreadable;
  for (const wchar_t* name = list.data(); *name; name += std::wcslen(name) + 1) {
    if (!IsOemPackageName(name)) continue;
    // Opened by its full path in the folder listed: the very file that the
    // store's deletion then removes.
    ScopedInf inf = OpenInf(folder + L"\\" + name);
    if (text && (!inf.valid() || !FileHolds(inf.get(), text))) continue;
    OemPackage package;
    package.name = name;
    if (details == PackageDetails::kVersionValues && inf.valid()) {
      package.provider = VersionValue(inf.get(), L"Provider");
      package.className = VersionValue(inf.get(), L"Class");
      package.driverVersion = VersionValue(inf.get(), L"DriverVer");
    }
    packages->push_back(package);
  }
  if (packages->empty()) return SurveyResult::kDone;
  std::set<std::wstring> used;
  if (!PackagesOfPresentDevices(&used)) {
    packages->clear();
    return SurveyResult::kDevicesUnreadable;
  }
  for (OemPackage& package : *packages) package.usedByPresentDevice = used.count(LowerAscii(package.name.c_str())) != 0;
  return SurveyResult::kDone;
}

namespace {

// "<name>  Provider: ...  Class: ...  DriverVer: ...", then a mark for a
// package that a present device is installed from.
void WritePackageLine(const OemPackage& package, bool forText) {
  std::wstring text = package.name;
  const std::pair<DWORD, const std::wstring*> values[] = {{MSG_DP_ENUM_PROVIDER, &package.provider},
                                                          {MSG_DP_ENUM_CLASS, &package.className},
                                                          {MSG_DP_ENUM_DRIVER_VERSION, &package.driverVersion}};
  for (const auto& value : values) {
    if (!value.second->empty()) text += EngineMessageText(value.first, value.second->c_str());
  }
  if (package.usedByPresentDevice) text += EngineMessageText(forText ? MSG_DP_ENUM_KEPT : MSG_DP_ENUM_IN_USE);
  wchar_t line[kLineCharacters];
  const size_t limit = kLineCharacters - 1;
  // A cut line keeps its line end, so that the lines still add up to the count.
  if (FormatLine(line, limit, L"%ls\n", text.c_str()) < 0) line[limit - 1] = L'\n';
  WriteDeviceLine(line);
}

}  // namespace

// Changes nothing: it shows the store, or what the clean-up would do with
// a text. The machine name is ignored, as for the store's other commands.
int ListDriverPackages(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                       const wchar_t* const* argv) {
  (void)baseName;
  (void)machine;
  (void)flags;
  // Its one argument is a text that may hold blanks: a second is most
  // likely the rest of an unquoted text.
  if (argc > 1) return ENGINE_BAD_USAGE;
  const wchar_t* text = argc == 1 ? argv[0] : nullptr;
  std::vector<OemPackage> packages;
  if (SurveyOemPackages(text, PackageDetails::kVersionValues, &packages) != SurveyResult::kDone) return ENGINE_FAILED;
  for (const OemPackage& package : packages) WritePackageLine(package, text != nullptr);
  if (packages.empty()) {
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_ENUM_NONE);
  } else {
    WriteEngineMessage(TEXT_STDOUT, MSG_DP_ENUM_COUNT, static_cast<DWORD>(packages.size()));
  }
  return ENGINE_DONE;
}
