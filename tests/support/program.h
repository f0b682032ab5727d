// Running the real dialog and the real program, a stand-in for the viewer, and reading the log.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <vector>

#include "files.h"

// The program's own messages, as its log shows them.
const std::string kWatchStart = "Quillomatic起動監視を開始しました。";
const std::string kStarted = "Quillomaticの起動を検出しました。";
const std::string kExitWatch = "Quillomatic終了監視を開始しました。";
const std::string kExited = "Quillomaticの終了を検出しました。";
const std::string kStopped = "Quillomatic監視処理を中止しました。";
const std::string kPrepare = "スタンバイへ移行準備を行います。";
const std::string kHibernating = "スタンバイへ移行します。";
const std::string kCancelled = "スタンバイへの移行処理を中止しました。";
const std::string kResumed = "スタンバイからの復帰を検出しました。";
const std::string kTickPrefix = "スタンバイへ移行まで ";
inline std::string Tick(int seconds) { return kTickPrefix + std::to_string(seconds) + " 秒"; }
inline bool IsTick(const std::string& text) { return text.rfind(kTickPrefix, 0) == 0; }

std::string MonitorExePath();

// Killed if it still runs when this goes, so that a failed test leaves nothing behind.
struct Process : PROCESS_INFORMATION {
    Process() : PROCESS_INFORMATION() {}
    ~Process();
    Process(const Process&) = delete;
    bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
    bool Open(DWORD id);  // one started otherwise
    // The exit code, or STILL_ACTIVE when the process did not end within the time.
    DWORD Wait(DWORD timeoutMs = 10000);

private:
    void Release();  // the handles of an earlier start
};

// A cell of a list view of any process, and the log's messages oldest first: the order in which
// they were written.
std::string Cell(HWND listView, int row, int column);
std::vector<std::string> LogMessages(HWND log);
inline int CountRows(HWND log) {
    return static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0));
}

// The local time as the log stamps it; later times compare greater, as texts too.
std::string LocalStamp();

// A top-level window of the viewer's class and title, opened and closed from any thread.
class Viewer {
public:
    ~Viewer() { Close(); }
    void Open();
    void Close();

private:
    std::atomic<HWND> window{nullptr};
};

// A dialog seen from outside, as a user or the platform would.
struct DialogView {
    HWND window = nullptr;
    HWND Log() const { return GetDlgItem(window, 1000); }
    HWND Focus() const {  // of the dialog's thread
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
        return thread.hwndFocus;
    }
    std::string Text(int id) const {
        char text[256] = "";
        return std::string(text, GetDlgItemTextA(window, id, text, sizeof text));
    }
    std::pair<LONG, LONG> Position() const {  // of the top-left corner
        RECT rect = {};
        GetWindowRect(window, &rect);
        return std::make_pair(rect.left, rect.top);
    }
    // Posted like a real click, so it is handled in turn with other posted input.
    void Click(int id) const {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     LPARAM(GetDlgItem(window, id)));
    }
};

// The program's main dialog, run modally on a thread of its own inside the test.
class RunningMainDialog : public DialogView {
public:
    RunningMainDialog();
    ~RunningMainDialog();  // closes the dialog if it still runs
    HANDLE Thread() const { return thread; }

private:
    static DWORD WINAPI Run(void* self);
    HANDLE thread;
};

// A program of the build, copied into `folders` of a directory of its own, so that its INI file
// is the test's.
class MonitorRun : public DialogView {
public:
    explicit MonitorRun(const std::string& exe = MonitorExePath(),
                        const std::wstring& folders = L"");
    const std::wstring& Folder() const { return folder; }
    std::string IniPath() const { return directory.File("QuillomaticMonitor.ini"); }  // no folders
    bool Start();  // and wait for the dialog to be shown
    // The same under the locale C.UTF-8, where the program's code page is 1252, not 932.
    bool StartInWesternLocale();
    DWORD Close() {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return process.Wait();
    }
    Process& Program() { return process; }

private:
    bool WaitForDialog(const std::wstring& caption);

    TempDirectory directory;
    std::wstring folder, exe;
    Process process;
};
