// Every item write the event log's list view receives, kept whole as it arrives on the dialog's
// thread: even rewrites that are overwritten a moment later.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

class LogWriteRecorder {
public:
    struct Write {
        UINT message;  // LVM_INSERTITEMA or LVM_SETITEMA
        int item;
        int subItem;
        std::string text;
        LRESULT result;
        long long microseconds;  // on the monotonic clock, when the write was carried out
    };

    // Subclasses `log`; a message of kind `refused` is answered with `refusal` instead of being
    // carried out, as a control that refuses it would.
    explicit LogWriteRecorder(HWND log, UINT refused = 0, LRESULT refusal = 0);
    ~LogWriteRecorder();
    LogWriteRecorder(const LogWriteRecorder&) = delete;
    LogWriteRecorder& operator=(const LogWriteRecorder&) = delete;

    std::vector<Write> Writes() const;
    // Called on the dialog's thread once, right after a message with this text was written.
    void OnMessage(const std::string& text, std::function<void()> action);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static LogWriteRecorder* active;
    HWND log;
    UINT refused;
    LRESULT refusal;
    WNDPROC original;
    std::vector<Write> writes;
    std::string trigger;
    std::function<void()> triggered;
    mutable CRITICAL_SECTION lock;
};

long long MonotonicMicroseconds();
