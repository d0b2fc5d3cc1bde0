// The one owner of everything the program acquires from the system: a handle,
// or a buffer that the system allocated for it. It gives it back on every way
// out of the scope that holds it. Each kind has a traits record: its handle
// type, the value that means "none" (what the acquiring call returns when it
// fails), and the call that gives it back.
#pragma once

#include "platform/platform.h"

template <typename Traits>
class ScopedHandle {
 public:
  typedef typename Traits::handle_type handle_type;

  ScopedHandle() : handle_(Traits::GetInvalid()) {}
  explicit ScopedHandle(handle_type handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.take()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.take();
    }
    return *this;
  }

  handle_type get() const { return handle_; }
  bool valid() const { return handle_ != Traits::GetInvalid(); }
  explicit operator bool() const { return valid(); }

  // Hands the handle over: the caller gives it back from now on.
  handle_type take() {
    handle_type handle = handle_;
    handle_ = Traits::GetInvalid();
    return handle;
  }

 private:
  void Close() {
    if (valid()) Traits::Close(handle_);
  }

  handle_type handle_;
};

// A device information set (SetupDiGetClassDevsExW, SetupDiCreateDeviceInfoList).
struct DeviceSetTraits {
  typedef HDEVINFO handle_type;
  static handle_type GetInvalid() { return INVALID_HANDLE_VALUE; }
  static void Close(handle_type devs) { SetupDiDestroyDeviceInfoList(devs); }
};

// An open INF file (SetupOpenInfFileW).
struct InfTraits {
  typedef HINF handle_type;
  static handle_type GetInvalid() { return INVALID_HANDLE_VALUE; }
  static void Close(handle_type inf) { SetupCloseInfFile(inf); }
};

// A file search (FindFirstFileW).
struct FindTraits {
  typedef HANDLE handle_type;
  static handle_type GetInvalid() { return INVALID_HANDLE_VALUE; }
  static void Close(handle_type search) { FindClose(search); }
};

// A kernel object: a process, a thread, an access token. The calls that hand
// one out leave null when they fail.
struct KernelHandleTraits {
  typedef HANDLE handle_type;
  static handle_type GetInvalid() { return nullptr; }
  static void Close(handle_type handle) { CloseHandle(handle); }
};

// A registry key as SetupDiOpenDevRegKey hands it out: INVALID_HANDLE_VALUE
// when it fails.
struct RegistryKeyTraits {
  typedef HKEY handle_type;
  static handle_type GetInvalid() { return reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE); }
  static void Close(handle_type key) { RegCloseKey(key); }
};

// A run-time library (LoadLibraryW).
struct LibraryTraits {
  typedef HMODULE handle_type;
  static handle_type GetInvalid() { return nullptr; }
  static void Close(handle_type module) { FreeLibrary(module); }
};

// A text that FormatMessageW allocated (FORMAT_MESSAGE_ALLOCATE_BUFFER).
struct SystemTextTraits {
  typedef LPWSTR handle_type;
  static handle_type GetInvalid() { return nullptr; }
  static void Close(handle_type text) { LocalFree(text); }
};

typedef ScopedHandle<DeviceSetTraits> ScopedDeviceSet;
typedef ScopedHandle<InfTraits> ScopedInf;
typedef ScopedHandle<FindTraits> ScopedFind;
typedef ScopedHandle<KernelHandleTraits> ScopedKernelHandle;
typedef ScopedHandle<RegistryKeyTraits> ScopedRegistryKey;
typedef ScopedHandle<LibraryTraits> ScopedLibrary;
typedef ScopedHandle<SystemTextTraits> ScopedSystemText;
