// Drives the real program into a countdown for a screenshot:
//   showcase.exe MONITOR_EXE VIEWER_EXE READY_FILE DONE_FILE
// Starts the monitor and the fake viewer, ends the viewer, waits for the countdown row, creates
// READY_FILE, waits (up to two minutes) for DONE_FILE, then closes the monitor.
// Prints the monitor's exit code; exits 0 only when every step happened.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "process.h"
#include "remote_list_view.h"
#include "wait.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: showcase MONITOR_EXE VIEWER_EXE READY_FILE DONE_FILE\n");
        return 2;
    }
    Process monitor;
    Process viewer;
    if (!monitor.Start(argv[1])) return fprintf(stderr, "monitor did not start\n"), 1;
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            dialog = FindProcessWindow(monitor.Id(), "#32770", nullptr);
            return dialog && IsWindowVisible(dialog);
        },
        30000);
    if (!dialog) return fprintf(stderr, "no dialog\n"), 1;
    HWND log = GetDlgItem(dialog, 1000);

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
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    DWORD code = monitor.Wait(10000);
    printf("monitor exit code %lu\n", code);
    return code == 2 ? 0 : 1;
}
