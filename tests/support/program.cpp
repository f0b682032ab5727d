#include "program.h"

#include <stdio.h>

#include "main_dialog.h"
#include "monitor.h"
#include "wait.h"

std::string MonitorExePath() { return TestDirectory() + "\\..\\app\\QuillomaticMonitor.exe"; }

Process::~Process() {
    if (Wait(0) == STILL_ACTIVE) TerminateProcess(hProcess, 1);
    Release();
}

void Process::Release() {
    if (hProcess) CloseHandle(hProcess);
    if (hThread) CloseHandle(hThread);
    static_cast<PROCESS_INFORMATION&>(*this) = {};
}

bool Process::Start(const std::wstring& exe, const std::wstring& arguments) {
    Release();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, this);
}

bool Process::Open(DWORD id) {
    Release();
    hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, id);
    dwProcessId = id;
    return hProcess != nullptr;
}

DWORD Process::Wait(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (hProcess && WaitForSingleObject(hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(hProcess, &code);
    return code;
}

// Through memory in the list view's own process: a list view of another process cannot take this
// one's buffer.
std::string Cell(HWND listView, int row, int column) {
    char text[1024] = "";
    DWORD id = 0;
    GetWindowThreadProcessId(listView, &id);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(LVITEMA) + sizeof text, MEM_COMMIT, PAGE_READWRITE));
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + sizeof item;
    item.cchTextMax = sizeof text;
    if (remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
        SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote)))
        ReadProcessMemory(process, item.pszText, text, sizeof text - 1, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
    return text;
}

std::vector<std::string> LogMessages(HWND log) {
    std::vector<std::string> messages;
    for (int row = CountRows(log) - 1; row >= 0; --row)
        messages.push_back(Cell(log, row, 1));
    return messages;
}

std::string LocalStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    return text;
}

void Viewer::Open() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kViewerClass;
    RegisterClassA(&windowClass);  // fails harmlessly once the class exists
    if (!window)
        window = CreateWindowExA(0, kViewerClass, kViewerTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 600, 420, 320, 200, nullptr, nullptr, nullptr, nullptr);
}

// Sent, so that the thread that made the window destroys it.
void Viewer::Close() {
    if (HWND closing = window.exchange(nullptr)) SendMessageA(closing, WM_CLOSE, 0, 0);
}

RunningMainDialog::RunningMainDialog() : thread(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {
    WaitFor([this] {
        HWND shown = MainDialog.GetHandle();
        window = shown && IsWindowVisible(shown) ? shown : nullptr;
        return window || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    });
}

// With the common controls loaded as the program loads them, not imported.
DWORD WINAPI RunningMainDialog::Run(void*) {
    if (!LoadCommonControls()) return 1;
    return MainDialog.DialogBox(101, GetModuleHandleA(nullptr), nullptr, MainDialogProc) != 2;
}

RunningMainDialog::~RunningMainDialog() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

MonitorRun::MonitorRun(const std::string& source, const std::wstring& folders)
    : folder(Widen(directory.Path())) {
    for (size_t end = 0; end != std::wstring::npos && !folders.empty();) {
        end = folders.find(L'\\', end + 1);
        CreateDirectoryW((folder + L"\\" + folders.substr(0, end)).c_str(), nullptr);
    }
    folder += folders.empty() ? L"" : L"\\" + folders;
    exe = folder + L"\\" + Widen(source.substr(source.find_last_of('\\') + 1));
    CopyFileW(Widen(source).c_str(), exe.c_str(), FALSE);
}

bool MonitorRun::Start() { return process.Start(exe) && WaitForDialog(Widen(kMainCaption)); }

// Wine gives a program the code page of the locale it was started in, and a Windows parent passes
// its own on: so the program is started from the Unix shell, and found by its caption, whose bytes
// it reads in its own code page.
bool MonitorRun::StartInWesternLocale() {
    char loader[MAX_PATH] = "";
    GetEnvironmentVariableA("WINELOADER", loader, sizeof loader);
    std::wstring command =
        L"/bin/sh -c \"LANG=C.UTF-8 LC_ALL=C.UTF-8 exec '" + Widen(loader) + L"' '" + exe + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &shell))
        return false;
    wchar_t caption[64] = L"";
    MultiByteToWideChar(1252, 0, kMainCaption, -1, caption, 64);
    DWORD id = 0;
    WaitFor([&] { return GetWindowThreadProcessId(FindWindowW(L"#32770", caption), &id); }, 15000);
    return process.Open(id) && WaitForDialog(caption);
}

// The dialog exists before it is shown: initialisation runs in between.
bool MonitorRun::WaitForDialog(const std::wstring& caption) {
    return WaitFor(
        [&] {
            DWORD owner = 0;
            window = FindWindowW(L"#32770", caption.c_str());
            GetWindowThreadProcessId(window, &owner);
            return owner == process.dwProcessId && IsWindowVisible(window);
        },
        15000);
}
