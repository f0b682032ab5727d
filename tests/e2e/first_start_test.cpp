// The real program under Wine: first start, closing, and the settings file it leaves.
#include <gtest/gtest.h>

#include "monitor_run.h"

TEST(FirstStart, ShowsTheTopmostDialogAt16And16AndWritesTheIniOnClose) {
    MonitorRun run;
    ASSERT_TRUE(run.Start());
    RECT rect = run.WindowRect();
    EXPECT_EQ(16, rect.left);
    EXPECT_EQ(16, rect.top);
    EXPECT_TRUE(GetWindowLongA(run.Dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ("監視中止", run.ControlText(1001));
    EXPECT_EQ(2u, run.Close());
    EXPECT_EQ("[General]\r\nWindowPosX=16\r\nWindowPosY=16\r\n", ReadFile(run.IniPath()));
}
