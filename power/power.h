// Power control: the shutdown privilege, then log-off, shutdown, reboot, standby or hibernation.
#pragma once

#include <windows.h>

enum PowerActionCode {
    LogOff = 0,
    Shutdown = 1,
    PowerOff = 2,
    Reboot = 3,
    Standby = 4,
    Hibernate = 5,
};

// 0 when the token cannot be opened, the privilege cannot be looked up or the code is not
// 0 to 5; otherwise the result of the one platform call the code selects.
int RequestPowerAction(int action, int force);
// A forced hibernation.
int HibernateNow();

// Every platform call of power control goes through this table, so that tests can record the
// calls instead of ending the session. The program never changes it.
struct PowerApi {
    decltype(&::GetCurrentProcess) GetCurrentProcess;
    decltype(&::OpenProcessToken) OpenProcessToken;
    decltype(&::LookupPrivilegeValueA) LookupPrivilegeValueA;
    decltype(&::AdjustTokenPrivileges) AdjustTokenPrivileges;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::ExitWindowsEx) ExitWindowsEx;
    decltype(&::SetSystemPowerState) SetSystemPowerState;
};

extern PowerApi PowerCalls;
