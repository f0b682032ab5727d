// Records the messages a window receives, with wParam and lParam, through a subclass procedure.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <vector>

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message& o) const {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};
std::ostream& operator<<(std::ostream& out, const Message& message);

class MessageRecorder {
public:
    // `watch` runs on the window's thread as each message arrives, while what lParam points to
    // is still there. The recorder is taken off on that thread too, when it goes.
    explicit MessageRecorder(HWND window, std::function<void(const Message&)> watch = nullptr);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<Message> Only(UINT kind) const;  // in the order they came
    void Clear();
    // From now on `message` is answered with `result` instead of reaching the window.
    void Answer(UINT message, LRESULT result);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window;
    std::function<void(const Message&)> watch;
    WNDPROC original;
    std::vector<Message> received;
    std::map<UINT, LRESULT> answers;
    mutable std::mutex lock;
};
