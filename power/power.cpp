// Power actions through the process token's shutdown privilege.
#include "power.h"

// Built before any other global, so that a test's own initialisation can replace entries.
PowerApi PowerCalls __attribute__((init_priority(1000))) = {
    ::GetCurrentProcess, ::OpenProcessToken, ::LookupPrivilegeValueA, ::AdjustTokenPrivileges,
    ::CloseHandle,       ::ExitWindowsEx,    ::SetSystemPowerState,
};

namespace {

// Only the token is owned here; it is closed on every path once it was opened.
class TokenHandle {
public:
    explicit TokenHandle(HANDLE token) : token(token) {}
    ~TokenHandle() { PowerCalls.CloseHandle(token); }
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;

private:
    HANDLE token;
};

const UINT kExitFlags[] = {EWX_LOGOFF, EWX_SHUTDOWN, EWX_POWEROFF, EWX_REBOOT};

}  // namespace

int RequestPowerAction(int action, int force) {
    HANDLE token;
    if (!PowerCalls.OpenProcessToken(PowerCalls.GetCurrentProcess(),
                                     TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return 0;
    {
        TokenHandle owned(token);
        TOKEN_PRIVILEGES privileges = {};
        if (!PowerCalls.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege",
                                              &privileges.Privileges[0].Luid))
            return 0;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        // A refused privilege shows in the action's own result, so this one is not examined.
        PowerCalls.AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }

    unsigned code = static_cast<unsigned>(action);
    if (code <= Reboot)
        return PowerCalls.ExitWindowsEx(kExitFlags[code] | (force ? EWX_FORCE : 0), 0);
    if (code == Standby) return PowerCalls.SetSystemPowerState(TRUE, force);
    if (code == Hibernate) return PowerCalls.SetSystemPowerState(FALSE, force);
    return 0;
}

int HibernateNow() { return RequestPowerAction(Hibernate, 1); }
