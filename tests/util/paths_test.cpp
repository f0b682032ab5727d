// Special folders, the browse dialog's capacity rule, trailing backslashes and file counts on real
// directories under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "paths.h"
#include "process.h"
#include "wait.h"

namespace {

// A buffer filled with a mark, so that a call that must not write can be seen to have written.
struct MarkedBuffer {
    char bytes[1100];
    MarkedBuffer() { memset(bytes, '#', sizeof bytes); }
    bool Untouched() const {
        for (char c : bytes) {
            if (c != '#') return false;
        }
        return true;
    }
};

// Special folders

// The rows as the platform's headers name and number them.
#define ROW(name) \
    { "CSIDL_" #name, CSIDL_##name }
// clang-format off
const SpecialFolderEntry kExpectedRows[] = {
    ROW(DESKTOP), ROW(INTERNET), ROW(PROGRAMS), ROW(CONTROLS), ROW(PRINTERS), ROW(PERSONAL),
    ROW(FAVORITES), ROW(STARTUP), ROW(RECENT), ROW(SENDTO), ROW(BITBUCKET), ROW(STARTMENU),
    // The headers now alias this name to CSIDL_PERSONAL; the platform's own value is 12.
    {"CSIDL_MYDOCUMENTS", 12}, ROW(MYMUSIC), ROW(MYVIDEO), ROW(DESKTOPDIRECTORY), ROW(DRIVES),
    ROW(NETWORK), ROW(NETHOOD), ROW(FONTS), ROW(TEMPLATES), ROW(COMMON_STARTMENU),
    ROW(COMMON_PROGRAMS), ROW(COMMON_STARTUP), ROW(COMMON_DESKTOPDIRECTORY), ROW(APPDATA),
    ROW(PRINTHOOD), ROW(LOCAL_APPDATA), ROW(ALTSTARTUP), ROW(COMMON_ALTSTARTUP),
    ROW(COMMON_FAVORITES), ROW(INTERNET_CACHE), ROW(COOKIES), ROW(HISTORY), ROW(COMMON_APPDATA),
    ROW(WINDOWS), ROW(SYSTEM), ROW(PROGRAM_FILES), ROW(MYPICTURES), ROW(PROFILE), ROW(SYSTEMX86),
    ROW(PROGRAM_FILESX86), ROW(PROGRAM_FILES_COMMON), ROW(PROGRAM_FILES_COMMONX86),
    ROW(COMMON_TEMPLATES), ROW(COMMON_DOCUMENTS), ROW(COMMON_ADMINTOOLS), ROW(ADMINTOOLS),
    ROW(CONNECTIONS), ROW(COMMON_MUSIC), ROW(COMMON_PICTURES), ROW(COMMON_VIDEO), ROW(RESOURCES),
    ROW(RESOURCES_LOCALIZED), ROW(COMMON_OEM_LINKS), ROW(CDBURN_AREA), ROW(COMPUTERSNEARME),
    {"APPLICATION_PATH", 128},
};
// clang-format on
#undef ROW

TEST(SpecialFolderTable, HoldsThePlatformsNamesAndValuesInAscendingOrder) {
    ASSERT_EQ(58u, sizeof SpecialFolderTable / sizeof SpecialFolderTable[0]);
    for (int i = 0; i < 58; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kExpectedRows[i].name, SpecialFolderTable[i].name);
        EXPECT_EQ(kExpectedRows[i].id, SpecialFolderTable[i].id);
        if (i > 0) {
            EXPECT_LT(SpecialFolderTable[i - 1].id, SpecialFolderTable[i].id);
        }
    }
    std::vector<int> ids;
    for (const SpecialFolderEntry& row : SpecialFolderTable) {
        ids.push_back(row.id);
    }
    for (int missing : {15, 50, 51, 52, 60}) {
        EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), missing)) << missing;
    }
    EXPECT_EQ(12, SpecialFolderTable[12].id);
    EXPECT_EQ(128, SpecialFolderTable[57].id);
}

TEST(SpecialFolderPath, CapacityBelow260FailsForEveryFolderWithoutWriting) {
    for (const SpecialFolderEntry& row : SpecialFolderTable) {
        SCOPED_TRACE(row.name);
        MarkedBuffer byId, byName;
        EXPECT_EQ(0, GetSpecialFolderPath(nullptr, row.id, byId.bytes, 259));
        EXPECT_EQ(0, GetSpecialFolderPathByName(nullptr, row.name, byName.bytes, 259));
        EXPECT_TRUE(byId.Untouched());
        EXPECT_TRUE(byName.Untouched());
    }
    MarkedBuffer accessor;
    EXPECT_EQ(0, GetDesktopdirectoryPath(nullptr, accessor.bytes, 259));
    EXPECT_TRUE(accessor.Untouched());
}

TEST(SpecialFolderPath, ApplicationPathIsTheExecutablesDirectory) {
    std::string expected = TestDirectory();
    MarkedBuffer byId, byName;
    EXPECT_EQ(1, GetSpecialFolderPath(nullptr, 128, byId.bytes, 260));
    EXPECT_EQ(expected, byId.bytes);
    EXPECT_EQ(1, GetSpecialFolderPathByName(nullptr, "APPLICATION_PATH", byName.bytes, 1024));
    EXPECT_EQ(expected, byName.bytes);
    EXPECT_NE('\\', expected.back());
}

TEST(SpecialFolderPath, OtherFoldersComeFromTheShellWithoutCreatingThem) {
    char expected[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, expected, CSIDL_DESKTOPDIRECTORY, FALSE));
    char path[MAX_PATH] = "";
    EXPECT_NE(0, GetSpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY, path, sizeof path));
    EXPECT_STREQ(expected, path);

    // A folder that does not exist stays missing: the lookup fails and nothing is made.
    char local[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
    std::string burn = std::string(local) + "\\Microsoft\\Windows\\Burn";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(burn.c_str())) << "already there";
    EXPECT_EQ(0, GetSpecialFolderPath(nullptr, CSIDL_CDBURN_AREA, path, sizeof path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(burn.c_str()));
}

TEST(SpecialFolderPath, ByNameNeedsTheExactCaseSensitiveName) {
    char expected[MAX_PATH] = "";
    ASSERT_NE(0, GetSpecialFolderPath(nullptr, 0, expected, sizeof expected));
    char path[MAX_PATH] = "";
    EXPECT_NE(0, GetSpecialFolderPathByName(nullptr, "CSIDL_DESKTOP", path, sizeof path));
    EXPECT_STREQ(expected, path);
    for (const char* name :
         {"csidl_desktop", "DESKTOP", "CSIDL_DESKTOP ", "", "application_path", "CSIDL_DESKTOPX"}) {
        SCOPED_TRACE(name);
        MarkedBuffer buffer;
        EXPECT_EQ(0, GetSpecialFolderPathByName(nullptr, name, buffer.bytes, 1024));
        EXPECT_TRUE(buffer.Untouched());
    }
}

// Each accessor answers as the general operation does for its identifier.
struct Accessor {
    int id;
    int (*get)(HWND, char*, unsigned);
};
#define QM_ACCESSOR(id, name, word) {id, Get##word##Path},
#define QM_NONE(id, name)
const Accessor kAccessors[] = {QM_SPECIAL_FOLDERS(QM_ACCESSOR, QM_NONE)};
#undef QM_ACCESSOR
#undef QM_NONE

TEST(SpecialFolderPath, AccessorsPassTheirIdentifierThrough) {
    ASSERT_EQ(53u, sizeof kAccessors / sizeof kAccessors[0]);
    for (const Accessor& accessor : kAccessors) {
        SCOPED_TRACE(accessor.id);
        for (int excluded : {12, 13, 14, 28, 128}) {
            EXPECT_NE(excluded, accessor.id);
        }
        char expected[MAX_PATH] = "", path[MAX_PATH] = "";
        int expectedResult = GetSpecialFolderPath(nullptr, accessor.id, expected, sizeof expected);
        EXPECT_EQ(expectedResult, accessor.get(nullptr, path, sizeof path));
        if (expectedResult) {
            EXPECT_STREQ(expected, path);
        }
    }
    char a[MAX_PATH] = "", b[MAX_PATH] = "";
    EXPECT_NE(0, GetCommonAppdataPath(nullptr, a, sizeof a));
    EXPECT_NE(0, GetSpecialFolderPath(nullptr, CSIDL_COMMON_APPDATA, b, sizeof b));
    EXPECT_STREQ(b, a);
    EXPECT_EQ(GetSpecialFolderPath(nullptr, 42, b, sizeof b),
              GetProgramFilesx86Path(nullptr, a, sizeof a));
}

// Browsing with the shell calls replaced: what the real dialog cannot be made to do

struct FakeShell {
    PIDLIST_ABSOLUTE chosen = reinterpret_cast<PIDLIST_ABSOLUTE>(0x1d1);
    BOOL convert = TRUE;
    std::string path;
    BROWSEINFOA seen = {};
    std::string title;
    int converted = 0;
    std::vector<void*> freed;
};
FakeShell shell;

PIDLIST_ABSOLUTE WINAPI FakeBrowse(BROWSEINFOA* info) {
    shell.seen = *info;
    shell.title = info->lpszTitle;
    return shell.chosen;
}

BOOL WINAPI FakeGetPath(PCIDLIST_ABSOLUTE list, char* path) {
    EXPECT_EQ(shell.chosen, list);
    ++shell.converted;
    if (shell.convert) lstrcpyA(path, shell.path.c_str());
    return shell.convert;
}

void WINAPI FakeFree(void* block) { shell.freed.push_back(block); }

class BrowseForFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = ShellBrowseCalls;
        ShellBrowseCalls = {FakeBrowse, FakeGetPath, FakeFree};
    }
    void TearDown() override { ShellBrowseCalls = saved; }

    ShellBrowseApi saved;
};

TEST_F(BrowseForFolderTest, AsksForFileSystemFoldersUnderTheOwnerWithTheTitle) {
    HWND owner = reinterpret_cast<HWND>(0x4242);
    shell.path = "C:\\data";
    char path[MAX_PATH];
    EXPECT_EQ(1, BrowseForFolder(owner, "フォルダを選択", path, sizeof path));
    EXPECT_EQ(owner, shell.seen.hwndOwner);
    EXPECT_EQ("フォルダを選択", shell.title);
    EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS), shell.seen.ulFlags);
    EXPECT_EQ(nullptr, shell.seen.pidlRoot);
    EXPECT_EQ(nullptr, shell.seen.pszDisplayName);
    EXPECT_EQ(nullptr, shell.seen.lpfn);
    EXPECT_STREQ("C:\\data", path);
    EXPECT_EQ(std::vector<void*>{shell.chosen}, shell.freed);
}

TEST_F(BrowseForFolderTest, CancelledDialogLeavesEverythingAlone) {
    shell.chosen = nullptr;
    MarkedBuffer buffer;
    EXPECT_EQ(0, BrowseForFolder(nullptr, "", buffer.bytes, 1024));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(0, shell.converted);
    EXPECT_TRUE(shell.freed.empty());
}

TEST_F(BrowseForFolderTest, TheChosenPathIsCopiedOnlyWhenItFits) {
    shell.path = "C:\\Users\\番組表\\録画";
    unsigned length = shell.path.size();
    MarkedBuffer buffer;
    EXPECT_EQ(0, BrowseForFolder(nullptr, "", buffer.bytes, length));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(1, BrowseForFolder(nullptr, "", buffer.bytes, length + 1));
    EXPECT_EQ(shell.path, buffer.bytes);
    EXPECT_EQ('#', buffer.bytes[length + 1]);
    EXPECT_EQ(2u, shell.freed.size()) << "the list is freed either way";
}

TEST_F(BrowseForFolderTest, FailedConversionGivesZeroButStillFreesTheList) {
    shell.convert = FALSE;
    MarkedBuffer buffer;
    EXPECT_EQ(0, BrowseForFolder(nullptr, "", buffer.bytes, 1024));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(std::vector<void*>{shell.chosen}, shell.freed);
}

// Trailing backslashes

TEST(RemoveTrailingBackslash, RemovesOneBackslashThatIsACharacterOfItsOwn) {
    struct Case {
        const char* before;
        int result;
        const char* after;
    } cases[] = {
        {"C:\\temp\\", 1, "C:\\temp"},
        {"C:\\temp", 0, "C:\\temp"},
        {"\\", 1, ""},
        {"C:\\temp\\\\", 1, "C:\\temp\\"},
        {"", 0, ""},
        {"C:\\表", 0, "C:\\表"},  // 0x95 0x5C: the backslash byte is a second byte
        {"C:\\表\\", 1, "C:\\表"},
        {"ab\x95", 0, "ab\x95"},  // a lead byte standing last
        {"\x83\x41\\", 1, "\x83\x41"},
    };
    ASSERT_STREQ("C:\\\x95\x5C", "C:\\表");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        char text[32];
        lstrcpyA(text, c.before);
        EXPECT_EQ(c.result, RemoveTrailingBackslash(text));
        EXPECT_STREQ(c.after, text);
    }
}

// File counts on real directories

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    CloseHandle(file);
}

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

// Two files at the top, one of them hidden, system and read-only; three below in "sub".
class CountFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFile(root.File("plain.txt"));
        MakeFile(root.File("hidden.sys"),
                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
        MakeDirectory(root.File("sub"));
        for (const char* name : {"sub\\1", "sub\\2", "sub\\表"}) {
            MakeFile(root.File(name));
        }
        MakeDirectory(root.File("empty"));
    }
    TempDirectory root;
};

TEST_F(CountFilesTest, CountsFilesNotDirectoriesWithAndWithoutTrailingBackslash) {
    std::string dir = root.Path();
    EXPECT_EQ(2, CountFiles(dir.c_str(), 0));
    EXPECT_EQ(5, CountFiles(dir.c_str(), 1));
    EXPECT_EQ(2, CountFiles((dir + "\\").c_str(), 0));
    EXPECT_EQ(5, CountFiles((dir + "\\").c_str(), 1));
    EXPECT_EQ(2, CountFilesInDirectory(dir.c_str(), 0));
    EXPECT_EQ(5, CountFilesInDirectory(dir.c_str(), 1));
    EXPECT_EQ(3, CountFiles(root.File("sub").c_str(), 1));
    EXPECT_EQ(0, CountFiles(root.File("empty").c_str(), 1));
}

TEST_F(CountFilesTest, AFileOrAMissingDirectoryHoldsNoFiles) {
    EXPECT_EQ(0, CountFiles(root.File("plain.txt").c_str(), 1));
    EXPECT_EQ(0, CountFiles(root.File("missing").c_str(), 1));
    EXPECT_EQ(0, CountFiles(root.File("missing\\").c_str(), 0));
}

// "dir\.\." and "dir\sub\.." name dir itself, so a path to it can be made as long as wanted.
std::string PaddedPath(const std::string& dir, size_t length) {
    std::string path = dir;
    if ((length - path.size()) % 2 != 0) path += "\\sub\\..";
    while (path.size() < length) {
        path += "\\.";
    }
    return path;
}

TEST_F(CountFilesTest, PathsOf260BytesOrMoreCountNothing) {
    // The longest path taken; without its final backslash it leaves room for "\*" in MAX_PATH.
    std::string fits = PaddedPath(root.Path(), 258) + "\\";
    ASSERT_EQ(259u, fits.size());
    EXPECT_EQ(2, CountFiles(fits.c_str(), 0));
    for (size_t length : {260u, 261u, 4000u}) {
        std::string tooLong = PaddedPath(root.Path(), length);
        ASSERT_EQ(length, tooLong.size());
        EXPECT_EQ(0, CountFiles(tooLong.c_str(), 1)) << length;
    }
}

// Directory links

// Wine 8 makes no link through CreateSymbolicLinkA, though it reports success, nor removes one
// with RemoveDirectoryA; what it shows to programs as a directory reparse point is a Unix symbolic
// link, so the test makes and removes them with ln and rm. Wine does not wait for a Unix program:
// the test waits for the links to come and go instead.
std::string UnixPath(const std::string& path) {
    using UnixFileName = char*(CDECL*)(const WCHAR*);
    auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixFileName ? unixFileName(wide) : nullptr;
    if (!name) return std::string();
    std::string result = std::string("\"") + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool StartUnixCommand(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool IsDirectoryLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Links made here, removed before the directory that holds them, which would follow them.
class DirectoryLinks {
public:
    ~DirectoryLinks() {
        std::string command = "/bin/rm -f";
        for (const std::string& link : links) {
            command += " " + UnixPath(link);
        }
        if (links.empty() || !StartUnixCommand(command)) return;
        EXPECT_TRUE(WaitFor([&] {
            for (const std::string& link : links) {
                if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
            }
            return true;
        }));
    }

    bool Make(const std::string& link, const char* target) {
        std::string unixLink = UnixPath(link);
        if (unixLink.empty()) return false;
        links.push_back(link);
        return StartUnixCommand(std::string("/bin/ln -s ") + target + " " + unixLink) &&
               WaitFor([&] { return IsDirectoryLink(link); });
    }

private:
    std::vector<std::string> links;
};

struct CountJob {
    std::string dir;
    int count = -1;
};

DWORD WINAPI RunCount(void* parameter) {
    CountJob* job = static_cast<CountJob*>(parameter);
    job->count = CountFiles(job->dir.c_str(), 1);
    return 0;
}

TEST(CountFilesLinks, DirectoryLinksAreNotFollowedSoCyclesEnd) {
    TempDirectory root;
    MakeDirectory(root.File("tree"));
    MakeDirectory(root.File("tree\\sub"));
    MakeDirectory(root.File("outside"));
    for (const char* name : {"tree\\a", "tree\\b", "tree\\sub\\c", "outside\\x", "outside\\y"}) {
        MakeFile(root.File(name));
    }
    // Two links back up at every level: followed, the walk would never end. A third leads out of
    // the tree; what lies there is not counted either.
    DirectoryLinks links;
    ASSERT_TRUE(links.Make(root.File("tree\\sub\\up"), ".."));
    ASSERT_TRUE(links.Make(root.File("tree\\sub\\self"), "."));
    ASSERT_TRUE(links.Make(root.File("tree\\out"), "../outside"));

    CountJob job;
    job.dir = root.File("tree");
    HANDLE thread = CreateThread(nullptr, 0, RunCount, &job, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    if (WaitForSingleObject(thread, 30000) != WAIT_OBJECT_0) {
        // The walk would go on inside the directories that cleaning up must remove.
        ADD_FAILURE() << "CountFiles did not end within 30 s";
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    CloseHandle(thread);
    EXPECT_EQ(3, job.count);
}

}  // namespace
