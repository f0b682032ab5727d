// A stand-in for the TV viewer: a top-level window of the viewer's class and title.
//
//   fake_viewer.exe           shows the window at once
//   fake_viewer.exe --hidden  starts without it
//
// A message-only control window of class kFakeViewerControl takes the requests: kOpenViewer
// shows the viewer window, kShutViewer closes it, WM_CLOSE ends the program. WM_CLOSE sent to
// the viewer window itself closes that window as well.
#include <windows.h>

#include <string.h>

#include "fake_viewer.h"

namespace {

HWND viewer = nullptr;

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && window == viewer) viewer = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kOpenViewer:
            if (!viewer)
                viewer =
                    CreateWindowExA(0, kViewerClass, kViewerTitle, WS_OVERLAPPEDWINDOW, 600, 420,
                                    320, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            if (viewer) ShowWindow(viewer, SW_SHOWNOACTIVATE);
            return viewer != nullptr;
        case kShutViewer:
            if (viewer) DestroyWindow(viewer);
            return 1;
        case WM_CLOSE:
            if (viewer) DestroyWindow(viewer);
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSA viewerClass = {};
    viewerClass.lpfnWndProc = ViewerProc;
    viewerClass.hInstance = instance;
    viewerClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    viewerClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    viewerClass.lpszClassName = kViewerClass;
    WNDCLASSA controlClass = {};
    controlClass.lpfnWndProc = ControlProc;
    controlClass.hInstance = instance;
    controlClass.lpszClassName = kFakeViewerControl;
    if (!RegisterClassA(&viewerClass) || !RegisterClassA(&controlClass)) return 1;

    HWND control = CreateWindowExA(0, kFakeViewerControl, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr);
    if (!control) return 1;
    if (!strstr(commandLine, "--hidden")) SendMessageA(control, kOpenViewer, 0, 0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
