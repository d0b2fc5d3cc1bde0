// FormatMessageW over the program's message table and a few system error
// texts, LocalFree for the buffers it hands out, and the USER32/KERNEL32
// string helpers.
#include <cwchar>
#include <map>
#include <set>

#include "platform/sim/sim_internal.h"

namespace sim {
namespace {

struct MessageRow {
  unsigned long id;
  const wchar_t* text;
};

const MessageRow kMessageTable[] = {
#include "sim_message_table.inc"
};

// Texts as the system gives them, in Windows' own wording: one line ending
// in CR LF, "%1" kept when inserts are ignored (docs: "System Error Codes").
// Any other code has no text here, as a code outside the system's table has
// none on Windows (FormatMessageW then fails with ERROR_MR_MID_NOT_FOUND);
// SetupAPI's own codes (0xE000....) are among them: whether the system's
// table holds those is not settled, and the program must read right either way.
const MessageRow kSystemMessages[] = {
    {ERROR_FILE_NOT_FOUND, L"The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, L"The system cannot find the path specified.\r\n"},
    {ERROR_ACCESS_DENIED, L"Access is denied.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, L"Not enough memory resources are available to process this command.\r\n"},
    {ERROR_INVALID_PARAMETER, L"The parameter is incorrect.\r\n"},
    {ERROR_INVALID_NAME, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_BAD_EXE_FORMAT, L"%1 is not a valid Win32 application.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, L"The filename or extension is too long.\r\n"},
};

std::set<unsigned long>& Hidden() {
  static std::set<unsigned long> hidden;
  return hidden;
}

const wchar_t* FindText(const MessageRow* rows, size_t count, unsigned long id) {
  for (size_t i = 0; i < count; ++i) {
    if (rows[i].id == id) return rows[i].text;
  }
  return nullptr;
}

const wchar_t* TableText(unsigned long id) {
  if (Hidden().count(id)) return nullptr;
  return FindText(kMessageTable, sizeof kMessageTable / sizeof kMessageTable[0], id);
}

// Formats insert `number` (1-based) with the printf conversion `spec`. All
// inserts are passed as pointer-sized slots; strings are wide, numbers are
// 32-bit.
std::wstring FormatInsert(va_list* arguments, int number, const std::wstring& spec) {
  va_list args;
  va_copy(args, *arguments);
  for (int i = 1; i < number; ++i) (void)va_arg(args, void*);
  wchar_t conversion = spec.empty() ? L's' : spec.back();
  std::wstring format = L"%" + spec;
  std::wstring result;
  std::vector<wchar_t> buffer(64);
  if (conversion == L's') {
    format.insert(format.size() - 1, L"l");
    const wchar_t* text = va_arg(args, const wchar_t*);
    if (!text) text = L"(null)";
    buffer.resize(std::wcslen(text) + 1 + 512);
    std::swprintf(buffer.data(), buffer.size(), format.c_str(), text);
  } else {
    unsigned int value = va_arg(args, unsigned int);
    std::swprintf(buffer.data(), buffer.size(), format.c_str(), value);
  }
  va_end(args);
  return buffer.data();
}

// The message syntax: %1..%99 with an optional !printf-spec!, %0 ends the
// text, %n is a hard line break, %t %r %b are a tab, a carriage return and a
// blank, any other escaped character stands for itself.
bool Compose(const wchar_t* text, va_list* arguments, std::wstring* result) {
  for (const wchar_t* p = text; *p; ++p) {
    if (*p == L'\n' && (p == text || p[-1] != L'\r')) {
      *result += L"\r\n";  // a bare line feed in the table comes out as CR LF
      continue;
    }
    if (*p != L'%') {
      *result += *p;
      continue;
    }
    ++p;
    if (*p == 0) break;
    if (*p >= L'1' && *p <= L'9') {
      int number = *p - L'0';
      if (p[1] >= L'0' && p[1] <= L'9') number = number * 10 + (*++p - L'0');
      std::wstring spec = L"s";
      if (p[1] == L'!') {
        const wchar_t* end = std::wcschr(p + 2, L'!');
        if (!end) return false;
        spec.assign(p + 2, end);
        p = end;
      }
      if (!arguments) return false;
      *result += FormatInsert(arguments, number, spec);
    } else if (*p == L'0') {
      return true;
    } else if (*p == L'n') {
      *result += L"\r\n";
    } else if (*p == L't' || *p == L'r' || *p == L'b') {
      // Windows: docs "FormatMessageW": %t a tab, %r a bare carriage return, %b a blank.
      *result += *p == L't' ? L'\t' : *p == L'r' ? L'\r' : L' ';
    } else {
      *result += *p;
    }
  }
  return true;
}

// A specific language finds a message in that language only; 0 and the
// neutral defaults (the user's 0x0400, the system's 0x0800) search the
// languages there are. The simulated texts are in the system's language.
// Windows: docs "FormatMessageW" (dwLanguageId).
const DWORD kErrorResourceLangNotFound = 1815;  // ERROR_RESOURCE_LANG_NOT_FOUND

bool LanguageServed(DWORD languageId) {
  const DWORD primary = languageId & 0x3FF;
  return primary == 0 || languageId == detail::SystemLanguage();
}

}  // namespace

void HideMessage(unsigned long id) { Hidden().insert(id); }

namespace detail {
void ResetMessages() { Hidden().clear(); }
}  // namespace detail

}  // namespace sim

using namespace sim::detail;

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments) {
  if (FaultedCall("FormatMessageW", std::to_string(messageId) + ", " + Hex(flags))) return 0;
  if (!(flags & FORMAT_MESSAGE_FROM_STRING) && !sim::LanguageServed(languageId)) {
    return Fail(sim::kErrorResourceLangNotFound, 0);
  }
  const wchar_t* text = nullptr;
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    text = static_cast<const wchar_t*>(source);
  } else {
    if ((flags & FORMAT_MESSAGE_FROM_HMODULE) && source == nullptr) text = sim::TableText(messageId);
    if (!text && (flags & FORMAT_MESSAGE_FROM_SYSTEM)) {
      text =
          sim::FindText(sim::kSystemMessages, sizeof sim::kSystemMessages / sizeof sim::kSystemMessages[0], messageId);
    }
  }
  if (!text) return Fail(ERROR_MR_MID_NOT_FOUND, 0);
  std::wstring composed;
  if (flags & FORMAT_MESSAGE_IGNORE_INSERTS) {
    composed = text;
  } else if (!sim::Compose(text, arguments, &composed)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (composed.empty()) {
    SetLastError(ERROR_SUCCESS);
    return 0;
  }
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    wchar_t* allocated = new wchar_t[composed.size() + 1];
    std::wmemcpy(allocated, composed.c_str(), composed.size() + 1);
    TrackHandle(HandleKind::LocalBuffer, allocated);
    *reinterpret_cast<LPWSTR*>(buffer) = allocated;
  } else {
    if (composed.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    std::wmemcpy(buffer, composed.c_str(), composed.size() + 1);
  }
  return static_cast<DWORD>(composed.size());
}

HLOCAL LocalFree(HLOCAL memory) {
  if (!memory) return nullptr;
  if (!ReleaseHandle(HandleKind::LocalBuffer, memory)) return Fail(ERROR_INVALID_HANDLE, memory);
  delete[] static_cast<wchar_t*>(memory);
  return nullptr;
}

namespace {

// Combining diacritical marks and their supplements, extended and for symbols
// and half marks.
bool IsCombiningMark(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

}  // namespace

// Windows: docs "CharNextW": a character with the combining marks after it
// is one step ('a' + U+030A).
LPWSTR CharNextW(LPCWSTR current) {
  if (!*current) return const_cast<LPWSTR>(current);
  const wchar_t* next = current + 1;
  while (IsCombiningMark(*next)) ++next;
  return const_cast<LPWSTR>(next);
}

int lstrlenW(LPCWSTR string) { return string ? static_cast<int>(std::wcslen(string)) : 0; }
