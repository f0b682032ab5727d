// The real program started from folders with Japanese names: the settings file goes beside the
// exe however the path's bytes fall, and nowhere when the path is too long to be read whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor_run.h"
#include "wait.h"

namespace {

// Makes the folders below `base` and copies the program into the last one; wide calls, since
// the point is a path whose Shift-JIS form is far longer than its UTF-16 one.
std::wstring PlaceProgram(const std::string& base, const std::vector<std::wstring>& folders) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, base.c_str(), -1, wide, MAX_PATH);
    std::wstring directory = wide;
    for (const std::wstring& folder : folders) {
        directory += L"\\" + folder;
        CreateDirectoryW(directory.c_str(), nullptr);
    }
    MultiByteToWideChar(CP_ACP, 0, MonitorExePath().c_str(), -1, wide, MAX_PATH);
    CopyFileW(wide, (directory + L"\\QuillomaticMonitor.exe").c_str(), FALSE);
    return directory;
}

// Runs the program in `directory` until its dialog shows, then closes it; the exit code.
DWORD RunAndClose(const std::wstring& directory) {
    std::wstring exe = directory + L"\\QuillomaticMonitor.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return GetLastError();
    HWND dialog = nullptr;
    WaitFor([&] {
        dialog = FindProcessWindow(info.dwProcessId, kDialogClass, nullptr);
        return dialog && IsWindowVisible(dialog);
    });
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
}

bool HasIni(const std::wstring& directory) {
    return GetFileAttributesW((directory + L"\\QuillomaticMonitor.ini").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(JapanesePaths, TheIniGoesBesideTheExeAlsoWhenAFolderNameEndsInA5CByte) {
    TempDirectory base;
    // 表 and 能 are 0x95 0x5C and 0x94 0x5C: their second byte is a backslash's.
    std::wstring directory = PlaceProgram(base.Path(), {L"表", L"番組表示能"});
    EXPECT_EQ(2u, RunAndClose(directory));
    EXPECT_TRUE(HasIni(directory));
    EXPECT_FALSE(HasIni(directory.substr(0, directory.rfind(L'\\'))));
}

TEST(JapanesePaths, APathTooLongToReadWholeRunsTheDialogButWritesNoIniAnywhere) {
    // Four folders of 45 kanji: under MAX_PATH characters, yet over 360 bytes in Shift-JIS, so
    // the module path comes back cut short and would name one of the folders above. One more
    // byte in the first folder moves the cut from between two characters into one.
    for (const wchar_t* shift : {L"", L"x"}) {
        SCOPED_TRACE(*shift ? "cut inside a character" : "cut between characters");
        TempDirectory base;
        std::wstring name(45, L'録');
        std::vector<std::wstring> folders = {name + shift, name, name, name};
        std::wstring directory = PlaceProgram(base.Path(), folders);
        std::wstring exe = directory + L"\\QuillomaticMonitor.exe";
        ASSERT_LT(exe.size(), static_cast<size_t>(MAX_PATH));
        ASSERT_GE(WideCharToMultiByte(932, 0, exe.c_str(), -1, nullptr, 0, nullptr, nullptr), 360);
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(exe.c_str()));

        EXPECT_EQ(2u, RunAndClose(directory));
        for (std::wstring d = directory; d.size() > 3; d = d.substr(0, d.rfind(L'\\')))
            EXPECT_FALSE(HasIni(d))
                << "a settings file in a folder of " << d.size() << " characters";
    }
}
