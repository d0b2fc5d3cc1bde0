// INF files of the simulation: the list of a directory's INF files, opening
// one, its sections and lines, a line's text, and the class it declares.
// The files themselves live in the simulated file system; inf_parser.cpp
// reads them as Windows does.
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/sim/device_tree.h"
#include "platform/sim/inf_parser.h"

using namespace sim::detail;

namespace {

std::map<const void*, InfFile>& OpenInfs() {
  static std::map<const void*, InfFile> infs;
  return infs;
}

std::wstring VersionValue(const InfFile& file, const wchar_t* key) {
  const InfSection* version = FindSection(file, L"Version");
  const InfLine* line = version ? FindKey(*version, key) : nullptr;
  return line ? LineText(file, *line) : L"";
}

const InfFile* FindInf(HINF inf) {
  auto found = OpenInfs().find(inf);
  if (found == OpenInfs().end() || !sim::detail::IsOpen(sim::detail::HandleKind::Inf, inf)) {
    return Fail(ERROR_INVALID_HANDLE, nullptr);
  }
  return &found->second;
}

// Copies `text` and its terminator when it fits; the size (terminator
// included) goes to `required` either way. A null buffer asks for the size.
BOOL GiveText(const std::wstring& text, PWSTR buffer, DWORD size, PDWORD required) {
  DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (required) *required = needed;
  if (buffer && size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (buffer) std::wmemcpy(buffer, text.c_str(), needed);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

bool ParseGuid(const std::wstring& text, GUID* guid) {
  unsigned d1, d2, d3, b[8];
  int used = 0;
  std::string narrow = sim::Utf8(text);
  if (std::sscanf(narrow.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                  &b[3], &b[4], &b[5], &b[6], &b[7], &used) != 11 ||
      used != static_cast<int>(narrow.size())) {
    return false;
  }
  guid->Data1 = d1;
  guid->Data2 = static_cast<uint16_t>(d2);
  guid->Data3 = static_cast<uint16_t>(d3);
  for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<uint8_t>(b[i]);
  return true;
}

}  // namespace

namespace sim::detail {
void ResetInfFiles() { OpenInfs().clear(); }
}  // namespace sim::detail

BOOL SetupGetInfFileListW(PCWSTR directoryPath, DWORD infStyle, PWSTR returnBuffer, DWORD returnBufferSize,
                          PDWORD requiredSize) {
  std::string arguments = Quote(directoryPath) + ", " + Hex(infStyle) + ", " + (returnBuffer ? "buffer" : "no buffer") +
                          ", " + std::to_string(returnBufferSize);
  if (FaultedCall("SetupGetInfFileListW", arguments)) return FALSE;
  std::wstring directory = directoryPath ? directoryPath : sim::kInfDirectory;
  std::wstring list;
  // install.c, test_inffilelist: a missing folder gives an empty list.
  if (!sim::DirectoryExists(directory)) {
    BOOL given = GiveText(list, returnBuffer, returnBufferSize, requiredSize);
    return given ? Fail(ERROR_PATH_NOT_FOUND, TRUE) : FALSE;
  }
  const std::wstring prefix = directory + L'\\';
  // The file system's order (docs "FindNextFileW"): see sim::ListDirectory.
  for (const std::wstring& name : sim::ListDirectory(directory)) {
    if (name.size() < 4 || !EqualNoCase(name.substr(name.size() - 4), L".inf")) continue;
    InfFile file;
    UINT line = 0;
    DWORD error = 0;
    if (!LoadInf(prefix + name, &file, &line, &error)) continue;
    bool win4 = HasWin4Signature(file);
    if ((win4 && (infStyle & INF_STYLE_WIN4)) || (!win4 && (infStyle & INF_STYLE_OLDNT))) list += name + L'\0';
  }
  // A multi-string: the names' nulls are in `list`, GiveText adds the last.
  return GiveText(list, returnBuffer, returnBufferSize, requiredSize);
}

HINF SetupOpenInfFileW(PCWSTR fileName, PCWSTR infClass, DWORD infStyle, PUINT errorLine) {
  std::string arguments = Quote(fileName) + ", " + Quote(infClass) + ", " + Hex(infStyle);
  if (FaultedCall("SetupOpenInfFileW", arguments)) return INVALID_HANDLE_VALUE;
  InfFile file;
  UINT line = 0;
  DWORD error = ERROR_SUCCESS;
  if (!fileName || !LoadInf(fileName, &file, &line, &error)) {
    if (errorLine) *errorLine = line;
    return Fail(fileName ? error : ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  if (errorLine) *errorLine = 0;
  bool win4 = HasWin4Signature(file);
  if ((win4 && !(infStyle & INF_STYLE_WIN4)) || (!win4 && !(infStyle & INF_STYLE_OLDNT))) {
    return Fail(ERROR_WRONG_INF_STYLE, INVALID_HANDLE_VALUE);
  }
  if (infClass && !EqualNoCase(VersionValue(file, L"Class"), infClass)) {
    return Fail(ERROR_CLASS_MISMATCH, INVALID_HANDLE_VALUE);
  }
  void* handle = NewHandle(HandleKind::Inf);
  OpenInfs()[handle] = file;
  SetLastError(ERROR_SUCCESS);
  return handle;
}

void SetupCloseInfFile(HINF infHandle) {
  unsigned long error = 0;
  FaultInjected("SetupCloseInfFile", "", &error);  // it reports nothing, so a fault changes nothing
  if (ReleaseHandle(HandleKind::Inf, infHandle)) OpenInfs().erase(infHandle);
}

BOOL SetupEnumInfSectionsW(HINF infHandle, UINT index, PWSTR buffer, UINT size, UINT* sizeNeeded) {
  if (FaultedCall("SetupEnumInfSectionsW", std::to_string(index) + ", " + std::to_string(size))) return FALSE;
  const InfFile* file = FindInf(infHandle);
  if (!file) return FALSE;
  if (index >= file->sections.size()) return Fail(ERROR_NO_MORE_ITEMS);
  DWORD needed = 0;
  BOOL given = GiveText(file->sections[index].name, buffer, size, &needed);
  if (sizeNeeded) *sizeNeeded = needed;
  return given;
}

BOOL SetupFindFirstLineW(HINF infHandle, PCWSTR section, PCWSTR key, PINFCONTEXT context) {
  if (FaultedCall("SetupFindFirstLineW", Quote(section) + ", " + Quote(key))) return FALSE;
  const InfFile* file = FindInf(infHandle);
  if (!file) return FALSE;
  if (!section || !context) return Fail(ERROR_INVALID_PARAMETER);
  for (size_t s = 0; s < file->sections.size(); ++s) {
    if (!EqualNoCase(file->sections[s].name, section)) continue;
    const std::vector<InfLine>& lines = file->sections[s].lines;
    for (size_t l = 0; l < lines.size(); ++l) {
      if (key && !(lines[l].hasKey && EqualNoCase(lines[l].key, key))) continue;
      *context = INFCONTEXT{infHandle, infHandle, static_cast<UINT>(s), static_cast<UINT>(l)};
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
    return Fail(ERROR_LINE_NOT_FOUND);
  }
  return Fail(ERROR_LINE_NOT_FOUND);  // a missing section too: setupapi/tests/parser.c, test_GLE
}

BOOL SetupFindNextLine(const INFCONTEXT* contextIn, PINFCONTEXT contextOut) {
  if (FaultedCall("SetupFindNextLine", contextIn ? std::to_string(contextIn->Line) : "null")) return FALSE;
  if (!contextIn || !contextOut) return Fail(ERROR_INVALID_PARAMETER);
  const InfFile* file = FindInf(contextIn->CurrentInf);
  if (!file) return FALSE;
  if (contextIn->Section >= file->sections.size()) return Fail(ERROR_INVALID_PARAMETER);
  if (contextIn->Line + 1 >= file->sections[contextIn->Section].lines.size()) return Fail(ERROR_LINE_NOT_FOUND);
  *contextOut = *contextIn;
  ++contextOut->Line;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL SetupGetLineTextW(const INFCONTEXT* context, HINF infHandle, PCWSTR section, PCWSTR key, PWSTR returnBuffer,
                       DWORD returnBufferSize, PDWORD requiredSize) {
  std::string arguments = (context ? "context " + std::to_string(context->Section) + "/" + std::to_string(context->Line)
                                   : Quote(section) + ", " + Quote(key)) +
                          ", " + std::to_string(returnBufferSize);
  if (FaultedCall("SetupGetLineTextW", arguments)) return FALSE;
  const InfFile* file = FindInf(context ? context->CurrentInf : infHandle);
  if (!file) return FALSE;
  const InfLine* line = nullptr;
  if (context) {
    if (context->Section >= file->sections.size() || context->Line >= file->sections[context->Section].lines.size()) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    line = &file->sections[context->Section].lines[context->Line];
  } else {
    if (!section || !key) return Fail(ERROR_INVALID_PARAMETER);
    const InfSection* found = FindSection(*file, section);
    if (!found) return Fail(ERROR_LINE_NOT_FOUND);  // as SetupFindFirstLineW: parser.c, test_GLE
    line = FindKey(*found, key);
    if (!line) return Fail(ERROR_LINE_NOT_FOUND);
  }
  return GiveText(LineText(*file, *line), returnBuffer, returnBufferSize, requiredSize);
}

BOOL SetupDiGetINFClassW(PCWSTR infName, LPGUID classGuid, PWSTR className, DWORD classNameSize, PDWORD requiredSize) {
  if (FaultedCall("SetupDiGetINFClassW", Quote(infName) + ", " + std::to_string(classNameSize))) return FALSE;
  if (!infName || !classGuid || !className) return Fail(ERROR_INVALID_PARAMETER);
  InfFile file;
  UINT line = 0;
  DWORD error = 0;
  if (!LoadInf(infName, &file, &line, &error)) return Fail(error);
  std::wstring name = VersionValue(file, L"Class");
  std::wstring guidText = VersionValue(file, L"ClassGUID");
  GUID guid = {};
  bool hasGuid = ParseGuid(guidText, &guid);
  // Windows: devinst.c, test_get_inf_class: either entry names the class
  // when the system knows it; the other is looked up.
  if (!hasGuid && !name.empty()) {
    std::vector<GUID> known = sim::ClassGuids(name);
    hasGuid = !known.empty();
    if (hasGuid) guid = known.front();
  }
  if (hasGuid && name.empty()) name = sim::ClassName(guid);
  if (name.empty() || !hasGuid) return Fail(ERROR_INVALID_CLASS);
  if (!GiveText(name, className, classNameSize, requiredSize)) return FALSE;
  *classGuid = guid;
  return TRUE;
}
