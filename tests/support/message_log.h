// Records the messages a window receives, with wParam and lParam, through a subclass procedure.
#pragma once

#include <windows.h>

#include <map>
#include <ostream>
#include <vector>

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    bool operator==(const Message& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Message& message);

class MessageRecorder {
public:
    // Starts recording every message sent or posted to `window` on its own thread.
    explicit MessageRecorder(HWND window);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // Everything received so far, in order.
    std::vector<Message> All() const;
    // Only the messages with these numbers, in order.
    std::vector<Message> Only(std::vector<UINT> kinds) const;
    void Clear();
    // From now on `message` is answered with `result` instead of reaching the window.
    void Answer(UINT message, LRESULT result) { answers[message] = result; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window;
    WNDPROC original;
    std::vector<Message> received;
    std::map<UINT, LRESULT> answers;
    mutable CRITICAL_SECTION lock;
};

// Records the messages sent on this thread to windows of one class, including windows created
// while recording, through a call-procedure hook.
class ClassMessageRecorder {
public:
    explicit ClassMessageRecorder(const char* className);
    ~ClassMessageRecorder();
    ClassMessageRecorder(const ClassMessageRecorder&) = delete;
    ClassMessageRecorder& operator=(const ClassMessageRecorder&) = delete;

    std::vector<Message> Only(std::vector<UINT> kinds) const;
    // The windows of that class that received anything.
    std::vector<HWND> Windows() const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    const char* className;
    HHOOK hook;
    std::vector<std::pair<HWND, Message>> received;
};
