// The README's examples, run on the machine its text describes. An example is
// a fenced block whose first line is "> pelmora...": each "> " line is a
// command, the lines under it what it prints (standard error, then standard
// output; every example writes to one of them, or the install banner first),
// and "> echo %ERRORLEVEL%" prints the last exit code. The lines of an "nsis"
// block are lines of the example installer.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "engine/engine.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

std::vector<std::string> Lines(const std::string& file, bool trim = false) {
  std::ifstream in(std::string(PELMORA_SOURCE_DIR "/") + file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (trim) line.erase(0, line.find_first_not_of(' '));
    lines.push_back(line);
  }
  return lines;
}

// Blanks part words outside quotes; the quotes go, as the C runtime reads them.
int RunCommandLine(const std::string& command) {
  std::vector<std::wstring> words{L""};
  bool quoted = false;
  for (char c : command) {
    if (c == '"') quoted = !quoted;
    else if (c == ' ' && !quoted) words.emplace_back();
    else words.back() += static_cast<wchar_t>(c);
  }
  std::vector<const wchar_t*> argv;
  for (const std::wstring& word : words) argv.push_back(word.c_str());
  if (words[0] == L"pelmora-engine.exe") return EngineRun(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(L"pelmora.exe", words[0]);
  return RunFrontEnd(static_cast<int>(argv.size()), argv.data());
}

class Readme : public SimTest {};

TEST_F(Readme, ExamplesPrintWhatTheyShow) {
  const std::wstring acme = L"C:\\Program Files\\Acme\\";
  for (const char* name : {"pelmora_sample.inf", "pelmora_serial.inf", "pelmora_widget.inf"}) {
    std::ifstream inf(std::string(PELMORA_SOURCE_DIR "/examples/") + name, std::ios::binary);
    sim::AddFile(acme + L"drivers\\" + std::wstring(name, name + std::strlen(name)), std::string(std::istreambuf_iterator<char>(inf), {}));
  }
  sim::AddFile(acme + L"setup.exe", "MZ");
  sim::SetVersion(10, 0, 0);
  sim::DeviceSpec device = sim::Device(L"ROOT\\PELMORASAMPLE\\0000", L"PelmoraSample", {L"ROOT\\PELMORA_SAMPLE"});
  sim::SetProperty(device, SPDRP_DEVICEDESC, sim::Sz(L"Pelmora sample device"));
  device.hasDriverKey = true, device.infPath = L"oem0.inf";
  sim::AddDevice(device);
  sim::AddDevice(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234"}));

  std::vector<std::pair<std::string, std::string>> steps;  // a command, and what the README shows it print
  bool fence = false, first = false, example = false;
  for (const std::string& line : Lines("README.md")) {
    if (line.rfind("```", 0) == 0) fence = !fence, first = fence, example = false;
    else if (first) first = false, example = line.rfind("> pelmora", 0) == 0;
    if (!example) continue;
    if (line.rfind("> ", 0) == 0) steps.push_back({line.substr(2), ""});
    else steps.back().second += line + "\n";
  }
  int code = 0;
  for (const auto& [command, shown] : steps) {
    sim::ClearOutput();
    if (command != "echo %ERRORLEVEL%") code = RunCommandLine(command);
    EXPECT_EQ(shown, command == "echo %ERRORLEVEL%" ? std::to_string(code) + "\n" : sim::StdErr() + sim::StdOut())
        << command;
  }
  EXPECT_GE(steps.size(), 12u) << "the examples are found";

  const std::vector<std::string> script = Lines("examples/nsis/pelmora.nsi", true);
  int nsisLines = 0;
  for (const std::string& line : Lines("README.md", true)) {
    fence = line.rfind("```", 0) == 0 ? !fence && line == "```nsis" : fence;
    if (!fence || line.rfind("```", 0) == 0) continue;
    ++nsisLines;
    EXPECT_NE(script.end(), std::find(script.begin(), script.end(), line)) << line;
  }
  EXPECT_GE(nsisLines, 3);
}

}  // namespace
