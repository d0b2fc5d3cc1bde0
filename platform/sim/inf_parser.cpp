// Windows' INF parser as the simulation models it: how bytes become sections,
// lines, keys and fields, and how a field's %tokens% are replaced. Each rule
// names where Windows' behaviour is recorded.
#include "platform/sim/inf_parser.h"

#include <cwchar>

namespace sim::detail {
namespace {

const DWORD kErrorExpectedSectionName = 0xE0000000;
const DWORD kErrorBadSectionNameLine = 0xE0000001;
const DWORD kErrorSectionNameTooLong = 0xE0000002;
const size_t kMaxSectionNameLength = 255;  // setupapi/tests/parser.c, section_names

// --- Bytes to text ------------------------------------------------------------

std::wstring DecodeUtf16(const std::string& bytes) {
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    text += static_cast<wchar_t>(unit);
  }
  return text;
}

// Windows-1252 stands for the ANSI code page of a Western system: its bytes
// 0x80-0x9F are typographic characters, the rest are Latin-1. Undefined
// bytes map to the control character of the same value, as Windows does.
wchar_t FromAnsi(unsigned char byte) {
  static const wchar_t k80To9F[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return byte >= 0x80 && byte <= 0x9F ? k80To9F[byte - 0x80] : static_cast<wchar_t>(byte);
}

// docs "General guidelines for INF files": an INF is UTF-16 LE with its
// byte-order mark, or else ANSI (so UTF-8 bytes read as several characters).
// setupapi/tests/parser.c, key_names: a NUL reads as a blank, Ctrl-Z ends
// the file.
std::wstring Decode(const std::string& bytes) {
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    text = DecodeUtf16(bytes);
  } else {
    for (char byte : bytes) text += FromAnsi(static_cast<unsigned char>(byte));
  }
  size_t end = text.find(L'\x1A');
  if (end != std::wstring::npos) text.resize(end);
  for (wchar_t& c : text) {
    if (c == L'\0') c = L' ';
  }
  return text;
}

// --- Lines ----------------------------------------------------------------------

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

// parser.c, key_names: a line whose last character outside quotes and
// comment is a backslash continues on the next; the backslash and the blanks
// around the joint go. docs "INF Strings Section": a string that ends in a
// backslash is quoted for that reason. False, and `text` unchanged, else.
bool TakeContinuation(std::wstring* text) {
  bool quoted = false;
  size_t last = std::wstring::npos;
  bool lastQuoted = false;
  for (size_t i = 0; i < text->size(); ++i) {
    wchar_t c = (*text)[i];
    if (c == L'"') quoted = !quoted;
    if (!quoted && c == L';') break;
    if (IsBlank(c)) continue;
    last = i;
    lastQuoted = quoted;
  }
  if (last == std::wstring::npos || (*text)[last] != L'\\' || lastQuoted) return false;
  *text = Trim(text->substr(0, last));
  return true;
}

// One line into key and fields: ';' outside quotes starts a comment, ','
// outside quotes ends a field, and '=' outside quotes ends the key only in
// the first field (parser.c, key_names: "ab,cd=ef" has no key). Blanks
// around a field go; blanks inside quotes stay; "" in quotes is ".
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
    if (!quoted && c == L'=' && !line.hasKey && line.fields.empty()) {
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
    if (EqualNoCase(section.name, name)) return section;
  }
  file.sections.push_back(InfSection{name, {}});
  return file.sections.back();
}

// A section header, or the error that refuses it.
DWORD SectionHeader(const std::wstring& raw, std::wstring* name) {
  size_t close = raw.find(L']');
  if (close == std::wstring::npos) return kErrorBadSectionNameLine;
  if (close - 1 > kMaxSectionNameLength) return kErrorSectionNameTooLong;
  *name = raw.substr(1, close - 1);
  return 0;
}

bool ParseText(const std::wstring& text, InfFile* file, UINT* errorLine, DWORD* error) {
  InfSection* current = nullptr;
  std::wstring pending;  // a line continued so far
  bool continuing = false;
  UINT number = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring raw = Trim(text.substr(start, end - start));
    start = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == L'\r') raw = Trim(raw.substr(0, raw.size() - 1));
    if (!continuing && (raw.empty() || raw[0] == L';')) continue;
    if (!continuing && raw[0] == L'[') {
      std::wstring name;
      *error = SectionHeader(raw, &name);
      *errorLine = number;
      if (*error) return false;
      current = &SectionNamed(*file, name);
      continue;
    }
    std::wstring line = pending + raw;
    continuing = TakeContinuation(&line);
    pending = continuing ? line : L"";
    if (continuing || line.empty()) continue;
    // parser.c, invalid_files: text before the first section header.
    if (!current) {
      *error = kErrorExpectedSectionName;
      *errorLine = number;
      return false;
    }
    current->lines.push_back(ParseLine(line));
  }
  if (!pending.empty() && current) current->lines.push_back(ParseLine(pending));
  return true;
}

// --- Replacing %tokens% -------------------------------------------------------

// parser.c, key_names (%24%); install.c, test_dirid; docs "Using Dirids".
const wchar_t* DirIdPath(const std::wstring& id) {
  static const struct {
    const wchar_t* id;
    const wchar_t* path;
  } known[] = {{L"10", L"C:\\Windows"},
               {L"11", L"C:\\Windows\\system32"},
               {L"12", L"C:\\Windows\\system32\\drivers"},
               {L"17", L"C:\\Windows\\INF"},
               {L"24", L"C:\\"},
               {L"30", L"C:\\"}};
  for (const auto& entry : known) {
    if (id == entry.id) return entry.path;
  }
  return nullptr;
}

// docs "INF Strings Section", "Creating International INF Files": the
// system language's [Strings.<language ID>] comes before [Strings].
const InfLine* StringValue(const InfFile& file, const std::wstring& key) {
  wchar_t localized[32];
  std::swprintf(localized, 32, L"Strings.%04X", SystemLanguage());
  for (const wchar_t* name : {static_cast<const wchar_t*>(localized), L"Strings"}) {
    const InfSection* section = FindSection(file, name);
    const InfLine* value = section ? FindKey(*section, key) : nullptr;
    if (value && !value->fields.empty()) return value;
  }
  return nullptr;
}

}  // namespace

bool ParseInf(const std::string& bytes, InfFile* file, UINT* errorLine, DWORD* error) {
  return ParseText(Decode(bytes), file, errorLine, error);
}

bool LoadInf(const std::wstring& name, InfFile* file, UINT* errorLine, DWORD* error) {
  bool bare = name.find_first_of(L"\\/:") == std::wstring::npos;
  std::wstring path = bare ? std::wstring(kInfDirectory) + L"\\" + name : FullPath(name);
  std::string bytes;
  if (name.empty() || !ReadFile(path, &bytes)) {
    *error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  return ParseInf(bytes, file, errorLine, error);
}

const InfSection* FindSection(const InfFile& file, const std::wstring& name) {
  for (const InfSection& section : file.sections) {
    if (EqualNoCase(section.name, name)) return &section;
  }
  return nullptr;
}

const InfLine* FindKey(const InfSection& section, const std::wstring& key) {
  for (const InfLine& line : section.lines) {
    if (line.hasKey && EqualNoCase(line.key, key)) return &line;
  }
  return nullptr;
}

// %% is one percent sign; an unknown token stays as it is; a directory's
// trailing backslash and the one after the token are one (%24%\fred is C:\fred).
std::wstring FieldText(const InfFile& file, const std::wstring& text) {
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t close = text[i] == L'%' ? text.find(L'%', i + 1) : std::wstring::npos;
    if (close == std::wstring::npos) {
      result += text[i];
      continue;
    }
    std::wstring key = text.substr(i + 1, close - i - 1);
    const wchar_t* directory = DirIdPath(key);
    const InfLine* value = key.empty() || directory ? nullptr : StringValue(file, key);
    if (key.empty()) {
      result += L'%';
    } else if (directory) {
      result += directory;
      if (result.back() == L'\\' && close + 1 < text.size() && text[close + 1] == L'\\') ++close;
    } else {
      result += value ? value->fields[0] : text.substr(i, close - i + 1);
    }
    i = close;
  }
  return result;
}

std::wstring LineText(const InfFile& file, const InfLine& line) {
  std::wstring text;
  for (size_t i = 0; i < line.fields.size(); ++i) {
    if (i) text += L',';
    text += FieldText(file, line.fields[i]);
  }
  return text;
}

bool HasWin4Signature(const InfFile& file) {
  const InfSection* version = FindSection(file, L"Version");
  const InfLine* line = version ? FindKey(*version, L"Signature") : nullptr;
  std::wstring signature = line ? Lower(LineText(file, *line)) : L"";
  return signature == L"$windows nt$" || signature == L"$chicago$" || signature == L"$windows 95$";
}

}  // namespace sim::detail
