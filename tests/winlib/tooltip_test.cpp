// ToolTip and Window::CreateToolTip: the tooltip window made, the records and messages it gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "message_log.h"
#include "window.h"
#include "wrapper_fixtures.h"

namespace {

const std::vector<UINT> kToolTipMessages = {TTM_ADDTOOLA, TTM_SETMAXTIPWIDTH, TTM_SETDELAYTIME};

// Keeps, while it lives, the creation parameters of every tooltip window made on this thread
// and a copy of every tool record added to one: both are gone once the call returns.
class ToolTipCapture {
public:
    struct Creation {
        HWND window;
        CREATESTRUCTA create;
        std::string name;
    };
    struct AddedTool {
        TTTOOLINFOA tool;
        std::string text;
    };

    ToolTipCapture() {
        active = this;
        cbt = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
        calls = SetWindowsHookExA(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId());
    }
    ~ToolTipCapture() {
        UnhookWindowsHookEx(calls);
        UnhookWindowsHookEx(cbt);
        active = nullptr;
    }
    ToolTipCapture(const ToolTipCapture&) = delete;
    ToolTipCapture& operator=(const ToolTipCapture&) = delete;

    std::vector<Creation> created;
    std::vector<AddedTool> added;

private:
    static bool IsToolTip(HWND window) {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        return lstrcmpiA(name, TOOLTIPS_CLASSA) == 0;
    }
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND && active && IsToolTip(window)) {
            const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
            active->created.push_back({window, *create, create->lpszName ? create->lpszName : "?"});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && active && call->message == TTM_ADDTOOLA) {
            const TTTOOLINFOA* tool = reinterpret_cast<const TTTOOLINFOA*>(call->lParam);
            TTTOOLINFOA copy = {};
            memcpy(&copy, tool, std::min<size_t>(tool->cbSize, sizeof copy));
            active->added.push_back({copy, tool->lpszText ? tool->lpszText : ""});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static thread_local ToolTipCapture* active;
    HHOOK cbt;
    HHOOK calls;
};

thread_local ToolTipCapture* ToolTipCapture::active = nullptr;

const char kTipText[] = "監視中です";

}  // namespace

TEST(ToolTip, CreateToolTipMakesAnOwnedTipForTheWholeWindow) {
    TestWindow window(WS_OVERLAPPEDWINDOW);
    WindowProbe wrapper(window.Handle());
    wrapper.instance = TestModule();
    ToolTipCapture capture;
    ClassMessageRecorder recorder(TOOLTIPS_CLASSA);

    EXPECT_EQ(0, wrapper.CreateToolTip(kTipText, 0, 0x12345));

    HWND tip = wrapper.toolTip.GetHandle();
    ASSERT_TRUE(IsWindow(tip));
    ASSERT_EQ(1u, capture.created.size());
    const CREATESTRUCTA& create = capture.created[0].create;
    EXPECT_EQ(tip, capture.created[0].window);
    EXPECT_EQ(0u, create.dwExStyle);
    EXPECT_EQ(0x80000003u, static_cast<DWORD>(create.style));
    EXPECT_EQ("", capture.created[0].name);
    EXPECT_EQ(window.Handle(), create.hwndParent);
    EXPECT_EQ(TestModule(), create.hInstance);
    EXPECT_EQ(nullptr, create.hMenu);
    EXPECT_EQ(nullptr, create.lpCreateParams);
    EXPECT_EQ(window.Handle(), GetWindow(tip, GW_OWNER));

    ASSERT_EQ(1u, capture.added.size());
    const TTTOOLINFOA& tool = capture.added[0].tool;
    RECT client;
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(static_cast<UINT>(TTTOOLINFOA_V2_SIZE), tool.cbSize);
    EXPECT_EQ(0x11u, tool.uFlags);
    EXPECT_EQ(window.Handle(), tool.hwnd);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(window.Handle()), tool.uId);
    EXPECT_TRUE(EqualRect(&client, &tool.rect));
    EXPECT_EQ(TestModule(), tool.hinst);
    EXPECT_EQ(kTipText, capture.added[0].text);
    EXPECT_EQ(0, tool.lParam);

    // No maximum width for a single-line tip; only the low 16 bits of the display time.
    std::vector<Message> sent = recorder.Only(kToolTipMessages);
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(static_cast<UINT>(TTM_ADDTOOLA), sent[0].message);
    EXPECT_EQ(0u, sent[0].wParam);
    Message delay = {TTM_SETDELAYTIME, TTDT_AUTOPOP, 0x2345};
    EXPECT_EQ(delay, sent[1]);
    EXPECT_EQ(0x2345, SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0));
    EXPECT_EQ(1, SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
}

TEST(ToolTip, MultiLineTipMayBeAsWideAsTheScreen) {
    TestWindow window(WS_OVERLAPPEDWINDOW);
    Window wrapper(window.Handle());
    ClassMessageRecorder recorder(TOOLTIPS_CLASSA);
    EXPECT_EQ(0, wrapper.CreateToolTip(kTipText, 5, 800));
    const LPARAM screen = GetSystemMetrics(SM_CXSCREEN);
    std::vector<Message> sent = recorder.Only(kToolTipMessages);
    ASSERT_EQ(3u, sent.size());
    Message width = {TTM_SETMAXTIPWIDTH, 0, screen};
    Message delay = {TTM_SETDELAYTIME, TTDT_AUTOPOP, 800};
    EXPECT_EQ(width, sent[1]);
    EXPECT_EQ(delay, sent[2]);
    ASSERT_EQ(1u, recorder.Windows().size());
    EXPECT_EQ(screen, SendMessageA(recorder.Windows()[0], TTM_GETMAXTIPWIDTH, 0, 0));
}

TEST(ToolTip, FailedCreationSendsNothingAndReportsOne) {
    HWND stale = TestWindow(WS_OVERLAPPEDWINDOW).Handle();  // destroyed: no owner to be had
    WindowProbe wrapper(stale);
    ClassMessageRecorder recorder(TOOLTIPS_CLASSA);
    EXPECT_EQ(1, wrapper.CreateToolTip(kTipText, 1, 100));
    EXPECT_EQ(nullptr, wrapper.toolTip.GetHandle());
    EXPECT_EQ(std::vector<Message>{}, recorder.Only(kToolTipMessages));

    ToolTip direct;
    EXPECT_EQ(nullptr, direct.Create(TestModule(), stale, kTipText, 0, 100));
}

TEST(ToolTip, DestroyEndsOnlyAnExistingTip) {
    ToolTip empty;
    SetLastError(0xC0FFEE);
    EXPECT_EQ(0, empty.Destroy());
    EXPECT_EQ(0xC0FFEEu, GetLastError()) << "no DestroyWindow(null) was made";

    TestWindow window(WS_OVERLAPPEDWINDOW);
    ToolTip tip;
    HWND handle = tip.Create(TestModule(), window.Handle(), kTipText, 0, 100);
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(handle, tip.GetHandle());
    EXPECT_NE(0, tip.Destroy());
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, tip.GetHandle());
    EXPECT_EQ(0, tip.Destroy());

    // The embedding Window ends the tip; the ToolTip itself leaves it alone.
    HWND left = nullptr;
    {
        ToolTip unowned;
        left = unowned.Create(TestModule(), window.Handle(), kTipText, 0, 100);
    }
    EXPECT_TRUE(IsWindow(left));
}
