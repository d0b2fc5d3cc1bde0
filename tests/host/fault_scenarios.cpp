#include <regex>
#include <sstream>

#include "engine/engine.h"
#include "expected_message.h"
#include "fault_matrix.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const char kValidInf[] =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
    "ClassGuid={6D1F2E0A-3C84-4B7A-9E51-0B2F7C3D4A01}\r\nProvider=Pelmora\r\n"
    "[Manufacturer]\r\nPelmora=Models\r\n[Models]\r\nSample=Install,ROOT\\PELMORA_SAMPLE\r\n";

const char kSampleInf[] =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
    "ClassGuid={6D1F2E0A-3C84-4B7A-9E51-0B2F7C3D4A01}\r\n"
    "[Models]\r\nSample=Install,ROOT\\PELMORA_SAMPLE\r\n[Install]\r\nAddReg=Keys\r\n"
    "[Keys]\r\nHKR,,Tag,,\"PELMORA_SAMPLE\"\r\n";

// The lines of composed messages, as patterns; a text insert "@@" or a
// number insert 12345 stands for `wildcard`.
std::vector<std::string> Patterns(std::initializer_list<std::string> messages, const std::string& wildcard = "") {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  std::vector<std::string> patterns;
  for (const std::string& message : messages) {
    std::istringstream in(message);
    for (std::string line; std::getline(in, line);) {
      std::string pattern = std::regex_replace(line, special, R"(\$&)");
      for (const std::string placeholder : {"@@", "12345"}) {
        size_t at = pattern.find(placeholder);
        if (at != std::string::npos) pattern.replace(at, placeholder.size(), "(?:" + wildcard + ")");
      }
      patterns.push_back(pattern);
    }
  }
  return patterns;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The front end when the program is pelmora.exe, the engine otherwise.
std::function<int()> Command(std::initializer_list<std::wstring> items) {
  auto args = std::make_shared<Args>(items);
  const bool frontEnd = *items.begin() == L"pelmora.exe";
  return [args, frontEnd] {
    return frontEnd ? RunFrontEnd(args->argc(), args->argv()) : EngineRun(args->argc(), args->argv());
  };
}

std::wstring InInfDirectory(const wchar_t* name) { return std::wstring(sim::kInfDirectory) + L"\\" + name; }

void ArrangePackageInUse() {
  sim::AddFile(InInfDirectory(L"oem3.inf"), kValidInf);
  sim::MarkPackageInUse(L"oem3.inf");
}

// A small machine: devices of three classes, one of them away, one named
// oddly, two carrying the sample's hardware ID; OEM packages of which two
// mention the sample.
std::function<void()> Devices(sim::Removal sampleRemoval) {
  return [sampleRemoval] {
    sim::DeviceSpec first = sim::Device(L"ROOT\\PELMORA_SAMPLE\\0000", L"Sample", {L"ROOT\\PELMORA_SAMPLE"});
    sim::SetProperty(first, SPDRP_FRIENDLYNAME, sim::Sz(L"Sample device 100%"));
    first.hasDriverKey = true;
    first.infPath = L"oem0.inf";
    sim::AddDevice(first);
    sim::DeviceSpec second =
        sim::Device(L"ROOT\\PELMORA_SAMPLE\\0001", L"Sample", {L"ROOT\\OTHER"}, {L"ROOT\\PELMORA_SAMPLE"});
    second.removal = sampleRemoval;
    sim::SetProperty(second, SPDRP_DEVICEDESC, sim::Sz(L"Sensor \u03A9"));
    sim::AddDevice(second);
    sim::DeviceSpec network = sim::Device(L"PCI\\VEN_8086&DEV_100E\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_100E"});
    network.present = false;
    network.hasDriverKey = true;
    network.infPath = L"OEM2.inf";  // a phantom's package is deleted all the same
    sim::AddDevice(network);
    sim::DeviceSpec hub = sim::Device(L"USB\\VID_1234&PID_0001\\5", L"USB", {});
    hub.hasDriverKey = true;
    hub.infPath = L"OEM1.INF";  // present, not selected: its package stays
    sim::AddDevice(hub);
    sim::AddFile(InInfDirectory(L"oem0.inf"), kSampleInf);
    sim::AddFile(InInfDirectory(L"oem1.inf"), kValidInf);
    sim::AddFile(InInfDirectory(L"OEM2.inf"), std::string(kSampleInf) + "[More]\r\nPELMORA_SAMPLE\r\n");
    sim::AddFile(InInfDirectory(L"machine.inf"), kSampleInf);
  };
}

// Device lines: an instance ID (or "?"), padded, a colon and a name or label;
// or the ID alone when the device has no name.
const char kDeviceLine[] = R"((\?|[A-Z]+\\\S+)( *: .*)?| {60}: Remove failed)";

std::vector<FaultScenario> BuildScenarios() {
  const auto failed = [](const wchar_t* command) {
    return Patterns({ExpectedMessage(60001, L"@@", command)}, R"(dummy\.exe|pelmora\.exe)");
  };
  const std::vector<std::string> dpAddFailures =
      Join({Patterns({ExpectedMessage(61113, L"@@"), ExpectedMessage(61114, L"@@")}, ".+"),
            Patterns({ExpectedMessage(61115, L"@@")}, R"(oem\d+\.inf)"), failed(L"dp_add")});
  const std::vector<std::string> dpDeleteFailures = Join(
      {Patterns({ExpectedMessage(61116), ExpectedMessage(61117), ExpectedMessage(61118)}), failed(L"dp_delete")});
  const auto drivers = [] {
    sim::AddFile(L"C:\\drivers\\a.inf", kValidInf);
    sim::AddFile(L"C:\\drivers\\b.inf", std::string(kValidInf) + "; second\r\n");
    sim::AddFile(L"C:\\drivers\\empty.inf", "");
  };
  const auto relative = [] {
    sim::AddFile(L"C:\\work\\pkg\\x.inf", kValidInf);
    sim::SetCurrentDirectory(L"C:\\work\\pkg");
  };
  std::vector<FaultScenario> scenarios = {
      {"pelmora rescan", [] {}, Command({L"pelmora.exe", L"rescan"}), {0, 2},
       Join({{R"(Reenumerate failed with code = -?\d+)"}, failed(L"rescan")})},
      {"pelmora install", drivers, Command({L"pelmora.exe", L"install", L"C:\\drivers\\"}), {0},
       Join({dpAddFailures, Patterns({ExpectedMessage(61111, L"pelmora.exe", L"C:\\drivers\\"),
                                      ExpectedMessage(61112, L"pelmora.exe", L"C:\\drivers\\")})})},
      {"engine dp_add, relative path", relative, Command({L"dummy.exe", L"dp_add", L"x.inf"}), {0, 2}, dpAddFailures},
      {"engine -f dp_delete", ArrangePackageInUse, Command({L"dummy.exe", L"-f", L"dp_delete", L"oem3.inf"}), {0, 2},
       dpDeleteFailures},
      {"engine dp_delete, package in use", ArrangePackageInUse, Command({L"dummy.exe", L"dp_delete", L"oem3.inf"}),
       {0, 2}, dpDeleteFailures},
      {"pelmora exec", [] { sim::AddFile(L"C:\\tools\\helper.exe", "MZ"); },
       Command({L"pelmora.exe", L"exec", L"C:\\tools\\helper.exe;-x y"}), {0, 2},
       Patterns({ExpectedMessage(61308, L"pelmora.exe", L"C:\\tools\\helper.exe", 12345u)}, R"(\d+)")},
      {"pelmora exec of a batch file", [] { sim::AddFile(L"C:\\tools\\post.bat", "@echo off"); },
       Command({L"pelmora.exe", L"exec", L"C:\\tools\\post.bat;configure quiet"}), {0, 2},
       Patterns({ExpectedMessage(61308, L"pelmora.exe", L"C:\\tools\\post.bat", 12345u)}, R"(\d+)")},
      // A help line without text still gets the line feed written after it.
      {"engine help", [] {}, Command({L"dummy.exe", L"?"}), {0}, {""}},
      {"engine help on one command", [] {}, Command({L"dummy.exe", L"?", L"dp_add"}), {0}, {}},
      {"engine help on an unknown word", [] {}, Command({L"dummy.exe", L"?", L"x"}), {0}, {""}},
      {"pelmora iswinxpsp3orlater", [] {}, Command({L"pelmora.exe", L"iswinxpsp3orlater"}), {0, 2}, {}},
      {"pelmora iswin2000orlater", [] {}, Command({L"pelmora.exe", L"iswin2000orlater"}), {0, 2}, {}},
  };
  const std::vector<std::string> removalLines =
      Join({{kDeviceLine}, Patterns({ExpectedMessage(61202)}),
            Patterns({ExpectedMessage(61204, 12345u), ExpectedMessage(61203, 12345u)}, R"(\d+)"), failed(L"remove")});
  const std::vector<std::string> cleanupLines = Join(
      {removalLines, dpDeleteFailures, Patterns({ExpectedMessage(61119, L"@@")}, R"(OEM\d\.inf|oem\d\.inf)"),
       // A platform that hides devices from the count makes a pattern look like "every device".
       Patterns({ExpectedMessage(61329, L"pelmora.exe", L"@@"), ExpectedMessage(61328, L"pelmora.exe", L"@@"),
                 ExpectedMessage(61324, L"pelmora.exe", L"@@"),
                 ExpectedMessage(61325, L"pelmora.exe"), ExpectedMessage(61326, L"pelmora.exe")},
                R"(\S+)")});
  const std::vector<std::wstring> samples = {L"ROOT\\PELMORA_SAMPLE\\0000", L"ROOT\\PELMORA_SAMPLE\\0001"};
  const std::wstring clean = L"ROOT\\PELMORA_SAMPLE|PELMORA_SAMPLE";
  scenarios.push_back({"pelmora remove with package clean-up", Devices(sim::Removal::kRemoved),
                       Command({L"pelmora.exe", L"remove", clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"pelmora remove, a device needs a restart", Devices(sim::Removal::kNeedsReboot),
                       Command({L"pelmora.exe", L"remove", L"*" + clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"pelmora remove, a device refuses", Devices(sim::Removal::kFailsAtInstaller),
                       Command({L"pelmora.exe", L"remove", clean}), {0, 1, 2}, cleanupLines, samples});
  scenarios.push_back({"engine -r remove, a device needs a restart", Devices(sim::Removal::kNeedsRestart),
                       Command({L"dummy.exe", L"-r", L"remove", L"=Sample", L"ROOT\\*"}), {0, 1, 2}, removalLines,
                       samples});
  const std::vector<std::string> listingLines = Join(
      {{kDeviceLine}, Patterns({ExpectedMessage(60403), ExpectedMessage(60402, L"PC7")}),
       Patterns({ExpectedMessage(60405, 12345u), ExpectedMessage(60404, 12345u, L"PC7")}, R"(\d+)"),
       failed(L"findall")});
  const auto remote = [] {
    Devices(sim::Removal::kRemoved)();
    sim::AddRemoteMachine(L"PC7");
    sim::DeviceSpec device = sim::Device(L"ROOT\\REMOTE\\0000", L"System", {L"ROOT\\REMOTE"});
    device.machine = L"PC7";
    sim::AddDevice(device);
  };
  const auto findall = [&](const char* name, std::function<void()> arrange, std::initializer_list<std::wstring> args) {
    scenarios.push_back({name, std::move(arrange), Command(args), {0, 2}, listingLines});
  };
  findall("engine findall *", Devices(sim::Removal::kRemoved), {L"dummy.exe", L"findall", L"*"});
  findall("engine findall by class and pattern", Devices(sim::Removal::kRemoved),
          {L"dummy.exe", L"findall", L"=Sample", L"*SAMPLE", L"'ROOT\\OTHER"});
  findall("engine findall by instance ID", Devices(sim::Removal::kRemoved),
          {L"dummy.exe", L"findall", L"@ROOT\\PELMORA_SAMPLE\\0001", L"@USB\\*"});
  findall("engine findall on another machine", remote, {L"dummy.exe", L"-m:PC7", L"findall", L"*"});
  const std::vector<std::string> creationLines = Join(
      {Patterns({ExpectedMessage(61002),
                 ExpectedMessage(61102, L"ROOT\\PELMORA_SAMPLE", L"C:\\drivers\\sample.inf"), ExpectedMessage(61106)}),
       failed(L"install")});
  const auto sample = [] { sim::AddFile(L"C:\\drivers\\sample.inf", kSampleInf); };
  scenarios.push_back({"engine install", sample,
                       Command({L"dummy.exe", L"install", L"C:\\drivers\\sample.inf", L"ROOT\\PELMORA_SAMPLE"}),
                       {0, 2}, creationLines});
  scenarios.push_back({"engine -r install, the driver needs a restart",
                       [sample] { sample(); sim::SetDriverUpdateOutcome(true, true); },
                       Command({L"dummy.exe", L"-r", L"install", L"..\\drivers\\sample.inf", L"ROOT\\PELMORA_SAMPLE"}),
                       {0, 1, 2}, creationLines});
  return scenarios;
}

}  // namespace

const std::vector<FaultScenario>& FaultScenarios() {
  static const std::vector<FaultScenario> scenarios = BuildScenarios();
  return scenarios;
}
