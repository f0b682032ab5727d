#include "process.h"

#include <tlhelp32.h>

#include <fstream>
#include <sstream>

#include "wait.h"

std::string TestDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path, length);
    return text.substr(0, text.find_last_of('\\'));
}

std::string MonitorExePath() { return TestDirectory() + "\\..\\app\\QuillomaticMonitor.exe"; }
std::string ProbeExePath() { return TestDirectory() + "\\QuillomaticMonitorProbe.exe"; }
std::string FakeViewerPath() { return TestDirectory() + "\\fake_viewer.exe"; }

TempDirectory::TempDirectory() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static LONG counter = 0;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%sqm-%lu-%lu-%ld", base, GetCurrentProcessId(), GetTickCount(),
                  InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            path = name;
            return;
        }
    }
}

namespace {
void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = directory + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(directory.c_str());
}
}  // namespace

TempDirectory::~TempDirectory() { RemoveTree(path); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Process::~Process() {
    if (Running()) Kill();
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
}

bool Process::Start(const std::string& exe, const std::string& arguments,
                    const std::string& directory) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info);
}

DWORD Process::Wait(DWORD timeoutMs) {
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

bool Process::Running() const {
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
}

namespace {
struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId) return TRUE;
    char text[256];
    if (query->className) {
        GetClassNameA(window, text, sizeof text);
        if (lstrcmpA(text, query->className) != 0) return TRUE;
    }
    if (query->caption) {
        GetWindowTextA(window, text, sizeof text);
        if (lstrcmpA(text, query->caption) != 0) return TRUE;
    }
    query->found = window;
    return FALSE;
}
}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption) {
    WindowQuery query = {processId, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForProcessWindow(DWORD processId, const char* className, const char* caption,
                          DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow(processId, className, caption)) != nullptr; },
            timeoutMs);
    return found;
}

int CountThreads(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) ++count;
    CloseHandle(snapshot);
    return count;
}
