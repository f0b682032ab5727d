// Windows for the wrapper tests: a plain top-level window that keeps the positions it was asked
// for, a window with a frame of its own, and a view on the wrapper's protected fields.
#pragma once

#include <windows.h>

#include <vector>

#include "window.h"

// The fields a test must see that the wrapper keeps to itself.
struct WindowProbe : Window {
    using Window::font;
    using Window::instance;
    using Window::owner;
    using Window::toolTip;
    using Window::Window;
};

// The non-client insets a FramedWindow::Custom window claims, unlike any style's frame.
constexpr RECT kCustomInsets = {7, 31, 5, 9};

// A window of this thread's own class, destroyed with the object. Every WM_WINDOWPOSCHANGING it
// receives is kept whole, since the record it points to is gone once the message returns.
class TestWindow {
public:
    enum Frame { Standard, Custom };

    TestWindow(DWORD style, HWND parent = nullptr, Frame frame = Standard, DWORD exStyle = 0);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return handle; }
    const std::vector<WINDOWPOS>& PositionRequests() const { return requests; }
    void ClearPositionRequests() { requests.clear(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle;
    Frame frame;
    std::vector<WINDOWPOS> requests;
};

inline TestWindow::TestWindow(DWORD style, HWND parent, Frame frame, DWORD exStyle)
    : handle(nullptr), frame(frame) {
    static const char kClass[] = "QmWrapperTestWindow";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);  // fails harmlessly once the class exists
    handle = CreateWindowExA(exStyle, kClass, "title", style, 100, 120, 300, 200, parent, nullptr,
                             GetModuleHandleA(nullptr), this);
}

inline TestWindow::~TestWindow() {
    if (IsWindow(handle)) DestroyWindow(handle);
}

inline LRESULT CALLBACK TestWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self && message == WM_WINDOWPOSCHANGING)
        self->requests.push_back(*reinterpret_cast<WINDOWPOS*>(lParam));
    if (self && self->frame == Custom && message == WM_NCCALCSIZE) {
        // Both forms of the message start with the proposed window rectangle.
        RECT* rect = reinterpret_cast<RECT*>(lParam);
        rect->left += kCustomInsets.left;
        rect->top += kCustomInsets.top;
        rect->right -= kCustomInsets.right;
        rect->bottom -= kCustomInsets.bottom;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The module the test program runs from: it holds dialog 101 and icon 102.
inline HINSTANCE TestModule() { return GetModuleHandleA(nullptr); }
