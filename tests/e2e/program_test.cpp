// The real program under Wine as a user meets it: first start, keys, the viewer's run, closing
// during a countdown, the position kept between runs and over a session's end, Japanese folders.
#include <gtest/gtest.h>

#include "program.h"
#include "wait.h"

namespace {

void MoveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Minimise(HWND window) {
    ShowWindow(window, SW_MINIMIZE);
    return WaitFor([&] { return IsIconic(window) != FALSE; });
}

// A log-off, shutdown or restart as Windows brings it: the question, which the program must let
// pass, then the end itself; no WM_CLOSE comes.
void EndSession(HWND window, BOOL ends, LPARAM flags) {
    DWORD_PTR query = 0;
    DWORD_PTR end = 1;
    SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, flags, SMTO_ABORTIFHUNG, 10000, &query);
    SendMessageTimeoutA(window, WM_ENDSESSION, ends, flags, SMTO_ABORTIFHUNG, 10000, &end);
    EXPECT_NE(0u, query) << "let through";
    EXPECT_EQ(0u, end) << "answered as handled";
}

}  // namespace

TEST(Program, FromTheFirstStartThroughCountdownsToThePositionKeptForTheNext) {
    const std::string moved = "[General]\r\nWindowPosX=-350\r\nWindowPosY=40\r\n";
    MonitorRun run;
    ASSERT_TRUE(run.Start()) << "a visible dialog with this version's caption";
    EXPECT_EQ(std::make_pair(16L, 16L), run.Position());
    EXPECT_TRUE(GetWindowLongA(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ("監視中止", run.Text(1001));
    EXPECT_EQ("休止状態へ", run.Text(1002));
    EXPECT_EQ(run.Log(), run.Focus()) << "the keyboard focus on the log";

    // Rows, as the log keeps them: the watch; the viewer's start and the exit watch; the exit, the
    // next watch, the preparation and the countdown. Closed during the countdown: 2 at once, and
    // the place where the dialog stood before it was minimised.
    auto rows = [&](int count) { return WaitFor([&] { return CountRows(run.Log()) == count; }); };
    Viewer viewer;
    viewer.Open();
    ASSERT_TRUE(rows(3));
    viewer.Close();
    ASSERT_TRUE(rows(7));
    MoveTo(run.window, -350, 40);
    ASSERT_TRUE(Minimise(run.window));
    PostMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    EXPECT_EQ(2u, run.Program().Wait(5000)) << "promptly";
    EXPECT_EQ(moved, ReadFile(run.IniPath()));

    // The next start stands there; Alt+F4, as the keyboard delivers it, also ends it with 2.
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(std::make_pair(-350L, 40L), run.Position());
    PostMessageA(run.Log(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    PostMessageA(run.Log(), WM_SYSKEYUP, VK_F4, 0xE0000001);
    EXPECT_EQ(2u, run.Program().Wait());
    EXPECT_EQ(moved, ReadFile(run.IniPath())) << "unmoved, the same again";

    // A key is found whatever its case and read as far as it is digits, in its own section only;
    // the rest of the file stays as it was.
    WriteFile(run.IniPath(), "[Other]\r\nWindowPosY=5\r\n[General]\r\nwindowposx=640px\r\n");
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(std::make_pair(640L, 16L), run.Position());
    EXPECT_EQ(2u, run.Close());
    EXPECT_EQ("[Other]\r\nWindowPosY=5\r\n[General]\r\nwindowposx=640\r\nWindowPosY=16\r\n",
              ReadFile(run.IniPath()));

    // A session's end writes the file at once, as a close would, since the process is ended soon
    // after; one that another program refused writes nothing. Monitoring goes on meanwhile.
    const std::string ended = "[General]\r\nWindowPosX=260\r\nWindowPosY=120\r\n";
    DeleteFileA(run.IniPath().c_str());
    ASSERT_TRUE(run.Start());
    EndSession(run.window, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(run.IniPath().c_str()));
    MoveTo(run.window, 260, 120);
    EndSession(run.window, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ended, ReadFile(run.IniPath()));
    EXPECT_EQ("監視中止", run.Text(1001));
    TerminateProcess(run.Program().hProcess, 0);
    run.Program().Wait();

    // The next start stands there. Minimised, the position from before is written; a close that
    // still comes after the session's end writes nothing over it.
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(std::make_pair(260L, 120L), run.Position());
    MoveTo(run.window, 300, 200);
    ASSERT_TRUE(Minimise(run.window));
    EndSession(run.window, TRUE, 0);
    const std::string minimised = "[General]\r\nWindowPosX=300\r\nWindowPosY=200\r\n";
    EXPECT_EQ(minimised, ReadFile(run.IniPath()));
    ShowWindow(run.window, SW_RESTORE);
    MoveTo(run.window, 500, 300);
    EXPECT_EQ(2u, run.Close());
    EXPECT_EQ(minimised, ReadFile(run.IniPath()));

    // An installer's request to close, as the same two messages marked ENDSESSION_CLOSEAPP: nothing
    // ends the process after them, so it closes itself as at a close, and keeps where it stood.
    ASSERT_TRUE(run.Start());
    MoveTo(run.window, 420, 260);
    EndSession(run.window, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_EQ(2u, run.Program().Wait(5000)) << "closed by itself";
    EXPECT_EQ("[General]\r\nWindowPosX=420\r\nWindowPosY=260\r\n", ReadFile(run.IniPath()));
}

// The settings file goes beside the exe however the path's Shift-JIS bytes fall, and nowhere
// when the path is too long to be read whole; under another code page, where other bytes lead
// two-byte characters, beside it too. A comctl32.dll left beside the exe never runs in it,
// though these tests' loader prefers one it finds there, as Windows does.
TEST(Program, InJapaneseFoldersTheIniIsBesideTheExeOrNowhere) {
    std::wstring name(45, L'録'), long4 = name + L"\\" + name + L"\\" + name + L"\\" + name;
    // 表 and 能 are 0x95 0x5C and 0x94 0x5C: their second byte is a backslash's. The long paths
    // are under MAX_PATH characters but over 360 bytes, so the module path comes back cut short,
    // between two characters or, one byte further, inside one. In code page 1252 the é of café
    // is 0xE9, which Shift-JIS would take for a lead byte.
    for (const std::wstring& folders :
         {std::wstring(L"表\\番組表示能"), long4, L"x" + long4, std::wstring(L"café")}) {
        MonitorRun run(MonitorExePath(), folders);
        SCOPED_TRACE(WideCharToMultiByte(932, 0, run.Folder().c_str(), -1, nullptr, 0, 0, 0));
        const bool planted = folders[0] == L'表', western = folders == L"café";
        if (planted)
            CopyFileW(Widen(TestDirectory() + "\\planted\\comctl32.dll").c_str(),
                      (run.Folder() + L"\\comctl32.dll").c_str(), FALSE);
        ASSERT_TRUE(western ? run.StartInWesternLocale() : run.Start());
        EXPECT_TRUE(WaitFor([&] { return CountRows(run.Log()) == 1; })) << "its log";
        EXPECT_EQ(2u, run.Close());
        for (std::wstring d = run.Folder(); d.size() > 3; d = d.substr(0, d.rfind(L'\\')))
            EXPECT_EQ((planted || western) && d == run.Folder(),
                      GetFileAttributesW((d + L"\\QuillomaticMonitor.ini").c_str()) !=
                          INVALID_FILE_ATTRIBUTES)
                << d.size() << " characters";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((run.Folder() + L"\\planted-dll-ran").c_str()))
            << "the comctl32.dll beside the exe ran";
    }
}
