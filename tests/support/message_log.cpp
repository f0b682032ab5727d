#include "message_log.h"

#include <algorithm>

static const UINT kDetach = WM_APP + 0x3D2;

std::ostream& operator<<(std::ostream& out, const Message& m) {
    return out << std::hex << "{0x" << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << "}"
               << std::dec;
}

MessageRecorder::MessageRecorder(HWND window, std::function<void(const Message&)> watch)
    : window(window), watch(watch) {
    SetPropA(window, "qm.MessageRecorder", this);
    original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
}

MessageRecorder::~MessageRecorder() { SendMessageA(window, kDetach, 0, 0); }

LRESULT CALLBACK MessageRecorder::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = static_cast<MessageRecorder*>(GetPropA(window, "qm.MessageRecorder"));
    if (message == kDetach) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original));
        RemovePropA(window, "qm.MessageRecorder");
        return 0;
    }
    if (self->watch) self->watch({message, wParam, lParam});
    std::unique_lock<std::mutex> hold(self->lock);
    self->received.push_back({message, wParam, lParam});
    auto answer = self->answers.find(message);
    if (answer != self->answers.end()) return answer->second;
    hold.unlock();
    return CallWindowProcA(self->original, window, message, wParam, lParam);
}

std::vector<Message> MessageRecorder::Only(UINT kind) const {
    std::lock_guard<std::mutex> hold(lock);
    std::vector<Message> matching;
    std::copy_if(received.begin(), received.end(), std::back_inserter(matching),
                 [kind](const Message& m) { return m.message == kind; });
    return matching;
}

void MessageRecorder::Clear() {
    std::lock_guard<std::mutex> hold(lock);
    received.clear();
}

void MessageRecorder::Answer(UINT message, LRESULT result) {
    std::lock_guard<std::mutex> hold(lock);
    answers[message] = result;
}
