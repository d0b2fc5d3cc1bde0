// "install <inf> <hardware ID>": creates a root-enumerated device of the INF
// file's setup class with that hardware ID, registers it, then installs the
// INF file's driver on every device that carries the ID.
#include <cwchar>

#include "engine/engine.h"
#include "engine/message_output.h"
#include "engine/system_library.h"
#include "messages.h"
#include "platform/scoped_handle.h"

namespace {

// The longest hardware ID taken: it is never shortened.
const size_t kLongestHardwareId = 255;

bool ArgumentsUsable(const wchar_t* machine, int argc, const wchar_t* const* argv) {
  return !machine && argc >= 2 && argv[0][0] != 0 && argv[1][0] != 0;
}

// False when the full path fails or does not fit `MAX_PATH` characters with
// its terminator: a path is never cut.
bool FullInfPath(const wchar_t* path, WCHAR (&fullPath)[MAX_PATH]) {
  DWORD length = GetFullPathNameW(path, MAX_PATH, fullPath, nullptr);
  return length != 0 && length < MAX_PATH;
}

}  // namespace

int UpdateDriverFromInf(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                        const wchar_t* const* argv) {
  (void)baseName;
  (void)flags;  // the update always forces
  if (!ArgumentsUsable(machine, argc, argv)) return ENGINE_BAD_USAGE;
  const wchar_t* hardwareId = argv[1];
  WCHAR fullPath[MAX_PATH];
  if (!FullInfPath(argv[0], fullPath)) return ENGINE_FAILED;
  if (GetFileAttributesW(fullPath) == INVALID_FILE_ATTRIBUTES) return ENGINE_FAILED;

  ScopedLibrary newdev = LoadSystemLibrary(L"newdev.dll");
  if (!newdev.valid()) return ENGINE_FAILED;
  auto update = FindFunction<UpdateDriverForPlugAndPlayDevicesWFn>(newdev, "UpdateDriverForPlugAndPlayDevicesW");
  if (!update) return ENGINE_FAILED;

  WriteEngineMessage(TEXT_STDOUT, MSG_UPDATING_DRIVERS, ShownText(hardwareId).c_str(), ShownText(fullPath).c_str());
  BOOL rebootRequired = FALSE;
  if (!update(nullptr, hardwareId, fullPath, INSTALLFLAG_FORCE, &rebootRequired)) return ENGINE_FAILED;
  WriteEngineMessage(TEXT_STDOUT, MSG_DRIVERS_UPDATED);
  return rebootRequired ? ENGINE_NEEDS_REBOOT : ENGINE_DONE;
}

int InstallRootDevice(const wchar_t* baseName, const wchar_t* machine, DWORD flags, int argc,
                      const wchar_t* const* argv) {
  if (!ArgumentsUsable(machine, argc, argv)) return ENGINE_BAD_USAGE;
  WCHAR fullPath[MAX_PATH];
  if (!FullInfPath(argv[0], fullPath)) return ENGINE_FAILED;

  // The ID, its terminator and the null that closes the list.
  WCHAR hardwareIdList[MAX_PATH] = {};
  size_t idLength = std::wcslen(argv[1]);
  if (idLength > kLongestHardwareId) return ENGINE_FAILED;
  std::wmemcpy(hardwareIdList, argv[1], idLength);

  GUID classGuid;
  WCHAR className[MAX_CLASS_NAME_LEN];
  if (!SetupDiGetINFClassW(fullPath, &classGuid, className, MAX_CLASS_NAME_LEN, nullptr)) return ENGINE_FAILED;
  ScopedDeviceSet set(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
  if (!set.valid()) return ENGINE_FAILED;

  SP_DEVINFO_DATA devInfo;
  devInfo.cbSize = sizeof devInfo;
  DWORD listBytes = static_cast<DWORD>((idLength + 2) * sizeof(WCHAR));
  bool registered =
      SetupDiCreateDeviceInfoW(set.get(), className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID, &devInfo) &&
      SetupDiSetDeviceRegistryPropertyW(set.get(), &devInfo, SPDRP_HARDWAREID,
                                        reinterpret_cast<const BYTE*>(hardwareIdList), listBytes) &&
      SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &devInfo);
  if (!registered) return ENGINE_FAILED;
  WriteEngineMessage(TEXT_STDOUT, MSG_DEVICE_CREATED);
  // A registered device stays, even when its driver cannot be installed.
  return UpdateDriverFromInf(baseName, nullptr, flags, argc, argv);
}
