// The relay: StartupWatcher -> ExitWatcher -> (StartupWatcher, StandbyCountdown) -> ...
//
// Each switch-on starts a new relay number; a worker carries the number of the relay that
// started it and ends at its next check once its relay is no longer the current one. So quick
// off-and-on never leaves two relays running, and the main thread never waits for a worker.
#include "monitor.h"

#include <stdint.h>

#include "event_log.h"
#include "power.h"
#include "resource.h"

MonitorFlags MonitorState;
MonitorClock MonitorTiming = {1, 0};

namespace {

const DWORD kPollInterval = 1000;
const DWORD kCountdownDelay = 1000;
const DWORD kCountdownLength = 300000;
const DWORD kTick = 100;

std::atomic<unsigned> currentRelay{0};
std::atomic<unsigned> lastCountdownRow{0};

unsigned RelayOf(void* argument) {
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(argument));
}

bool IsCurrent(unsigned relay) { return MonitorState.enabled && currentRelay == relay; }

void Start(LPTHREAD_START_ROUTINE worker, unsigned relay) {
    HANDLE thread = CreateThread(
        nullptr, 0, worker, reinterpret_cast<void*>(static_cast<uintptr_t>(relay)), 0, nullptr);
    if (thread) CloseHandle(thread);
}

// Microseconds on the monotonic clock.
int64_t Now() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart / frequency * 1000000 +
           counter.QuadPart % frequency * 1000000 / frequency;
}

// Real microseconds for a wait of `ms` milliseconds of the program's own time.
int64_t Scaled(DWORD ms) { return static_cast<int64_t>(ms) * 1000 / MonitorTiming.scale; }

void SleepMicroseconds(int64_t us) {
    int64_t ms = (us + 999) / 1000;
    if (MonitorTiming.overshootPermille) ms += (ms * MonitorTiming.overshootPermille + 999) / 1000;
    Sleep(static_cast<DWORD>(ms));
}

void Wait(DWORD ms) { SleepMicroseconds(Scaled(ms)); }

// Sleeps to absolute deadlines, so that a sleep that lasts longer than asked (as it does at the
// default timer resolution) shortens the next one instead of adding up over 3000 ticks. But the
// counter runs on while the machine sleeps or the process is frozen: more than one interval late,
// the schedule starts anew from now, or the countdown would race through the ticks it missed and
// hibernate again on wake.
class Ticker {
public:
    explicit Ticker(DWORD interval) : period(Scaled(interval)), next(Now()) {}
    void SleepUntilNextTick() {
        next += period;
        int64_t now = Now();
        if (now - next > period) next = now + period;
        if (next > now) SleepMicroseconds(next - now);
    }

private:
    int64_t period;
    int64_t next;
};

}  // namespace

bool IsViewerRunning() { return FindWindowA(kViewerClass, kViewerTitle) != nullptr; }

void SetMonitoring(Dialog& dialog, int on) {
    const char* caption;
    if (on) {
        MonitorState.enabled = 1;
        Start(StartupWatcher, ++currentRelay);
        caption = "監視中止";
    } else {
        MonitorState.enabled = 0;
        caption = "監視開始";
    }
    if (Window* button = dialog.GetControl(IDC_MONITOR_TOGGLE)) button->SetWindowText(caption);
}

INT_PTR OnPowerBroadcast(Dialog&, WPARAM wParam, LPARAM) {
    DWORD event = static_cast<DWORD>(wParam);
    if (event != PBT_APMRESUMESUSPEND && event != PBT_APMRESUMESTANDBY) return 0;
    AddLogEntry("スタンバイからの復帰を検出しました。", 1);
    MonitorState.standbyPending = 0;
    return 1;
}

DWORD WINAPI StartupWatcher(void* argument) {
    unsigned relay = RelayOf(argument);
    AddLogEntry("Quillomatic起動監視を開始しました。", 1);
    while (IsCurrent(relay) && !IsViewerRunning())
        Wait(kPollInterval);
    if (IsCurrent(relay)) {
        AddLogEntry("Quillomaticの起動を検出しました。", 1);
        MonitorState.standbyPending = 0;
        Start(ExitWatcher, relay);
    } else {
        AddLogEntry("Quillomatic監視処理を中止しました。", 1);
    }
    return 0;
}

DWORD WINAPI ExitWatcher(void* argument) {
    unsigned relay = RelayOf(argument);
    AddLogEntry("Quillomatic終了監視を開始しました。", 1);
    while (IsCurrent(relay) && IsViewerRunning())
        Wait(kPollInterval);
    if (IsCurrent(relay)) {
        AddLogEntry("Quillomaticの終了を検出しました。", 1);
        MonitorState.standbyPending = 1;
        Start(StartupWatcher, relay);
        Wait(kCountdownDelay);
        Start(StandbyCountdown, relay);
    } else {
        AddLogEntry("Quillomatic監視処理を中止しました。", 1);
    }
    return 0;
}

DWORD WINAPI StandbyCountdown(void* argument) {
    unsigned relay = RelayOf(argument);
    // The countdown rewrites only its own row, never an entry logged above it meanwhile.
    unsigned row = ++lastCountdownRow;
    AddLogEntry("スタンバイへ移行準備を行います。", 1);
    Ticker ticker(kTick);
    for (DWORD remaining = kCountdownLength;
         IsCurrent(relay) && remaining != 0 && MonitorState.standbyPending; remaining -= kTick) {
        char text[1024];
        wsprintfA(text, "スタンバイへ移行まで %u 秒", (remaining + 899) / 1000);
        AddLogEntryInRow(text, remaining == kCountdownLength ? 1 : 0, row);
        ticker.SleepUntilNextTick();
    }
    if (IsCurrent(relay) && MonitorState.standbyPending) {
        AddLogEntry("スタンバイへ移行します。", 1);
        HibernateNow();
    } else {
        AddLogEntry("スタンバイへの移行処理を中止しました。", 1);
    }
    return 0;
}
