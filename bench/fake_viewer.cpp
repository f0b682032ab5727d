// A stand-in for the TV viewer in a process of its own, as the real one runs: a top-level window
// of the viewer's class and title.
//
//   fake_viewer.exe           shows the window at once
//   fake_viewer.exe --hidden  starts without it
//
// A message-only control window of class kFakeViewerControl takes the requests: kOpenViewer
// shows the viewer window, kShutViewer closes it, WM_CLOSE ends the program.
#include <string.h>

#include "fake_viewer.h"
#include "program.h"

namespace {

Viewer viewer;

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kOpenViewer:
            viewer.Open();
            return 1;
        case kShutViewer:
            viewer.Close();
            return 1;
        case WM_CLOSE:
            viewer.Close();
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
    WNDCLASSA controlClass = {};
    controlClass.lpfnWndProc = ControlProc;
    controlClass.hInstance = instance;
    controlClass.lpszClassName = kFakeViewerControl;
    HWND control = RegisterClassA(&controlClass)
                       ? CreateWindowExA(0, kFakeViewerControl, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                         nullptr, instance, nullptr)
                       : nullptr;
    if (!control) return 1;
    if (!strstr(commandLine, "--hidden")) viewer.Open();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
