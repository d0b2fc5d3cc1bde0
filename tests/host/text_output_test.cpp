// Console text in the reader's language (UTF-16 to a console, the console's or the OEM code page when
// redirected, CR LF line ends, call order kept), and where run-time libraries come from.
#include <string>

#include "engine/system_library.h"
#include "sim_test.h"

namespace {

const int kConsole = -1;

class TextOutput : public SimTest {};

TEST_F(TextOutput, WideTextBecomesWhatTheReaderCanRead) {
  const struct {
    int codePage;  // kConsole, or the console's output code page of a redirected stream
    const wchar_t* text;
    const char* bytes;
  } cases[] = {
      {kConsole, L"Caf\u00E9 \u03A9mega\n", "Caf\xC3\xA9 \xCE\xA9mega\r\n"},  // the console gets every character
      {437, L"Caf\u00E9 \u03A9mega\n", "Caf\x82 \xEAmega\r\n"},
      {0, L"Caf\u00E9 \u03A9mega\n", "Caf\x82 \xEAmega\r\n"},  // no console: the OEM code page
      {65001, L"Caf\u00E9 \u03A9mega\n", "Caf\xC3\xA9 \xCE\xA9mega\r\n"},
      {437, L"\u4E2D\u0101\u2116", "???"},  // never a look-alike
      // Any installed code page converts (docs "Code Page Identifiers"): 850 has Ø where 437 has ¥.
      {850, L"Caf\u00E9 \u00D8 \u03A9\n", "Caf\x82 \x9D ?\r\n"},
      {874, L"Caf\u00E9 \u03A9\n", "Caf? ?\r\n"},  // a code page the system cannot convert to: ASCII
      {437, L"a\r\nb\nc\rd\r\r\n", "a\r\nb\r\nc\rd\r\r\n"},
      {kConsole, L"a\nb\r\n\n", "a\r\nb\r\n\r\n"},
      // Bidirectional controls would reorder a console line; a file keeps them where its code page can.
      {kConsole, L"\u061C\u200E\u200F\u202A\u202E\u2066\u2069|\u202B\u2067\u2068\u200D", "???????|???\xE2\x80\x8D"},
      {65001, L"\u202Eab", "\xE2\x80\xAE" "ab"},
  };
  for (const auto& c : cases) {
    sim::Reset();
    if (c.codePage != kConsole) sim::RedirectOutput(static_cast<unsigned>(c.codePage));
    WriteWideText(TEXT_STDOUT, c.text);
    EXPECT_EQ(c.bytes, sim::RawStdOut()) << c.codePage << " " << sim::Utf8(c.text);
  }
}

TEST_F(TextOutput, NarrowAndWideWritesKeepTheirOrderAndStreams) {
  for (bool redirected : {false, true}) {
    if (redirected) sim::RedirectOutput(437);
    sim::ClearOutput();
    PrintNarrow(TEXT_STDOUT, "Got device node %u\n", 7u);
    WriteWideText(TEXT_STDOUT, L"wide\r\n");
    PrintNarrow(TEXT_STDERR, "err\n");
    WriteNarrowLine(TEXT_STDOUT, "narrow");
    EXPECT_EQ("Got device node 7\r\nwide\r\nnarrow\r\n", sim::RawStdOut());
    EXPECT_EQ("err\n", sim::StdErr());
  }
}

TEST_F(TextOutput, LibrariesComeFromTheSystemDirectoryOnly) {
  EXPECT_NE(nullptr, LoadSystemLibrary(L"newdev.dll").get());
  EXPECT_EQ((std::vector<std::string>{"GetSystemDirectoryW(260)", "LoadLibraryW(\"C:\\Windows\\system32\\newdev.dll\")",
                                      "FreeLibrary(newdev.dll)"}),
            sim::Calls());
  sim::FailCall("GetSystemDirectoryW", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(nullptr, LoadSystemLibrary(L"setupapi.dll").get());
  EXPECT_EQ(1u, sim::CountCalls("LoadLibraryW")) << "nothing is loaded by its bare name";
}

}  // namespace
