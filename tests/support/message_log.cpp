#include "message_log.h"

#include <algorithm>
#include <iomanip>

namespace {
const char kRecorderProperty[] = "qm.MessageRecorder";
const UINT kDetachRecorder = WM_APP + 0x3D2;
thread_local ClassMessageRecorder* activeClassRecorder = nullptr;
}  // namespace

std::ostream& operator<<(std::ostream& out, const Message& m) {
    return out << std::hex << "{0x" << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << "}"
               << std::dec;
}

MessageRecorder::MessageRecorder(HWND window) : window(window) {
    InitializeCriticalSection(&lock);
    SetPropA(window, kRecorderProperty, this);
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
}

MessageRecorder::~MessageRecorder() {
    // Taken off on the window's own thread, so that no message is being recorded while this goes.
    SendMessageA(window, kDetachRecorder, 0, 0);
    DeleteCriticalSection(&lock);
}

LRESULT CALLBACK MessageRecorder::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = static_cast<MessageRecorder*>(GetPropA(window, kRecorderProperty));
    if (message == kDetachRecorder) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original));
        RemovePropA(window, kRecorderProperty);
        return 0;
    }
    EnterCriticalSection(&self->lock);
    self->received.push_back({message, wParam, lParam});
    auto answer = self->answers.find(message);
    bool answered = answer != self->answers.end();
    LRESULT result = answered ? answer->second : 0;
    LeaveCriticalSection(&self->lock);
    if (answered) return result;
    return CallWindowProcA(self->original, window, message, wParam, lParam);
}

std::vector<Message> MessageRecorder::All() const {
    EnterCriticalSection(&lock);
    std::vector<Message> copy = received;
    LeaveCriticalSection(&lock);
    return copy;
}

std::vector<Message> MessageRecorder::Only(std::vector<UINT> kinds) const {
    std::vector<Message> matching;
    for (const Message& m : All())
        if (std::find(kinds.begin(), kinds.end(), m.message) != kinds.end()) matching.push_back(m);
    return matching;
}

void MessageRecorder::Clear() {
    EnterCriticalSection(&lock);
    received.clear();
    LeaveCriticalSection(&lock);
}

ClassMessageRecorder::ClassMessageRecorder(const char* className) : className(className) {
    activeClassRecorder = this;
    hook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
}

ClassMessageRecorder::~ClassMessageRecorder() {
    UnhookWindowsHookEx(hook);
    activeClassRecorder = nullptr;
}

LRESULT CALLBACK ClassMessageRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
    ClassMessageRecorder* self = activeClassRecorder;
    if (code == HC_ACTION && self) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        char name[64] = "";
        GetClassNameA(call->hwnd, name, sizeof name);
        if (lstrcmpiA(name, self->className) == 0)
            self->received.push_back({call->hwnd, {call->message, call->wParam, call->lParam}});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<Message> ClassMessageRecorder::Only(std::vector<UINT> kinds) const {
    std::vector<Message> matching;
    for (const auto& entry : received)
        if (std::find(kinds.begin(), kinds.end(), entry.second.message) != kinds.end())
            matching.push_back(entry.second);
    return matching;
}

std::vector<HWND> ClassMessageRecorder::Windows() const {
    std::vector<HWND> windows;
    for (const auto& entry : received)
        if (std::find(windows.begin(), windows.end(), entry.first) == windows.end())
            windows.push_back(entry.first);
    return windows;
}
