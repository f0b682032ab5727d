#include "running_dialog.h"

#include "main_dialog.h"
#include "wait.h"

RunningMainDialog::RunningMainDialog() {
    thread = CreateThread(nullptr, 0, Run, this, 0, &threadId);
    WaitFor([this] {
        HWND handle = MainDialog.GetHandle();
        if (handle && IsWindowVisible(handle)) window = handle;
        return window != nullptr || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    });
}

RunningMainDialog::~RunningMainDialog() {
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) Close();
    CloseHandle(thread);
}

DWORD WINAPI RunningMainDialog::Run(void* parameter) {
    auto* self = static_cast<RunningMainDialog*>(parameter);
    self->result = MainDialog.DialogBox(101, GetModuleHandleA(nullptr), nullptr, MainDialogProc);
    return 0;
}

std::string RunningMainDialog::ControlText(int id) const {
    char text[256] = "";
    GetWindowTextA(Control(id), text, sizeof text);
    return text;
}

void RunningMainDialog::Click(int id) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
}

INT_PTR RunningMainDialog::Close() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitEnd();
}

INT_PTR RunningMainDialog::WaitEnd(DWORD timeoutMs) {
    if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    return result;
}
