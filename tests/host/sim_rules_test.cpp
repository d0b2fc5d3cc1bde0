// The simulated machine's answers that the program's rules are built on, held
// to Windows': a drifted simulation would pass tests on a machine that does
// not exist. One row per answer, naming where Windows' behaviour is recorded;
// append rows as the program comes to depend on more.
#include <cstdio>
#include <functional>
#include <string>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const std::string kVersion = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";

std::string Error() {
  char text[16];
  std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(GetLastError()));
  return text;
}
std::string Answer(unsigned long result) { return std::to_string(result) + "/" + Error(); }

// UTF-16 LE with its byte-order mark, of Latin-1 text.
std::string Utf16(const std::string& latin1) {
  std::string bytes = "\xFF\xFE";
  for (char c : latin1) bytes += std::string{c, '\0'};
  return bytes;
}

// The texts of section [A]'s lines (only the first line of `key` when one is
// given), joined by '|', or the error that stopped the reading.
std::string Texts(const std::string& content, const wchar_t* key = nullptr) {
  sim::AddFile(L"C:\\t.inf", content);
  UINT errorLine = 0;
  HINF inf = SetupOpenInfFileW(L"C:\\t.inf", nullptr, INF_STYLE_WIN4, &errorLine);
  if (inf == INVALID_HANDLE_VALUE) return "open " + Error() + " line " + std::to_string(errorLine);
  std::string texts;
  INFCONTEXT line;
  bool more = SetupFindFirstLineW(inf, L"A", key, &line);
  std::string error = more ? "" : "find " + Error();
  for (; more; more = !key && SetupFindNextLine(&line, &line)) {
    WCHAR text[64] = {};
    SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, 64, nullptr);
    texts += (texts.empty() ? "" : "|") + sim::Utf8(text);
  }
  SetupCloseInfFile(inf);
  return texts + error;
}

std::string Store(const wchar_t* source) {
  WCHAR name[MAX_PATH] = {};
  PWSTR file = name;
  std::string answer = Answer(SetupCopyOEMInfW(source, nullptr, SPOST_PATH, 0, name, MAX_PATH, nullptr, &file));
  return answer + " " + sim::Utf8(file);
}

std::string Uninstall(const wchar_t* name, DWORD flags) {
  HMODULE setupapi = LoadLibraryW(L"setupapi.dll");
  auto uninstall = reinterpret_cast<SetupUninstallOEMInfWFn>(GetProcAddress(setupapi, "SetupUninstallOEMInfW"));
  std::string answer = Answer(uninstall(name, flags, nullptr));
  FreeLibrary(setupapi);
  return answer;
}

std::string FileList(const wchar_t* folder) {
  WCHAR list[256] = {};
  DWORD size = 0;
  std::string answer = Answer(SetupGetInfFileListW(folder, INF_STYLE_WIN4, list, 256, &size));
  answer += " " + std::to_string(size);
  for (const wchar_t* name = list; *name; name += std::wcslen(name) + 1) answer += " " + sim::Utf8(name);
  return answer;
}

std::string FullPath(size_t characters) {
  WCHAR buffer[MAX_PATH] = L"#";
  SetLastError(0);
  std::string answer = Answer(GetFullPathNameW((L"C:\\" + std::wstring(characters - 3, L'p')).c_str(), MAX_PATH, buffer, 0));
  return answer + (*buffer == L'#' ? " untouched" : "");
}

const std::string kDriverStorePackage = PackageInf("", "[DestinationDirs]\r\nDefaultDestDir=13\r\n");

struct Rule {
  const char* evidence;
  std::function<std::string()> answer;
  const char* expected;
};

const Rule kRules[] = {
    {"docs GetFullPathNameW: 259 characters fit, 260 ask for 261 and leave the buffer alone",
     [] { return FullPath(259) + " " + FullPath(260); }, "259/0 261/0 untouched"},
    {"setupapi/tests/parser.c key_names: no key, quotes, blanks, comment; the size needed when it does not fit",
     [] {
       sim::AddFile(L"C:\\a.inf", kVersion + "[A]\r\n k = \"ab\" ,%S% ; c\r\n[Strings]\r\nS=cd\r\n");
       HINF inf = SetupOpenInfFileW(L"C:\\a.inf", nullptr, INF_STYLE_WIN4, nullptr);
       INFCONTEXT line;
       WCHAR text[5] = {};
       DWORD needed = 0;
       std::string answer = Answer(SetupFindFirstLineW(inf, L"a", nullptr, &line) &&
                                   SetupGetLineTextW(&line, nullptr, nullptr, nullptr, text, 5, &needed));
       SetupCloseInfFile(inf);
       answer += " " + std::to_string(needed);
       return answer + " " + Texts(kVersion + "[A]\r\n k = \"ab\" ,%S% ; c\r\n[Strings]\r\nS=cd\r\n");
     },
     "0/7A 6 ab,cd"},
    {"parser.c key_names: a backslash at the end of a line continues it",
     [] { return Texts(kVersion + "[A]\r\nba\\\r\ncd=ef\r\nba=c \\\r\n \\\r\n a\r\nq=\"x\\\"\r\n", L"bacd") + " " +
                 Texts(kVersion + "[A]\r\nba=c \\\r\n \\\r\n a\r\nq=\"x\\\"\r\n"); },
     "ef ca|x\\"},
    {"parser.c key_names: '=' separates a key only in the first field",
     [] { return Texts(kVersion + "[A]\r\nab,cd=ef\r\n,=,,b\r\n") + " " + Texts(kVersion + "[A]\r\nab,cd=ef\r\n", L"ab"); },
     "ab,cd=ef|,=,,b find E0000102"},
    {"parser.c key_names, install.c test_dirid: numeric directory IDs are replaced",
     [] { return Texts(kVersion + "[A]\r\n%24%,%24%\\fred,%10%\\x,%11%,%99%\r\n"); },
     "C:\\,C:\\fred,C:\\Windows\\x,C:\\Windows\\system32,%99%"},
    {"docs General guidelines for INF files: without a UTF-16 byte-order mark a file is ANSI (Windows-1252 here)",
     [] { return Texts(kVersion + "[A]\r\nM\xFCller\r\n\xC3\xBC\x80\r\n") + " " +
                 Texts(Utf16(kVersion + "[A]\r\n\xFC\r\n")); },
     "M\xC3\xBCller|\xC3\x83\xC2\xBC\xE2\x82\xAC \xC3\xBC"},
    {"docs INF Strings Section, Creating International INF Files: [Strings.<language ID>] before [Strings]",
     [] {
       const std::string inf = kVersion + "[A]\r\n%S%,%T%\r\n[Strings]\r\nS=en\r\nT=all\r\n[Strings.0407]\r\nS=de\r\n";
       std::string answer = Texts(inf);
       sim::SetLanguage(0x0407);
       return answer + " " + Texts(inf);
     },
     "en,all de,all"},
    {"parser.c key_names: NUL reads as a blank, Ctrl-Z ends the file",
     [] {
       const char lines[] = "[A]\r\nabcd=ef\0gh\r\nab=c\x1A" "d\r\nx\r\n";
       return Texts(kVersion + std::string(lines, sizeof lines - 1));
     },
     "ef gh|c"},
    {"parser.c invalid_files: text before the first section header",
     [] { return Texts("x\r\n" + kVersion); }, "open E0000000 line 1"},
    {"parser.c test_GLE: a missing section has no line",
     [] { return Texts(kVersion + "[B]\r\nx\r\n"); }, "find E0000102"},
    {"devinst.c test_copy_oem_inf: a name not in the INF folder (bogus.inf)",
     [] { return Uninstall(L"bogus.inf", 0) + " " + Uninstall(L"oem7.inf", SUOI_FORCEDELETE); }, "0/2 0/2"},
    {"devinst.c test_copy_oem_inf (comment): Windows 10 refuses to delete a package without [Manufacturer]",
     [] {
       sim::AddFile(L"C:\\Windows\\INF\\oem1.inf", kVersion);
       sim::AddFile(L"C:\\Windows\\INF\\oem2.inf", kVersion + "[Manufacturer]\r\n");
       std::string answer = Uninstall(L"oem1.inf", 0) + " ";  // Windows 7: deleted
       sim::SetVersion(10, 0, 0);
       sim::AddFile(L"C:\\Windows\\INF\\oem1.inf", kVersion);
       sim::AddFile(L"C:\\Windows\\INF\\oem3.inf", PackageInf(""));
       return answer + Uninstall(L"oem1.inf", 0) + " " + Uninstall(L"oem2.inf", 0) + " " + Uninstall(L"oem3.inf", 0);
     },
     "1/0 0/57 0/57 1/0"},
    {"docs SetupUninstallOEMInfW: the force is ignored for a package run from the driver store while a device, "
     "present or not, uses it",
     [] {
       for (const wchar_t* name : {L"oem1.inf", L"oem2.inf"}) {
         sim::AddFile(L"C:\\Windows\\INF\\" + std::wstring(name), kDriverStorePackage);
         sim::DeviceSpec device = sim::Device(L"ROOT\\D\\" + std::wstring(name), L"System", {L"ROOT\\D"});
         device.hasDriverKey = true;
         device.infPath = name;
         device.present = false;
         sim::AddDevice(device);
       }
       sim::AddFile(L"C:\\Windows\\INF\\oem3.inf", kDriverStorePackage);
       return Uninstall(L"oem1.inf", 0) + " " + Uninstall(L"oem2.inf", SUOI_FORCEDELETE) + " " +
              Uninstall(L"oem3.inf", 0);
     },
     "0/E000023D 0/E000023D 1/0"},
    {"misc.c test_SetupCopyOEMInf: from Vista an INF without [Manufacturer] is refused; every file CopyFiles "
     "names must be present (devinst.c test_driver_store)",
     [] {
       sim::AddFile(L"C:\\p\\a.inf", kVersion);
       sim::AddFile(L"C:\\p\\b.inf", PackageInf("", "[I]\r\nCopyFiles=Files,@x.dll\r\n[Files]\r\nw.sys,y.sys\r\n"));
       std::string answer = Store(L"C:\\p\\a.inf") + " " + Store(L"C:\\p\\b.inf");
       sim::AddFile(L"C:\\p\\y.sys", "");
       sim::AddFile(L"C:\\p\\x.dll", "");
       answer += " " + Store(L"C:\\p\\b.inf");
       sim::SetVersion(5, 2, 2);
       return answer + " " + Store(L"C:\\p\\a.inf");
     },
     "0/E000024A  0/2  1/0 oem0.inf 1/0 oem1.inf"},
    {"misc.c test_SetupCopyOEMInf: the lowest free oemN.inf; the same INF keeps its name",
     [] {
       std::string answer;
       for (const char* tag : {"1", "2", "2", "3"}) {
         if (*tag == '3') sim::RemoveFile(L"C:\\Windows\\INF\\oem0.inf");
         sim::AddFile(L"C:\\p.inf", PackageInf("", std::string("; ") + tag));
         answer += Store(L"C:\\p.inf") + " ";
       }
       return answer;
     },
     "1/0 oem0.inf 1/0 oem1.inf 1/0 oem1.inf 1/0 oem0.inf "},
    {"install.c test_inffilelist: a missing folder is an empty list; docs FindNextFileW: NTFS lists alphabetically",
     [] {
       for (const wchar_t* name : {L"oem2.inf", L"oem10.inf", L"_x.inf"}) {
         sim::AddFile(L"C:\\Windows\\INF\\" + std::wstring(name), PackageInf(""));
       }
       return FileList(L"C:\\none") + ", " + FileList(L"C:\\Windows\\INF");
     },
     "1/3 1, 1/0 76 1394.inf acpi.inf machine.inf oem10.inf oem2.inf usb.inf volume.inf _x.inf"},
};

class SimRules : public SimTest {};

TEST_F(SimRules, AnswerAsWindowsDoes) {
  for (const Rule& rule : kRules) {
    SCOPED_TRACE(rule.evidence);
    sim::Reset();
    EXPECT_EQ(rule.expected, rule.answer());
  }
}

}  // namespace
