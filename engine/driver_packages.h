// The OEM packages of this computer's driver store, and which of them the
// package clean-up would delete for a text. "dp_enum" shows what the
// clean-up of "remove pattern|text" decides, by the same functions.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

struct OemPackage {
  std::wstring name;  // oem<digits>.inf, as the INF list gives it
  // From its [Version] section, when asked for; empty where it has none.
  std::wstring provider;
  std::wstring className;
  std::wstring driverVersion;
  bool usedByPresentDevice = false;  // a present device is installed from it
};

enum class SurveyResult {
  kDone,
  kListUnreadable,     // the INF folder or its list cannot be had
  kDevicesUnreadable,  // the packages of present devices cannot be told
};

// What a survey reads of each package besides its name.
enum class PackageDetails {
  kNameOnly,
  kVersionValues,  // provider, class and driver version from [Version]
};

// The OEM packages (oem<digits>.inf) of <Windows>\inf, in list order. With
// `text`, only those in one of whose lines the text occurs (with case);
// a text of blanks and tabs alone selects none. A file that cannot be
// opened is passed over when a text is given, and listed without values
// when not.
SurveyResult SurveyOemPackages(const wchar_t* text, PackageDetails details, std::vector<OemPackage>* packages);

// "oem<digits>.inf", ASCII case ignored: the only names under which the
// driver store holds a package that was added to it. Anything else, a path
// above all, is never handed to the store's deletion.
bool IsOemPackageName(const wchar_t* name);
