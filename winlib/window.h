// Window, LayeredWindow and ToolTip: thin wrappers over one window handle each, and the
// layered-window entry points bound at run time.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

// The wrappers use the platform's names for their operations; the 8-bit entry points are
// called by their own names, so the generic macros would only rename the members.
#undef CreateDialog
#undef CreateDialogParam
#undef CreateFont
#undef DialogBox
#undef DialogBoxParam
#undef GetDlgItemText
#undef GetWindowLong
#undef GetWindowText
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetDlgItemText
#undef SetWindowLong
#undef SetWindowText

// Loads the common controls from the system folder by full path and registers their window
// classes; 1 when they are there, 0 when they cannot be loaded. Nothing imports them.
int LoadCommonControls();
// DLLs loaded from now on come from the system folder only, never from the exe's folder, where
// anything may have been unpacked beside it. 0 where the system lacks the call (Windows 7
// without its update), which is bound at run time for that reason.
int LoadLaterDllsFromTheSystemFolderOnly();

// A tooltip that shows one fixed text for a whole window.
class ToolTip {
public:
    ToolTip() : handle(nullptr), owner(nullptr), instance(nullptr) {}
    // The embedding Window destroys the tooltip window; this does not.
    ~ToolTip() {}

    HWND Create(HINSTANCE instance, HWND owner, const char* text, int multiLine, int autoPopTime);
    // 0 without a call when no tooltip window exists.
    BOOL Destroy();
    HWND GetHandle() const { return handle; }

private:
    HWND handle;
    HWND owner;
    HINSTANCE instance;
};

class Window {
public:
    Window() : handle(nullptr), owner(nullptr), instance(nullptr), font(nullptr) {}
    explicit Window(HWND window) : Window() { handle = window; }
    // Releases the font and tooltip this wrapper made; never the wrapped window.
    ~Window();
    // A copy would release the same font and tooltip twice.
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND GetHandle() const { return handle; }
    HWND GetOwner() const { return owner; }
    HINSTANCE GetInstance() const { return instance; }

    // 0 without a call when nothing is wrapped; the handle is cleared whatever the call returns.
    BOOL DestroyWindow();
    BOOL ShowWindow(int command) { return ::ShowWindow(handle, command); }
    BOOL UpdateWindow() { return ::UpdateWindow(handle); }
    LONG GetWindowLong(int index) const { return ::GetWindowLongA(handle, index); }
    LONG SetWindowLong(int index, LONG value) { return ::SetWindowLongA(handle, index, value); }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags) {
        return ::SetWindowPos(handle, insertAfter, x, y, width, height, flags);
    }
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint) {
        return ::MoveWindow(handle, x, y, width, height, repaint);
    }
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(handle, rect); }
    BOOL GetWindowRect(RECT* rect) const { return ::GetWindowRect(handle, rect); }
    int MessageBox(const char* text, const char* caption, UINT type) {
        return ::MessageBoxA(handle, text, caption, type);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageA(handle, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::PostMessageA(handle, message, wParam, lParam);
    }
    BOOL SetWindowText(const char* text) { return ::SetWindowTextA(handle, text); }
    int GetWindowText(char* buffer, int capacity) const {
        return ::GetWindowTextA(handle, buffer, capacity);
    }
    HWND SetFocus() { return ::SetFocus(handle); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(handle); }
    int SetWindowRgn(HRGN region, BOOL redraw) { return ::SetWindowRgn(handle, region, redraw); }
    HDC GetDC() { return ::GetDC(handle); }
    // A record whose length is 0 gets the record's size first; any other length is the caller's.
    // 0 without a call for a null record.
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    HMENU GetSystemMenu(BOOL revert) { return ::GetSystemMenu(handle, revert); }
    void DragAcceptFiles(BOOL accept) { ::DragAcceptFiles(handle, accept); }
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(handle, enable); }
    BOOL ScreenToClient(POINT* point) const { return ::ScreenToClient(handle, point); }
    HWND GetParent() const { return ::GetParent(handle); }
    HWND SetParent(HWND parent) { return ::SetParent(handle, parent); }
    BOOL RedrawWindow(const RECT* update, HRGN region, UINT flags) {
        return ::RedrawWindow(handle, update, region, flags);
    }
    HMENU GetMenu() const { return ::GetMenu(handle); }
    BOOL SetPosition(int x, int y) {
        return ::SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE);
    }
    // The point is meaningful only when the result is non-zero.
    BOOL GetPosition(POINT* point) const;
    BOOL SetSize(int width, int height) {
        return ::SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE);
    }
    BOOL SetClientSize(int clientWidth, int clientHeight);
    // 0 when the tooltip window was made, 1 when it was not.
    int CreateToolTip(const char* text, int multiLine, int autoPopTime);
    HFONT CreateFont(const LOGFONTA* description, int redraw);
    // 1 only when both WM_SETICON results are non-zero; a null icon is skipped and counts as 1.
    int SetIcons(HICON small, HICON big);
    // A big ID of 0 means the small one.
    int LoadIcons(int smallId, int bigId);

protected:
    HWND handle;
    HWND owner;
    HINSTANCE instance;
    HFONT font;
    ToolTip toolTip;
};

typedef BOOL(WINAPI* SetLayeredWindowAttributesProc)(HWND, COLORREF, BYTE, DWORD);
typedef BOOL(WINAPI* UpdateLayeredWindowProc)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                              BLENDFUNCTION*, DWORD);

// Binds the layered-window calls at run time, so that the program starts where they are missing.
class LayeredWindowApi {
public:
    LayeredWindowApi();
    ~LayeredWindowApi();
    LayeredWindowApi(const LayeredWindowApi&) = delete;
    LayeredWindowApi& operator=(const LayeredWindowApi&) = delete;

    // Each of these answers 0 without a call when its own entry point is missing.
    static int IsAvailable();
    static BOOL SetLayeredWindowAttributes(HWND window, COLORREF colourKey, BYTE alpha,
                                           DWORD flags);
    static BOOL UpdateLayeredWindow(HWND window, HDC destinationDc, POINT* destinationPoint,
                                    SIZE* size, HDC sourceDc, POINT* sourcePoint,
                                    COLORREF colourKey, BLENDFUNCTION* blend, DWORD flags);

protected:
    static SetLayeredWindowAttributesProc setAttributes;
    static UpdateLayeredWindowProc update;

private:
    HMODULE module;
    int available;
};

extern LayeredWindowApi LayeredWindowBinding;

class LayeredWindow : public Window {
public:
    LayeredWindow() {}
    explicit LayeredWindow(HWND window) : Window(window) {}

    BOOL SetLayeredWindowAttributes(COLORREF colourKey, BYTE alpha, DWORD flags) {
        return LayeredWindowApi::SetLayeredWindowAttributes(handle, colourKey, alpha, flags);
    }
    BOOL UpdateLayeredWindow(HDC destinationDc, POINT* destinationPoint, SIZE* size, HDC sourceDc,
                             POINT* sourcePoint, COLORREF colourKey, BLENDFUNCTION* blend,
                             DWORD flags) {
        return LayeredWindowApi::UpdateLayeredWindow(handle, destinationDc, destinationPoint, size,
                                                     sourceDc, sourcePoint, colourKey, blend,
                                                     flags);
    }
    BOOL AnimateWindow(DWORD time, DWORD flags) { return ::AnimateWindow(handle, time, flags); }
};
