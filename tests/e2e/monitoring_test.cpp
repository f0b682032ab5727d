// The real program against the fake viewer: the test build of the program records its power
// calls and runs on a scaled clock, so a whole countdown takes seconds.
#include <gtest/gtest.h>

#include <string>

#include "monitor_run.h"
#include "wait.h"

namespace {

const char kExitWatch[] = "Quillomatic終了監視を開始しました。";
const char kHibernating[] = "スタンバイへ移行します。";

bool CountingDown(HWND log) {
    auto rows = ReadRows(log);
    return !rows.empty() && rows[0].text.rfind("スタンバイへ移行まで ", 0) == 0;
}

}  // namespace

TEST(RealProgram, HibernatesOnceAfterTheViewerHasExited) {
    ProbeRun run(100);
    ASSERT_TRUE(run.Start());
    Process viewer;
    ASSERT_TRUE(viewer.Start(FakeViewerPath()));
    ASSERT_TRUE(WaitFor([&] { return CountMessage(run.Log(), kExitWatch) == 1; }));
    HWND window = WaitForProcessWindow(viewer.Id(), "Quillomatic BS MainWindow", "Quillomatic");
    ASSERT_TRUE(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return CountMessage(run.Log(), kHibernating) == 1; }, 30000));
    ASSERT_TRUE(WaitFor([&] { return !run.PowerCalls().empty(); }));
    EXPECT_EQ("SetSystemPowerState 0 1\r\n", run.PowerCalls()) << "one forced hibernation";
    EXPECT_EQ(
        (std::vector<std::string>{
            "Quillomatic起動監視を開始しました。", "Quillomaticの起動を検出しました。", kExitWatch,
            "Quillomaticの終了を検出しました。", "Quillomatic起動監視を開始しました。",
            "スタンバイへ移行準備を行います。", "スタンバイへ移行まで 0 秒", kHibernating}),
        MessagesOldestFirst(run.Log()));
    EXPECT_EQ(2u, run.Close());
}

TEST(RealProgram, ClosedDuringACountdownEndsWith2AtOnceWithoutHibernating) {
    // A tick every millisecond: the countdown is writing entries while the dialog ends.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ProbeRun run(100);
        ASSERT_TRUE(run.Start());
        Process viewer;
        ASSERT_TRUE(viewer.Start(FakeViewerPath()));
        ASSERT_TRUE(WaitFor([&] { return CountMessage(run.Log(), kExitWatch) == 1; }));
        PostMessageA(WaitForProcessWindow(viewer.Id(), "Quillomatic BS MainWindow", nullptr),
                     WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return CountingDown(run.Log()); }));
        DWORD start = GetTickCount();
        EXPECT_EQ(2u, run.Close());
        EXPECT_LT(GetTickCount() - start, 5000u) << "promptly";
        EXPECT_EQ("", run.PowerCalls());
        EXPECT_EQ("[General]\r\nWindowPosX=16\r\nWindowPosY=16\r\n", ReadFile(run.IniPath()));
    }
}

TEST(RealProgram, TheShippedProgramClosedDuringItsRealCountdownEndsWith2) {
    MonitorRun run;
    ASSERT_TRUE(run.Start());
    Process viewer;
    ASSERT_TRUE(viewer.Start(FakeViewerPath()));
    ASSERT_TRUE(WaitFor([&] { return CountMessage(run.Log(), kExitWatch) == 1; }));
    PostMessageA(WaitForProcessWindow(viewer.Id(), "Quillomatic BS MainWindow", nullptr), WM_CLOSE,
                 0, 0);
    ASSERT_TRUE(WaitFor([&] { return CountingDown(run.Log()); }));
    EXPECT_EQ("スタンバイへ移行まで 300 秒", ReadRows(run.Log())[0].text);
    EXPECT_EQ(2u, run.Close());
}
