// The monitoring engine: a relay of worker threads that watch for the viewer's window, count
// down after it has gone, and hibernate the machine.
#pragma once

#include <windows.h>

#include <atomic>

#include "dialog.h"

// Shared by the dialog and the workers; every check reads them afresh.
struct MonitorFlags {
    std::atomic<int> enabled{0};
    std::atomic<int> standbyPending{0};
};

extern MonitorFlags MonitorState;

// The viewer's main window, the system's only contact with the viewer.
const char kViewerClass[] = "Quillomatic BS MainWindow";
const char kViewerTitle[] = "Quillomatic";

// How long the waits are. The program never changes it; tests shorten every wait by `scale`
// and may stretch each sleep by `overshootPermille`, as a coarse system timer does.
struct MonitorClock {
    unsigned scale;
    unsigned overshootPermille;
};

extern MonitorClock MonitorTiming;

void SetMonitoring(Dialog& dialog, int on);
// 1 for a resume (wParam 7 or 8), after which no countdown goes on; 0 for anything else.
INT_PTR OnPowerBroadcast(Dialog& dialog, WPARAM wParam, LPARAM lParam);

// Worker entry points; the argument is the relay the worker belongs to.
DWORD WINAPI StartupWatcher(void* relay);
DWORD WINAPI ExitWatcher(void* relay);
DWORD WINAPI StandbyCountdown(void* relay);

// One poll: whether the viewer's main window exists.
bool IsViewerRunning();
