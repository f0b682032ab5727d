// Dialog: the four runs of template 101, the hand-over at WM_INITDIALOG, the control wrappers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dialog.h"
#include "message_log.h"
#include "wait.h"
#include "wrapper_fixtures.h"

namespace {

const UINT kRun = WM_APP + 7;  // posted at WM_INITDIALOG: the dialog is up, do the test's part
const INT_PTR kEndFailed = -99;

// What the caller's procedure saw of one run. The procedure ends a modal run at kRun.
struct ProcedureLog {
    std::vector<Message> seen;
    HWND window = nullptr;
    HWND handleAtInit = nullptr;
    int userValueAtInit = -1;
    std::string captionAtInit;
    HWND firstTabStop = nullptr;
    LONG_PTR procedureAfterInit = 0;
    bool ran = false;
    bool modal = true;
    INT_PTR endWith = 0;
    std::function<void(Dialog&, HWND)> atRun;
};

ProcedureLog* current = nullptr;

INT_PTR CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ProcedureLog& log = *current;
    log.seen.push_back({message, wParam, lParam});
    if (message == WM_INITDIALOG) {
        Dialog* dialog = reinterpret_cast<Dialog*>(lParam);
        log.window = window;
        log.handleAtInit = dialog->GetHandle();
        log.userValueAtInit = dialog->GetUserValue();
        char caption[64] = "";
        GetWindowTextA(window, caption, sizeof caption);
        log.captionAtInit = caption;
        log.firstTabStop = GetNextDlgTabItem(window, nullptr, FALSE);
        PostMessageA(window, kRun, 0, lParam);
        return TRUE;
    }
    if (message == kRun) {
        Dialog& dialog = *reinterpret_cast<Dialog*>(lParam);
        log.procedureAfterInit = GetWindowLongPtrA(window, DWLP_DLGPROC);
        if (log.atRun) log.atRun(dialog, window);
        log.ran = true;
        // A wrapper that lost its handle must fail the test, not hang it.
        if (log.modal && !dialog.EndDialog(log.endWith)) EndDialog(window, kEndFailed);
        return TRUE;
    }
    return FALSE;
}

// Installs a log for the procedure for as long as it lives.
struct Recording : ProcedureLog {
    Recording() { current = this; }
    ~Recording() { current = nullptr; }
};

// Runs a modeless dialog until the procedure has done its part.
bool WaitUntilRan(const ProcedureLog& log) {
    return WaitFor([&] { return log.ran; });
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

size_t IndexOf(const std::vector<Message>& messages, UINT message) {
    for (size_t i = 0; i < messages.size(); ++i)
        if (messages[i].message == message) return i;
    return messages.size();
}

}  // namespace

TEST(DialogRun, ModalRunHandsTheProcedureTheDialogAtItsFirstMessage) {
    Dialog dialog;
    Recording log;
    log.endWith = 42;
    ClassMessageRecorder dialogs("#32770");
    EXPECT_EQ(42, dialog.DialogBox(101, TestModule(), nullptr, RecordingProc));

    ASSERT_FALSE(log.seen.empty());
    Message first = log.seen[0];
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), first.message);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), first.lParam);
    EXPECT_EQ(reinterpret_cast<WPARAM>(log.firstTabStop), first.wParam);
    EXPECT_EQ(log.window, log.handleAtInit) << "GetHandle() is set before the procedure runs";
    EXPECT_EQ(log.window, dialog.GetHandle());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(RecordingProc), log.procedureAfterInit);
    EXPECT_EQ(1u, static_cast<size_t>(std::count_if(log.seen.begin(), log.seen.end(), [](auto m) {
                  return m.message == WM_INITDIALOG;
              })));
    // The platform did send earlier messages; they stopped at InitialDialogProc.
    std::vector<Message> sent = dialogs.Only({WM_SETFONT, WM_INITDIALOG});
    EXPECT_LT(IndexOf(sent, WM_SETFONT), IndexOf(sent, WM_INITDIALOG));
    EXPECT_EQ(log.seen.size(), IndexOf(log.seen, WM_SETFONT)) << "the procedure never saw it";

    EXPECT_EQ(nullptr, dialog.GetOwner());
    EXPECT_EQ(TestModule(), dialog.GetInstance());
    EXPECT_EQ(0, dialog.GetUserValue());
    EXPECT_FALSE(IsWindow(log.window)) << "a modal run ends with its window";
}

TEST(DialogRun, TemplateIdUsesOnlyItsLowSixteenBits) {
    Dialog dialog;
    Recording log;
    log.endWith = 5;
    std::string controls;
    log.atRun = [&](Dialog&, HWND window) {
        for (int id : {1000, 1001, 1002})
            controls += ClassOf(GetDlgItem(window, id)) + ";";
    };
    EXPECT_EQ(5, dialog.DialogBox(0x10065, TestModule(), nullptr, RecordingProc));
    EXPECT_EQ("Quillomaticモニター", log.captionAtInit);
    EXPECT_EQ("SysListView32;Button;Button;", controls);
}

TEST(DialogRun, UserValueIsTheParamRunsAndZeroOtherwise) {
    Dialog dialog;
    EXPECT_EQ(0, dialog.GetUserValue());
    {
        Recording log;
        EXPECT_EQ(0, dialog.DialogBoxParam(101, TestModule(), nullptr, RecordingProc, 7));
        EXPECT_EQ(7, log.userValueAtInit);
        ASSERT_FALSE(log.seen.empty());
        EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), log.seen[0].lParam);
    }
    {
        Recording log;
        log.endWith = -3;
        EXPECT_EQ(-3, dialog.DialogBox(101, TestModule(), nullptr, RecordingProc));
        EXPECT_EQ(0, log.userValueAtInit);
    }
    {
        Recording log;
        log.modal = false;
        HWND window = dialog.CreateDialogParam(101, TestModule(), nullptr, RecordingProc, 9);
        ASSERT_TRUE(WaitUntilRan(log));
        EXPECT_EQ(9, log.userValueAtInit);
        DestroyWindow(window);
    }
    {
        Recording log;
        log.modal = false;
        HWND window = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
        ASSERT_TRUE(WaitUntilRan(log));
        EXPECT_EQ(0, log.userValueAtInit);
        DestroyWindow(window);
    }
}

TEST(DialogRun, ModelessRunReturnsTheWindowItHandedOver) {
    TestWindow owner(WS_OVERLAPPEDWINDOW);
    Dialog dialog;
    Recording log;
    log.modal = false;
    HWND window = dialog.CreateDialog(101, TestModule(), owner.Handle(), RecordingProc);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(window, dialog.GetHandle());
    ASSERT_TRUE(WaitUntilRan(log));
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), log.seen[0].message);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), log.seen[0].lParam);
    EXPECT_EQ(window, log.handleAtInit);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(RecordingProc), log.procedureAfterInit);
    EXPECT_EQ(owner.Handle(), dialog.GetOwner());
    EXPECT_EQ(owner.Handle(), GetWindow(window, GW_OWNER));
    EXPECT_EQ(TestModule(), dialog.GetInstance());
}

TEST(DialogRun, MissingTemplateFailsWithoutCallingTheProcedure) {
    TestWindow earlier(WS_OVERLAPPEDWINDOW);
    Dialog dialog(earlier.Handle());
    Recording log;
    EXPECT_EQ(-1, dialog.DialogBox(4242, TestModule(), nullptr, RecordingProc));
    EXPECT_EQ(nullptr, dialog.CreateDialogParam(4242, TestModule(), nullptr, RecordingProc, 1));
    EXPECT_TRUE(log.seen.empty());
    EXPECT_EQ(earlier.Handle(), dialog.GetHandle());
}

TEST(DialogRun, RunWithoutAProcedureIsLeftToTheDefaultHandling) {
    Dialog dialog;
    HWND window = dialog.CreateDialog(101, TestModule(), nullptr, nullptr);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(window, dialog.GetHandle());
    EXPECT_EQ(0, GetWindowLongPtrA(window, DWLP_DLGPROC));
    PumpMessages();
}

TEST(InitialDialogProc, AnswersZeroAndPassesNothingOnBeforeInitialisation) {
    Dialog dialog;
    Recording log;
    log.modal = false;
    HWND window = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
    ASSERT_TRUE(WaitUntilRan(log));
    size_t seen = log.seen.size();
    // Even with the Dialog at hand, anything but WM_INITDIALOG stays with the library.
    LPARAM self = reinterpret_cast<LPARAM>(&dialog);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(0, Dialog::InitialDialogProc(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), 1));
    EXPECT_EQ(0,
              Dialog::InitialDialogProc(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), self));
    EXPECT_EQ(0, Dialog::InitialDialogProc(window, WM_COMMAND, 1001, self));
    EXPECT_EQ(0, Dialog::InitialDialogProc(window, WM_USER, 0, self));
    EXPECT_EQ(0, Dialog::InitialDialogProc(window, WM_INITDIALOG, 0, 0)) << "no Dialog given";
    EXPECT_EQ(seen, log.seen.size());
}

TEST(DialogControls, GetControlKeepsOneWrapperPerId) {
    Dialog dialog;
    Recording log;
    Window* button = nullptr;
    Window* nothing = nullptr;
    std::string caption;
    log.atRun = [&](Dialog& d, HWND window) {
        button = d.GetControl(1001);
        EXPECT_EQ(button, d.GetControl(1001));
        EXPECT_EQ(GetDlgItem(window, 1001), button->GetHandle());
        EXPECT_EQ(nullptr, button->GetOwner());
        EXPECT_EQ(nullptr, button->GetInstance());
        EXPECT_NE(0, button->SetWindowText("テスト"));
        caption = TextOf(GetDlgItem(window, 1001));
        nothing = d.GetControl(4242);
        EXPECT_EQ(nothing, d.GetControl(4242));
    };
    dialog.DialogBox(101, TestModule(), nullptr, RecordingProc);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ("テスト", caption);
    ASSERT_NE(nullptr, nothing);
    EXPECT_EQ(nullptr, nothing->GetHandle());
}

TEST(DialogControls, NewRunDeletesTheOldWrappersButNotTheirControls) {
    Dialog dialog;
    HWND firstButton = nullptr;
    HWND toolTip = nullptr;
    HFONT font = nullptr;
    HWND first = nullptr;
    {
        Recording log;
        log.modal = false;
        first = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
        ASSERT_TRUE(WaitUntilRan(log));
        Window* button = dialog.GetControl(1001);
        firstButton = button->GetHandle();
        ClassMessageRecorder tips(TOOLTIPS_CLASSA);
        ASSERT_EQ(0, button->CreateToolTip("tip", 0, 100));
        ASSERT_EQ(1u, tips.Windows().size());
        toolTip = tips.Windows()[0];
        LOGFONTA description = {};
        description.lfHeight = -12;
        font = button->CreateFont(&description, 0);
        ASSERT_NE(nullptr, font);
    }
    Recording log;
    log.modal = false;
    HWND second = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
    ASSERT_TRUE(WaitUntilRan(log));

    // The wrapper made in the first run is gone with what it owned; its button is not.
    EXPECT_FALSE(IsWindow(toolTip));
    EXPECT_EQ(0u, GetObjectType(font));
    EXPECT_TRUE(IsWindow(firstButton));
    EXPECT_EQ("監視開始", TextOf(firstButton));
    EXPECT_EQ(GetDlgItem(second, 1001), dialog.GetControl(1001)->GetHandle());
    DestroyWindow(first);
}

TEST(DialogControls, DestructorDestroysTheDialogAndItsWrappers) {
    HWND window = nullptr;
    HWND toolTip = nullptr;
    {
        Dialog dialog;
        Recording log;
        log.modal = false;
        window = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
        ASSERT_TRUE(WaitUntilRan(log));
        ClassMessageRecorder tips(TOOLTIPS_CLASSA);
        ASSERT_EQ(0, dialog.GetControl(1002)->CreateToolTip("tip", 0, 100));
        ASSERT_EQ(1u, tips.Windows().size());
        toolTip = tips.Windows()[0];
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(toolTip));
}

TEST(DialogControls, ItemOperationsActOnTheNamedControl) {
    Dialog dialog;
    Recording log;
    log.modal = false;
    HWND window = dialog.CreateDialog(101, TestModule(), nullptr, RecordingProc);
    ASSERT_TRUE(WaitUntilRan(log));
    HWND button = GetDlgItem(window, 1002);
    EXPECT_EQ(button, dialog.GetDlgItem(1002));
    EXPECT_EQ(nullptr, dialog.GetDlgItem(4242));
    EXPECT_NE(0, dialog.SetDlgItemText(1002, "abcdef"));
    EXPECT_EQ("abcdef", TextOf(button));
    char buffer[8] = "";
    EXPECT_EQ(3, dialog.GetDlgItemText(1002, buffer, 4));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(0, dialog.EnableDlgItem(1002, FALSE)) << "it was enabled";
    EXPECT_FALSE(IsWindowEnabled(button));
    EXPECT_NE(0, dialog.EnableDlgItem(1002, TRUE));
    EXPECT_EQ(0, dialog.SetDlgItemText(4242, "x"));
}
