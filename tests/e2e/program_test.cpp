// The real program under Wine: first start, closing, and the position it keeps between runs.
#include <gtest/gtest.h>

#include "monitor_run.h"
#include "wait.h"

namespace {

void MoveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ExpectAt(const MonitorRun& run, int x, int y) {
    RECT rect = run.WindowRect();
    EXPECT_EQ(x, rect.left);
    EXPECT_EQ(y, rect.top);
}

std::string Ini(const char* x, const char* y) {
    return std::string("[General]\r\nWindowPosX=") + x + "\r\nWindowPosY=" + y + "\r\n";
}

}  // namespace

TEST(Program, FirstStartShowsTheTopmostDialogAt16And16AndLeavesTheIniOnClose) {
    MonitorRun run;
    ASSERT_FALSE(FileExists(run.IniPath()));
    ASSERT_TRUE(run.Start()) << "a visible dialog with the caption of this version";
    ExpectAt(run, 16, 16);
    EXPECT_TRUE(GetWindowLongA(run.Dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ("監視中止", run.ControlText(1001));
    EXPECT_EQ("休止状態へ", run.ControlText(1002));
    EXPECT_EQ(2u, run.Close());
    EXPECT_EQ(Ini("16", "16"), ReadFile(run.IniPath()));
}

TEST(Program, EscapeAndEnterLeaveItRunningWhileAltF4AndTheSystemMenuEndItWith2) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way ? "system menu Close" : "Alt+F4");
        MonitorRun run;
        ASSERT_TRUE(run.Start());
        HWND focus = run.Log();
        for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
            PostMessageA(focus, WM_KEYDOWN, key, 1);
            PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        }
        // Posted input is handled in order: the click that follows shows the keys were handled.
        run.Click(1001);
        ASSERT_TRUE(WaitFor([&] { return run.ControlText(1001) == "監視開始"; }));
        EXPECT_TRUE(run.Program().Running());
        EXPECT_TRUE(IsWindowVisible(run.Dialog()));

        if (way == 0) {
            // Alt+F4 as the keyboard delivers it to the window with the focus.
            PostMessageA(focus, WM_SYSKEYDOWN, VK_F4, 0x20000001);
            PostMessageA(focus, WM_SYSKEYUP, VK_F4, 0xE0000001);
        } else {
            PostMessageA(run.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_EQ(2u, run.WaitExit());
        EXPECT_EQ(Ini("16", "16"), ReadFile(run.IniPath()));
    }
}

TEST(Program, APositionMovedBeforeClosingComesBackAtTheNextStart) {
    struct Case {
        int x, y;
        bool minimise;
        const char* ini;
    };
    const Case cases[] = {
        {300, 200, false, "[General]\r\nWindowPosX=300\r\nWindowPosY=200\r\n"},
        {-350, 40, false, "[General]\r\nWindowPosX=-350\r\nWindowPosY=40\r\n"},
        {500, 120, true, "[General]\r\nWindowPosX=500\r\nWindowPosY=120\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        MonitorRun run;
        ASSERT_TRUE(run.Start());
        MoveTo(run.Dialog(), c.x, c.y);
        if (c.minimise) {
            ShowWindow(run.Dialog(), SW_MINIMIZE);
            ASSERT_TRUE(WaitFor([&] { return IsIconic(run.Dialog()) != FALSE; }));
        }
        ASSERT_EQ(2u, run.Close());
        EXPECT_EQ(c.ini, ReadFile(run.IniPath()));

        ASSERT_TRUE(run.Start());
        ExpectAt(run, c.x, c.y);
        ASSERT_EQ(2u, run.Close());
        EXPECT_EQ(c.ini, ReadFile(run.IniPath())) << "an unmoved dialog writes the same again";
    }
}

TEST(Program, ASettingsFileWithOnlyWindowPosXKeepsYAt16) {
    MonitorRun run;
    WriteFile(run.IniPath(), "[General]\r\nWindowPosX=640\r\n");
    ASSERT_TRUE(run.Start());
    ExpectAt(run, 640, 16);
    ASSERT_EQ(2u, run.Close());
    EXPECT_EQ(Ini("640", "16"), ReadFile(run.IniPath()));
}
