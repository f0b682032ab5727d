// Window: what each operation sends its window, and what a wrapper owns and releases.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "message_log.h"
#include "wait.h"
#include "window.h"
#include "wrapper_fixtures.h"

namespace {

const DWORD kFramedStyle = WS_OVERLAPPEDWINDOW;

// Width and height of an icon's colour image.
SIZE IconSize(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

LOGFONTA GoodFont() {
    LOGFONTA description = {};
    description.lfHeight = -12;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(description.lfFaceName, "Tahoma");
    return description;
}

// The platform overwrites whatever length it is given, so the length it was handed is seen by
// standing in for it in this program's import table for a while, then passing the call on.
class PlacementLengthSpy {
public:
    using Call = BOOL(WINAPI*)(HWND, WINDOWPLACEMENT*);

    PlacementLengthSpy() : original(Swap(Record)) {}
    ~PlacementLengthSpy() { Swap(original); }
    PlacementLengthSpy(const PlacementLengthSpy&) = delete;
    PlacementLengthSpy& operator=(const PlacementLengthSpy&) = delete;

    static std::vector<UINT> seen;

private:
    static BOOL WINAPI Record(HWND window, WINDOWPLACEMENT* placement) {
        seen.push_back(placement->length);
        return active(window, placement);
    }
    Call Swap(Call replacement);

    static Call active;
    Call original;
};

std::vector<UINT> PlacementLengthSpy::seen;
PlacementLengthSpy::Call PlacementLengthSpy::active = nullptr;

}  // namespace

// This program's import table slot for the platform's GetWindowPlacement.
#ifdef _WIN64
extern PlacementLengthSpy::Call importSlot __asm__("__imp_GetWindowPlacement");
#else
extern PlacementLengthSpy::Call importSlot __asm__("__imp__GetWindowPlacement@8");
#endif

PlacementLengthSpy::Call PlacementLengthSpy::Swap(Call replacement) {
    DWORD protection = 0;
    VirtualProtect(&importSlot, sizeof replacement, PAGE_READWRITE, &protection);
    Call previous = importSlot;
    importSlot = replacement;
    VirtualProtect(&importSlot, sizeof replacement, protection, &protection);
    if (replacement == Record) active = previous;
    return previous;
}

// A copy would release the same font and tooltip a second time.
static_assert(!std::is_copy_constructible<Window>::value && !std::is_copy_assignable<Window>::value,
              "a Window is not copied");

TEST(WindowLifetime, ConstructorsLeaveOwnerInstanceAndFontNull) {
    WindowProbe empty;
    EXPECT_EQ(nullptr, empty.GetHandle());
    TestWindow window(kFramedStyle);
    WindowProbe wrapper(window.Handle());
    EXPECT_EQ(window.Handle(), wrapper.GetHandle());
    EXPECT_EQ(nullptr, wrapper.GetOwner());
    EXPECT_EQ(nullptr, wrapper.GetInstance());
    EXPECT_EQ(nullptr, wrapper.font);
    EXPECT_EQ(nullptr, wrapper.toolTip.GetHandle());
}

TEST(WindowLifetime, DestroyWindowOnAnEmptyWrapperCallsNothing) {
    Window empty;
    SetLastError(0xC0FFEE);
    EXPECT_EQ(0, empty.DestroyWindow());
    // A call with a null handle would have set ERROR_INVALID_WINDOW_HANDLE.
    EXPECT_EQ(0xC0FFEEu, GetLastError());
}

TEST(WindowLifetime, DestroyWindowDestroysAndForgetsTheWindow) {
    HWND handle = TestWindow(kFramedStyle).Handle();  // already destroyed: a stale handle
    Window stale(handle);
    EXPECT_EQ(0, stale.DestroyWindow());
    EXPECT_EQ(nullptr, stale.GetHandle()) << "cleared although the platform call failed";

    TestWindow live(kFramedStyle);
    Window wrapper(live.Handle());
    EXPECT_NE(0, wrapper.DestroyWindow());
    EXPECT_FALSE(IsWindow(live.Handle()));
    EXPECT_EQ(nullptr, wrapper.GetHandle());
}

TEST(WindowLifetime, DestructorReleasesToolTipAndFontButNotTheWindow) {
    TestWindow window(kFramedStyle);
    HWND toolTip = nullptr;
    HFONT font = nullptr;
    {
        WindowProbe wrapper(window.Handle());
        ASSERT_EQ(0, wrapper.CreateToolTip("tip", 0, 1000));
        LOGFONTA description = GoodFont();
        font = wrapper.CreateFont(&description, 0);
        toolTip = wrapper.toolTip.GetHandle();
        ASSERT_TRUE(IsWindow(toolTip));
        ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(font));
    }
    EXPECT_TRUE(IsWindow(window.Handle()));
    EXPECT_FALSE(IsWindow(toolTip));
    EXPECT_EQ(0u, GetObjectType(font));
}

TEST(WindowFont, RejectedDescriptionSendsNothingAndLeavesNoFont) {
    TestWindow window(kFramedStyle);
    WindowProbe wrapper(window.Handle());
    MessageRecorder recorder(window.Handle());
    EXPECT_EQ(nullptr, wrapper.CreateFont(nullptr, 1));
    EXPECT_EQ(nullptr, wrapper.font);
    EXPECT_EQ(std::vector<Message>{}, recorder.Only({WM_SETFONT}));
}

TEST(WindowFont, NewFontIsSentWithTheLowHalfOfRedraw) {
    TestWindow parent(kFramedStyle);
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                  parent.Handle(), nullptr, TestModule(), nullptr);
    WindowProbe wrapper(button);
    MessageRecorder recorder(button);
    LOGFONTA description = GoodFont();
    HFONT font = wrapper.CreateFont(&description, 0x10001);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(font, wrapper.font);
    std::vector<Message> expected = {{WM_SETFONT, reinterpret_cast<WPARAM>(font), 1}};
    EXPECT_EQ(expected, recorder.Only({WM_SETFONT}));
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(button, WM_GETFONT, 0, 0));
}

TEST(WindowIcons, SetIconsReportsThePreviousIcons) {
    TestWindow window(kFramedStyle);
    Window wrapper(window.Handle());
    HICON small = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    HICON big = LoadIconA(nullptr, MAKEINTRESOURCEA(32516));    // IDI_INFORMATION
    MessageRecorder recorder(window.Handle());
    EXPECT_EQ(0, wrapper.SetIcons(small, big)) << "the window had no icons before";
    EXPECT_EQ(1, wrapper.SetIcons(small, big));
    std::vector<Message> once = {{WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)},
                                 {WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)}};
    std::vector<Message> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(twice, recorder.Only({WM_SETICON}));
    EXPECT_EQ(reinterpret_cast<LRESULT>(big),
              SendMessageA(window.Handle(), WM_GETICON, ICON_BIG, 0));

    recorder.Clear();
    EXPECT_EQ(1, wrapper.SetIcons(nullptr, nullptr));
    EXPECT_EQ(std::vector<Message>{}, recorder.Only({WM_SETICON}));
}

TEST(WindowIcons, LoadIconsTakesBothSizesOfOneResource) {
    TestWindow window(kFramedStyle);
    WindowProbe wrapper(window.Handle());
    wrapper.instance = TestModule();
    MessageRecorder recorder(window.Handle());
    // Only the low 16 bits name the resource: 0x10066 is icon 102.
    EXPECT_EQ(0, wrapper.LoadIcons(0x10066, 0));
    std::vector<Message> sent = recorder.Only({WM_SETICON});
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(static_cast<WPARAM>(ICON_SMALL), sent[0].wParam);
    EXPECT_EQ(static_cast<WPARAM>(ICON_BIG), sent[1].wParam);
    SIZE small = IconSize(reinterpret_cast<HICON>(sent[0].lParam));
    SIZE big = IconSize(reinterpret_cast<HICON>(sent[1].lParam));
    EXPECT_EQ(16, small.cx);
    EXPECT_EQ(16, small.cy);
    EXPECT_EQ(32, big.cx);
    EXPECT_EQ(32, big.cy);
}

TEST(WindowIcons, LoadIconsWithoutTheResourcesSendsNothing) {
    TestWindow window(kFramedStyle);
    WindowProbe wrapper(window.Handle());
    MessageRecorder recorder(window.Handle());
    // A wrapper made from a handle has no module to load icon 102 from.
    EXPECT_EQ(1, wrapper.LoadIcons(102, 0));
    wrapper.instance = TestModule();
    EXPECT_EQ(1, wrapper.LoadIcons(4242, 4243));
    EXPECT_EQ(std::vector<Message>{}, recorder.Only({WM_SETICON}));
}

TEST(WindowPlacement, OnlyAZeroLengthIsFilledIn) {
    TestWindow window(kFramedStyle);
    Window wrapper(window.Handle());
    PlacementLengthSpy spy;
    for (UINT length : {0u, 44u, 12u, 1000u}) {
        SCOPED_TRACE(length);
        WINDOWPLACEMENT placement = {};
        placement.length = length;
        EXPECT_NE(0, wrapper.GetWindowPlacement(&placement));
        ASSERT_EQ(1u, PlacementLengthSpy::seen.size());
        EXPECT_EQ(length ? length : 44u, PlacementLengthSpy::seen[0]);
        EXPECT_EQ(100, placement.rcNormalPosition.left);
        EXPECT_EQ(120, placement.rcNormalPosition.top);
        PlacementLengthSpy::seen.clear();
    }
    SetLastError(0xC0FFEE);
    EXPECT_EQ(0, wrapper.GetWindowPlacement(nullptr));
    EXPECT_EQ(0xC0FFEEu, GetLastError());
    EXPECT_TRUE(PlacementLengthSpy::seen.empty()) << "the platform was not asked";
}

TEST(WindowGeometry, SetClientSizeMeasuresTheCurrentFrame) {
    for (TestWindow::Frame frame : {TestWindow::Standard, TestWindow::Custom}) {
        SCOPED_TRACE(frame == TestWindow::Custom ? "custom frame" : "standard frame");
        TestWindow window(frame == TestWindow::Custom ? WS_POPUP : kFramedStyle, nullptr, frame);
        Window wrapper(window.Handle());
        RECT outer, client;
        GetWindowRect(window.Handle(), &outer);
        GetClientRect(window.Handle(), &client);
        int frameWidth = (outer.right - outer.left) - client.right;
        int frameHeight = (outer.bottom - outer.top) - client.bottom;
        if (frame == TestWindow::Custom) {
            EXPECT_EQ(kCustomInsets.left + kCustomInsets.right, frameWidth);
            EXPECT_EQ(kCustomInsets.top + kCustomInsets.bottom, frameHeight);
        }
        window.ClearPositionRequests();
        EXPECT_NE(0, wrapper.SetClientSize(200, 100));
        ASSERT_FALSE(window.PositionRequests().empty());
        const WINDOWPOS& request = window.PositionRequests().front();
        EXPECT_EQ(200 + frameWidth, request.cx);
        EXPECT_EQ(100 + frameHeight, request.cy);
        EXPECT_EQ(static_cast<UINT>(SWP_NOMOVE), request.flags & (SWP_NOMOVE | SWP_NOSIZE));
        RECT after;
        GetWindowRect(window.Handle(), &after);
        EXPECT_EQ(outer.left, after.left);
        EXPECT_EQ(outer.top, after.top);
        GetClientRect(window.Handle(), &client);
        EXPECT_EQ(200, client.right);
        EXPECT_EQ(100, client.bottom);
    }
}

TEST(WindowGeometry, PositionAndSizeMoveOnlyWhatTheyName) {
    TestWindow window(kFramedStyle);
    Window wrapper(window.Handle());
    window.ClearPositionRequests();
    EXPECT_NE(0, wrapper.SetPosition(-50, 60));
    ASSERT_EQ(1u, window.PositionRequests().size());
    EXPECT_EQ(static_cast<UINT>(SWP_NOSIZE),
              window.PositionRequests()[0].flags & (SWP_NOMOVE | SWP_NOSIZE));
    POINT position = {};
    EXPECT_NE(0, wrapper.GetPosition(&position));
    EXPECT_EQ(-50, position.x);
    EXPECT_EQ(60, position.y);

    EXPECT_NE(0, wrapper.SetSize(320, 240));
    RECT rect;
    GetWindowRect(window.Handle(), &rect);
    EXPECT_EQ(-50, rect.left);
    EXPECT_EQ(60, rect.top);
    EXPECT_EQ(270, rect.right);
    EXPECT_EQ(300, rect.bottom);
    EXPECT_NE(0, wrapper.GetPosition(nullptr));

    Window stale(TestWindow(kFramedStyle).Handle());
    position = {1, 2};
    EXPECT_EQ(0, stale.GetPosition(&position));
}

// One operation, the messages of the listed kinds it must make the window receive, its result.
struct PassThrough {
    const char* name;
    std::function<LRESULT(Window&)> run;
    std::vector<UINT> kinds;
    std::vector<Message> expected;
    LRESULT result;
};

TEST(WindowMessages, OperationsSendThePlatformTheirArguments) {
    static const char kText[] = "新しい題";
    static char buffer[16];
    const UINT kAsk = WM_APP + 1;
    const UINT kTell = WM_APP + 2;
    const std::vector<UINT> moves = {WM_MOVE, WM_SIZE};
    const std::vector<PassThrough> cases = {
        {"SendMessage",
         [&](Window& w) { return w.SendMessage(kAsk, 0x12, 0x34); },
         {kAsk},
         {{kAsk, 0x12, 0x34}},
         0x5678},
        {"PostMessage",
         [&](Window& w) { return LRESULT(w.PostMessage(kTell, 5, 6)); },
         {kTell},
         {{kTell, 5, 6}},
         1},
        {"SetWindowText",
         [](Window& w) { return LRESULT(w.SetWindowText(kText)); },
         {WM_SETTEXT},
         {{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText)}},
         1},
        {"GetWindowText",
         [](Window& w) { return LRESULT(w.GetWindowText(buffer, 16)); },
         {WM_GETTEXT},
         {{WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buffer)}},
         5},
        {"ShowWindow",
         [](Window& w) { return LRESULT(w.ShowWindow(SW_SHOWNA)); },
         {WM_SHOWWINDOW},
         {{WM_SHOWWINDOW, 1, 0}},
         0},
        {"EnableWindow",
         [](Window& w) { return LRESULT(w.EnableWindow(FALSE)); },
         {WM_ENABLE},
         {{WM_ENABLE, 0, 0}},
         0},
        {"SetWindowPos",
         [](Window& w) { return LRESULT(w.SetWindowPos(nullptr, 10, 20, 30, 40, SWP_NOZORDER)); },
         moves,
         {{WM_MOVE, 0, MAKELPARAM(10, 20)}, {WM_SIZE, SIZE_RESTORED, MAKELPARAM(30, 40)}},
         1},
        {"MoveWindow",
         [](Window& w) { return LRESULT(w.MoveWindow(11, 21, 31, 41, FALSE)); },
         moves,
         {{WM_MOVE, 0, MAKELPARAM(11, 21)}, {WM_SIZE, SIZE_RESTORED, MAKELPARAM(31, 41)}},
         1},
        {"SetPosition",
         [](Window& w) { return LRESULT(w.SetPosition(12, 22)); },
         moves,
         {{WM_MOVE, 0, MAKELPARAM(12, 22)}},
         1},
        {"SetSize",
         [](Window& w) { return LRESULT(w.SetSize(32, 42)); },
         moves,
         {{WM_SIZE, SIZE_RESTORED, MAKELPARAM(32, 42)}},
         1},
        {"RedrawWindow",
         [](Window& w) {
             ShowWindow(w.GetHandle(), SW_SHOWNA);
             return LRESULT(w.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
         },
         {WM_PAINT},
         {{WM_PAINT, 0, 0}},
         1},
    };
    for (const PassThrough& c : cases) {
        SCOPED_TRACE(c.name);
        // A frameless pop-up: its client area is its window, so moves arrive as given.
        TestWindow window(WS_POPUP);
        Window wrapper(window.Handle());
        MessageRecorder recorder(window.Handle());
        recorder.Answer(kAsk, 0x5678);
        EXPECT_EQ(c.result, c.run(wrapper));
        PumpMessages();
        EXPECT_EQ(c.expected, recorder.Only(c.kinds));
    }
    EXPECT_STREQ("title", buffer);
}

TEST(WindowMessages, QueriesAnswerForTheWrappedWindow) {
    TestWindow parent(kFramedStyle);
    TestWindow child(WS_CHILD | WS_VISIBLE, parent.Handle());
    Window top(parent.Handle());
    Window inner(child.Handle());

    EXPECT_EQ(parent.Handle(), inner.GetParent());
    EXPECT_NE(nullptr, top.GetSystemMenu(FALSE));
    EXPECT_EQ(nullptr, top.GetMenu());
    EXPECT_EQ(0, inner.SetWindowLong(GWL_ID, 77));
    EXPECT_EQ(77, inner.GetWindowLong(GWL_ID));
    top.DragAcceptFiles(TRUE);
    EXPECT_TRUE(GetWindowLongA(parent.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    RECT wrapped, direct;
    EXPECT_NE(0, inner.GetWindowRect(&wrapped));
    GetWindowRect(child.Handle(), &direct);
    EXPECT_TRUE(EqualRect(&direct, &wrapped));
    POINT point = {direct.left + 3, direct.top + 4};
    EXPECT_NE(0, inner.ScreenToClient(&point));
    EXPECT_EQ(3, point.x);
    EXPECT_EQ(4, point.y);

    HDC dc = top.GetDC();
    EXPECT_EQ(parent.Handle(), WindowFromDC(dc));
    ReleaseDC(parent.Handle(), dc);

    EXPECT_NE(0, inner.SetWindowRgn(CreateRectRgn(0, 0, 5, 5), FALSE));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(SIMPLEREGION, GetWindowRgn(child.Handle(), region));
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_EQ(5, box.right);
    DeleteObject(region);

    TestWindow other(kFramedStyle);
    EXPECT_EQ(parent.Handle(), inner.SetParent(other.Handle()));
    EXPECT_EQ(other.Handle(), GetParent(child.Handle()));
}
