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
    HANDLE(WINAPI* GetCurrentProcess)();
    BOOL(WINAPI* OpenProcessToken)(HANDLE process, DWORD access, HANDLE* token);
    BOOL(WINAPI* LookupPrivilegeValueA)(const char* system, const char* name, LUID* luid);
    BOOL(WINAPI* AdjustTokenPrivileges)(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                                        DWORD length, TOKEN_PRIVILEGES* previous,
                                        DWORD* returnLength);
    BOOL(WINAPI* CloseHandle)(HANDLE handle);
    BOOL(WINAPI* ExitWindowsEx)(UINT flags, DWORD reason);
    BOOL(WINAPI* SetSystemPowerState)(BOOL suspend, BOOL force);
};

extern PowerApi PowerCalls;
