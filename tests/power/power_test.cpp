// Power control with its platform calls recorded: the one action made, its exact arguments, the
// privilege record, and the token's life on every path.
#include <gtest/gtest.h>

#include <windows.h>

#include <limits.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "power.h"

namespace {

using Calls = std::vector<std::string>;

// Values no real call would hand out, so that each one is recognised where it is passed on.
HANDLE const kProcess = reinterpret_cast<HANDLE>(0x5150);
HANDLE const kToken = reinterpret_cast<HANDLE>(0x7a4);
const LUID kShutdownLuid = {0x1357, 0x24};

// What the recorders answer, and every call they saw, in order.
struct FakePlatform {
    BOOL openResult = TRUE;
    BOOL lookupResult = TRUE;
    BOOL adjustResult = TRUE;
    BOOL actionResult = TRUE;
    Calls calls;
};

FakePlatform platform;

void Record(const char* format, ...) {
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    platform.calls.push_back(line);
}

std::string Name(HANDLE handle) {
    if (handle == kProcess) return "process";
    if (handle == kToken) return "token";
    char text[32];
    snprintf(text, sizeof text, "%p", handle);
    return text;
}

std::string Text(const char* text) { return text ? std::string("\"") + text + "\"" : "null"; }

HANDLE WINAPI RecordGetCurrentProcess() {
    Record("GetCurrentProcess()");
    return kProcess;
}

BOOL WINAPI RecordOpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    Record("OpenProcessToken(%s, 0x%lx)", Name(process).c_str(), access);
    // Written even when the open fails: a handle that was not opened must not be closed.
    *token = kToken;
    return platform.openResult;
}

BOOL WINAPI RecordLookupPrivilegeValue(const char* system, const char* name, LUID* luid) {
    Record("LookupPrivilegeValueA(%s, %s)", Text(system).c_str(), Text(name).c_str());
    if (platform.lookupResult) *luid = kShutdownLuid;
    return platform.lookupResult;
}

BOOL WINAPI RecordAdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                                        DWORD length, TOKEN_PRIVILEGES* previous,
                                        DWORD* returnLength) {
    std::string record = "null";
    if (state) {
        char text[96];
        snprintf(text, sizeof text, "{count %lu, luid %lx:%lx, attributes %lu}",
                 state->PrivilegeCount,
                 static_cast<unsigned long>(state->Privileges[0].Luid.HighPart),
                 state->Privileges[0].Luid.LowPart, state->Privileges[0].Attributes);
        record = text;
    }
    Record("AdjustTokenPrivileges(%s, %d, %s, %lu, %s, %s)", Name(token).c_str(), disableAll,
           record.c_str(), length, previous ? "previous" : "null",
           returnLength ? "returnLength" : "null");
    return platform.adjustResult;
}

BOOL WINAPI RecordCloseHandle(HANDLE handle) {
    Record("CloseHandle(%s)", Name(handle).c_str());
    return TRUE;
}

BOOL WINAPI RecordExitWindows(UINT flags, DWORD reason) {
    Record("ExitWindowsEx(%u, %lu)", flags, reason);
    return platform.actionResult;
}

BOOL WINAPI RecordPowerState(BOOL suspend, BOOL force) {
    Record("SetSystemPowerState(%d, %d)", suspend, force);
    return platform.actionResult;
}

// The calls every request starts with once token and privilege are at hand.
Calls PrivilegeEnabled() {
    return {
        "GetCurrentProcess()",
        "OpenProcessToken(process, 0x28)",
        "LookupPrivilegeValueA(null, \"SeShutdownPrivilege\")",
        "AdjustTokenPrivileges(token, 0, {count 1, luid 24:1357, attributes 2}, 0, null, null)",
        "CloseHandle(token)",
    };
}

Calls PrivilegeEnabledThen(const std::string& action) {
    Calls calls = PrivilegeEnabled();
    calls.push_back(action);
    return calls;
}

std::string ExitCall(unsigned flags) { return "ExitWindowsEx(" + std::to_string(flags) + ", 0)"; }

std::string PowerStateCall(int suspend, int force) {
    return "SetSystemPowerState(" + std::to_string(suspend) + ", " + std::to_string(force) + ")";
}

class PowerAction : public ::testing::Test {
protected:
    void SetUp() override {
        saved = PowerCalls;
        platform = FakePlatform();
        PowerCalls = {RecordGetCurrentProcess,
                      RecordOpenProcessToken,
                      RecordLookupPrivilegeValue,
                      RecordAdjustTokenPrivileges,
                      RecordCloseHandle,
                      RecordExitWindows,
                      RecordPowerState};
    }
    void TearDown() override { PowerCalls = saved; }

    PowerApi saved;
};

// Whether `entry` is `real`, or the program's import thunk for it: a `jmp [slot]` whose slot
// holds `real` (a statically built table may take the thunk's address).
template <typename Function>
bool IsEntryPoint(Function entry, Function real) {
    if (entry == real) return true;
    auto* code = reinterpret_cast<const unsigned char*>(entry);
    if (code[0] != 0xff || code[1] != 0x25) return false;
    int32_t operand;
    memcpy(&operand, code + 2, sizeof operand);
#ifdef _WIN64
    const unsigned char* slot = code + 6 + operand;  // relative to the next instruction
#else
    auto* slot = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(operand));
#endif
    Function target;
    memcpy(&target, slot, sizeof target);
    return target == real;
}

}  // namespace

TEST(PowerCallsTable, DefaultsToTheRealApi) {
    EXPECT_TRUE(IsEntryPoint(PowerCalls.GetCurrentProcess, &::GetCurrentProcess));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.OpenProcessToken, &::OpenProcessToken));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.LookupPrivilegeValueA, &::LookupPrivilegeValueA));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.AdjustTokenPrivileges, &::AdjustTokenPrivileges));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.CloseHandle, &::CloseHandle));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.ExitWindowsEx, &::ExitWindowsEx));
    EXPECT_TRUE(IsEntryPoint(PowerCalls.SetSystemPowerState, &::SetSystemPowerState));
    EXPECT_FALSE(IsEntryPoint(PowerCalls.ExitWindowsEx, &RecordExitWindows))
        << "a recorder is told apart";
}

TEST_F(PowerAction, EachCodeMakesItsOneCallWithExactlyItsArguments) {
    struct Case {
        int action;
        int force;
        std::string call;
    };
    const Case cases[] = {
        {LogOff, 0, ExitCall(0)},
        {LogOff, 7, ExitCall(4)},
        {LogOff, 1, ExitCall(4)},
        {Shutdown, 0, ExitCall(1)},
        {Shutdown, 7, ExitCall(5)},
        {Shutdown, -1, ExitCall(5)},
        {PowerOff, 0, ExitCall(8)},
        {PowerOff, 7, ExitCall(12)},
        {Reboot, 0, ExitCall(2)},
        {Reboot, 7, ExitCall(6)},
        {Reboot, INT_MIN, ExitCall(6)},
        {Standby, 0, PowerStateCall(1, 0)},
        {Standby, 7, PowerStateCall(1, 7)},
        {Standby, -1, PowerStateCall(1, -1)},
        {Hibernate, 0, PowerStateCall(0, 0)},
        {Hibernate, 7, PowerStateCall(0, 7)},
        {Hibernate, 1, PowerStateCall(0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("RequestPowerAction(" + std::to_string(c.action) + ", " +
                     std::to_string(c.force) + ")");
        platform.calls.clear();
        EXPECT_EQ(1, RequestPowerAction(c.action, c.force));
        EXPECT_EQ(PrivilegeEnabledThen(c.call), platform.calls);
    }
}

TEST_F(PowerAction, OutOfRangeCodesEnableThePrivilegeAndReturn0WithoutAction) {
    const int cases[][2] = {{6, 0}, {-1, 1}, {INT_MIN, 1}, {INT_MAX, 0}, {100, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE("RequestPowerAction(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) +
                     ")");
        platform.calls.clear();
        EXPECT_EQ(0, RequestPowerAction(c[0], c[1]));
        EXPECT_EQ(PrivilegeEnabled(), platform.calls);
    }
}

TEST_F(PowerAction, HibernateNowIsOneForcedHibernation) {
    platform.actionResult = 37;
    EXPECT_EQ(37, HibernateNow());
    EXPECT_EQ(PrivilegeEnabledThen(PowerStateCall(0, 1)), platform.calls);
}

TEST_F(PowerAction, ThePlatformCallsOwnResultIsReturnedUnchanged) {
    for (BOOL result : {0, 1, 37, -5}) {
        SCOPED_TRACE(result);
        platform.actionResult = result;
        for (int action = LogOff; action <= Hibernate; ++action) {
            SCOPED_TRACE(action);
            EXPECT_EQ(result, RequestPowerAction(action, 1));
        }
        EXPECT_EQ(result, HibernateNow());
    }
}

TEST_F(PowerAction, AFailedTokenOpenReturns0AndCallsNothingElse) {
    platform.openResult = FALSE;
    for (int action : {0, 3, 4, 5, 6, -1}) {
        SCOPED_TRACE(action);
        platform.calls.clear();
        EXPECT_EQ(0, RequestPowerAction(action, 1));
        EXPECT_EQ(Calls({"GetCurrentProcess()", "OpenProcessToken(process, 0x28)"}),
                  platform.calls);
    }
    platform.calls.clear();
    EXPECT_EQ(0, HibernateNow());
    EXPECT_EQ(2u, platform.calls.size());
}

TEST_F(PowerAction, AFailedPrivilegeLookupClosesTheTokenAndReturns0) {
    platform.lookupResult = FALSE;
    const Calls expected = {
        "GetCurrentProcess()",
        "OpenProcessToken(process, 0x28)",
        "LookupPrivilegeValueA(null, \"SeShutdownPrivilege\")",
        "CloseHandle(token)",
    };
    for (int action : {0, 2, 4, 5, 6, -1}) {
        SCOPED_TRACE(action);
        platform.calls.clear();
        EXPECT_EQ(0, RequestPowerAction(action, 0));
        EXPECT_EQ(expected, platform.calls);
    }
    platform.calls.clear();
    EXPECT_EQ(0, HibernateNow());
    EXPECT_EQ(expected, platform.calls);
}

TEST_F(PowerAction, AFailedPrivilegeAdjustmentIsIgnoredAndTheActionMadeAnyway) {
    platform.adjustResult = FALSE;
    EXPECT_EQ(1, RequestPowerAction(Reboot, 7));
    EXPECT_EQ(PrivilegeEnabledThen(ExitCall(6)), platform.calls);
    platform.calls.clear();
    EXPECT_EQ(1, HibernateNow());
    EXPECT_EQ(PrivilegeEnabledThen(PowerStateCall(0, 1)), platform.calls);
}

namespace {

LUID ShutdownLuid() {
    LUID luid = {};
    EXPECT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
    return luid;
}

// The shutdown privilege's attributes in this process's token; -1 if the token lacks it.
long ShutdownPrivilegeAttributes() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return -1;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<char> buffer(size ? size : 1);
    long attributes = -1;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        LUID luid = ShutdownLuid();
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID& each = privileges->Privileges[i].Luid;
            if (each.LowPart == luid.LowPart && each.HighPart == luid.HighPart)
                attributes = privileges->Privileges[i].Attributes;
        }
    }
    CloseHandle(token);
    return attributes;
}

void DisableShutdownPrivilege() {
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = ShutdownLuid();
    privileges.Privileges[0].Attributes = 0;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    CloseHandle(token);
    ASSERT_NE(-1, ShutdownPrivilegeAttributes()) << "the token has no shutdown privilege";
    ASSERT_EQ(0, ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED);
}

// Token handles open in this process, found by asking every small handle value for its token
// type (the handle count is not kept under Wine).
int OpenTokenCount() {
    int count = 0;
    for (uintptr_t value = 4; value < 0x1000; value += 4) {
        TOKEN_TYPE type;
        DWORD size;
        if (GetTokenInformation(reinterpret_cast<HANDLE>(value), TokenType, &type, sizeof type,
                                &size))
            ++count;
    }
    return count;
}

}  // namespace

// Only the two calls that would end the session are recorded; the token calls are real.
class PowerActionWithRealToken : public ::testing::Test {
protected:
    void SetUp() override {
        saved = PowerCalls;
        platform = FakePlatform();
        PowerCalls.ExitWindowsEx = RecordExitWindows;
        PowerCalls.SetSystemPowerState = RecordPowerState;
    }
    void TearDown() override { PowerCalls = saved; }

    PowerApi saved;
};

TEST_F(PowerActionWithRealToken, EnablesTheShutdownPrivilegeClosesTheTokenAndMakesTheCall) {
    struct Case {
        int action;
        int force;
        Calls calls;
    };
    const Case cases[] = {
        {Hibernate, 1, {PowerStateCall(0, 1)}},
        {Reboot, 7, {ExitCall(6)}},
        {6, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        ASSERT_NO_FATAL_FAILURE(DisableShutdownPrivilege());
        platform.calls.clear();
        int tokens = OpenTokenCount();
        EXPECT_EQ(c.calls.empty() ? 0 : 1, RequestPowerAction(c.action, c.force));
        EXPECT_EQ(c.calls, platform.calls);
        EXPECT_EQ(tokens, OpenTokenCount()) << "the token is closed again";
        EXPECT_TRUE(ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED);
    }

    ASSERT_NO_FATAL_FAILURE(DisableShutdownPrivilege());
    platform.calls.clear();
    EXPECT_EQ(1, HibernateNow());
    EXPECT_EQ(Calls({PowerStateCall(0, 1)}), platform.calls);
    EXPECT_TRUE(ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED);
}
