// Device registry properties as fresh strings and string lists.
#include "engine/device_selection.h"

namespace {

// One reader's numbers, in characters. The platform is always told a size
// that leaves room for the terminators we add.
struct ReadPlan {
  DWORD firstCharacters;  // the first buffer
  DWORD firstOffered;     // of which the platform may fill this much
  DWORD terminators;      // null characters written after the data
};

const ReadPlan kStringPlan = {513, 512, 1};
const ReadPlan kListPlan = {4098, 4096, 2};

// Reads a property with `plan`; returns the new[] buffer with the
// terminators in place, or null. A read that fails for want of room is
// repeated with the size the platform reports, which may change between
// reads. The type a failed read reports is not looked at: not every system
// writes it then, and a list too long for the first buffer is still a list.
// A size that would not grow the buffer cannot be read: ERROR_INVALID_DATA
// then would pass the property off as absent, so another error is left.
wchar_t* ReadProperty(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property, const ReadPlan& plan) {
  wchar_t* buffer = new wchar_t[plan.firstCharacters];
  DWORD offeredBytes = plan.firstOffered * static_cast<DWORD>(sizeof(WCHAR));
  DWORD type = REG_NONE;
  DWORD size = 0;
  while (!SetupDiGetDeviceRegistryPropertyW(devs, devInfo, property, &type, reinterpret_cast<PBYTE>(buffer),
                                            offeredBytes, &size)) {
    delete[] buffer;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return nullptr;
    if (size <= offeredBytes) {
      SetLastError(ERROR_GEN_FAILURE);
      return nullptr;
    }
    buffer = new wchar_t[size / sizeof(WCHAR) + plan.terminators];
    offeredBytes = size;
  }
  for (DWORD i = 0; i < plan.terminators; ++i) buffer[size / sizeof(WCHAR) + i] = L'\0';
  return buffer;
}

}  // namespace

wchar_t* GetDeviceStringProperty(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property) {
  return ReadProperty(devs, devInfo, property, kStringPlan);
}

StringList GetDeviceStringListProperty(HDEVINFO devs, SP_DEVINFO_DATA* devInfo, DWORD property) {
  wchar_t* block = ReadProperty(devs, devInfo, property, kListPlan);
  return block ? SplitMultiString(block) : nullptr;
}

StringList SplitMultiString(wchar_t* block) {
  size_t count = 0;
  for (const wchar_t* p = block; *p; p += lstrlenW(p) + 1) ++count;
  wchar_t** slots = new wchar_t*[count + 2];
  slots[0] = block;
  size_t next = 1;
  for (wchar_t* p = block; *p; p += lstrlenW(p) + 1) slots[next++] = p;
  slots[next] = nullptr;
  return slots + 1;
}

void FreeStringList(StringList list) {
  if (!list) return;
  wchar_t** slots = list - 1;  // the array begins at the block's slot
  delete[] slots[0];
  delete[] slots;
}
