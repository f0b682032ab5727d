// Linked only into the bench's build of the program: the power calls that would end the session
// are answered without being made, and the clock is scaled as the bench sets it in the
// environment:
//   QM_CLOCK_SCALE          every wait is this many times shorter
//   QM_OVERSHOOT_PERMILLE   every sleep lasts this much longer, as with a coarse timer
#include <windows.h>

#include <stdlib.h>

#include "monitor.h"
#include "power.h"

namespace {

BOOL WINAPI SkipExitWindows(UINT, DWORD) { return TRUE; }
BOOL WINAPI SkipPowerState(BOOL, BOOL) { return TRUE; }

unsigned Setting(const char* name, unsigned otherwise) {
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    return length > 0 && length < sizeof text ? strtoul(text, nullptr, 10) : otherwise;
}

struct ProbeSeams {
    ProbeSeams() {
        PowerCalls.ExitWindowsEx = SkipExitWindows;
        PowerCalls.SetSystemPowerState = SkipPowerState;
        MonitorTiming.scale = Setting("QM_CLOCK_SCALE", 1);
        if (MonitorTiming.scale == 0) MonitorTiming.scale = 1;
        MonitorTiming.overshootPermille = Setting("QM_OVERSHOOT_PERMILLE", 0);
    }
} probeSeams;

}  // namespace
