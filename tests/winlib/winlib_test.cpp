// The window wrappers on real windows, dialogs and controls.
#include <gtest/gtest.h>
#include "dialog.h"
#include "list_view.h"
#include "message_log.h"

static_assert(!std::is_copy_constructible_v<Window> && !std::is_copy_assignable_v<Window>);
using Messages = std::vector<Message>;
using Longs = std::vector<LONG>;
// This program's import slot for GetWindowPlacement, through which the library calls it too.
#ifdef _WIN64
extern decltype(&GetWindowPlacement) placementSlot __asm__("__imp_GetWindowPlacement");
#else
extern decltype(&GetWindowPlacement) placementSlot __asm__("__imp__GetWindowPlacement@8");
#endif
static const HINSTANCE kModule = GetModuleHandleA(nullptr);  // holds dialog 101 and icon 102
static const LOGFONTA kFont = {};
static constexpr auto Of = [](auto... values) { return std::make_tuple(values...); };
static HWND MakeWindow(DWORD style, DWORD exStyle = 0) {
    return CreateWindowExA(exStyle, "STATIC", "", style, 100, 120, 300, 200, 0, 0, kModule, 0);
}
static int CALLBACK ByValue(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : a > b; }

static Messages toolTipSaw;  // from the window's creation on, before a subclass could see them
static HWND lastTip;
static TTTOOLINFOA lastTool;  // a copy: the record is gone once it has been sent
static LRESULT CALLBACK ToolTipHook(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT& c = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (c.message == TTM_ADDTOOLA) lastTip = c.hwnd, lastTool = *(TTTOOLINFOA*)c.lParam;
    if (c.message == TTM_SETDELAYTIME || c.message == TTM_SETMAXTIPWIDTH)
        toolTipSaw.push_back({c.message, c.wParam, c.lParam});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
static std::vector<UINT> lengthsSeen;  // the platform overwrites them: seen by standing in
static decltype(&GetWindowPlacement) otherPlacement;  // the call the slot does not hold now
static BOOL WINAPI SeePlacement(HWND window, WINDOWPLACEMENT* placement) {
    lengthsSeen.push_back(placement->length);
    return otherPlacement(window, placement);
}

TEST(Window, OwnershipFontToolTipIconsPlacementAndGeometry) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW), tip = nullptr;
    const char* text = "監視中です";
    HFONT font = nullptr;
    toolTipSaw.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, ToolTipHook, nullptr, GetCurrentThreadId());
    {
        ListView wrapper;  // Attach takes the window's module, which the tooltip gets
        wrapper.Attach(nullptr, window);
        Longs redraws;  // whether each change of place or shape asks for the window to be drawn
        MessageRecorder recorder(window, [&](const Message& m) {
            if (m.message == WM_WINDOWPOSCHANGING)
                redraws.push_back(!(reinterpret_cast<WINDOWPOS*>(m.lParam)->flags & SWP_NOREDRAW));
        });
        EXPECT_EQ(nullptr, wrapper.CreateFont(nullptr, 1));
        HFONT quiet = wrapper.CreateFont(&kFont, 0x10000);  // only the low 16 bits count
        font = wrapper.CreateFont(&kFont, 0x10001);
        EXPECT_EQ((Messages{{WM_SETFONT, WPARAM(quiet), 0}, {WM_SETFONT, WPARAM(font), 1}}),
                  recorder.Only(WM_SETFONT));
        DeleteObject(quiet);
        wrapper.MoveWindow(5, 6, 300, 200, TRUE), wrapper.MoveWindow(5, 6, 300, 200, FALSE);
        wrapper.SetWindowRgn(CreateRectRgn(0, 0, 9, 9), TRUE), wrapper.SetWindowRgn(nullptr, FALSE);
        wrapper.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        wrapper.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
        EXPECT_EQ((Longs{1, 0, 1, 0, 1, 0}), redraws);
        auto accepts = [&] { return wrapper.GetWindowLong(GWL_EXSTYLE) & WS_EX_ACCEPTFILES; };
        auto invalid = [&] { return GetUpdateRect(window, nullptr, FALSE); };  // only once shown
        wrapper.ShowWindow(SW_SHOWNA);
        EXPECT_EQ((Longs{0, 1, WS_EX_ACCEPTFILES, 0, 1, 0}),
                  (Longs{(wrapper.RedrawWindow(nullptr, nullptr, RDW_VALIDATE), invalid()),
                         (wrapper.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE), invalid()),
                         (wrapper.DragAcceptFiles(TRUE), accepts()),
                         (wrapper.DragAcceptFiles(FALSE), accepts()),
                         wrapper.GetSystemMenu(FALSE) != nullptr,
                         wrapper.GetSystemMenu(TRUE) != nullptr}));
        wrapper.ShowWindow(SW_HIDE), wrapper.EnableWindow(FALSE), wrapper.EnableWindow(TRUE);
        EXPECT_EQ((Messages{{WM_SHOWWINDOW, 1, 0}, {WM_SHOWWINDOW, 0, 0}}),
                  recorder.Only(WM_SHOWWINDOW));
        EXPECT_EQ((Messages{{WM_ENABLE, 0, 0}, {WM_ENABLE, 1, 0}}), recorder.Only(WM_ENABLE));
        EXPECT_EQ(0, wrapper.CreateToolTip(text, 0, 0x12345));
        ASSERT_TRUE(IsWindow(tip = lastTip));
        ToolTip().Create(kModule, window, text, 5, 800);
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(Of(TTTOOLINFOA_V2_SIZE, UINT(TTF_IDISHWND | TTF_SUBCLASS), UINT_PTR(window), text),
              Of(lastTool.cbSize, lastTool.uFlags, lastTool.uId, lastTool.lpszText));
    const Messages tips = {{TTM_SETDELAYTIME, TTDT_AUTOPOP, 0x2345},
                           {TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN)},
                           {TTM_SETDELAYTIME, TTDT_AUTOPOP, 800}};
    EXPECT_EQ(tips, toolTipSaw) << "a maximum width only for several lines";
    EXPECT_EQ(Of(TRUE, FALSE, 0u), Of(IsWindow(window), IsWindow(tip), GetObjectType(font)))
        << "the wrapper releases its font and tooltip, never the window it wraps";
    Window wrapper(window), stale(window);
    EXPECT_EQ((Longs{1, 0}), (Longs{wrapper.DestroyWindow(), stale.DestroyWindow()}));
    SetLastError(0xC0FFEE);  // no call may change it: both handles were cleared
    EXPECT_EQ((Longs{0, 0, 0, 0xC0FFEE}), (Longs{wrapper.DestroyWindow(), stale.DestroyWindow(),
                                                 ToolTip().Destroy(), LONG(GetLastError())}));
    EXPECT_EQ(1, Window(window).CreateToolTip(text, 0, 100)) << "no tooltip without its owner";
    ListView icons;  // Attach takes the window's module, where icon 102 is
    icons.Attach(nullptr, window = MakeWindow(WS_OVERLAPPEDWINDOW));
    HICON small = LoadIconA(nullptr, IDI_APPLICATION), big = LoadIconA(nullptr, IDI_ASTERISK);
    const Message s = {WM_SETICON, ICON_SMALL, LPARAM(small)},
                  b = {WM_SETICON, ICON_BIG, LPARAM(big)};
    MessageRecorder recorder(window);  // WM_SETICON answers the icon before, at first none
    EXPECT_EQ((Longs{1, 0, 0, 1}),
              (Longs{icons.SetIcons(nullptr, nullptr), icons.SetIcons(small, nullptr),
                     icons.SetIcons(small, big), icons.SetIcons(small, big)}));
    EXPECT_EQ((Messages{s, s, b, s, b}), recorder.Only(WM_SETICON));
    recorder.Clear();
    EXPECT_EQ(1, icons.LoadIcons(4242, 4243)) << "missing icons are skipped";
    EXPECT_EQ(1, icons.LoadIcons(0x10066, 0)) << "only the low 16 bits name the icon";
    Longs sizes;
    for (const Message& m : recorder.Only(WM_SETICON)) {
        ICONINFO info = {};
        BITMAP bitmap = {};
        GetIconInfo(reinterpret_cast<HICON>(m.lParam), &info);
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        sizes.insert(sizes.end(), {LONG(m.wParam), bitmap.bmWidth, bitmap.bmHeight});
    }
    EXPECT_EQ((Longs{ICON_SMALL, 16, 16, ICON_BIG, 32, 32}), sizes);
    DWORD protection = 0;  // the slot is left writable: this is a test program
    VirtualProtect(&placementSlot, sizeof placementSlot, PAGE_READWRITE, &protection);
    lengthsSeen.clear();
    std::swap(placementSlot, otherPlacement = SeePlacement);
    WINDOWPLACEMENT zero = {}, other = {12, 0, 0, {}, {}, {}};
    EXPECT_EQ((Longs{1, 0, 1}),
              (Longs{icons.GetWindowPlacement(&zero), icons.GetWindowPlacement(nullptr),
                     icons.GetWindowPlacement(&other)}));
    std::swap(placementSlot, otherPlacement);
    EXPECT_EQ((std::vector<UINT>{44, 12}), lengthsSeen) << "and no call for a null record";
    HWND framed = MakeWindow(WS_OVERLAPPEDWINDOW);
    recorder.Answer(WM_NCCALCSIZE, 0);  // no frame at all, whatever the style says
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE);
    RECT a = {}, c = {};
    EXPECT_EQ((Longs{1, 1, 1, 1, 200, 100, 200, 100}),
              (Longs{icons.SetClientSize(200, 100), Window(framed).SetClientSize(200, 100),
                     GetClientRect(window, &a), GetClientRect(framed, &c), a.right, a.bottom,
                     c.right, c.bottom}));
    POINT point = {};
    EXPECT_EQ((Longs{1, 100, 120, 1}),
              (Longs{icons.GetPosition(&point), point.x, point.y, icons.GetPosition(nullptr)}));
    EXPECT_EQ((Longs{0, 0, 0}), (Longs{Window().GetPosition(&point), point.x, point.y})) << "zeros";
}

struct Binding : LayeredWindowApi {
    using LayeredWindowApi::setAttributes, LayeredWindowApi::update;
};
static std::vector<void*> given;  // to the bound entry points, in order
static void* At(UINT_PTR value) { return reinterpret_cast<void*>(value); }
static BOOL WINAPI FakeAttributes(HWND w, COLORREF key, BYTE alpha, DWORD flags) {
    given.insert(given.end(), {w, At(key), At(alpha), At(flags)});
    return alpha;
}
static BOOL WINAPI FakeUpdate(HWND w, HDC to, POINT* at, SIZE* size, HDC from, POINT* origin,
                              COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    given.insert(given.end(), {w, to, at, size, from, origin, At(key), blend, At(flags)});
    return 1;
}

TEST(LayeredWindowApi, BoundAtRunTimeAndSilentWithoutAnEntryPoint) {
    LayeredWindow wrapper(MakeWindow(WS_POPUP, WS_EX_LAYERED));
    HWND w = wrapper.GetHandle();
    EXPECT_EQ(1, LayeredWindowApi::IsAvailable());
    EXPECT_NE(0, wrapper.SetLayeredWindowAttributes(0, 9, LWA_ALPHA));
    EXPECT_EQ((Longs{1, 1, 1, 0}),
              (Longs{wrapper.AnimateWindow(1, AW_BLEND), IsWindowVisible(w),
                     wrapper.AnimateWindow(1, AW_BLEND | AW_HIDE), IsWindowVisible(w)}));
    Binding::setAttributes = FakeAttributes, Binding::update = FakeUpdate;
    EXPECT_EQ(1,
              wrapper.UpdateLayeredWindow(HDC(At(1)), (POINT*)At(2), (SIZE*)At(3), HDC(At(4)),
                                          (POINT*)At(5), 6, (BLENDFUNCTION*)At(7), ULW_COLORKEY));
    Binding::update = nullptr;
    EXPECT_EQ(0, wrapper.UpdateLayeredWindow(0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(9, wrapper.SetLayeredWindowAttributes(RGB(1, 2, 3), 9, LWA_COLORKEY));
    EXPECT_EQ(7, wrapper.SetLayeredWindowAttributes(0, 7, LWA_ALPHA)) << "its own entry point only";
    EXPECT_EQ(
        (std::vector<void*>{w, At(1), At(2), At(3), At(4), At(5), At(6), At(7), At(ULW_COLORKEY), w,
                            At(0x030201), At(9), At(LWA_COLORKEY), w, At(0), At(7), At(LWA_ALPHA)}),
        given);
    Binding::setAttributes = nullptr;
    EXPECT_EQ(0, wrapper.SetLayeredWindowAttributes(0, 7, LWA_ALPHA));
    LayeredWindowBinding.~LayeredWindowApi();  // globals destroyed after it still ask it
    EXPECT_EQ(0, LayeredWindowApi::IsAvailable());
    new (&LayeredWindowBinding) LayeredWindowApi();  // which binds both again
}

static Messages dialogSaw;  // by the caller's dialog procedure
static bool modal;
static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    dialogSaw.push_back({message, wParam, lParam});
    if (message != WM_INITDIALOG) return FALSE;
    Dialog* self = reinterpret_cast<Dialog*>(lParam);
    // A modal run ends at once, with the user value; without its handle it fails, not hangs.
    if (std::exchange(modal, false) && !self->EndDialog(self->GetUserValue()))
        EndDialog(window, -1);
    return 5;
}

TEST(Dialog, RunsAndTheirControlWrappers) {
    HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW), first = nullptr, second = nullptr;
    {
        Dialog dialog;
        const LPARAM self = reinterpret_cast<LPARAM>(&dialog);
        modal = true;  // of template 0x10065 only the low 16 bits count: it is 101
        EXPECT_EQ(7, dialog.DialogBoxParam(0x10065, kModule, nullptr, DialogProc, 7));
        modal = true;
        EXPECT_EQ(0, dialog.DialogBox(101, kModule, owner, DialogProc)) << "the user value reset";
        dialogSaw.clear();
        first = dialog.CreateDialogParam(101, kModule, owner, DialogProc, 9);
        EXPECT_EQ((Message{WM_INITDIALOG, WPARAM(GetDlgItem(first, 1000)), self}), dialogSaw.at(0));
        EXPECT_EQ(Of(first, owner, owner, kModule, 9, LONG_PTR(DialogProc)),
                  Of(dialog.GetHandle(), dialog.GetOwner(), GetWindow(first, GW_OWNER),
                     dialog.GetInstance(), dialog.GetUserValue(),
                     GetWindowLongPtrA(first, DWLP_DLGPROC)));
        dialogSaw.clear();  // called directly: a sent message answers DWLP_MSGRESULT instead
        EXPECT_EQ(0, Dialog::InitialDialogProc(first, WM_SETFONT, 0, self));
        EXPECT_EQ(0, Dialog::InitialDialogProc(first, WM_INITDIALOG, 0, 0)) << "a stray one";
        EXPECT_EQ(Messages{}, dialogSaw);
        EXPECT_EQ(5, Dialog::InitialDialogProc(first, WM_INITDIALOG, 0, self));
        Window *button = dialog.GetControl(1001), *missing = dialog.GetControl(4242);
        EXPECT_EQ(Of(button, missing), Of(dialog.GetControl(1001), dialog.GetControl(4242)));
        EXPECT_EQ(Of(GetDlgItem(first, 1001), HWND(nullptr)),
                  Of(button->GetHandle(), missing->GetHandle()));
        HWND control = button->GetHandle();
        char caption[8];
        EXPECT_EQ(
            (Longs{0, 0, 1, 1, 1, 2, 4}),
            (Longs{dialog.EnableDlgItem(1001, FALSE), IsWindowEnabled(control),
                   dialog.EnableDlgItem(1001, TRUE), IsWindowEnabled(control),
                   dialog.SetDlgItemText(1001, "abcd"), dialog.GetDlgItemText(1001, caption, 3),
                   dialog.GetDlgItemText(1001, caption, 5)}));
        HFONT font = button->CreateFont(&kFont, 0);
        second = dialog.CreateDialog(101, kModule, nullptr, DialogProc);  // wrappers deleted
        EXPECT_EQ(Of(0u, TRUE), Of(GetObjectType(font), IsWindow(GetDlgItem(first, 1001))));
        EXPECT_EQ(Of(GetDlgItem(second, 1001), 0, HWND(nullptr), HWND(nullptr)),
                  Of(dialog.GetControl(1001)->GetHandle(), dialog.GetUserValue(), dialog.GetOwner(),
                     GetWindow(second, GW_OWNER)));
    }
    EXPECT_FALSE(IsWindow(second)) << "the destructor destroys the dialog it wraps";
    Dialog bare;  // without a procedure the platform's default handling runs the dialog
    EXPECT_NE(nullptr, bare.CreateDialog(101, kModule, nullptr, nullptr));
}

TEST(ListView, AttachCreateAndWhatTheOperationsTellTheControl) {
    HWND parent = MakeWindow(WS_OVERLAPPEDWINDOW);
    HINSTANCE user32 = GetModuleHandleA("user32.dll");  // neither the program's nor the class's
    HWND control =
        CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD, 0, 0, 9, 9, parent, HMENU(1000), user32, 0);
    ListView list;
    list.AttachDlgItem(parent, 1000);
    EXPECT_EQ(Of(control, parent, user32, 1000),
              Of(list.GetHandle(), list.GetOwner(), list.GetInstance(), list.GetControlId()));
    EXPECT_EQ(user32, list.Attach(nullptr, control));
    HWND made = list.Create(0, WS_CHILD | LVS_REPORT, 0, 0, 400, 300, "", parent);
    EXPECT_EQ(Of(LONG(WS_VISIBLE), 0, parent, 1000),
              Of(GetWindowLongA(made, GWL_STYLE) & WS_VISIBLE, GetDlgCtrlID(made), list.GetOwner(),
                 list.GetControlId()));
    for (LVITEMA item = {}; item.iItem < 2; ++item.iItem)
        list.InsertItem(&item);
    list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    using Fields = std::tuple<UINT, int, UINT, UINT, int>;
    Messages got;  // the list-view messages, with lParam 1 for a record of the wrapper's own
    std::vector<Fields> records;  // copied while they exist
    MessageRecorder recorder(made, [&](const Message& m) {
        const LVITEMA* r = reinterpret_cast<const LVITEMA*>(m.lParam);
        const bool own = m.message == LVM_GETITEMTEXTA || m.message == LVM_SETITEMSTATE;
        if (own) records.push_back(Of(r->mask, r->iSubItem, r->state, r->stateMask, r->cchTextMax));
        if (m.message >= LVM_FIRST) got.push_back({m.message, m.wParam, own ? 1 : m.lParam});
    });
    LVCOLUMNA column = {};
    column.iSubItem = 1;  // the position, though the mask leaves the member out
    static char text[70000];
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
    list.AddExtendedStyle(0x0421);
    EXPECT_EQ((Longs{0, -1, 0, 2}),  // then at the first place and at the last
              (Longs{list.InsertColumn(&column), list.InsertColumn(nullptr),
                     (column.iSubItem = 0, list.InsertColumn(&column)),
                     (column.iSubItem = 2, list.InsertColumn(&column))}));
    list.GetItemText(0, 1, text, 70000), list.GetItemText(1, 0, text, 65535);
    EXPECT_EQ((Longs{-1, 1}), (Longs{list.GetNextItem(-1, 0xABCD0000 | LVNI_SELECTED),
                                     list.GetNextItem(0, LVNI_ALL)}));
    EXPECT_EQ((Longs{1, 1, 1, 1}), (Longs{list.SelectItem(1), list.DeselectItem(1),
                                          list.SelectItem(99), list.SelectItem(-1)}));
    list.SortItems(ByValue, 5);
    list.SetImageList(images, LVSIL_SMALL), list.SetImageList(images, LVSIL_NORMAL);
    list.Scroll(-2, 5), list.DeleteColumn(2), list.DeleteItem(1);
    const LPARAM at = LPARAM(&column), sort = LPARAM(ByValue), image = LPARAM(images);
    const Messages expected = {
        {0x1037, 0, 0},          {0x1036, 0, 0x0425},     {0x101B, 1, at},   {0x101B, 0, 0},
        {0x101B, 0, at},         {0x101B, 2, at},         {0x102D, 0, 1},    {0x102D, 1, 1},
        {0x100C, WPARAM(-1), 2}, {0x100C, 0, 0},          {0x102B, 1, 1},    {0x102B, 1, 1},
        {0x102B, 99, 1},         {0x102B, WPARAM(-1), 1}, {0x1030, 5, sort}, {0x1003, 1, image},
        {0x1003, 0, image},      {0x1014, WPARAM(-2), 5}, {0x101C, 2, 0},    {0x1008, 1, 0}};
    EXPECT_EQ(expected, got);
    const Fields on = {0, 0, LVIS_SELECTED, LVIS_SELECTED, 0}, off = {0, 0, 0, LVIS_SELECTED, 0};
    EXPECT_EQ((std::vector<Fields>{{0, 1, 0, 0, 4464}, {0, 0, 0, 0, 65535}, on, off, on, on}),
              records);
}
