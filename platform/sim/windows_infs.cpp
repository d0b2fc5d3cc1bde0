// Windows' own INF files, which every real INF folder holds beside the OEM
// packages: minimal but shaped like the real ones (a [Version] and a
// [Manufacturer] with a models line), so that whatever walks the folder
// meets them before and among the oem<N>.inf names (docs "FindNextFileW",
// remarks: NTFS lists a folder alphabetically).
#include "platform/sim/sim_internal.h"

namespace sim::detail {

void AddWindowsInfs() {
  static const struct {
    const wchar_t* name;
    const char* className;
    const char* classGuid;
    const char* hardwareId;
  } infs[] = {
      {L"1394.inf", "1394", "{6bdd1fc1-810f-11d0-bec7-08002be2092f}", "PCI\\CC_0C0010"},
      {L"acpi.inf", "System", "{4d36e97d-e325-11ce-bfc1-08002be10318}", "ACPI_HAL\\PNP0C08"},
      {L"machine.inf", "System", "{4d36e97d-e325-11ce-bfc1-08002be10318}", "*PNP0A03"},
      {L"usb.inf", "USB", "{36fc9e60-c465-11cf-8056-444553540000}", "USB\\COMPOSITE"},
      {L"volume.inf", "Volume", "{71a27cdd-812a-11d0-bec7-08002be2092f}", "STORAGE\\Volume"},
  };
  for (const auto& inf : infs) {
    AddFile(std::wstring(kInfDirectory) + L"\\" + inf.name,
            std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=") + inf.className +
                "\r\nClassGuid=" + inf.classGuid +
                "\r\nProvider=%MSFT%\r\n\r\n[Manufacturer]\r\n%MSFT%=Models,NTamd64\r\n\r\n"
                "[Models.NTamd64]\r\n%Device%=Install," +
                inf.hardwareId +
                "\r\n\r\n[Install.NT]\r\n\r\n"
                "[Strings]\r\nMSFT=\"Microsoft\"\r\nDevice=\"" +
                inf.className + " device\"\r\n");
  }
}

}  // namespace sim::detail
