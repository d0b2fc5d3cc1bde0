// What a package's INF asks of the simulated driver store: a manufacturer,
// the files it copies, and whether it runs from the store.
#include "platform/sim/inf_parser.h"

namespace sim::detail {

bool HasManufacturerEntry(const InfFile& file) {
  const InfSection* manufacturer = FindSection(file, L"Manufacturer");
  return manufacturer && !manufacturer->lines.empty();
}

namespace {

// Where a file lies below the package's folder: [SourceDisksFiles] may give a
// subfolder ("name = disk,subfolder"); else it lies beside the INF.
std::wstring SourcePath(const InfFile& file, const std::wstring& name) {
  const InfSection* disksFiles = FindSection(file, L"SourceDisksFiles");
  const InfLine* entry = disksFiles ? FindKey(*disksFiles, name) : nullptr;
  if (!entry || entry->fields.size() < 2 || entry->fields[1].empty()) return name;
  return FieldText(file, entry->fields[1]) + L"\\" + name;
}

bool IsKey(const InfLine& line, const wchar_t* key) { return line.hasKey && EqualNoCase(line.key, key); }

}  // namespace

// Every CopyFiles directive of the file counts, reached from a model or not:
// the simulation asks more than Windows may, never less. An entry is a
// "@file" or a section of "destination[,source]" lines.
std::vector<std::wstring> FilesToCopy(const InfFile& file) {
  std::vector<std::wstring> files;
  for (const InfSection& section : file.sections) {
    for (const InfLine& line : section.lines) {
      if (!IsKey(line, L"CopyFiles")) continue;
      for (const std::wstring& field : line.fields) {
        std::wstring entry = FieldText(file, field);
        if (!entry.empty() && entry[0] == L'@') {
          files.push_back(SourcePath(file, entry.substr(1)));
          continue;
        }
        const InfSection* list = entry.empty() ? nullptr : FindSection(file, entry);
        if (!list) continue;
        for (const InfLine& copy : list->lines) {
          bool renamed = copy.fields.size() > 1 && !copy.fields[1].empty();
          std::wstring name = FieldText(file, renamed ? copy.fields[1] : copy.fields[0]);
          if (!name.empty()) files.push_back(SourcePath(file, name));
        }
      }
    }
  }
  return files;
}

// docs "SetupUninstallOEMInfW": a package that copies files to DirId 13 runs
// from the driver store. Any [DestinationDirs] entry of 13 counts.
bool RunsFromDriverStore(const InfFile& file) {
  const InfSection* destinations = FindSection(file, L"DestinationDirs");
  if (!destinations) return false;
  for (const InfLine& line : destinations->lines) {
    if (!line.fields.empty() && FieldText(file, line.fields[0]) == L"13") return true;
  }
  return false;
}

}  // namespace sim::detail
