// Power control with its platform calls recorded: the privilege first, then the one action with
// its exact arguments, the result passed through, and the token closed on every path.
#include <gtest/gtest.h>

#include <limits.h>

#include <string>
#include <vector>

#include "power.h"

namespace {

std::vector<std::string> calls;
char failing;  // the call that fails: 'o'pen, 'l'ookup or 'a'ction
HANDLE const kProcess = HANDLE(0x5150), kToken = HANDLE(0x7a4);

template <typename... Values>
BOOL Log(BOOL result, const char* call, Values... values) {
    std::string line = call;
    for (long long value : std::initializer_list<long long>{static_cast<long long>(values)...})
        line += " " + std::to_string(value);
    return calls.push_back(line), result;
}
HANDLE WINAPI Process() { return Log(1, "process"), kProcess; }
BOOL WINAPI Open(HANDLE process, DWORD access, HANDLE* token) {
    *token = kToken;  // even on failure: not opened, so never to be closed
    return Log(failing != 'o', "open", process == kProcess, access);
}
BOOL WINAPI Lookup(const char* system, const char* name, LUID* luid) {
    *luid = {0x1357, 0x24};
    return Log(failing != 'l', name, system == nullptr);
}
BOOL WINAPI Adjust(HANDLE token, BOOL all, TOKEN_PRIVILEGES* p, DWORD size, TOKEN_PRIVILEGES* old,
                   DWORD* oldSize) {
    return Log(0, "adjust", token == kToken, all, p->PrivilegeCount, p->Privileges[0].Luid.HighPart,
               p->Privileges[0].Luid.LowPart, p->Privileges[0].Attributes, size, old || oldSize);
}
BOOL WINAPI Close(HANDLE handle) { return Log(1, "close", handle == kToken); }
BOOL WINAPI Exit(UINT flags, DWORD reason) { return Log(failing != 'a', "exit", flags, reason); }
BOOL WINAPI Power(BOOL suspend, BOOL force) { return Log(failing != 'a', "power", suspend, force); }

}  // namespace

// A refused privilege is acted on anyway: the action's own result tells.
TEST(Power, EachCodeMakesItsOneCallAfterThePrivilegeAndClosesTheToken) {
    PowerCalls = {Process, Open, Lookup, Adjust, Close, Exit, Power};  // none may end the session
    const std::vector<std::string> privilege = {"process", "open 1 40", "SeShutdownPrivilege 1",
                                                "adjust 1 0 1 36 4951 2 0 0", "close 1"};
    // action, force, the call that fails (or 'h': HibernateNow), the action's call, the result
    const std::tuple<int, int, char, const char*, int> cases[] = {
        {0, 0, 0, "exit 0 0", 1},  {0, 1, 0, "exit 4 0", 1},  {0, 7, 'a', "exit 4 0", 0},
        {1, 0, 0, "exit 1 0", 1},  {1, -1, 0, "exit 5 0", 1}, {2, 0, 0, "exit 8 0", 1},
        {2, 7, 0, "exit 12 0", 1}, {3, 0, 0, "exit 2 0", 1},  {3, INT_MIN, 0, "exit 6 0", 1},
        {4, 0, 0, "power 1 0", 1}, {4, 7, 0, "power 1 7", 1}, {5, 0, 'a', "power 0 0", 0},
        {5, 1, 0, "power 0 1", 1}, {6, 0, 0, nullptr, 0},     {-1, 1, 0, nullptr, 0},
        {5, 1, 'o', nullptr, 0},   {5, 1, 'l', nullptr, 0},   {-2, 0, 'h', "power 0 1", 1},
    };
    for (auto [action, force, fails, call, result] : cases) {
        SCOPED_TRACE(testing::Message() << action << ", " << force << ", fails " << fails);
        calls.clear();
        failing = fails;
        EXPECT_EQ(result, fails == 'h' ? HibernateNow() : RequestPowerAction(action, force));
        std::vector<std::string> expected = privilege;
        if (fails == 'o') expected.resize(2);
        if (fails == 'l') expected.erase(expected.begin() + 3);
        if (call) expected.push_back(call);
        EXPECT_EQ(expected, calls);
    }
}
