// The program's dialog, event log and monitoring engine, run in this process on the real
// template 101 against a real window of the viewer's class, with the clock scaled and the power
// calls counted instead of made.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "event_log.h"
#include "main_dialog.h"
#include "message_log.h"
#include "monitor.h"
#include "power.h"
#include "program.h"
#include "wait.h"

namespace {

using Texts = std::vector<std::string>;

long long Microseconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<long long>(counter.QuadPart * 1e6 / frequency.QuadPart);
}

// The log's entries as its list view receives them, rewrites included: an entry is its time
// stamp (sub-item 0, an insert for a new row) and then its message. `onText` runs on the log's
// thread as a message arrives.
class Transcript {
public:
    struct Entry {
        bool insert, whole;  // whole: just after its own stamp, both at row 0
        std::string stamp, text;
        long long us;
    };

    Transcript(HWND log, std::function<void(const std::string&)> onText)
        : onText(onText), recorder(log, [this](const Message& m) { Take(m); }) {}
    std::vector<Entry> Entries() const {
        std::lock_guard<std::mutex> hold(lock);
        return entries;
    }
    // The messages that made rows, or with `all` the rewrites too.
    Texts Rows(bool all = false) const {
        Texts rows;
        for (const Entry& e : Entries())
            if (e.insert || all) rows.push_back(e.text);
        return rows;
    }
    int Count(const std::string& text, bool all = false) const {
        Texts rows = Rows(all);
        return static_cast<int>(std::count(rows.begin(), rows.end(), text));
    }
    void Refuse(UINT message, LRESULT answer) { recorder.Answer(message, answer); }

private:
    void Take(const Message& m) {
        if ((m.message != LVM_INSERTITEMA && m.message != LVM_SETITEMA) || !m.lParam) return;
        auto* item = reinterpret_cast<const LVITEMA*>(m.lParam);
        std::unique_lock<std::mutex> hold(lock);
        if (item->iSubItem == 0) {
            stamp = {m.message == LVM_INSERTITEMA, item->iItem == 0, item->pszText, "", 0};
            return;
        }
        entries.push_back(stamp);
        entries.back().whole &= item->iItem == 0 && item->iSubItem == 1;
        entries.back().text = item->pszText;
        entries.back().us = Microseconds();
        stamp = {};
        hold.unlock();
        if (onText) onText(item->pszText);
    }

    std::function<void(const std::string&)> onText;
    mutable std::mutex lock;
    std::vector<Entry> entries;
    Entry stamp = {};
    MessageRecorder recorder;
};

std::atomic<int> hibernations{0}, otherPowerCalls{0};
std::atomic<BOOL> powerResult{TRUE};  // what every power call answers
BOOL WINAPI CountPowerState(BOOL suspend, BOOL force) {
    if (suspend == FALSE && force == 1)
        ++hibernations;
    else
        ++otherPowerCalls;
    return powerResult;
}
BOOL WINAPI CountExitWindows(UINT, DWORD) {
    ++otherPowerCalls;
    return TRUE;
}

// For checks that something does not happen: by then it would have, many polls over.
void LetRun(DWORD ms) {
    WaitFor([] { return false; }, ms);
}
Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}
// Called, not sent: a sent message would answer DWLP_MSGRESULT instead of the procedure's result.
INT_PTR Broadcast(WPARAM event) { return MainDialogProc(nullptr, WM_POWERBROADCAST, event, 0); }
INT_PTR Command(WORD id) { return MainDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// Each row as "time | message", the newest first.
Texts Rows(HWND log) {
    Texts rows;
    for (int row = 0; row < CountRows(log); ++row)
        rows.push_back(Cell(log, row, 0) + " | " + Cell(log, row, 1));
    return rows;
}

class App : public testing::Test {
protected:
    // Runs the dialog, its waits `scale` times shorter and its sleeps `overshootPermille` longer,
    // and records the log's writes from the moment the first watcher has settled.
    void Start(unsigned scale, bool viewerRunning, unsigned overshootPermille = 0) {
        MonitorTiming = {scale, overshootPermille};
        hibernations = 0;
        otherPowerCalls = 0;
        PowerCalls.SetSystemPowerState = CountPowerState;
        PowerCalls.ExitWindowsEx = CountExitWindows;
        if (viewerRunning) viewer.Open();
        dialog.reset(new RunningMainDialog);
        log = dialog->Log();
        ASSERT_TRUE(WaitFor([&] {
            Texts rows = LogMessages(log);
            return !rows.empty() && rows.back() == (viewerRunning ? kExitWatch : kWatchStart);
        }));
        Record();
    }
    // Monitoring off and the log emptied: every row is the test's own.
    void StartWithTheLogToItself() {
        Start(100, false);
        dialog->Click(1001);
        ASSERT_TRUE(WaitForRow(kStopped));
        SendMessageA(log, LVM_DELETEALLITEMS, 0, 0);
        Record();
    }
    void Record() {
        transcript.reset();  // one recorder on the log at a time
        transcript.reset(new Transcript(log, [this](const std::string& text) {
            if (onEntry) onEntry(text);
        }));
    }
    void TearDown() override { EXPECT_EQ(0, otherPowerCalls.load()); }
    bool WaitForRow(const std::string& text, int times = 1) {
        return WaitFor([&] { return transcript->Count(text) >= times; }, 20000);
    }
    // The rows written since there were `mark`.
    Texts Since(size_t mark) {
        Texts rows = transcript->Rows();
        return Texts(rows.begin() + std::min(mark, rows.size()), rows.end());
    }

    Viewer viewer;
    // Runs on the log's thread as each entry arrives; set before Start.
    std::function<void(const std::string&)> onEntry;
    std::unique_ptr<RunningMainDialog> dialog;
    HWND log = nullptr;
    std::unique_ptr<Transcript> transcript;  // taken off before the dialog ends
};

// A template as words; a text goes in as its UTF-16 code units and a terminator.
struct Words : std::vector<WORD> {
    Words& operator()(std::initializer_list<WORD> words) {
        insert(end(), words);
        return *this;
    }
    Words& operator()(const wchar_t* text) {
        insert(end(), text, text + wcslen(text) + 1);
        return *this;
    }
    Words& Item(DWORD style) {
        if (size() % 2) push_back(0);  // every item starts on a 4-byte boundary
        return (*this)({LOWORD(style), HIWORD(style), 0, 0});
    }
};

// 200 entries; every fourth rewrites the top row, with the modes 0, 2 and -1 in turn.
DWORD WINAPI WriteEntries(void* writer) {
    const int modes[] = {1, 1, 1, 0, 1, 1, 1, 2, 1, 1, 1, -1};
    char text[32];
    for (int n = 0; n < 200; ++n) {
        snprintf(text, sizeof text, "w%d %d %d", int(INT_PTR(writer)), n, modes[n % 12]);
        AddLogEntry(text, modes[n % 12]);
    }
    return 0;
}

}  // namespace

// The main dialog

TEST(Resources, Template101IsAsDesigned) {
    Words expected;
    expected.Item(0x80CA08C0)({3, 0, 0, 235, 155, 0, 0})(L"Quillomaticモニター")({9})(
        L"ＭＳ Ｐゴシック");
    expected.Item(0x50814005)({5, 5, 225, 120, 1000})(L"SysListView32")(L"List1")({0});
    expected.Item(0x50010000)({5, 130, 173, 20, 1001, 0xFFFF, 0x0080})(L"監視開始")({0});
    expected.Item(0x50010000)({183, 130, 47, 20, 1002, 0xFFFF, 0x0080})(L"休止状態へ")({0});
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_TRUE(found) << "template 101 in language 1041";
    auto* data = static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(expected, std::vector<WORD>(data, data + SizeofResource(nullptr, found) / 2));
}

// The platform reports the dialog's place from the corner of its monitor's work area; the dialog
// is put back in screen coordinates. A left monitor stands left of the primary one. Each row is a
// dialog put at `screen` and reported at `reported`, so it is also the next close after the next
// start: a wrong sum moves the dialog by the taskbar's width at every close.
TEST(Position, TheSameOnTheScreenWhereverTheTaskbarIs) {
    struct Row {
        const char* taskbar;
        RECT monitor, work;
        POINT reported, screen;
    };
    const Row rows[] = {
        {"left", {0, 0, 1920, 1080}, {48, 0, 1920, 1080}, {252, 200}, {300, 200}},
        {"top", {0, 0, 1920, 1080}, {0, 40, 1920, 1080}, {300, 160}, {300, 200}},
        {"bottom", {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, {300, 200}, {300, 200}},
        {"left, left monitor", {-1024, 0, 0, 768}, {-984, 0, 0, 768}, {-940, 100}, {-900, 100}},
        {"none, left monitor", {-1024, 0, 0, 768}, {-1024, 0, 0, 768}, {-900, 100}, {-900, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.taskbar);
        const MONITORINFO monitor = {sizeof(MONITORINFO), row.monitor, row.work, 0};
        WINDOWPLACEMENT placement = {};
        placement.rcNormalPosition.left = row.reported.x;
        placement.rcNormalPosition.top = row.reported.y;
        POINT screen = NormalPositionOnScreen(placement, monitor);
        EXPECT_EQ(row.screen.x, screen.x);
        EXPECT_EQ(row.screen.y, screen.y);
    }
}

// Sleeps of 21 s instead of 1 s: the viewer that runs already is seen without one.
TEST_F(App, InitialisationGivesTheIconsTheFocusAndTheFirstPollAtOnce) {
    Start(1, true, 20000);
    EXPECT_EQ((Texts{kWatchStart, kStarted, kExitWatch}), LogMessages(log));
    EXPECT_EQ(log, dialog->Focus());
    // Alt+Tab and the taskbar show the big icon, the caption the small one: both of icon 102.
    const std::pair<WPARAM, LONG> icons[] = {{ICON_SMALL, 16}, {ICON_BIG, 32}};
    for (auto [type, size] : icons) {
        SCOPED_TRACE(type);
        auto icon = reinterpret_cast<HICON>(SendMessageA(dialog->window, WM_GETICON, type, 0));
        ICONINFO info = {};
        BITMAP bitmap = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        EXPECT_EQ(size, bitmap.bmHeight);
    }
}

TEST_F(App, TheProcedureHandlesItsButtonsPowerAndSessionsAndNothingElse) {
    Start(100, false);
    struct Row {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
        bool monitoring;  // after the message
        int hibernations;
    };
    const Row rows[] = {
        {WM_NOTIFY, 1000, 0, true, 0},
        {WM_COMMAND, IDOK, 0, true, 0},
        {WM_COMMAND, IDCANCEL, 0, true, 0},
        {WM_COMMAND, MAKEWPARAM(1000, 0), 0, true, 0},
        {WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 1, true, 1},
        {WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 1, false, 1},
        {WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 1, false, 2},  // also while monitoring is off
        {WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 1, true, 2},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, 0, true, 2},
        {WM_POWERBROADCAST, PBT_APMRESUMECRITICAL, 0, true, 2},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 1, true, 2},
        {WM_POWERBROADCAST, PBT_APMRESUMESTANDBY, 1, true, 2},
        {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, true, 2},
        // Monitoring goes on over a session's end, until the process is ended.
        {WM_ENDSESSION, FALSE, 0, true, 2},
        {WM_ENDSESSION, TRUE, 1, true, 2},
        {WM_TIMER, 1, 0, true, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "message " << row.message << ", " << row.wParam);
        EXPECT_EQ(row.result, MainDialogProc(nullptr, row.message, row.wParam, 0));
        EXPECT_EQ(row.monitoring, MonitorState.enabled != 0);
        EXPECT_EQ(row.monitoring ? "監視中止" : "監視開始", dialog->Text(1001));
        EXPECT_EQ(row.hibernations, hibernations.load()) << "one forced hibernation a click";
    }
    EXPECT_EQ(2, transcript->Count(kResumed)) << "for 7 and 8 only";
}

// The event log

TEST_F(App, TheLogHasTwoColumnsWithGridLinesFullRowsAndInfoTips) {
    StartWithTheLogToItself();
    EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
              SendMessageA(log, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(112, SendMessageA(log, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(256, SendMessageA(log, LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_EQ(0, SendMessageA(log, LVM_GETCOLUMNWIDTH, 2, 0)) << "no third column";
}

// The local time, read before and after the stamp was taken; an empty message still has a row.
TEST_F(App, AnEntryIsARowStampedWithTheLocalTime) {
    StartWithTheLogToItself();
    const std::string before = LocalStamp();
    AddLogEntry("", 1);
    const std::string after = LocalStamp();
    Texts rows = Rows(log);
    ASSERT_EQ(1u, rows.size());
    EXPECT_LE(before + " | ", rows[0]);
    EXPECT_GE(after + " | ", rows[0]);
    EXPECT_EQ(22u, rows[0].size());
}

TEST_F(App, ARewriteNeedsARowAndAMarkedOneItsOwnRowOnTop) {
    StartWithTheLogToItself();
    AddLogEntry("none", 0);
    AddLogEntry("none", -1);
    EXPECT_EQ(0, CountRows(log));
    AddLogEntryInRow("mine", 1, 5);
    AddLogEntry("other", 1);
    AddLogEntryInRow("mine again", 0, 5);
    AddLogEntryInRow("not mine", 0, 6);
    EXPECT_EQ((Texts{"mine", "other"}), LogMessages(log));
}

// A write the list view refuses leaves no message beside a time stamp that is not its own.
TEST_F(App, ARefusedWriteLeavesTheRowsAsTheyWere) {
    StartWithTheLogToItself();
    AddLogEntry("kept", 1);
    const Texts rows = Rows(log);
    transcript->Refuse(LVM_INSERTITEMA, -1);
    AddLogEntry("refused insert", 1);
    transcript->Refuse(LVM_SETITEMA, 0);
    AddLogEntry("refused rewrite", 0);
    EXPECT_EQ(rows, Rows(log));
    EXPECT_EQ(0, transcript->Count("refused insert", true));
    EXPECT_EQ(0, transcript->Count("refused rewrite", true));
}

// Four threads and the dialog's own thread write at once, the dialog's thread the resume message
// of each power broadcast posted to it: each entry must arrive whole, in a row of its own.
TEST_F(App, EntriesFromManyThreadsAtOnceArriveWhole) {
    StartWithTheLogToItself();
    const std::string before = LocalStamp();
    HANDLE threads[4];
    for (INT_PTR w = 0; w < 4; ++w)
        threads[w] = CreateThread(nullptr, 0, WriteEntries, reinterpret_cast<void*>(w), 0, nullptr);
    for (int n = 0; n < 200; ++n)
        PostMessageA(dialog->window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(4, threads, TRUE, 60000)) << "a writer hangs";
    ASSERT_TRUE(WaitFor([&] { return transcript->Entries().size() >= 1000; }, 60000));
    const std::string after = LocalStamp();

    // Replayed in the order the control received them, each writer's in its own order.
    Texts model;
    std::map<int, int> next;
    for (const auto& e : transcript->Entries()) {
        SCOPED_TRACE(e.text);
        int w = 4, n = next[4], mode = 1;
        ASSERT_TRUE(e.whole);
        ASSERT_TRUE(before <= e.stamp && e.stamp <= after) << e.stamp;
        ASSERT_TRUE(e.text == kResumed || sscanf(e.text.c_str(), "w%d %d %d", &w, &n, &mode) == 3);
        ASSERT_EQ(next[w]++, n);
        ASSERT_EQ(mode == 1, e.insert);
        if (e.insert) model.insert(model.begin(), "");
        model.at(0) = e.stamp + " | " + e.text;
    }
    Texts rows = Rows(log);
    EXPECT_EQ(model, rows);
    EXPECT_EQ(800u, rows.size());
}

// Monitoring

TEST_F(App, TheViewersRunsAndEveryWayACountdownEnds) {
    Start(100, true);

    // Runs out: 3000 ticks in one row, 300 on 9 of them, each of 299..1 on 10, 0 on the last.
    viewer.Close();
    ASSERT_TRUE(WaitFor([] { return hibernations == 1; }, 30000));
    EXPECT_EQ((Texts{kExited, kWatchStart, kPrepare, Tick(300), kHibernating}), Since(0));
    Texts expected(9, Tick(300));
    for (int s = 299; s >= 1; --s)
        expected.insert(expected.end(), 10, Tick(s));
    expected.push_back(Tick(0));
    Texts ticks;
    for (const auto& e : transcript->Entries())
        if (IsTick(e.text)) ticks.push_back(e.text);
    EXPECT_EQ(expected, ticks);
    Texts rows = LogMessages(log);
    EXPECT_EQ((Texts{Tick(0), kHibernating}), Texts(rows.end() - 2, rows.end()));

    // The resume; the watcher started at the exit sees the next start.
    size_t mark = transcript->Rows().size();
    EXPECT_EQ(1, Broadcast(PBT_APMRESUMESUSPEND));
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch));
    EXPECT_EQ((Texts{kResumed, kStarted, kExitWatch}), Since(mark));

    // Only a resume, 7 or 8, ends a countdown; 4, 6 and 18 leave it running.
    viewer.Close();
    ASSERT_TRUE(WaitForRow(Tick(300), 2));
    Broadcast(PBT_APMSUSPEND);
    Broadcast(PBT_APMRESUMECRITICAL);
    Broadcast(PBT_APMRESUMEAUTOMATIC);
    mark = transcript->Rows().size();
    EXPECT_EQ(1, Broadcast(PBT_APMRESUMESTANDBY));  // the countdown still ran, to be ended
    ASSERT_TRUE(WaitForRow(kCancelled));
    EXPECT_EQ((Texts{kResumed, kCancelled}), Since(mark));

    // Hibernated by the button during a countdown: once the call is back the machine has slept and
    // woken, so the countdown is over, as after a resume. A call that failed leaves it running.
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch, 2));
    viewer.Close();
    ASSERT_TRUE(WaitForRow(Tick(300), 3));
    mark = transcript->Rows().size();
    powerResult = FALSE;
    dialog->Click(1002);
    ASSERT_TRUE(WaitFor([] { return hibernations == 2; }));
    const size_t writes = transcript->Rows(true).size();
    EXPECT_TRUE(WaitFor([&] { return transcript->Rows(true).size() > writes + 20; }))
        << "the countdown goes on";
    powerResult = TRUE;
    dialog->Click(1002);
    ASSERT_TRUE(WaitForRow(kCancelled, 2));
    EXPECT_EQ(Texts{kCancelled}, Since(mark));
    EXPECT_EQ(3, hibernations.load());

    // The viewer back during a countdown cancels it; the watcher went on through all of that.
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch, 3));
    viewer.Close();
    ASSERT_TRUE(WaitForRow(Tick(300), 4));
    mark = transcript->Rows().size();
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kCancelled, 3));
    ASSERT_TRUE(WaitForRow(kExitWatch, 4));
    EXPECT_EQ(kStarted, Since(mark).at(0));
    EXPECT_EQ(Sorted({kStarted, kExitWatch, kCancelled}), Sorted(Since(mark)));

    // Switched off during a countdown: both workers stop.
    viewer.Close();
    ASSERT_TRUE(WaitForRow(Tick(300), 5));
    mark = transcript->Rows().size();
    dialog->Click(1001);
    ASSERT_TRUE(WaitForRow(kStopped));
    ASSERT_TRUE(WaitForRow(kCancelled, 4));
    EXPECT_EQ("監視開始", dialog->Text(1001));
    LetRun(200);
    EXPECT_EQ(Sorted({kCancelled, kStopped}), Sorted(Since(mark)));
    EXPECT_EQ(3, hibernations.load());
    rows = LogMessages(log);
    for (std::string& row : rows)
        if (IsTick(row)) row = Tick(300);  // as it was inserted, before its rewrites
    EXPECT_EQ(transcript->Rows(), Texts(rows.begin() + 3, rows.end())) << "no entry overwritten";
}

TEST_F(App, QuickOffAndOnKeepsOneRelayAndOnlyAnExitCountsDown) {
    std::atomic<bool> backAtExit{false};
    onEntry = [&](const std::string& text) {
        if (text == kExited && backAtExit) viewer.Open();
    };
    Start(4, false);  // a poll every 250 ms, far longer than the clicks take
    for (int i = 0; i < 42; ++i)
        dialog->Click(1001);  // ends on, as it began
    // Every superseded watcher says it stopped; only the newest relay goes on.
    ASSERT_TRUE(WaitFor([&] { return transcript->Count(kStopped) == 21; }));
    LetRun(600);
    EXPECT_EQ(21, transcript->Count(kWatchStart));
    EXPECT_EQ(42u, transcript->Rows().size()) << "nothing else";
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch));
    viewer.Close();
    ASSERT_TRUE(WaitFor([&] { return transcript->Count(Tick(299), true); }));
    LetRun(600);
    for (const std::string& text : {kStarted, kExited, kPrepare, Tick(300)})
        EXPECT_EQ(1, transcript->Count(text)) << text;

    // Back within the second before the countdown: no countdown row at all.
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch, 2));
    ASSERT_TRUE(WaitForRow(kCancelled));
    backAtExit = true;
    size_t mark = transcript->Rows().size();
    viewer.Close();
    ASSERT_TRUE(WaitForRow(kCancelled, 2));
    Texts gap = Since(mark);
    EXPECT_EQ((Texts{kExited, kWatchStart, kStarted}), Texts(gap.begin(), gap.begin() + 3));
    EXPECT_EQ(kCancelled, *(std::find(gap.begin(), gap.end(), kPrepare) + 1)) << "at once";
    EXPECT_EQ(1, transcript->Count(Tick(300)));
}

// Off and on again at once, on the log's thread while an entry is being made, at each step of a
// viewer's run: nothing of the old relay may log a start or an exit that did not happen, or
// count down. A worker of the old relay sees monitoring on again at every check.
TEST_F(App, QuickOffAndOnAtEachStepLeavesNothingOfTheOldRelay) {
    std::atomic<const std::string*> toggleAt{nullptr};
    onEntry = [&](const std::string& text) {
        const std::string* at = toggleAt;
        if (!at || text != *at || !toggleAt.compare_exchange_strong(at, nullptr)) return;
        Command(1001);
        Command(1001);
    };
    Start(100, false);

    // The exit watcher's start: the viewer still runs.
    toggleAt = &kExitWatch;
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch, 2));
    LetRun(200);
    EXPECT_EQ(0, transcript->Count(kExited));

    // The second between the exit and the countdown: that countdown belongs to the old relay.
    toggleAt = &kExited;
    viewer.Close();
    ASSERT_TRUE(WaitForRow(kCancelled));
    EXPECT_EQ(0, transcript->Count(Tick(300))) << "no countdown row";

    // A tick of the countdown.
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch, 3));
    const std::string at = Tick(299);
    toggleAt = &at;
    viewer.Close();
    ASSERT_TRUE(WaitForRow(kCancelled, 2));
    LetRun(200);
    EXPECT_EQ(0, transcript->Count(Tick(297), true)) << "stopped within a tick";
    EXPECT_EQ(0, hibernations.load());
}

// Sleeps that overshoot, as at the default timer resolution, must not add up over 3000 ticks.
TEST_F(App, ACountdownWithOvershootingSleepsLasts300Seconds) {
    Start(10, true, 94);
    viewer.Close();
    ASSERT_TRUE(WaitFor([] { return hibernations == 1; }, 60000));
    auto entries = transcript->Entries();
    auto first =
        std::find_if(entries.begin(), entries.end(), [](auto& e) { return IsTick(e.text); });
    // In the program's own time, never shorter, and no longer but for the stalls of more than two
    // ticks between two entries: time it sat out, as in a suspend, that it need not catch up.
    long long us = entries.back().us - first->us;
    long long satOut = 0;
    for (auto e = first + 1; e != entries.end(); ++e)
        if (e->us - e[-1].us > 20000) satOut += e->us - e[-1].us - 10000;
    EXPECT_EQ(kHibernating, entries.back().text);
    EXPECT_GE(us * 10 / 1e6, 299.5);
    EXPECT_LE((us - satOut) * 10 / 1e6, 300.5);
    printf("countdown: %.3f s, stalls of %.3f s in it\n", us * 10 / 1e6, satOut * 10 / 1e6);
}

// A suspend, or a frozen process, as the performance counter sees it: the counter runs on.
TEST_F(App, AFrozenCountdownGoesOnWhereItStoodAndAResumeStillEndsIt) {
    Start(10, true);
    viewer.Close();
    ASSERT_TRUE(WaitFor([&] { return transcript->Count(Tick(299), true); }));
    // The dialog's thread frozen, the countdown's next entry waits for it as long.
    SuspendThread(dialog->Thread());
    long long frozen = Microseconds();
    Sleep(2000);  // 20 s of the program's time; nothing here may wait for the frozen thread
    ResumeThread(dialog->Thread());
    long long resumed = Microseconds();
    ASSERT_TRUE(WaitFor([&] { return transcript->Entries().back().us >= resumed + 100000; }))
        << "ten ticks on";
    EXPECT_EQ(1, Broadcast(PBT_APMRESUMESUSPEND));
    ASSERT_TRUE(WaitForRow(kCancelled));
    int stood = 0;
    int after = 0;
    int lowest = 300;
    for (const auto& e : transcript->Entries()) {
        if (!IsTick(e.text)) continue;
        int seconds = atoi(e.text.c_str() + kTickPrefix.size());
        if (e.us < frozen) stood = seconds;
        if (e.us >= resumed && e.us < resumed + 100000) {
            ++after;
            lowest = seconds;
        }
    }
    EXPECT_LE(after, 12) << "at most one tick of catch-up";
    EXPECT_GE(lowest, stood - 2) << "from " << stood;
    EXPECT_EQ(0, hibernations.load());
}
