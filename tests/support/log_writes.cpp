#include "log_writes.h"

LogWriteRecorder* LogWriteRecorder::active = nullptr;

namespace {
const UINT kDetachRecorder = WM_APP + 0x3D1;
}  // namespace

long long MonotonicMicroseconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart / frequency.QuadPart * 1000000 +
           counter.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart;
}

LogWriteRecorder::LogWriteRecorder(HWND log, UINT refused, LRESULT refusal)
    : log(log), refused(refused), refusal(refusal) {
    InitializeCriticalSection(&lock);
    active = this;
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(log, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
}

LogWriteRecorder::~LogWriteRecorder() {
    // Taken off on the log's own thread, so that no write is being recorded while this goes.
    SendMessageA(log, kDetachRecorder, 0, 0);
    active = nullptr;
    DeleteCriticalSection(&lock);
}

std::vector<LogWriteRecorder::Write> LogWriteRecorder::Writes() const {
    EnterCriticalSection(&lock);
    std::vector<Write> copy = writes;
    LeaveCriticalSection(&lock);
    return copy;
}

void LogWriteRecorder::OnMessage(const std::string& text, std::function<void()> action) {
    EnterCriticalSection(&lock);
    trigger = text;
    triggered = std::move(action);
    LeaveCriticalSection(&lock);
}

LRESULT CALLBACK LogWriteRecorder::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    LogWriteRecorder* self = active;
    if (message == kDetachRecorder) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original));
        return 0;
    }
    if ((message != LVM_INSERTITEMA && message != LVM_SETITEMA) || !lParam)
        return CallWindowProcA(self->original, window, message, wParam, lParam);
    const LVITEMA& item = *reinterpret_cast<const LVITEMA*>(lParam);
    Write write = {message, item.iItem, item.iSubItem, item.pszText ? item.pszText : "", 0, 0};
    write.result = message == self->refused
                       ? self->refusal
                       : CallWindowProcA(self->original, window, message, wParam, lParam);
    write.microseconds = MonotonicMicroseconds();
    std::function<void()> action;
    EnterCriticalSection(&self->lock);
    self->writes.push_back(write);
    if (write.subItem == 1 && self->triggered && write.text == self->trigger) {
        action = std::move(self->triggered);
        self->triggered = nullptr;
    }
    LeaveCriticalSection(&self->lock);
    if (action) action();
    return write.result;
}
