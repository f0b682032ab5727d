// Button 1002 of the real main dialog: one forced hibernation per click, whatever the
// monitoring state, and the dialog runs on.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "main_dialog.h"
#include "power.h"
#include "running_dialog.h"
#include "wait.h"

namespace {

using Calls = std::vector<std::string>;

// The two calls that would end the session, recorded on the dialog's thread and read on the
// test's; the token calls stay real.
class ActionRecorder {
public:
    ActionRecorder() { InitializeCriticalSection(&lock); }
    ~ActionRecorder() { DeleteCriticalSection(&lock); }

    void Add(std::string call) {
        EnterCriticalSection(&lock);
        calls.push_back(std::move(call));
        LeaveCriticalSection(&lock);
    }
    void Clear() {
        EnterCriticalSection(&lock);
        calls.clear();
        LeaveCriticalSection(&lock);
    }
    Calls All() {
        EnterCriticalSection(&lock);
        Calls copy = calls;
        LeaveCriticalSection(&lock);
        return copy;
    }

private:
    CRITICAL_SECTION lock;
    Calls calls;
};

ActionRecorder actions;

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
    actions.Add("ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reason) + ")");
    return TRUE;
}

BOOL WINAPI RecordPowerState(BOOL suspend, BOOL force) {
    actions.Add("SetSystemPowerState(" + std::to_string(suspend) + ", " + std::to_string(force) +
                ")");
    return TRUE;
}

const std::string kForcedHibernation = "SetSystemPowerState(0, 1)";

class HibernateButton : public ::testing::Test {
protected:
    void SetUp() override {
        saved = PowerCalls;
        actions.Clear();
        PowerCalls.ExitWindowsEx = RecordExitWindows;
        PowerCalls.SetSystemPowerState = RecordPowerState;
        dialog.reset(new RunningMainDialog);
        ASSERT_TRUE(dialog->Started());
    }
    void TearDown() override {
        dialog.reset();
        PowerCalls = saved;
    }

    // Clicks 1002 and waits until the request count reaches `count`; the click is sent, so by
    // then the handler has returned and no further request can belong to it.
    void ClickHibernate(size_t count) {
        dialog->Click(1002);
        EXPECT_TRUE(WaitFor([&] { return actions.All().size() >= count; }));
        EXPECT_EQ(Calls(count, kForcedHibernation), actions.All());
    }

    // Still shown, still handling messages, and its modal run has not returned.
    void ExpectRunning() {
        EXPECT_TRUE(IsWindowVisible(dialog->Window()));
        DWORD_PTR answer;
        EXPECT_TRUE(
            SendMessageTimeoutA(dialog->Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, dialog->ThreadId());
        ASSERT_TRUE(thread);
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 0));
        CloseHandle(thread);
    }

    PowerApi saved;
    std::unique_ptr<RunningMainDialog> dialog;
};

}  // namespace

TEST_F(HibernateButton, EachClickRequestsOneForcedHibernationAndTheDialogRunsOn) {
    ASSERT_EQ("監視中止", dialog->ControlText(1001));
    ClickHibernate(1);
    ExpectRunning();
    EXPECT_EQ("監視中止", dialog->ControlText(1001)) << "monitoring is left as it was";

    ClickHibernate(2);
    ExpectRunning();
    EXPECT_EQ(2, dialog->Close());
    EXPECT_EQ(Calls(2, kForcedHibernation), actions.All());
}

TEST_F(HibernateButton, HibernatesAlsoWhileMonitoringIsOff) {
    dialog->Click(1001);
    ASSERT_TRUE(WaitFor([&] { return dialog->ControlText(1001) == "監視開始"; }));
    EXPECT_EQ(Calls(), actions.All());

    ClickHibernate(1);
    ExpectRunning();
    EXPECT_EQ("監視開始", dialog->ControlText(1001)) << "monitoring stays off";
}

TEST_F(HibernateButton, TheProcedureAnswers1ForTheButton) {
    // Called directly: sent to the dialog, the answer would be DWLP_MSGRESULT instead.
    HWND button = dialog->Control(1002);
    EXPECT_EQ(1, MainDialogProc(dialog->Window(), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED),
                                reinterpret_cast<LPARAM>(button)));
    EXPECT_EQ(Calls(1, kForcedHibernation), actions.All());
}
