// Starting the real programs of the build and finding their windows.
#pragma once

#include <windows.h>

#include <string>

// The directory of the running test program, and paths of the build's other programs.
std::string TestDirectory();
std::string MonitorExePath();  // the shipped program
std::string ProbeExePath();    // the same program with recorded power calls and a scalable clock
std::string FakeViewerPath();

// A fresh directory under the temporary folder, removed with everything in it.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "\\" + name; }

private:
    std::string path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

class Process {
public:
    Process() = default;
    // Kills the process if it still runs, so that a failed test leaves nothing behind.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::string& exe, const std::string& arguments = "",
               const std::string& directory = "");
    // The exit code, or STILL_ACTIVE when the process did not end within the time.
    DWORD Wait(DWORD timeoutMs = 10000);
    bool Running() const;
    void Kill();
    DWORD Id() const { return info.dwProcessId; }
    HANDLE Handle() const { return info.hProcess; }

private:
    PROCESS_INFORMATION info = {};
};

// A top-level window of the process with this class (null for any) and caption (null for any).
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption);
// The same, waiting up to `timeoutMs` for it to appear.
HWND WaitForProcessWindow(DWORD processId, const char* className, const char* caption,
                          DWORD timeoutMs = 15000);
// Number of threads the process has now.
int CountThreads(DWORD processId);
