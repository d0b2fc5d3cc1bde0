// Owners of what the engine's commands acquire from the platform, released
// on every way out of the command.
#pragma once

#include <string>

#include "platform/platform.h"

// A device information set; an invalid one is never destroyed.
class ScopedDeviceSet {
 public:
  explicit ScopedDeviceSet(HDEVINFO devs) : devs_(devs) {}
  ~ScopedDeviceSet() {
    if (devs_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(devs_);
  }
  ScopedDeviceSet(const ScopedDeviceSet&) = delete;
  ScopedDeviceSet& operator=(const ScopedDeviceSet&) = delete;
  HDEVINFO get() const { return devs_; }
  bool valid() const { return devs_ != INVALID_HANDLE_VALUE; }

 private:
  HDEVINFO devs_;
};

// One of the system's libraries, loaded at run time by its full path in the
// system directory, never from wherever a search would find its name first;
// null when it could not be loaded.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(const wchar_t* name) : module_(LoadSystemLibrary(name)) {}
  ~ScopedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;
  HMODULE get() const { return module_; }

  // The named function as type Fn, or null.
  template <typename Fn>
  Fn Find(const char* function) const {
    return ProcAs<Fn>(GetProcAddress(module_, function));
  }

 private:
  static HMODULE LoadSystemLibrary(const wchar_t* name) {
    WCHAR directory[MAX_PATH];
    UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(directory, length);
    if (path.back() != L'\\') path += L'\\';
    return LoadLibraryW((path + name).c_str());
  }

  HMODULE module_;
};
