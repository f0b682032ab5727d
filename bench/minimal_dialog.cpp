// The least a dialog program can be, built like the monitor, to compare start-up times with.
// Built twice: plain, and with a list view (QM_WITH_LIST_VIEW), which loads the common controls
// at start as the monitor does.
#include <windows.h>

#include "window.h"

namespace {

INT_PTR CALLBACK MinimalDialogProc(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_CLOSE:
            EndDialog(window, 2);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef QM_WITH_LIST_VIEW
    LoadCommonControls();
#endif
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, MinimalDialogProc, 0));
}
