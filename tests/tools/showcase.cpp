// Drives the real program into a countdown for a screenshot:
//   showcase.exe MONITOR_EXE VIEWER_EXE READY_FILE DONE_FILE
// Starts the monitor and the fake viewer, ends the viewer, waits for the countdown row, creates
// READY_FILE, waits (up to two minutes) for DONE_FILE, then closes the monitor.
// Prints the monitor's exit code; exits 0 only when every step happened.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "monitor_run.h"
#include "wait.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: showcase MONITOR_EXE VIEWER_EXE READY_FILE DONE_FILE\n");
        return 2;
    }
    // From a directory of its own, so that the run leaves no settings file in the build.
    MonitorRun monitor(argv[1]);
    Process viewer;
    if (!monitor.Start()) return fprintf(stderr, "the monitor's dialog was not shown\n"), 1;
    HWND log = monitor.Log();

    if (!viewer.Start(argv[2])) return fprintf(stderr, "viewer did not start\n"), 1;
    if (!WaitFor([&] { return CountMessage(log, "Quillomatic終了監視を開始しました。") == 1; },
                 10000))
        return fprintf(stderr, "viewer not detected\n"), 1;
    HWND window = WaitForProcessWindow(viewer.Id(), "Quillomatic BS MainWindow", nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    auto counting = [&] {
        auto rows = ReadRows(log);
        return !rows.empty() && rows[0].text.rfind("スタンバイへ移行まで", 0) == 0 &&
               rows[0].text != "スタンバイへ移行まで 300 秒";
    };
    if (!WaitFor(counting, 15000)) return fprintf(stderr, "no countdown\n"), 1;

    CloseHandle(CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor([&] { return FileExists(argv[4]); }, 120000);
    DWORD code = monitor.Close();
    printf("monitor exit code %lu\n", code);
    return code == 2 ? 0 : 1;
}
