// INF files of the simulation: the list of a directory's INF files, opening
// one, its sections and lines, a line's text, and the class it declares.
// The files themselves live in the simulated file system (UTF-8, or UTF-16
// with its byte-order mark).
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/sim/device_tree.h"
#include "platform/sim/sim_internal.h"

using sim::detail::Fail;

namespace {

// Windows' INF parser errors and limits.
const DWORD kErrorBadSectionNameLine = 0xE0000001;
const DWORD kErrorSectionNameTooLong = 0xE0000002;
const size_t kMaxSectionNameLength = 255;

struct InfLine {
  bool hasKey = false;
  std::wstring key;
  std::vector<std::wstring> fields;  // quotes removed, blanks trimmed
};

struct InfSection {
  std::wstring name;
  std::vector<InfLine> lines;
};

struct InfFile {
  std::vector<InfSection> sections;  // in order of first appearance; repeats merge
};

std::map<const void*, InfFile>& OpenInfs() {
  static std::map<const void*, InfFile> infs;
  return infs;
}

// --- Reading and parsing ------------------------------------------------------

std::wstring DecodeUtf16(const std::string& bytes) {
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

std::wstring DecodeUtf8(const std::string& bytes) {
  std::wstring text;
  size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < bytes.size()) {
    unsigned char lead = static_cast<unsigned char>(bytes[i]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    unsigned long c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < bytes.size(); ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
    text += static_cast<wchar_t>(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return text;
}

std::wstring Decode(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return DecodeUtf16(bytes);
  return DecodeUtf8(bytes);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

// One line into key and fields: ';' outside quotes starts a comment, the
// first '=' outside quotes ends the key, ',' outside quotes ends a field.
// Blanks around a field go; blanks inside quotes stay; "" in quotes is ".
InfLine ParseLine(const std::wstring& text) {
  InfLine line;
  std::wstring field;
  size_t keep = 0;  // length of `field` up to its last character that stays
  bool quoted = false;
  auto endField = [&]() {
    field.resize(keep);
    line.fields.push_back(field);
    field.clear();
    keep = 0;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
        field += L'"';
        keep = field.size();
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    if (!quoted && c == L';') break;
    if (!quoted && c == L'=' && !line.hasKey) {
      field.resize(keep);
      line.hasKey = true;
      line.key = field;
      field.clear();
      keep = 0;
      continue;
    }
    if (!quoted && c == L',') {
      endField();
      continue;
    }
    if (!quoted && IsBlank(c) && field.size() == 0) continue;
    field += c;
    if (quoted || !IsBlank(c)) keep = field.size();
  }
  endField();
  return line;
}

InfSection& SectionNamed(InfFile& file, const std::wstring& name) {
  for (InfSection& section : file.sections) {
    if (sim::detail::EqualNoCase(section.name, name)) return section;
  }
  file.sections.push_back(InfSection{name, {}});
  return file.sections.back();
}

// False on a syntax error, with its 1-based line number.
bool Parse(const std::wstring& text, InfFile* file, UINT* errorLine, DWORD* error) {
  InfSection* current = nullptr;
  UINT number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring raw = Trim(text.substr(start, end - start));
    start = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == L'\r') raw = Trim(raw.substr(0, raw.size() - 1));
    if (raw.empty() || raw[0] == L';') continue;
    if (raw[0] == L'[') {
      size_t close = raw.find(L']');
      *error = close == std::wstring::npos ? kErrorBadSectionNameLine : kErrorSectionNameTooLong;
      if (close == std::wstring::npos || close - 1 > kMaxSectionNameLength) {
        *errorLine = number;
        return false;
      }
      current = &SectionNamed(*file, raw.substr(1, close - 1));
      continue;
    }
    if (current) current->lines.push_back(ParseLine(raw));
  }
  return true;
}

const InfSection* FindSection(const InfFile& file, const std::wstring& name) {
  for (const InfSection& section : file.sections) {
    if (sim::detail::EqualNoCase(section.name, name)) return &section;
  }
  return nullptr;
}

const InfLine* FindKey(const InfSection& section, const std::wstring& key) {
  for (const InfLine& line : section.lines) {
    if (line.hasKey && sim::detail::EqualNoCase(line.key, key)) return &line;
  }
  return nullptr;
}

// %key% from [Strings]; %% is one percent sign; an unknown key stays as it is.
std::wstring Substitute(const InfFile& file, const std::wstring& text) {
  const InfSection* strings = FindSection(file, L"Strings");
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    if (close == std::wstring::npos) {
      result += text[i];
      continue;
    }
    std::wstring key = text.substr(i + 1, close - i - 1);
    const InfLine* value = strings && !key.empty() ? FindKey(*strings, key) : nullptr;
    if (key.empty()) {
      result += L'%';
    } else if (value && !value->fields.empty()) {
      result += value->fields[0];
    } else {
      result += text.substr(i, close - i + 1);
    }
    i = close;
  }
  return result;
}

std::wstring LineText(const InfFile& file, const InfLine& line) {
  std::wstring text;
  for (size_t i = 0; i < line.fields.size(); ++i) {
    if (i) text += L',';
    text += Substitute(file, line.fields[i]);
  }
  return text;
}

std::wstring VersionValue(const InfFile& file, const wchar_t* key) {
  const InfSection* version = FindSection(file, L"Version");
  const InfLine* line = version ? FindKey(*version, key) : nullptr;
  return line ? LineText(file, *line) : L"";
}

bool HasWin4Signature(const InfFile& file) {
  std::wstring signature = sim::detail::Lower(VersionValue(file, L"Signature"));
  return signature == L"$windows nt$" || signature == L"$chicago$" || signature == L"$windows 95$";
}

// A bare name is looked up in the system's INF directory.
std::wstring InfPath(const std::wstring& name) {
  if (name.find(L'\\') == std::wstring::npos && name.find(L'/') == std::wstring::npos &&
      name.find(L':') == std::wstring::npos) {
    return std::wstring(sim::kInfDirectory) + L"\\" + name;
  }
  return sim::FullPath(name);
}

bool LoadInf(const std::wstring& name, InfFile* file, UINT* errorLine, DWORD* error) {
  std::string bytes;
  if (name.empty() || !sim::ReadFile(InfPath(name), &bytes)) {
    *error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  return Parse(Decode(bytes), file, errorLine, error);
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

using namespace sim::detail;

BOOL SetupGetInfFileListW(PCWSTR directoryPath, DWORD infStyle, PWSTR returnBuffer, DWORD returnBufferSize,
                          PDWORD requiredSize) {
  std::string arguments = Quote(directoryPath) + ", " + Hex(infStyle) + ", " +
                          (returnBuffer ? "buffer" : "no buffer") + ", " + std::to_string(returnBufferSize);
  if (FaultedCall("SetupGetInfFileListW", arguments)) return FALSE;
  std::wstring directory = directoryPath ? directoryPath : sim::kInfDirectory;
  if (!sim::DirectoryExists(directory)) return Fail(ERROR_PATH_NOT_FOUND);
  std::wstring list;
  const std::wstring prefix = directory + L'\\';
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
  Enter("SetupCloseInfFile", "", &error);  // it reports nothing, so a fault changes nothing
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
  return Fail(ERROR_SECTION_NOT_FOUND);
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

BOOL SetupGetLineTextW(const INFCONTEXT* context, HINF infHandle, PCWSTR section, PCWSTR key,
                       PWSTR returnBuffer, DWORD returnBufferSize, PDWORD requiredSize) {
  std::string arguments = (context ? "context " + std::to_string(context->Section) + "/" +
                                         std::to_string(context->Line)
                                   : Quote(section) + ", " + Quote(key)) +
                          ", " + std::to_string(returnBufferSize);
  if (FaultedCall("SetupGetLineTextW", arguments)) return FALSE;
  const InfFile* file = FindInf(context ? context->CurrentInf : infHandle);
  if (!file) return FALSE;
  const InfLine* line = nullptr;
  if (context) {
    if (context->Section >= file->sections.size() ||
        context->Line >= file->sections[context->Section].lines.size()) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    line = &file->sections[context->Section].lines[context->Line];
  } else {
    if (!section || !key) return Fail(ERROR_INVALID_PARAMETER);
    const InfSection* found = FindSection(*file, section);
    if (!found) return Fail(ERROR_SECTION_NOT_FOUND);
    line = FindKey(*found, key);
    if (!line) return Fail(ERROR_LINE_NOT_FOUND);
  }
  return GiveText(LineText(*file, *line), returnBuffer, returnBufferSize, requiredSize);
}

BOOL SetupDiGetINFClassW(PCWSTR infName, LPGUID classGuid, PWSTR className, DWORD classNameSize,
                         PDWORD requiredSize) {
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
