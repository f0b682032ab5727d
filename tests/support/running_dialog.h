// The program's real main dialog, run modally on a thread of its own inside the test, so that
// the test drives it from outside as a user or the platform would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RunningMainDialog {
public:
    // Runs template 101 with the program's dialog procedure and waits until it is shown.
    RunningMainDialog();
    // Closes the dialog if it still runs and waits for the run to return.
    ~RunningMainDialog();
    RunningMainDialog(const RunningMainDialog&) = delete;
    RunningMainDialog& operator=(const RunningMainDialog&) = delete;

    bool Started() const { return window != nullptr; }
    HWND Window() const { return window; }
    HWND Control(int id) const { return GetDlgItem(window, id); }
    HWND Log() const { return Control(1000); }
    DWORD ThreadId() const { return threadId; }
    std::string ControlText(int id) const;

    // A click on a button, as the button itself reports it.
    void Click(int id);
    // WM_CLOSE, then the value the modal run returned (STILL_ACTIVE if it did not return).
    INT_PTR Close();
    // The value the modal run returned once it has ended, without asking it to.
    INT_PTR WaitEnd(DWORD timeoutMs = 10000);

private:
    static DWORD WINAPI Run(void* self);

    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HWND window = nullptr;
    INT_PTR result = STILL_ACTIVE;
};
