// The real program under Wine as a user meets it: first start, keys, the viewer's run and a
// resume, closing during a countdown, the position kept between runs, and Japanese folders.
#include <gtest/gtest.h>

#include "program.h"
#include "wait.h"

TEST(Program, FromTheFirstStartThroughCountdownsToThePositionKeptForTheNext) {
    const std::string moved = "[General]\r\nWindowPosX=-350\r\nWindowPosY=40\r\n";
    MonitorRun run;
    ASSERT_TRUE(run.Start()) << "a visible dialog with this version's caption";
    EXPECT_EQ(std::make_pair(16L, 16L), run.Position());
    EXPECT_TRUE(GetWindowLongA(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ("監視中止", run.Text(1001));
    EXPECT_EQ("休止状態へ", run.Text(1002));

    // Rows, as the log keeps them: the watch; the viewer's start and the exit watch; the exit, the
    // next watch, the preparation and the countdown; a resume and the countdown's end. Then one
    // that is closed: 2 at once, and the place where the dialog stood before it was minimised.
    auto rows = [&](int count) { return WaitFor([&] { return CountRows(run.Log()) == count; }); };
    Viewer viewer;
    viewer.Open();
    ASSERT_TRUE(rows(3));
    viewer.Close();
    ASSERT_TRUE(rows(7));
    PostMessageA(run.window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    ASSERT_TRUE(rows(9));
    viewer.Open();
    ASSERT_TRUE(rows(11));
    viewer.Close();
    ASSERT_TRUE(rows(15));
    SetWindowPos(run.window, nullptr, -350, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(run.window, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(run.window) != FALSE; }));
    DWORD start = GetTickCount();
    PostMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    EXPECT_EQ(2u, run.Program().Wait());
    EXPECT_LT(GetTickCount() - start, 5000u) << "promptly";
    EXPECT_EQ(moved, ReadFile(run.IniPath()));

    // The next start stands there; Alt+F4, as the keyboard delivers it, also ends it with 2.
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(std::make_pair(-350L, 40L), run.Position());
    PostMessageA(run.Log(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    PostMessageA(run.Log(), WM_SYSKEYUP, VK_F4, 0xE0000001);
    EXPECT_EQ(2u, run.Program().Wait());
    EXPECT_EQ(moved, ReadFile(run.IniPath())) << "unmoved, the same again";

    // A key is found whatever its case and read as far as it is digits, in its own section only;
    // the rest of the file stays as it was.
    WriteFile(run.IniPath(), "[Other]\r\nWindowPosY=5\r\n[General]\r\nwindowposx=640px\r\n");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(std::make_pair(640L, 16L), run.Position());
    EXPECT_EQ(2u, run.Close());
    EXPECT_EQ("[Other]\r\nWindowPosY=5\r\n[General]\r\nwindowposx=640\r\nWindowPosY=16\r\n",
              ReadFile(run.IniPath()));
}

// The settings file goes beside the exe however the path's Shift-JIS bytes fall, and nowhere
// when the path is too long to be read whole.
TEST(Program, InJapaneseFoldersTheIniIsBesideTheExeOrNowhere) {
    std::wstring name(45, L'録'), long4 = name + L"\\" + name + L"\\" + name + L"\\" + name;
    // 表 and 能 are 0x95 0x5C and 0x94 0x5C: their second byte is a backslash's. The long paths
    // are under MAX_PATH characters but over 360 bytes, so the module path comes back cut short,
    // between two characters or, one byte further, inside one.
    for (const std::wstring& folders : {std::wstring(L"表\\番組表示能"), long4, L"x" + long4}) {
        MonitorRun run(MonitorExePath(), folders);
        SCOPED_TRACE(WideCharToMultiByte(932, 0, run.Folder().c_str(), -1, nullptr, 0, 0, 0));
        ASSERT_TRUE(run.Start());
        EXPECT_EQ(2u, run.Close());
        for (std::wstring d = run.Folder(); d.size() > 3; d = d.substr(0, d.rfind(L'\\')))
            EXPECT_EQ(folders[0] == L'表' && d == run.Folder(),
                      GetFileAttributesW((d + L"\\QuillomaticMonitor.ini").c_str()) !=
                          INVALID_FILE_ATTRIBUTES)
                << d.size() << " characters";
    }
}
