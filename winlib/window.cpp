// Bodies of the window wrappers that build a record or take more than one call.
#include "window.h"

Window::~Window() {
    toolTip.Destroy();
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
}

BOOL Window::DestroyWindow() {
    if (!handle) return 0;
    BOOL result = ::DestroyWindow(handle);
    handle = nullptr;
    return result;
}

BOOL Window::GetWindowPlacement(WINDOWPLACEMENT* placement) const {
    // Some platforms fault on a null record instead of refusing it.
    if (!placement) return 0;
    if (placement->length == 0) placement->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(handle, placement);
}

BOOL Window::GetPosition(POINT* point) const {
    // A failed call leaves the rectangle as it was: zero, never whatever the stack held.
    RECT rect = {};
    BOOL result = ::GetWindowRect(handle, &rect);
    if (point) {
        point->x = rect.left;
        point->y = rect.top;
    }
    return result;
}

BOOL Window::SetClientSize(int clientWidth, int clientHeight) {
    RECT window = {};
    RECT client = {};
    ::GetWindowRect(handle, &window);
    ::GetClientRect(handle, &client);
    int width = (window.right - window.left) - (client.right - client.left) + clientWidth;
    int height = (window.bottom - window.top) - (client.bottom - client.top) + clientHeight;
    return ::SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE);
}

int Window::CreateToolTip(const char* text, int multiLine, int autoPopTime) {
    return toolTip.Create(instance, handle, text, multiLine, autoPopTime) ? 0 : 1;
}

HFONT Window::CreateFont(const LOGFONTA* description, int redraw) {
    // A font made before is deliberately not deleted: the window may still be drawing with it.
    font = CreateFontIndirectA(description);
    if (!font) return nullptr;
    ::SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), LOWORD(redraw));
    return font;
}

int Window::SetIcons(HICON small, HICON big) {
    LRESULT a = 1;
    LRESULT b = 1;
    if (small) a = ::SendMessageA(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (big) b = ::SendMessageA(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    return a && b ? 1 : 0;
}

int Window::LoadIcons(int smallId, int bigId) {
    if (bigId == 0) bigId = smallId;
    HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(LOWORD(smallId)), IMAGE_ICON, 16, 16,
                              LR_DEFAULTCOLOR);
    HANDLE big =
        LoadImageA(instance, MAKEINTRESOURCEA(LOWORD(bigId)), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR);
    return SetIcons(static_cast<HICON>(small), static_cast<HICON>(big));
}

HWND ToolTip::Create(HINSTANCE instance, HWND owner, const char* text, int multiLine,
                     int autoPopTime) {
    this->instance = instance;
    this->owner = owner;
    LoadCommonControls();
    handle = CreateWindowExA(0, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                             nullptr, instance, nullptr);
    if (!handle) return nullptr;

    // The classic record: the common controls of the older platforms reject the newer size.
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(handle);
    tool.uId = reinterpret_cast<UINT_PTR>(owner);
    ::GetClientRect(owner, &tool.rect);
    tool.hinst = instance;
    tool.lpszText = const_cast<char*>(text);
    ::SendMessageA(handle, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    // A maximum width is what lets the tooltip break its text into lines.
    if (multiLine) ::SendMessageA(handle, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
    ::SendMessageA(handle, TTM_SETDELAYTIME, TTDT_AUTOPOP, LOWORD(autoPopTime));
    return handle;
}

BOOL ToolTip::Destroy() {
    if (!handle) return 0;
    BOOL result = ::DestroyWindow(handle);
    handle = nullptr;
    return result;
}

SetLayeredWindowAttributesProc LayeredWindowApi::setAttributes = nullptr;
UpdateLayeredWindowProc LayeredWindowApi::update = nullptr;

// Built after the application's globals and before the text splitter; released in reverse.
LayeredWindowApi LayeredWindowBinding __attribute__((init_priority(1004)));

LayeredWindowApi::LayeredWindowApi() : module(nullptr), available(0) {
    module = LoadLibraryA("user32.dll");
    if (!module) return;
    setAttributes = reinterpret_cast<SetLayeredWindowAttributesProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "SetLayeredWindowAttributes")));
    update = reinterpret_cast<UpdateLayeredWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "UpdateLayeredWindow")));
    available = setAttributes && update ? 1 : 0;
}

LayeredWindowApi::~LayeredWindowApi() {
    if (module) FreeLibrary(module);
    // Objects destroyed after this one still ask IsAvailable(); plain stores into an object
    // whose lifetime is ending are dropped by the optimiser, so these must be volatile.
    *static_cast<HMODULE volatile*>(&module) = nullptr;
    *static_cast<int volatile*>(&available) = 0;
}

int LayeredWindowApi::IsAvailable() { return LayeredWindowBinding.available; }

BOOL LayeredWindowApi::SetLayeredWindowAttributes(HWND window, COLORREF colourKey, BYTE alpha,
                                                  DWORD flags) {
    if (!setAttributes) return 0;
    return setAttributes(window, colourKey, alpha, flags);
}

BOOL LayeredWindowApi::UpdateLayeredWindow(HWND window, HDC destinationDc, POINT* destinationPoint,
                                           SIZE* size, HDC sourceDc, POINT* sourcePoint,
                                           COLORREF colourKey, BLENDFUNCTION* blend, DWORD flags) {
    if (!update) return 0;
    return update(window, destinationDc, destinationPoint, size, sourceDc, sourcePoint, colourKey,
                  blend, flags);
}
