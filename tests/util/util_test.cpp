// The utility library: string helpers, text splitter, directories, special folders, file counts.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>
#include <string>

#include "files.h"
#include "paths.h"
#include "string_helpers.h"
#include "text_splitter.h"
#include "wait.h"

namespace {

// Writes land in out, "#" where untouched; Written copies them into the text, pointers as offsets.
char out[300];
char* Fresh() { return static_cast<char*>(memset(out, '#', sizeof out - 1)); }
int Written(char* text, long long result) {
    EXPECT_TRUE(out[0] == '#' || out[lstrlenA(out) + 1] == '#') << "written past the terminator";
    lstrcpyA(text, out[0] == '#' ? "#" : out);
    return static_cast<int>(result);
}
int Written(char* text, const char* end) { return Written(text, end ? end - out : -1); }
// The text becomes the tokens in brackets, as far as GetToken hands them out.
int Tokens(char* text, int count) {
    std::string tokens;
    for (int i = 0; GetToken(i, Fresh()) == i; ++i)
        tokens += "[" + std::string(out) + "]";
    EXPECT_EQ(-1, GetToken(-1, out));
    lstrcpyA(text, out[0] == '#' ? tokens.c_str() : "refused, yet written");
    return count;
}
int LowerCopy(char* t, const char*) { return Written(t, ToLowerCopy(t, Fresh())); }
int LowerInPlace(char* t, const char*) { return static_cast<int>(ToLowerInPlace(t) - t); }
int Compare(char* t, const char* a) { return CompareText(t, a); }
int Strip(char* t, const char*) { return StripTrailingNewline(t); }
int Last(char* t, const char*) { return LastChar(t); }
int Chop(char* t, const char*) { return ChopLastChar(t); }
int RemoveAll(char* t, const char* a) { return RemoveAllChars(t, a[0]); }
int Replace(char* t, const char* a) { return ReplaceChar(t, a[0], a[1]); }
int RemoveAt(char* t, const char* a) { return static_cast<int>(RemoveCharAt(t, atoi(a)) - t); }
int IsTrue(char* t, const char*) { return IsTrueText(t); }
int Hex(char* t, const char*) { return HexToInt(t); }
// a: the group size, then the capacity; the capacity, then the count of bytes.
int Group(char* t, const char* a) {
    return Written(t, GroupDigits(t, Fresh(), atoi(a + 2), *a - '0'));
}
int ToHex(char* t, const char* a) {
    auto* bytes = reinterpret_cast<const unsigned char*>(t);
    return Written(t, BytesToHex(bytes, strtoul(strchr(a, ' '), nullptr, 0), Fresh(), atoi(a)));
}
// The slot's text replaced by a copy of the text, then by a part of its own.
int Assign(char* t, const char* a) {
    char* slot = nullptr;
    int results = AssignOwnedString(&slot, t) * 2 + AssignOwnedString(&slot, slot + atoi(a));
    lstrcpyA(t, slot);
    free(slot);
    return results;
}
int AtByte(char* t, const char* a) { return Tokens(t, SplitAtChar(t, a[0])); }
int AtString(char* t, const char* a) { return Tokens(t, SplitAtString(t, a)); }
int Extract(char* t, const char* a) { return Written(t, ExtractDirectory(t, Fresh(), atoi(a))); }
int ModuleDir(char* t, const char* a) { return Written(t, GetModuleDirectory(Fresh(), atoi(a))); }
int Unslash(char* t, const char*) { return RemoveTrailingBackslash(t); }
int ByName(char* t, const char* a) {
    return Written(t, GetSpecialFolderPathByName(nullptr, t, Fresh(), atoi(a)));
}
// The browse dialog answered in place of a person: the text is the path chosen, and its conversion
// fails, though it writes, when the text starts with "?"; a: the capacity, or empty for a cancel.
char* chosen;
void* freed;
BROWSEINFOA asked;
PIDLIST_ABSOLUTE WINAPI Browse(BROWSEINFOA* info) {
    return asked = *info, reinterpret_cast<PIDLIST_ABSOLUTE>(chosen);
}
BOOL WINAPI ToPath(PCIDLIST_ABSOLUTE, char* path) { return lstrcpyA(path, chosen) && *path != '?'; }
void WINAPI Free(void* block) { freed = freed ? nullptr : block; }  // a second free shows as none
int Choose(char* t, const char* a) {
    ShellBrowseCalls = {Browse, ToPath, Free};  // no test here shows the real dialog
    chosen = *a ? t : nullptr, freed = nullptr, asked = {};
    const HWND owner = HWND(0x4242);
    const char* title = "フォルダを選択";
    int result = BrowseForFolder(owner, title, Fresh(), atoi(a));
    EXPECT_EQ(chosen, freed);
    EXPECT_TRUE(asked.hwndOwner == owner && asked.lpszTitle == title && !asked.pidlRoot &&
                !asked.pszDisplayName && asked.ulFlags == BIF_RETURNONLYFSDIRS && !asked.lpfn)
        << "file-system folders under the owner, with the title";
    return Written(t, result);
}
int Count(char* t, const char* a) { return CountFiles(t, atoi(a)); }
// clang-format off
struct EditRow { int (*edit)(char*, const char*); const char* before; int result;
                 const char* after = nullptr; const char* argument = ""; };  // no after: unchanged
// clang-format on
// Each row on a copy of its text after a byte that nothing may read or write.
void ExpectEdits(std::initializer_list<EditRow> rows) {
    for (const EditRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows.begin() << ": " << row.before);
        char memory[4100] = "\n";
        EXPECT_EQ(row.result, row.edit(lstrcpyA(memory + 1, row.before), row.argument));
        EXPECT_STREQ(row.after ? row.after : row.before, memory + 1);
        EXPECT_EQ('\n', memory[0]);
    }
}

// 0x83 0x41 and 表 (0x95 0x5C) are characters whose second byte is the code of "A" or "\".
TEST(Util, EveryOperation) {
    TempDirectory root;
    const std::string dir = root.Path(), link = root.File("t\\up");
    // Then a link back up, which a walk that followed it would count again and again. Under Wine a
    // Unix symbolic link shows as a directory reparse point; Wine makes none, nor waits for Unix.
    EXPECT_TRUE(SetCurrentDirectoryA(dir.c_str()));
    WinExec("/bin/sh -c \"mkdir -p e s t/s; touch a b s/1 t/a t/s/c; ln -s .. t/up\"", SW_HIDE);
    const DWORD linked = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_TRUE(WaitFor([&] { return GetFileAttributesA(link.c_str()) == linked; }));
    // Repeated backslashes still name the directory, so a path to it can be as long as wanted.
    auto padded = [&](size_t length) { return dir + std::string(length - dir.size(), '\\'); };
    const std::string program = TestDirectory();
    const std::string n = std::to_string(program.size()), n1 = std::to_string(program.size() + 1);
    // Each byte just outside a lead-byte range comes before one just inside: were either taken for
    // the other, a Z would be lowered, or a backslash would count.
    const char* leads = "\x80\x81Z\xA0\x9FZ\xDF\xE0Z\xFD\xFCZ";
    // clang-format off
    ExpectEdits({{LowerCopy, "@AZ[\xC1\x83\x41Z表", 0, "@az[\xC1\x83\x41z表"},
        {LowerCopy, "A\x83", 0, "a\x83"}, {LowerInPlace, "AB\x83\x41Z表", 0, "ab\x83\x41z表"},
        {LowerCopy, leads, 0}, {LowerInPlace, leads, 0}, {Hex, "/90:@AFG`afg", 0x90AFAF},
        {LowerInPlace, "A\x83", 0, "a\x83"}, {LowerCopy, "", 0, ""}, {Compare, "", 127, {}, "\x81"},
        {Compare, "\x81", -127 - 'a', {}, "a"}, {Strip, "ab\r\n", 1, "ab\r"}, {Strip, "ab\r", 0},
        {Strip, "", 0}, {Last, "ab表", '\\'}, {Last, "", 0}, {Chop, "ab表", '\\', "ab\x95"},
        {Chop, "", 0}, {RemoveAll, "a,,b,", 3, "ab", ","},
        {RemoveAll, "C:\\表\\x", 3, "C:\x95x", "\\"}, {Replace, "表\\", 2, "\x95//", "\\/"},
        {Replace, "a.b.c", 2, "a", "."}, {RemoveAt, "abcd", 0, "acd", "1"},
        {RemoveAt, "ab", 0, {}, "2"}, {RemoveAt, "ab", 0, {}, "-1"}, {IsTrue, "TRUE", 1},
        {IsTrue, "truex", 0}, {IsTrue, " true", 0}, {Hex, "0x1F", 31}, {Hex, "FFFFFFFF", -1},
        {Hex, "aBcDeF", 0xABCDEF}, {Hex, "123456789", 0x23456789}, {Hex, "\x82\x60\x41", 10},
        {Group, "1234567", 9, "1,234,567", "3 10"}, {Group, "1234567", -1, "#", "3 9"},
        {Group, "1234", 5, "1,234", "3 32"}, {Group, "-123456", 9, "-,123,456", "3 32"},
        {Group, "12345678", 9, "1234,5678", "4 32"}, {Group, "123", 5, "1,2,3", "1 32"},
        {Group, "1234567", 7, "1234567", "0 8"}, {Group, "1234567", -1, "#", "0 7"},
        {Group, "", 0, "", "3 1"}, {Group, "", -1, "#", "3 0"},
        {ToHex, "\x01\x9F\xA0\xFF", 0, "019FA0FF", "10 4"},
        {ToHex, "\x01\x9F\xA0\xFF", -1, "#", "9 4"}, {ToHex, "", 0, "", "2 0"},
        {ToHex, "", -1, "#", "1 0"}, {ToHex, "", -1, "#", "32 0x80000000"},
        {Assign, "0123456789abcdefghijklmn", 3, "23456789abcdefghijklmn", "2"}});
    // Each split must leave nothing of the one before. An empty separator, like NUL, never matches.
    ExpectEdits({{AtByte, "a,b,c", 3, "[a][b][c]", ","}, {AtByte, "d", 1, "[d]", ","},
        {AtByte, "a,,b", 3, "[a][][b]", ","}, {AtByte, ",a,", 3, "[][a][]", ","},
        {AtByte, "abc", 1, "[abc]", ";"}, {AtByte, "a,b", 1, "[a,b]", ""}, {AtByte, "", 1, "", ","},
        {AtByte, "表x", 2, "[\x95][x]", "\\"}, {AtString, "a::b::c", 3, "[a][b][c]", "::"},
        {AtString, "a:::b", 2, "[a][:b]", "::"}, {AtString, "ab::", 2, "[ab][]", "::"},
        {AtString, "x", 1, "[x]", "xx"}, {AtString, "a,b", 1, "[a,b]"},
        {AtString, "表\\表", 2, "[表][\\]", "\\\x95"}});
    ExpectEdits({{Extract, "", 0, "#", "64"}, {Extract, "a.exe", 0, "#", "64"},
        {Extract, "\\a.exe", 0, "#", "64"}, {Extract, "C:\\a.exe", 2, "C:", "64"},
        {Extract, "D:\\x\\表.exe", 4, "D:\\x", "64"}, {Extract, "D:\\表\\a", 5, "D:\\表", "64"},
        {Extract, "C:\\dir\\", 6, "C:\\dir", "64"},
        {Extract, "\\\\server\\share\\a", 14, "\\\\server\\share", "64"},
        {Extract, "C:\\d\\a\x95", 4, "C:\\d", "64"}, {Extract, "C:\\x\\y\\a", 6, "C:\\x\\y", "7"},
        {Extract, "C:\\d\\x/\x80\x81\\\xA0\x9F\\\xDF\xE0\\\xFD\xFC\\y", 4, "C:\\d", "64"},
        {Extract, "C:\\x\\y\\a", 0, "#", "6"}, {Extract, "C:\\x\\y\\a", 0, "#", "0"},
        {Unslash, "C:\\temp\\", 1, "C:\\temp"}, {Unslash, "C:\\temp", 0}, {Unslash, "\\", 1, ""},
        {Unslash, "", 0}, {Unslash, "C:\\t\\\\", 1, "C:\\t\\"}, {Unslash, "C:\\表", 0},
        {Unslash, "C:\\表\\", 1, "C:\\表"}, {Unslash, "ab\x95", 0},
        {Unslash, "\x80\x81\\", 0}, {Unslash, "\xA0\x9F\\", 0}, {Unslash, "\xDF\xE0\\", 0},
        {Unslash, "\xFD\xFC\\", 0}, {Unslash, "\x83\x41\\", 1, "\x83\x41"},
        {ByName, "csidl_desktop", 0, "#", "260"}, {ByName, "DESKTOP", 0, "#", "260"},
        {ByName, "application_path", 0, "#", "260"}, {ByName, "APPLICATION_PATH", 0, "#", "259"},
        {ByName, "APPLICATION_PATH", 1, program.c_str(), "260"},
        {ByName, "CSIDL_WINDOWS", 1, "C:\\windows", "260"},
        {ByName, "CSIDL_SYSTEM", 1, "C:\\windows\\system32", "260"},
        {ByName, "CSIDL_SYSTEM", 0, "#", "259"}, {ModuleDir, "", 0, "#", n.c_str()},
        {ModuleDir, "", static_cast<int>(program.size()), program.c_str(), n1.c_str()},
        {Choose, "C:\\番組表\\録画", 1, "C:\\番組表\\録画", "15"}, {Choose, "C:\\番組表\\録画", 0, "#", "14"},
        {Choose, "C:\\x", 0, "#", ""}, {Choose, "?C:\\x", 0, "#", "64"}, {Count, ".", 2, {}, "0"},
        {Count, ".\\", 2, {}, "0"}, {Count, ".", 5, {}, "1"}, {Count, ".\\", 5, {}, "1"},
        {Count, "s", 1, {}, "1"}, {Count, "e", 0, {}, "1"}, {Count, "t\\", 2, {}, "1"},
        {Count, "a", 0, {}, "1"}, {Count, "missing", 0, {}, "1"},
        {Count, padded(259).c_str(), 2, {}, "0"}, {Count, padded(260).c_str(), 0, {}, "0"},
        {Count, padded(4000).c_str(), 0, {}, "0"}});
    // clang-format on
    EXPECT_STREQ("true", BoolToText(-5));
    EXPECT_STREQ("false", BoolToText(0));
    EXPECT_EQ(BoolToText(1), BoolToText(2));  // one shared constant
    // The platform's names and values, but the headers now alias MYDOCUMENTS to PERSONAL (5).
#define QM_ROW(id, name, ...) {"CSIDL_" #name, CSIDL_##name},
    SpecialFolderEntry csidl[] = {QM_SPECIAL_FOLDERS(QM_ROW, QM_ROW){"APPLICATION_PATH", 128}};
    for (int i = 0; i < 58; ++i) {
        // 0 to 14, 16 to 49, 53 to 59, 61, then the program's own 128
        const int id = i < 15 ? i : i < 49 ? i + 1 : i < 56 ? i + 4 : i < 57 ? 61 : 128;
        EXPECT_EQ(id, SpecialFolderTable[i].id) << csidl[i].name;
        EXPECT_EQ(id == 12 ? 5 : id, csidl[i].id) << csidl[i].name;
    }
    char shell[MAX_PATH];
    EXPECT_EQ(0, GetSpecialFolderPath(nullptr, CSIDL_CDBURN_AREA, shell, MAX_PATH)) << "not made";
    int accessors = 0;
    auto expectFolder = [&](int id, auto get) {
        SCOPED_TRACE(testing::Message() << "accessor " << ++accessors << ", folder " << id);
        const int result = GetSpecialFolderPath(nullptr, id, shell, MAX_PATH);
        EXPECT_EQ(result, get(nullptr, out, MAX_PATH));
        EXPECT_STREQ(result ? shell : out, out);
    };
#define QM_ACCESSOR(id, name, word) expectFolder(id, Get##word##Path);
#define QM_NONE(id, name)
    QM_SPECIAL_FOLDERS(QM_ACCESSOR, QM_NONE)
    EXPECT_EQ(53, accessors);
    WinExec("/bin/rm t/up", SW_HIDE);
    EXPECT_TRUE(
        WaitFor([&] { return GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; }));
    SetCurrentDirectoryA(TestDirectory().c_str());  // so that the directory can go
}

}  // namespace
