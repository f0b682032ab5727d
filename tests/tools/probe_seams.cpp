// Linked only into the test build of the program: the power calls that would end the session
// are recorded instead, and the clock can be scaled, both set by the starting test through the
// environment.
//
//   QM_POWER_LOG            file that receives one line per power action
//   QM_CLOCK_SCALE          every wait is this many times shorter
//   QM_OVERSHOOT_PERMILLE   every sleep lasts this much longer, as with a coarse timer
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "monitor.h"
#include "power.h"

namespace {

char powerLog[MAX_PATH];

void Record(const char* line) {
    HANDLE file = CreateFileA(powerLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
}

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
    char line[64];
    wsprintfA(line, "ExitWindowsEx %u %lu\r\n", flags, reason);
    Record(line);
    return TRUE;
}

BOOL WINAPI RecordPowerState(BOOL suspend, BOOL force) {
    char line[64];
    wsprintfA(line, "SetSystemPowerState %d %d\r\n", suspend, force);
    Record(line);
    return TRUE;
}

unsigned Setting(const char* name, unsigned otherwise) {
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    return length > 0 && length < sizeof text ? strtoul(text, nullptr, 10) : otherwise;
}

struct ProbeSeams {
    ProbeSeams() {
        // Without a log the calls are still recorded nowhere rather than made.
        GetEnvironmentVariableA("QM_POWER_LOG", powerLog, sizeof powerLog);
        PowerCalls.ExitWindowsEx = RecordExitWindows;
        PowerCalls.SetSystemPowerState = RecordPowerState;
        MonitorTiming.scale = Setting("QM_CLOCK_SCALE", 1);
        if (MonitorTiming.scale == 0) MonitorTiming.scale = 1;
        MonitorTiming.overshootPermille = Setting("QM_OVERSHOOT_PERMILLE", 0);
    }
} probeSeams;

}  // namespace
