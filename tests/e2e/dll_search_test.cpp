// Each layer of the program's defence against a DLL left where the loader looks, on its own: a
// comctl32.dll of the test's own in a folder the loader searches (SetDllDirectory), which these
// tests' loader prefers, as Windows does one beside the exe. When it runs it leaves
// "planted-dll-ran" in its folder.
#include <gtest/gtest.h>

#include <windows.h>

#include "files.h"
#include "window.h"

namespace {

class DllSearch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, GetModuleHandleA("comctl32.dll")) << "loaded before the test";
        DeleteFileA(marker.c_str());
        ASSERT_TRUE(SetDllDirectoryA(planted.c_str()));
    }
    // The comctl32.dll that was loaded came from the system folder, and the planted one never ran.
    void ExpectTheSystemsOwn() {
        char loaded[MAX_PATH] = "", system[MAX_PATH] = "";
        GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), loaded, MAX_PATH);
        GetSystemDirectoryA(system, MAX_PATH);
        EXPECT_EQ(0, lstrcmpiA(loaded, (std::string(system) + "\\comctl32.dll").c_str())) << loaded;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
    }

    const std::string planted = TestDirectory() + "\\planted";
    const std::string marker = planted + "\\planted-dll-ran";
};

}  // namespace

TEST_F(DllSearch, TheCommonControlsAreLoadedByTheirFullPath) {
    ASSERT_EQ(1, LoadCommonControls());
    ExpectTheSystemsOwn();
}

TEST_F(DllSearch, AfterTheRestrictionABareNameIsLookedForInTheSystemFolderOnly) {
    ASSERT_EQ(1, LoadLaterDllsFromTheSystemFolderOnly());
    ASSERT_NE(nullptr, LoadLibraryA("comctl32.dll"));
    ExpectTheSystemsOwn();
}
