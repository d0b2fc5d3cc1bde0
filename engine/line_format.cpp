#include "engine/line_format.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

const size_t kLargestLine = 1u << 20;

// A buffer that is too small gets no terminator from glibc nor from Windows'
// runtime, and their results differ, so the whole text is formatted into a
// buffer that grows until it fits, and cut here. A text that does not fit
// even the largest buffer is cut to what the runtime wrote of it: the
// buffer starts zeroed, so that shows where the written text ends.
int FormatBounded(wchar_t* buffer, size_t capacity, size_t limit, const wchar_t* format, va_list args) {
  if (limit >= capacity) limit = capacity - 1;
  std::vector<wchar_t> whole(capacity);
  int length;
  for (;;) {
    va_list attempt;
    va_copy(attempt, args);
    length = std::vswprintf(whole.data(), whole.size(), format, attempt);
    va_end(attempt);
    if (length >= 0 && static_cast<size_t>(length) < whole.size()) break;
    if (whole.size() >= kLargestLine) {
      length = -1;
      break;
    }
    whole.assign(whole.size() * 2, L'\0');
  }
  size_t kept = length >= 0 ? static_cast<size_t>(length)
                            : static_cast<size_t>(std::find(whole.begin(), whole.end(), L'\0') - whole.begin());
  bool cut = length < 0 || kept > limit;
  if (kept > limit) kept = limit;
  std::wmemcpy(buffer, whole.data(), kept);
  buffer[kept] = L'\0';
  return cut ? -1 : length;
}

}  // namespace

int FormatLine(wchar_t (&buffer)[kLineCharacters], size_t limit, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int result = FormatBounded(buffer, kLineCharacters, limit, format, args);
  va_end(args);
  return result;
}

int FormatShortLine(wchar_t (&buffer)[kShortLineCharacters], size_t limit, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int result = FormatBounded(buffer, kShortLineCharacters, limit, format, args);
  va_end(args);
  return result;
}
