// The real program, started from a directory of its own so that its INI file is the test's.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "process.h"
#include "remote_list_view.h"

class MonitorRun {
public:
    // Copies `exe` (the shipped program unless told otherwise) into a fresh directory.
    explicit MonitorRun(const std::string& exe = MonitorExePath());

    const TempDirectory& Directory() const { return directory; }
    std::string IniPath() const { return directory.File("QuillomaticMonitor.ini"); }
    std::string PowerLogPath() const { return directory.File("power.log"); }

    // Starts the program and waits for its dialog to be shown; false if it was not.
    bool Start();
    HWND Dialog() const { return dialog; }
    HWND Control(int id) const { return GetDlgItem(dialog, id); }
    HWND Log() const { return Control(1000); }
    std::string ControlText(int id) const;
    RECT WindowRect() const;

    // Posted like a real click, so it is handled in turn with other posted input.
    void Click(int id);
    // Closes with WM_CLOSE and returns the exit code (STILL_ACTIVE if the program did not end).
    DWORD Close();
    DWORD WaitExit(DWORD timeoutMs = 10000) { return process.Wait(timeoutMs); }
    Process& Program() { return process; }

protected:
    // Variables set for the program only while it is being started.
    std::vector<std::pair<std::string, std::string>> environment;

private:
    TempDirectory directory;
    std::string exe;
    Process process;
    HWND dialog = nullptr;
};

// The test build of the program: its clock `scale` times faster, each sleep longer by
// `overshootPermille`, and its power calls recorded in PowerLogPath() instead of made.
class ProbeRun : public MonitorRun {
public:
    explicit ProbeRun(unsigned scale, unsigned overshootPermille = 0);
    std::string PowerCalls() const { return ReadFile(PowerLogPath()); }
};

extern const char kDialogClass[];
