#include <regex>
#include <sstream>

#include "engine/engine.h"
#include "engine/message_ids.h"
#include "expected_message.h"
#include "fault_matrix.h"
#include "frontend/frontend.h"
#include "platform/sim/sim_store.h"
#include "sim_test.h"

namespace {

const char kValidInf[] =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Sample\r\n"
    "ClassGuid={6D1F2E0A-3C84-4B7A-9E51-0B2F7C3D4A01}\r\nProvider=Pelmora\r\n"
    "[Manufacturer]\r\nPelmora=Models\r\n[Models]\r\nSample=Install,ROOT\\PELMORA_SAMPLE\r\n";

std::string Escaped(const std::string& text) {
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  return std::regex_replace(text, special, R"(\$&)");
}

// The lines of a composed message, as patterns; "@@" in an insert stands for
// `wildcard`.
std::vector<std::string> Patterns(const std::string& message, const std::string& wildcard = "") {
  std::vector<std::string> patterns;
  std::istringstream in(message);
  for (std::string line; std::getline(in, line);) {
    std::string pattern = Escaped(line);
    size_t at = pattern.find("@@");
    if (at != std::string::npos) pattern.replace(at, 2, wildcard);
    patterns.push_back(pattern);
  }
  return patterns;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::function<int()> FrontEnd(std::initializer_list<std::wstring> items) {
  auto args = std::make_shared<Args>(items);
  return [args] { return RunFrontEnd(args->argc(), args->argv()); };
}

std::function<int()> Engine(std::initializer_list<std::wstring> items) {
  auto args = std::make_shared<Args>(items);
  return [args] { return EngineRun(args->argc(), args->argv()); };
}

void Nothing() {}

std::vector<FaultScenario> BuildScenarios() {
  const auto failed = [](const wchar_t* command) {
    return Patterns(ExpectedMessage(MSG_COMMAND_FAILED, L"dummy.exe", command));
  };
  const std::vector<std::string> dpAddFailures =
      Join({Patterns(ExpectedMessage(MSG_DP_ADD_BAD_PATH)), Patterns(ExpectedMessage(MSG_DP_ADD_FAILED)),
            Patterns(ExpectedMessage(MSG_DP_ADDED, L"@@"), R"(oem\d+\.inf)"), failed(L"dp_add")});
  const std::vector<std::string> dpDeleteFailures =
      Join({Patterns(ExpectedMessage(MSG_DP_DELETE_FAILED)), Patterns(ExpectedMessage(MSG_DP_IN_USE)),
            Patterns(ExpectedMessage(MSG_DP_NOT_OEM)), failed(L"dp_delete")});

  std::vector<FaultScenario> scenarios;
  scenarios.push_back({"pelmora rescan", Nothing, FrontEnd({L"pelmora.exe", L"rescan"}), {0, 2},
                       Join({{R"(Reenumerate failed with code = -?\d+)"}, failed(L"rescan")})});
  scenarios.push_back({"pelmora install",
                       [&] {
                         sim::AddFile(L"C:\\drivers\\a.inf", kValidInf);
                         sim::AddFile(L"C:\\drivers\\b.inf", std::string(kValidInf) + "; second\r\n");
                         sim::AddFile(L"C:\\drivers\\empty.inf", "");
                       },
                       FrontEnd({L"pelmora.exe", L"install", L"C:\\drivers\\"}), {0}, dpAddFailures});
  scenarios.push_back({"engine dp_add, relative path",
                       [] {
                         sim::AddFile(L"C:\\work\\pkg\\x.inf", kValidInf);
                         sim::SetCurrentDirectory(L"C:\\work\\pkg");
                       },
                       Engine({L"dummy.exe", L"dp_add", L"x.inf"}), {0, 2}, dpAddFailures});
  scenarios.push_back({"engine -f dp_delete",
                       [] {
                         sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\oem3.inf", kValidInf);
                         sim::MarkPackageInUse(L"oem3.inf");
                       },
                       Engine({L"dummy.exe", L"-f", L"dp_delete", L"oem3.inf"}), {0, 2}, dpDeleteFailures});
  scenarios.push_back({"engine dp_delete, package in use",
                       [] {
                         sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\oem3.inf", kValidInf);
                         sim::MarkPackageInUse(L"oem3.inf");
                       },
                       Engine({L"dummy.exe", L"dp_delete", L"oem3.inf"}), {0, 2}, dpDeleteFailures});
  scenarios.push_back({"pelmora exec", [] { sim::AddFile(L"C:\\tools\\helper.exe", "MZ"); },
                       FrontEnd({L"pelmora.exe", L"exec", L"C:\\tools\\helper.exe;-x y"}), {0, 2}, {}});
  // A help line without text still gets the line feed written after it.
  scenarios.push_back({"engine help", Nothing, Engine({L"dummy.exe", L"?"}), {0}, {""}});
  scenarios.push_back({"engine help on one command", Nothing, Engine({L"dummy.exe", L"?", L"dp_add"}), {0}, {}});
  scenarios.push_back({"engine help on an unknown word", Nothing, Engine({L"dummy.exe", L"?", L"x"}), {0}, {""}});
  scenarios.push_back({"pelmora iswinxpsp3orlater", Nothing, FrontEnd({L"pelmora.exe", L"iswinxpsp3orlater"}),
                       {0, 2}, {}});
  scenarios.push_back({"pelmora iswin2000orlater", Nothing, FrontEnd({L"pelmora.exe", L"iswin2000orlater"}),
                       {0, 2}, {}});
  return scenarios;
}

}  // namespace

const std::vector<FaultScenario>& FaultScenarios() {
  static const std::vector<FaultScenario> scenarios = BuildScenarios();
  return scenarios;
}
