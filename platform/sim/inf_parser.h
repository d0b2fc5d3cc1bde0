// Inside the simulation: an INF file's text as Windows' INF parser reads it,
// shared by the INF functions and the driver store.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_internal.h"

namespace sim::detail {

struct InfLine {
  bool hasKey = false;
  std::wstring key;
  std::vector<std::wstring> fields;  // quotes removed, blanks trimmed
};

struct InfSection {
  std::wstring name;
  std::vector<InfLine> lines;
};

struct InfFile {
  std::vector<InfSection> sections;  // in order of first appearance; repeats merge
};

// The bytes of a file as sections and lines; false on a syntax error, with
// the error and its 1-based line number.
bool ParseInf(const std::string& bytes, InfFile* file, UINT* errorLine, DWORD* error);
// A bare name is looked up in the system's INF directory.
bool LoadInf(const std::wstring& name, InfFile* file, UINT* errorLine, DWORD* error);

const InfSection* FindSection(const InfFile& file, const std::wstring& name);
const InfLine* FindKey(const InfSection& section, const std::wstring& key);
// A field with its %strkey% and %dirid% tokens replaced.
std::wstring FieldText(const InfFile& file, const std::wstring& field);
// The fields of a line, replaced, joined by commas.
std::wstring LineText(const InfFile& file, const InfLine& line);
bool HasWin4Signature(const InfFile& file);

// What a package's INF asks of the driver store (inf_package.cpp).
bool HasManufacturerEntry(const InfFile& file);
// The source names of the files its CopyFiles directives name.
std::vector<std::wstring> FilesToCopy(const InfFile& file);
// Whether it copies files to DestinationDirs' DirId 13 (the driver store).
bool RunsFromDriverStore(const InfFile& file);

}  // namespace sim::detail
