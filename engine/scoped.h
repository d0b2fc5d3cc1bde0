// Owners of what the engine's commands acquire from the platform, released
// on every way out of the command.
#pragma once

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

// A library loaded by name at run time; null when it could not be loaded.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
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
  HMODULE module_;
};
