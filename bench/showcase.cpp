// Drives the real program into a countdown for a screenshot:
//   showcase.exe MONITOR_EXE READY_FILE DONE_FILE
// Starts the monitor, shows and closes a viewer window, waits for the countdown to run, creates
// READY_FILE, waits (up to two minutes) for DONE_FILE, then closes the monitor.
// Exits 0 only when every step happened and the monitor ended with 2.
#include <stdio.h>

#include "program.h"
#include "wait.h"

int main(int argc, char** argv) {
    if (argc != 4) return fprintf(stderr, "usage: showcase MONITOR_EXE READY_FILE DONE_FILE\n"), 2;
    // From a directory of its own, so that the run leaves no settings file in the build.
    MonitorRun monitor(argv[1]);
    Viewer viewer;
    if (!monitor.Start()) return fprintf(stderr, "the monitor's dialog was not shown\n"), 1;
    // Rows: the watch, the start and the exit watch; then the exit, the new watch, the
    // preparation and the countdown, which a moment later is under 300 seconds.
    viewer.Open();
    if (!WaitFor([&] { return CountRows(monitor.Log()) == 3; }))
        return fprintf(stderr, "viewer not detected\n"), 1;
    viewer.Close();
    if (!WaitFor([&] { return CountRows(monitor.Log()) == 7; }, 15000))
        return fprintf(stderr, "no countdown\n"), 1;
    WaitFor([] { return false; }, 1500);
    CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor([&] { return GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 120000);
    DWORD code = monitor.Close();
    printf("monitor exit code %lu\n", code);
    return code == 2 ? 0 : 1;
}
