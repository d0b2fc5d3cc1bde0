// Shared by the device tests: the one set a test reads a device through.
#pragma once

#include <string>

#include "platform/sim/sim_devices.h"
#include "sim_test.h"

// Every device of this computer in one set, destroyed at the end of scope.
class AllDevices {
 public:
  AllDevices() : devs_(SetupDiGetClassDevsExW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES, nullptr, nullptr,
                                              nullptr)) {}
  ~AllDevices() { SetupDiDestroyDeviceInfoList(devs_); }
  AllDevices(const AllDevices&) = delete;
  AllDevices& operator=(const AllDevices&) = delete;

  HDEVINFO devs() const { return devs_; }
  // The device at `index` of the set.
  SP_DEVINFO_DATA* At(DWORD index) {
    data_.cbSize = sizeof data_;
    EXPECT_TRUE(SetupDiEnumDeviceInfo(devs_, index, &data_));
    return &data_;
  }

 private:
  HDEVINFO devs_;
  SP_DEVINFO_DATA data_ = {};
};

// The wide string as UTF-8, or "(null)".
inline std::string Text(const wchar_t* text) { return text ? sim::Utf8(text) : "(null)"; }
