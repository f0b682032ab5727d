// Driving the stand-in viewer and the bench build, following the log of another process, and
// the bench's clock and statistics.
#include "programs.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "wait.h"

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency;
}

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    size_t rank = static_cast<size_t>(std::ceil(0.99 * n));
    return {median, values[std::max<size_t>(rank, 1) - 1], values.back()};
}

FakeViewer::FakeViewer() {
    if (!process.Start(Widen(TestDirectory() + "\\fake_viewer.exe"), L"--hidden"))
        throw std::runtime_error("the fake viewer did not start");
    auto found = [this] {
        control = FindWindowExA(HWND_MESSAGE, nullptr, kFakeViewerControl, nullptr);
        return control != nullptr;
    };
    if (!WaitFor(found, 15000)) throw std::runtime_error("the fake viewer has no control window");
}

double FakeViewer::Request(UINT message) {
    double before = NowMs();
    SendMessageA(control, message, 0, 0);
    return before;
}

ProbeRun::ProbeRun(unsigned scale, unsigned overshootPermille)
    : MonitorRun(TestDirectory() + "\\QuillomaticMonitorProbe.exe") {
    SetEnvironmentVariableA("QM_CLOCK_SCALE", std::to_string(scale).c_str());
    SetEnvironmentVariableA("QM_OVERSHOOT_PERMILLE", std::to_string(overshootPermille).c_str());
}

ProbeRun::~ProbeRun() {
    SetEnvironmentVariableA("QM_CLOCK_SCALE", nullptr);
    SetEnvironmentVariableA("QM_OVERSHOOT_PERMILLE", nullptr);
}

// Oldest first. Rows are added at the top, so the new ones are rows 0 to added - 1; when more
// come in while they are read, the indices have moved and they are read again.
void LogFollower::Poll() {
    double seen = -1;
    for (;;) {
        int count = Count();
        if (count <= known) return;
        if (seen < 0) seen = NowMs();
        std::vector<std::string> added;
        for (int row = count - known - 1; row >= 0; --row)
            added.push_back(Cell(listView, row, 1));
        if (Count() != count) continue;
        for (std::string& text : added)
            entries.push_back({text, seen});
        known = count;
        return;
    }
}

// Not the tests' WaitFor: that one looks every 2 ms at best, and latencies are read to the
// millisecond.
size_t LogFollower::WaitFor(size_t from, const std::string& text, DWORD timeoutMs) {
    double deadline = NowMs() + timeoutMs;
    for (size_t next = from;;) {
        Poll();
        for (; next < entries.size(); ++next)
            if (entries[next].text.rfind(text, 0) == 0) return next;
        if (NowMs() > deadline) throw std::runtime_error("no log entry: " + text);
        Sleep(pollMs);
    }
}

void LogFollower::DeleteAllRows() {
    Poll();
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    known = 0;
}

std::unique_ptr<LogFollower> StartAndWatch(MonitorRun& run) {
    if (!run.Start()) throw std::runtime_error("the program's dialog was not shown");
    auto log = std::make_unique<LogFollower>(run.Log());
    log->WaitFor(0, kWatchStart, 10000);
    return log;
}
