// The package clean-up over arbitrary INF text. The input's first line is the
// argument (bytes as Latin-1): with a '|' it goes to RemoveDevicesAndPackages,
// else it is the text for DeleteMatchingOemPackages. The rest, split at byte
// 0, becomes the INF files of the system's INF directory, some named as OEM
// packages, some not. An input that starts with '!' and four bytes makes one
// INF call fail first.
//
// Before the run the target reads each file through the platform itself to
// learn which files hold the text. Then: the walk ends, only listed OEM files
// are opened, each file is deleted at most once and in list order, only a
// file that holds the text is deleted, every file that plainly holds it is
// (when nothing fails), the rest stay as they were, and nothing is left open.
#include <cwchar>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "fuzz_machine.h"
#include "packages/packages.h"

namespace {

const size_t kMostFiles = 12;

struct Fault {
  bool set = false;
  std::string call;
  DWORD error = 0;
  int nth = 1;
  int count = 1;
};

struct FileFacts {
  std::wstring name;
  std::string content;
  bool listed = false;
  bool oem = false;
  bool stored = false;          // named as the driver store names packages
  size_t sections = 0;
  bool anyLineHolds = false;    // some line the walk can reach holds the text
  bool plainlyHolds = false;    // a line the walk surely reads holds it
};

std::wstring FileName(size_t index) {
  const wchar_t* const names[] = {L"oem0.inf", L"OEM1.INF", L"machine.inf", L"oem2.inf",
                                  L"Oem3.inf", L"oemfoo.inf", L"usb.inf", L"oem12.inf"};
  if (index < 8) return names[index];
  return L"oem" + std::to_wstring(index + 10) + L".inf";
}

std::wstring InInfDirectory(const std::wstring& name) { return std::wstring(sim::kInfDirectory) + L"\\" + name; }

const uint8_t* ReadFault(const uint8_t* data, size_t* size, Fault* fault) {
  if (*size < 5 || data[0] != '!') return data;
  const char* const calls[] = {"SetupEnumInfSectionsW", "SetupFindFirstLineW", "SetupGetLineTextW",
                               "SetupFindNextLine",     "SetupOpenInfFileW",   "SetupGetInfFileListW",
                               "SetupUninstallOEMInfW"};
  const DWORD errors[] = {ERROR_INSUFFICIENT_BUFFER, ERROR_NO_MORE_ITEMS,     ERROR_GEN_FAILURE,
                          ERROR_INVALID_HANDLE,      ERROR_NOT_ENOUGH_MEMORY, ERROR_LINE_NOT_FOUND,
                          ERROR_SECTION_NOT_FOUND,   ERROR_FILE_NOT_FOUND,    ERROR_ACCESS_DENIED};
  fault->set = true;
  fault->call = calls[data[1] % 7];
  fault->error = errors[data[2] % 9];
  fault->nth = 1 + data[3] % 16;
  fault->count = data[4] % 4;  // 0: every call from the nth on
  // A section name that never fits walks 65536 indexes per file: right, but
  // too slow to fuzz. The host tests hold that walk to its end.
  if (fault->count == 0 && fault->error == ERROR_INSUFFICIENT_BUFFER && fault->call == calls[0]) fault->count = 3;
  *size -= 5;
  return data + 5;
}

// Reads every section the walk can reach by the names the platform gives.
void Inspect(FileFacts& file, const std::wstring& text) {
  UINT errorLine = 0;
  HINF inf = SetupOpenInfFileW(file.name.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
  if (inf == INVALID_HANDLE_VALUE) return;
  UINT needed = 0;
  for (UINT index = 0; SetupEnumInfSectionsW(inf, index, nullptr, 0, &needed); ++index) {
    ++file.sections;
    std::vector<wchar_t> name(needed, L'\0');
    Require(SetupEnumInfSectionsW(inf, index, name.data(), needed, nullptr) != FALSE);
    // The walk offers 255 characters, terminator included.
    bool nameFits = needed <= 255 && std::wcslen(name.data()) + 1 == needed;
    INFCONTEXT context;
    if (!SetupFindFirstLineW(inf, name.data(), nullptr, &context)) continue;
    do {
      DWORD required = 0;
      Require(SetupGetLineTextW(&context, nullptr, nullptr, nullptr, nullptr, 0, &required) != FALSE);
      std::vector<wchar_t> line(required, L'\0');
      Require(SetupGetLineTextW(&context, nullptr, nullptr, nullptr, line.data(), required, nullptr) != FALSE);
      bool holds = std::wcsstr(line.data(), text.c_str()) != nullptr;
      file.anyLineHolds = file.anyLineHolds || holds;
      file.plainlyHolds = file.plainlyHolds || (holds && nameFits && required <= 1024);
    } while (SetupFindNextLine(&context, &context));
  }
  SetupCloseInfFile(inf);
}

std::vector<std::wstring> InfList() {
  std::vector<std::wstring> names;
  DWORD required = 0;
  Require(SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, nullptr, 0, &required) != FALSE);
  std::vector<wchar_t> list(required, L'\0');
  Require(SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, list.data(), required, nullptr) != FALSE);
  for (const wchar_t* name = list.data(); *name; name += std::wcslen(name) + 1) names.push_back(name);
  return names;
}

size_t CallsStartingWith(const std::string& start) {
  size_t count = 0;
  for (const std::string& call : sim::Calls()) count += call.compare(0, start.size(), start) == 0 ? 1 : 0;
  return count;
}

// The walk as it must have gone, file by file in list order.
void CheckCleanUp(const std::vector<FileFacts>& files, const std::vector<std::wstring>& list, const Fault& fault,
                  bool cleanedUp) {
  size_t opened = 0;
  size_t boundOfSectionCalls = 0;
  for (const FileFacts& file : files) {
    std::string quoted = "(\"" + sim::Utf8(file.name) + "\"";
    size_t opens = CallsStartingWith("SetupOpenInfFileW" + quoted);
    size_t deletions = CallsStartingWith("SetupUninstallOEMInfW" + quoted);
    Require(opens <= (file.listed && file.oem ? 1u : 0u));
    Require(deletions <= 1);
    opened += opens;
    boundOfSectionCalls += opens * (file.sections + 1);
    if (deletions) Require(file.listed && file.oem && file.anyLineHolds);
    if (cleanedUp && !fault.set && file.listed && file.oem && file.plainlyHolds) Require(deletions == 1);
    std::string content;
    bool exists = sim::ReadFile(InInfDirectory(file.name), &content);
    if (!deletions) Require(exists && content == file.content);
    if (deletions && !fault.set && file.stored) Require(!exists);
  }
  // Deletions come in list order, forced: each names a later file of the list.
  size_t position = 0;
  for (const std::string& deletion : sim::CallsTo("SetupUninstallOEMInfW")) {
    while (position < list.size() && deletion != "SetupUninstallOEMInfW(\"" + sim::Utf8(list[position]) + "\", 0x1)") {
      ++position;
    }
    Require(position < list.size());
    ++position;
  }
  // Sections are walked once each, plus the call that finds the end.
  size_t sectionCalls = sim::CountCalls("SetupEnumInfSectionsW");
  if (fault.call != "SetupEnumInfSectionsW") Require(sectionCalls <= boundOfSectionCalls);
  Require(sectionCalls <= opened * 65536);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fault fault;
  data = ReadFault(data, &size, &fault);
  size_t at = 0;
  std::wstring argument;
  for (; at < size && data[at] != '\n' && data[at] != 0; ++at) argument += static_cast<wchar_t>(data[at]);
  sim::Reset();
  AddSteadyDevices();
  std::vector<FileFacts> files;
  for (size_t start = at + 1; start <= size && files.size() < kMostFiles;) {
    size_t end = start;
    while (end < size && data[end] != 0) ++end;
    FileFacts file;
    file.name = FileName(files.size());
    file.content.assign(reinterpret_cast<const char*>(data) + start, end - start);
    file.oem = SameIgnoringAsciiCase(file.name.substr(0, 3), L"oem");
    sim::AddFile(InInfDirectory(file.name), file.content);
    files.push_back(file);
    start = end + 1;
  }
  sim::MarkPackageInUse(L"oem0.inf");

  size_t bar = argument.find(L'|');
  std::wstring text = bar == std::wstring::npos ? argument : argument.substr(bar + 1);
  std::vector<std::wstring> list = InfList();
  std::vector<std::wstring> stored = sim::StoredPackages();
  for (FileFacts& file : files) {
    for (const std::wstring& name : stored) file.stored = file.stored || SameIgnoringAsciiCase(name, file.name);
    for (const std::wstring& name : list) file.listed = file.listed || name == file.name;
    Inspect(file, text);
  }
  RequireNothingOpen();
  sim::ClearCalls();
  if (fault.set) sim::FailCall(fault.call, fault.error, fault.nth, fault.count);

  int result = bar == std::wstring::npos ? DeleteMatchingOemPackages(text) : RemoveDevicesAndPackages(argument);
  RequireNothingOpen();
  Require(result >= ENGINE_DONE && result <= ENGINE_BAD_USAGE);
  bool cleanedUp = sim::CountCalls("SetupGetInfFileListW") > 0;
  if (bar == std::wstring::npos) {
    Require(result == 0 && cleanedUp);
  } else {
    // The clean-up runs only after a removal that asks for nothing more.
    Require(cleanedUp == (result == 0 && !text.empty()));
    size_t walks = sim::CountCalls("SetupDiGetClassDevsExW") + sim::CountCalls("SetupDiCreateDeviceInfoListExW");
    if (bar == 0) Require(walks == 0);
  }
  CheckCleanUp(files, list, fault, cleanedUp);
  return 0;
}
