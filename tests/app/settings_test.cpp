// The executable's directory, and the settings file read and written through the INI calls.
#include <gtest/gtest.h>

#include "paths.h"
#include "process.h"
#include "settings.h"

namespace {

struct DirectoryCase {
    const char* path;
    int length;  // 0: no directory
    const char* directory;
};

WindowPosition At(int x, int y) {
    WindowPosition position;
    position.x = x;
    position.y = y;
    return position;
}

}  // namespace

TEST(ExtractDirectory, FindsTheLastBackslashThatIsACharacterOfItsOwn) {
    const DirectoryCase cases[] = {
        {"", 0, nullptr},
        {"QuillomaticMonitor.exe", 0, nullptr},
        {"\\QuillomaticMonitor.exe", 0, nullptr},
        {"C:\\QuillomaticMonitor.exe", 2, "C:"},
        {"C:\\Tools\\TV\\QuillomaticMonitor.exe", 11, "C:\\Tools\\TV"},
        {"D:\\x\\表.exe", 4, "D:\\x"},  // 表 is 0x95 0x5C: its second byte is no separator
        {"D:\\表\\a.exe", 5, "D:\\表"},
        {"\\\\server\\share\\a.exe", 14, "\\\\server\\share"},
        {"C:\\dir\\", 6, "C:\\dir"},
    };
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(c.path);
        char buffer[64];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.length, ExtractDirectory(c.path, buffer, sizeof buffer));
        if (c.length) {
            EXPECT_STREQ(c.directory, buffer);
        } else {
            EXPECT_EQ('#', buffer[0]) << "the buffer is written only on success";
        }
    }
}

TEST(ExtractDirectory, NeedsRoomForTheDirectoryAndItsTerminator) {
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    // "C:\x\y" is 6 bytes: capacity 6 is one short, 7 fits exactly.
    EXPECT_EQ(0, ExtractDirectory("C:\\x\\y\\a.exe", buffer, 6));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(0, ExtractDirectory("C:\\x\\y\\a.exe", buffer, 0));
    EXPECT_EQ(6, ExtractDirectory("C:\\x\\y\\a.exe", buffer, 7));
    EXPECT_STREQ("C:\\x\\y", buffer);
    EXPECT_EQ('#', buffer[7]);
}

TEST(ExtractDirectory, ALeadByteAtTheEndDoesNotReadPastTheText) {
    char path[] = "C:\\dir\\a\x95";  // cut in the middle of a double-byte character
    char buffer[64];
    EXPECT_EQ(6, ExtractDirectory(path, buffer, sizeof buffer));
    EXPECT_STREQ("C:\\dir", buffer);
}

TEST(GetModuleDirectory, IsTheTestProgramsDirectoryWithoutTrailingBackslash) {
    char buffer[1024];
    int length = GetModuleDirectory(buffer, sizeof buffer);
    ASSERT_GT(length, 0);
    EXPECT_EQ(TestDirectory(), std::string(buffer));
    EXPECT_EQ(length, lstrlenA(buffer));
    char small[4] = "###";
    EXPECT_EQ(0, GetModuleDirectory(small, sizeof small));
    EXPECT_STREQ("###", small);
}

class SettingsFile : public ::testing::Test {
protected:
    TempDirectory directory;
    std::string path = directory.File("QuillomaticMonitor.ini");
};

TEST_F(SettingsFile, AMissingFileLeavesThePositionAsItWas) {
    WindowPosition position;
    EXPECT_EQ(16, position.x);
    EXPECT_EQ(16, position.y);
    EXPECT_EQ(1, LoadSettings(path.c_str(), position));
    EXPECT_EQ(16, position.x);
    EXPECT_EQ(16, position.y);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(SettingsFile, RoundTripsPositionsIncludingNegativeOnes) {
    const WindowPosition cases[] = {At(300, 200), At(-1250, -7), At(0, 2147483647)};
    for (const WindowPosition& saved : cases) {
        SCOPED_TRACE(saved.x);
        EXPECT_EQ(1, SaveSettings(path.c_str(), saved));
        WindowPosition loaded;
        LoadSettings(path.c_str(), loaded);
        EXPECT_EQ(saved.x, loaded.x);
        EXPECT_EQ(saved.y, loaded.y);
    }
}

TEST_F(SettingsFile, HoldsExactlyTheSectionAndTwoKeysAsSignedDecimals) {
    WindowPosition position;
    position.x = -120;
    position.y = 45;
    SaveSettings(path.c_str(), position);
    EXPECT_EQ("[General]\r\nWindowPosX=-120\r\nWindowPosY=45\r\n", ReadFile(path));
}

TEST_F(SettingsFile, OnlyWindowPosXTakesXAndLeavesY) {
    WriteFile(path, "[General]\r\nWindowPosX=640\r\n");
    WindowPosition position;
    LoadSettings(path.c_str(), position);
    EXPECT_EQ(640, position.x);
    EXPECT_EQ(16, position.y);
}

TEST_F(SettingsFile, OtherSectionsAndKeysAreNotRead) {
    WriteFile(path, "[Other]\r\nWindowPosX=5\r\n[General]\r\nwindowposy=9\r\nPosX=3\r\n");
    WindowPosition position;
    LoadSettings(path.c_str(), position);
    EXPECT_EQ(16, position.x);
    EXPECT_EQ(9, position.y) << "INI keys are matched without regard to case";
}
