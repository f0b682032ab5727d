// The built program's version resource, as Explorer's Details and Task Manager read it.
#include <gtest/gtest.h>

#include "main_dialog.h"
#include "program.h"

TEST(Version, TheBuiltProgramNamesItselfInJapaneseWithTheCaptionsVersion) {
    EXPECT_STREQ("Quillomaticモニター Ver.0.01", kMainCaption);
    const std::string exe = MonitorExePath();
    std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), nullptr));
    ASSERT_FALSE(info.empty()) << "no version resource in " << exe;
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    auto query = [&](const std::string& path) {
        void* found = nullptr;
        UINT length = 0;
        return VerQueryValueA(info.data(), path.c_str(), &found, &length) ? found : nullptr;
    };
    auto* language = static_cast<const DWORD*>(query("\\VarFileInfo\\Translation"));
    EXPECT_EQ(MAKELONG(0x0411, 1200), language ? *language : 0) << "Japanese, Unicode";
    auto text = [&](const char* name) {
        auto* found =
            static_cast<const char*>(query(std::string("\\StringFileInfo\\041104B0\\") + name));
        return std::string(found ? found : "(none)");
    };
    const std::string version = text("FileVersion");
    EXPECT_EQ(kMainCaption, text("FileDescription") + " Ver." + version);
    EXPECT_EQ(text("FileDescription") + " Ver." + version,
              text("ProductName") + " Ver." + text("ProductVersion"));
    EXPECT_EQ("QuillomaticMonitor.exe", text("OriginalFilename"));
    auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\"));
    ASSERT_TRUE(fixed);
    const std::vector<DWORD> numbers = {fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                        fixed->dwProductVersionMS, fixed->dwProductVersionLS};
    EXPECT_EQ(std::vector<DWORD>({0, 0x10000, 0, 0x10000}), numbers) << "0.0.1.0 for 0.01";
}
