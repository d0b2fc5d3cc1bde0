// The README's examples, run on the machine its text describes. An example is
// a fenced block whose first line is "> pelmora...": each "> " line is a
// command, the lines under it what it prints (standard error, then standard
// output: each example writes to one, or the install banner first), and
// "> echo %ERRORLEVEL%" the last exit code. Lines of an nsis block are lines
// of the example installer.
#include <fstream>
#include <sstream>

#include "engine/engine.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_devices.h"
#include "sim_test.h"

namespace {

std::string Read(const std::string& file) {
  std::ifstream in(PELMORA_SOURCE_DIR "/" + file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Blanks part words outside quotes, and the quotes go, as the C runtime reads a command line.
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
  const int argc = static_cast<int>(argv.size());
  return words[0] == L"pelmora.exe" ? RunFrontEnd(argc, argv.data()) : EngineRun(argc, argv.data());
}

class Readme : public SimTest {};

TEST_F(Readme, ExamplesPrintWhatTheyShow) {
  for (const wchar_t* name : {L"pelmora_sample.inf", L"pelmora_serial.inf", L"pelmora_widget.inf"}) {
    sim::AddFile(L"C:\\Program Files\\Acme\\drivers\\" + std::wstring(name), Read("examples/" + sim::Utf8(name)));
  }
  sim::AddFile(L"C:\\Program Files\\Acme\\setup.exe", "MZ");
  sim::SetVersion(10, 0, 0);
  sim::DeviceSpec device = sim::Device(L"ROOT\\PELMORASAMPLE\\0000", L"PelmoraSample", {L"ROOT\\PELMORA_SAMPLE"});
  sim::SetProperty(device, SPDRP_DEVICEDESC, sim::Sz(L"Pelmora sample device"));
  device.hasDriverKey = true, device.infPath = L"oem0.inf";
  sim::AddDevice(device);
  sim::AddDevice(sim::Device(L"PCI\\VEN_8086&DEV_1234\\3&1", L"Net", {L"PCI\\VEN_8086&DEV_1234"}));

  const std::string script = "\n" + Read("examples/nsis/pelmora.nsi");
  std::vector<std::pair<std::string, std::string>> steps;  // a command, and what the README shows it print
  std::string block;  // the opening fence, then "example" or "other" after its first line
  size_t nsisLines = 0;
  std::istringstream readme(Read("README.md"));
  for (std::string line; std::getline(readme, line);) {
    line = line.substr(0, line.find('\r'));
    if (line.rfind("```", 0) == 0) {
      block = block.empty() ? line : "";
    } else if (block == "```nsis") {
      ++nsisLines;
      EXPECT_NE(std::string::npos, script.find("\n" + line + "\n")) << line;
    } else if (block == "```") {
      block = line.rfind("> pelmora", 0) == 0 ? "example" : "other";
    }
    if (block != "example") continue;
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
  EXPECT_TRUE(steps.size() >= 12 && nsisLines >= 3) << "the examples are found";
}

}  // namespace
