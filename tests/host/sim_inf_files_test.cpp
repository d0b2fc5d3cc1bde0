// The simulated INF functions give what Windows gives: the clean-up's tests
// rely on these rules.
#include "sim_test.h"

namespace {

class SimInfFiles : public SimTest {
 protected:
  HINF Open(const std::string& content, const wchar_t* name = L"oem1.inf") {
    sim::AddFile(std::wstring(sim::kInfDirectory) + L"\\" + name, content);
    return SetupOpenInfFileW(name, nullptr, INF_STYLE_WIN4, nullptr);
  }

  // The text of line `line` of `section`.
  std::string LineText(HINF inf, const wchar_t* section, unsigned line) {
    INFCONTEXT context;
    if (!SetupFindFirstLineW(inf, section, nullptr, &context)) return "(no line)";
    for (unsigned i = 0; i < line; ++i) {
      if (!SetupFindNextLine(&context, &context)) return "(no line)";
    }
    WCHAR text[256];
    if (!SetupGetLineTextW(&context, nullptr, nullptr, nullptr, text, 256, nullptr)) return "(error)";
    return sim::Utf8(text);
  }
};

const char kVersion[] = "[Version]\r\nSignature = \"$Windows NT$\"\r\n";

TEST_F(SimInfFiles, LineTextDropsKeyQuotesBlanksAndComments) {
  HINF inf = Open(std::string(kVersion) +
                  "[Models]\r\n"
                  "  %Dev% =  Install , \"ROOT\\X\" ,  \" spaced \" ; comment\r\n"
                  "no key, \"semi;colon\", \"say \"\"hi\"\"\"\r\n"
                  "; only a comment\r\n"
                  "\r\n"
                  "100%% %Unknown% %Dev%\r\n"
                  "[Strings]\r\n"
                  "Dev = \"Pelmora device\"\r\n");
  ASSERT_NE(INVALID_HANDLE_VALUE, inf);
  EXPECT_EQ("Install,ROOT\\X, spaced ", LineText(inf, L"models", 0));
  EXPECT_EQ("no key,semi;colon,say \"hi\"", LineText(inf, L"Models", 1));
  EXPECT_EQ("100% %Unknown% Pelmora device", LineText(inf, L"Models", 2));
  EXPECT_EQ("(no line)", LineText(inf, L"Models", 3));
  SetupCloseInfFile(inf);
}

TEST_F(SimInfFiles, TextThatDoesNotFitFailsWithTheSizeItNeeds) {
  HINF inf = Open(std::string(kVersion) + "[A]\r\nabcdef\r\n");
  INFCONTEXT context;
  ASSERT_TRUE(SetupFindFirstLineW(inf, L"A", nullptr, &context));
  WCHAR text[8];
  DWORD needed = 0;
  EXPECT_FALSE(SetupGetLineTextW(&context, nullptr, nullptr, nullptr, text, 6, &needed));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(7u, needed);
  EXPECT_TRUE(SetupGetLineTextW(&context, nullptr, nullptr, nullptr, text, 7, nullptr));
  SetupCloseInfFile(inf);
}

TEST_F(SimInfFiles, SectionsInFileOrderRepeatsMergedThenNoMoreItems) {
  HINF inf = Open(std::string(kVersion) + "[B]\r\none\r\n[Empty]\r\n[b]\r\ntwo\r\n");
  WCHAR name[16];
  std::vector<std::string> names;
  UINT index = 0;
  while (SetupEnumInfSectionsW(inf, index++, name, 16, nullptr)) names.push_back(sim::Utf8(name));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
  EXPECT_EQ((std::vector<std::string>{"Version", "B", "Empty"}), names);
  EXPECT_EQ("two", LineText(inf, L"B", 1));
  INFCONTEXT context;
  EXPECT_FALSE(SetupFindFirstLineW(inf, L"Empty", nullptr, &context));
  EXPECT_EQ(static_cast<DWORD>(ERROR_LINE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(SetupFindFirstLineW(inf, L"None", nullptr, &context));
  UINT needed = 0;
  EXPECT_FALSE(SetupEnumInfSectionsW(inf, 0, name, 7, &needed));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(8u, needed);
  SetupCloseInfFile(inf);
}

TEST_F(SimInfFiles, OpeningNeedsTheFileAndItsStyle) {
  EXPECT_EQ(INVALID_HANDLE_VALUE, SetupOpenInfFileW(L"none.inf", nullptr, INF_STYLE_WIN4, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open("[A]\r\nx\r\n", L"old.inf"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRONG_INF_STYLE), GetLastError());
  UINT errorLine = 0;
  sim::AddFile(L"C:\\work\\bad.inf", std::string(kVersion) + "[" + std::string(256, 'L') + "]\r\n");
  EXPECT_EQ(INVALID_HANDLE_VALUE, SetupOpenInfFileW(L"C:\\work\\bad.inf", nullptr, INF_STYLE_WIN4, &errorLine));
  EXPECT_EQ(3u, errorLine);
  sim::AddFile(L"C:\\work\\ok.inf", std::string(kVersion) + "[" + std::string(255, 'L') + "]\r\n");
  HINF inf = SetupOpenInfFileW(L"C:\\work\\ok.inf", nullptr, INF_STYLE_WIN4, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, inf);
  SetupCloseInfFile(inf);
}

TEST_F(SimInfFiles, UnicodeFileWithItsByteOrderMark) {
  std::string text = std::string(kVersion) + "[A]\r\nx = \xCE\xA9\r\n";
  std::string utf16 = "\xFF\xFE";
  for (wchar_t c : std::wstring(L"[Version]\r\nSignature=$Chicago$\r\n[A]\r\nx = \u03A9\r\n")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>((c >> 8) & 0xFF);
  }
  HINF inf8 = Open(text, L"oem1.inf");
  HINF inf16 = Open(utf16, L"oem2.inf");
  EXPECT_EQ("\xCE\xA9", LineText(inf8, L"A", 0));
  EXPECT_EQ("\xCE\xA9", LineText(inf16, L"A", 0));
  SetupCloseInfFile(inf8);
  SetupCloseInfFile(inf16);
}

TEST_F(SimInfFiles, FileListHoldsTheInfFilesOfTheStyleAskedFor) {
  std::wstring directory = std::wstring(sim::kInfDirectory) + L"\\";
  sim::AddFile(directory + L"oem1.inf", kVersion);
  sim::AddFile(directory + L"legacy.inf", "[A]\r\n");
  sim::AddFile(directory + L"notes.txt", kVersion);
  sim::AddFile(directory + L"machine.INF", kVersion);
  DWORD needed = 0;
  EXPECT_TRUE(SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, nullptr, 0, &needed));
  std::wstring expected(L"oem1.inf\0machine.INF\0\0", 22);
  EXPECT_EQ(expected.size(), needed);
  std::vector<WCHAR> list(needed);
  EXPECT_FALSE(SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, list.data(), needed - 1, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_TRUE(SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, list.data(), needed, nullptr));
  EXPECT_EQ(expected, std::wstring(list.begin(), list.end()));
  EXPECT_TRUE(SetupGetInfFileListW(nullptr, INF_STYLE_OLDNT, nullptr, 0, &needed));
  EXPECT_EQ(12u, needed);  // legacy.inf
}

TEST_F(SimInfFiles, InfClassComesFromVersion) {
  sim::AddFile(L"C:\\work\\a.inf", "[Version]\r\nSignature=$Windows NT$\r\nClass=%C%\r\n"
                                   "ClassGuid={6f1c2a3e-8d4b-4c7a-9e21-5b0d3f7a9c41}\r\n[Strings]\r\nC=Widgets\r\n");
  sim::AddFile(L"C:\\work\\b.inf", "[Version]\r\nSignature=$Windows NT$\r\nClass=Net\r\n");
  sim::AddFile(L"C:\\work\\c.inf", "[Version]\r\nSignature=$Windows NT$\r\n");
  GUID guid;
  WCHAR name[MAX_CLASS_NAME_LEN];
  ASSERT_TRUE(SetupDiGetINFClassW(L"C:\\work\\a.inf", &guid, name, MAX_CLASS_NAME_LEN, nullptr));
  EXPECT_EQ("Widgets", sim::Utf8(name));
  EXPECT_EQ(0x6f1c2a3eu, guid.Data1);
  EXPECT_EQ(0x41, guid.Data4[7]);
  ASSERT_TRUE(SetupDiGetINFClassW(L"C:\\work\\b.inf", &guid, name, MAX_CLASS_NAME_LEN, nullptr));
  EXPECT_EQ(0x4d36e972u, guid.Data1);  // Net's own GUID
  EXPECT_FALSE(SetupDiGetINFClassW(L"C:\\work\\c.inf", &guid, name, MAX_CLASS_NAME_LEN, nullptr));
  EXPECT_FALSE(SetupDiGetINFClassW(L"C:\\work\\none.inf", &guid, name, MAX_CLASS_NAME_LEN, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

}  // namespace
