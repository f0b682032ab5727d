// The monitoring engine on the real dialog: the relay of watchers, the countdown and the
// hibernation, against a real window of the viewer's class, with the clock scaled.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "log_writes.h"
#include "main_dialog.h"
#include "monitor.h"
#include "power.h"
#include "remote_list_view.h"
#include "running_dialog.h"
#include "wait.h"

namespace {

const std::string kWatchStart = "Quillomatic起動監視を開始しました。";
const std::string kStarted = "Quillomaticの起動を検出しました。";
const std::string kExitWatch = "Quillomatic終了監視を開始しました。";
const std::string kExited = "Quillomaticの終了を検出しました。";
const std::string kStopped = "Quillomatic監視処理を中止しました。";
const std::string kPrepare = "スタンバイへ移行準備を行います。";
const std::string kCountdownPrefix = "スタンバイへ移行まで ";
const std::string kHibernating = "スタンバイへ移行します。";
const std::string kCancelled = "スタンバイへの移行処理を中止しました。";
const std::string kResumed = "スタンバイからの復帰を検出しました。";

bool IsTick(const std::string& text) { return text.rfind(kCountdownPrefix, 0) == 0; }

// Lets the engine run on for a while, for checks that something does not happen: by then it
// would have, many poll intervals over. Also spreads the stress test's moments at random.
void LetRun(DWORD ms) {
    WaitFor([] { return false; }, ms);
}

// The log's entries as they were written, rewrites included, from the list view's writes: each
// entry's message (sub-item 1) follows its time stamp, which is an insert for a new row.
class Transcript {
public:
    struct Entry {
        bool inserted;
        std::string text;
        long long us;
    };

    explicit Transcript(HWND log) : recorder(log) {}

    std::vector<Entry> Entries() const {
        std::vector<Entry> entries;
        bool inserted = false;
        for (const auto& write : recorder.Writes()) {
            if (write.subItem == 0)
                inserted = write.message == static_cast<UINT>(LVM_INSERTITEMA);
            else
                entries.push_back({inserted, write.text, write.microseconds});
        }
        return entries;
    }
    // The texts written with mode 1, in order: the entries that became rows.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const Entry& e : Entries())
            if (e.inserted) rows.push_back(e.text);
        return rows;
    }
    int Count(const std::string& text) const {
        auto rows = Rows();
        return static_cast<int>(std::count(rows.begin(), rows.end(), text));
    }
    bool Has(const std::string& text, int times = 1) const { return Count(text) >= times; }
    // Whether any entry, a rewrite included, carried this text.
    bool Wrote(const std::string& text) const {
        for (const Entry& e : Entries())
            if (e.text == text) return true;
        return false;
    }
    // Called on the dialog's thread right after an entry with this text was written.
    void OnRow(const std::string& text, std::function<void()> action) {
        recorder.OnMessage(text, std::move(action));
    }

private:
    LogWriteRecorder recorder;
};

// A top-level window of the viewer's class and title, made on the calling thread.
class Viewer {
public:
    Viewer() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "Quillomatic BS MainWindow";
        RegisterClassA(&windowClass);
    }
    ~Viewer() { Close(); }
    void Open() {
        if (!window)
            window = CreateWindowExA(0, "Quillomatic BS MainWindow", "Quillomatic",
                                     WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    }
    void Close() {
        if (window) DestroyWindow(window);
        window = nullptr;
    }

private:
    HWND window = nullptr;
};

// Power actions recorded, never made.
std::atomic<int> hibernations{0};
std::atomic<int> otherPowerCalls{0};
BOOL WINAPI RecordPowerState(BOOL suspend, BOOL force) {
    (suspend == FALSE && force == 1 ? hibernations : otherPowerCalls)++;
    return TRUE;
}
BOOL WINAPI RecordExitWindows(UINT, DWORD) {
    otherPowerCalls++;
    return TRUE;
}

class Monitoring : public ::testing::Test {
protected:
    // Starts the dialog with every wait `scale` times shorter, and records every entry from
    // the moment the watcher has settled: waiting for the start, or (when the viewer already
    // runs) for the exit.
    void Start(unsigned scale, bool viewerRunning = false) {
        MonitorTiming.scale = scale;
        PowerCalls.SetSystemPowerState = RecordPowerState;
        PowerCalls.ExitWindowsEx = RecordExitWindows;
        if (viewerRunning) viewer.Open();
        dialog.reset(new RunningMainDialog);
        ASSERT_TRUE(dialog->Started());
        const std::string& settled = viewerRunning ? kExitWatch : kWatchStart;
        ASSERT_TRUE(WaitFor([&] { return CountMessage(dialog->Log(), settled) == 1; }));
        transcript.reset(new Transcript(dialog->Log()));
    }
    void TearDown() override {
        transcript.reset();
        dialog.reset();
        EXPECT_EQ(0, otherPowerCalls.load());
    }
    bool WaitForRow(const std::string& text, int times = 1, DWORD timeoutMs = 20000) {
        return WaitFor([&] { return transcript->Has(text, times); }, timeoutMs);
    }
    // The texts of the visible rows, oldest first.
    std::vector<std::string> Rows() { return MessagesOldestFirst(dialog->Log()); }
    // Rows since (and including) the first row with this text.
    std::vector<std::string> RowsFrom(const std::string& text) {
        auto rows = transcript->Rows();
        auto first = std::find(rows.begin(), rows.end(), text);
        return std::vector<std::string>(first, rows.end());
    }
    void Exit() {
        viewer.Close();
        ASSERT_TRUE(WaitForRow(kExited));
    }

    Viewer viewer;
    std::unique_ptr<RunningMainDialog> dialog;
    std::unique_ptr<Transcript> transcript;
};

}  // namespace

TEST_F(Monitoring, AViewerAlreadyRunningIsDetectedByTheFirstPollWithoutWaiting) {
    // Real time: a sleep before the first poll would show as a whole second.
    long long start = MonotonicMicroseconds();
    Start(1, true);
    EXPECT_LT(MonotonicMicroseconds() - start, 900000);
    EXPECT_EQ((std::vector<std::string>{kWatchStart, kStarted, kExitWatch}), Rows());
}

TEST_F(Monitoring, WithoutTheViewerOnlyTheWatchStartIsLoggedAndNoCountdownBegins) {
    Start(100);
    // Fifty poll intervals: nothing may follow the watcher's first message.
    LetRun(500);
    EXPECT_EQ((std::vector<std::string>{kWatchStart}), Rows());
    EXPECT_TRUE(transcript->Entries().empty());
}

TEST_F(Monitoring, AnExitCountsDown300SecondsInOneRowAndHibernatesOnce) {
    Start(100, true);
    Exit();
    ASSERT_TRUE(WaitForRow(kHibernating, 1, 30000));
    ASSERT_TRUE(WaitFor([] { return hibernations == 1; }));

    EXPECT_EQ((std::vector<std::string>{kExited, kWatchStart, kPrepare,
                                        "スタンバイへ移行まで 300 秒", kHibernating}),
              RowsFrom(kExited));
    // Every tick as written: 300 on 9 ticks, each of 299..1 on 10, 0 on the last; only the
    // first tick makes a row.
    std::vector<std::string> expected;
    for (int i = 0; i < 9; ++i)
        expected.push_back("スタンバイへ移行まで 300 秒");
    for (int s = 299; s >= 1; --s)
        for (int i = 0; i < 10; ++i)
            expected.push_back(kCountdownPrefix + std::to_string(s) + " 秒");
    expected.push_back("スタンバイへ移行まで 0 秒");
    std::vector<std::string> ticks;
    int tickRows = 0;
    for (const auto& e : transcript->Entries()) {
        if (!IsTick(e.text)) continue;
        ticks.push_back(e.text);
        tickRows += e.inserted;
    }
    ASSERT_EQ(3000u, ticks.size());
    EXPECT_EQ(expected, ticks);
    EXPECT_EQ(1, tickRows);
    // The one countdown row shows the last value, under the final message.
    auto rows = Rows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ("スタンバイへ移行まで 0 秒", rows[rows.size() - 2]);
    EXPECT_EQ(kHibernating, rows.back());

    // The watcher started at the exit still runs: the viewer's next start is logged.
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kStarted));
    EXPECT_EQ(1, hibernations.load());
}

TEST_F(Monitoring, TheViewerComingBackCancelsTheCountdownAndTheNextExitStartsAFreshOne) {
    Start(100, true);
    Exit();
    ASSERT_TRUE(WaitFor([&] { return transcript->Has("スタンバイへ移行まで 300 秒"); }));
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kCancelled));
    ASSERT_TRUE(WaitForRow(kExitWatch));
    auto after = RowsFrom(kCountdownPrefix + "300 秒");
    ASSERT_EQ(4u, after.size());
    EXPECT_EQ(kStarted, after[1]);
    std::vector<std::string> lastTwo(after.begin() + 2, after.end());
    std::sort(lastTwo.begin(), lastTwo.end());
    std::vector<std::string> either = {kExitWatch, kCancelled};
    std::sort(either.begin(), either.end());
    EXPECT_EQ(either, lastTwo) << "the two messages may come in either order";

    viewer.Close();
    ASSERT_TRUE(WaitForRow(kPrepare, 2));
    ASSERT_TRUE(WaitFor([&] { return transcript->Count("スタンバイへ移行まで 300 秒") == 2; }));
    dialog->Click(1001);  // stop before it runs out
    ASSERT_TRUE(WaitForRow(kCancelled, 2));
    EXPECT_EQ(0, hibernations.load());
}

TEST_F(Monitoring, TheViewerBackWithinTheGapGivesPrepareThenCancelWithoutACountdownRow) {
    Start(10, true);
    // Back at the moment the exit is logged, so the new watcher's first poll finds it.
    Viewer back;
    transcript->OnRow(kExited, [&] { back.Open(); });
    viewer.Close();
    ASSERT_TRUE(WaitForRow(kCancelled));
    auto rows = RowsFrom(kExited);
    EXPECT_EQ(kWatchStart, rows.at(1));
    EXPECT_EQ(kStarted, rows.at(2));
    auto prepare = std::find(rows.begin(), rows.end(), kPrepare);
    ASSERT_NE(rows.end(), prepare);
    ASSERT_NE(rows.end(), prepare + 1);
    EXPECT_EQ(kCancelled, *(prepare + 1)) << "cancelled at once";
    for (const auto& e : transcript->Entries())
        EXPECT_FALSE(IsTick(e.text)) << e.text;
    EXPECT_EQ(0, hibernations.load());
}

TEST_F(Monitoring, SwitchingOffDuringACountdownStopsBothWorkersWithoutHibernation) {
    Start(100, true);
    Exit();
    ASSERT_TRUE(WaitFor([&] { return transcript->Has("スタンバイへ移行まで 300 秒"); }));
    dialog->Click(1001);
    EXPECT_EQ("監視開始", dialog->ControlText(1001));
    ASSERT_TRUE(WaitForRow(kCancelled));
    ASSERT_TRUE(WaitForRow(kStopped));
    LetRun(200);  // twenty poll intervals: nothing else follows
    auto rows = RowsFrom(kCountdownPrefix + "300 秒");
    std::sort(rows.begin() + 1, rows.end());
    std::vector<std::string> expected = {kCountdownPrefix + "300 秒", kCancelled, kStopped};
    std::sort(expected.begin() + 1, expected.end());
    EXPECT_EQ(expected, rows);
    EXPECT_EQ(0, hibernations.load());
}

TEST_F(Monitoring, SwitchingOffWhileWaitingForTheStartStopsTheWatcherOnce) {
    Start(100);
    dialog->Click(1001);
    ASSERT_TRUE(WaitForRow(kStopped));
    LetRun(200);  // twenty poll intervals
    EXPECT_EQ((std::vector<std::string>{kWatchStart, kStopped}), Rows());
}

TEST_F(Monitoring, SwitchingOffWhileWaitingForTheExitStopsTheWatcherOnce) {
    Start(100, true);
    dialog->Click(1001);
    ASSERT_TRUE(WaitForRow(kStopped));
    LetRun(200);
    EXPECT_EQ((std::vector<std::string>{kWatchStart, kStarted, kExitWatch, kStopped}), Rows());
}

TEST_F(Monitoring, OnlyResumeBroadcastsEndACountdown) {
    Start(10, true);
    Exit();
    ASSERT_TRUE(WaitFor([&] { return transcript->Has("スタンバイへ移行まで 300 秒"); }));
    for (WPARAM event : {PBT_APMSUSPEND, PBT_APMRESUMECRITICAL, PBT_APMRESUMEAUTOMATIC}) {
        SCOPED_TRACE(event);
        EXPECT_EQ(0, MainDialogProc(dialog->Window(), WM_POWERBROADCAST, event, 0));
    }
    size_t ticks = transcript->Entries().size();
    ASSERT_TRUE(WaitFor([&] { return transcript->Entries().size() > ticks + 3; }))
        << "the countdown goes on";
    EXPECT_EQ(0, transcript->Count(kResumed));

    EXPECT_EQ(1, MainDialogProc(dialog->Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0));
    ASSERT_TRUE(WaitForRow(kCancelled));
    auto rows = RowsFrom(kResumed);
    EXPECT_EQ((std::vector<std::string>{kResumed, kCancelled}), rows);
    EXPECT_EQ(1, MainDialogProc(dialog->Window(), WM_POWERBROADCAST, PBT_APMRESUMESTANDBY, 0));
    ASSERT_TRUE(WaitForRow(kResumed, 2));
    EXPECT_EQ(0, MonitorState.standbyPending.load());
    EXPECT_EQ(0, hibernations.load());
}

TEST_F(Monitoring, QuickOffAndOnNeverLeavesTwoRelays) {
    Start(4);  // a poll every 250 ms, far longer than the clicks take
    for (int i = 0; i < 42; ++i)
        dialog->Click(1001);  // ends on, as it began
    ASSERT_EQ("監視中止", dialog->ControlText(1001));
    // Every superseded watcher says it stopped; only the newest relay goes on.
    ASSERT_TRUE(WaitFor([&] { return transcript->Count(kStopped) == 21; }));
    viewer.Open();
    ASSERT_TRUE(WaitForRow(kExitWatch));
    viewer.Close();
    ASSERT_TRUE(WaitFor([&] { return transcript->Wrote("スタンバイへ移行まで 299 秒"); }));
    LetRun(600);  // more than two poll intervals
    EXPECT_EQ(1, transcript->Count(kStarted));
    EXPECT_EQ(1, transcript->Count(kExited));
    EXPECT_EQ(1, transcript->Count(kPrepare));
    int tickRows = 0;
    for (const auto& e : transcript->Entries())
        tickRows += e.inserted && IsTick(e.text);
    EXPECT_EQ(1, tickRows);
    EXPECT_EQ(21, transcript->Count(kStopped));
}

TEST_F(Monitoring, StartsAndExitsAroundCountdownTicksNeverOverwriteTheirEntries) {
    Start(100);
    std::mt19937 random(20261206);
    for (int cycle = 0; cycle < 25; ++cycle) {
        SCOPED_TRACE(cycle);
        viewer.Open();
        ASSERT_TRUE(WaitForRow(kExitWatch, cycle + 1));
        LetRun(random() % 15);
        viewer.Close();
        ASSERT_TRUE(WaitForRow(kExited, cycle + 1));
        // Back at a random moment: in the gap, or a few ticks into the countdown.
        LetRun(random() % 40);
    }
    dialog->Click(1001);
    ASSERT_TRUE(WaitForRow(kStopped));
    // Every start and exit entry written is still a row of its own.
    auto rows = Rows();
    for (const std::string& text : {kStarted, kExited, kExitWatch}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(25, std::count(rows.begin(), rows.end(), text));
        EXPECT_EQ(25, transcript->Count(text));
    }
    EXPECT_EQ(transcript->Rows().size() + 1, rows.size()) << "no row lost, none added";
}

TEST_F(Monitoring, ACountdownWithOvershootingSleepsStillLasts300Seconds) {
    MonitorTiming.overshootPermille = 94;  // Sleep(100) lasts about 109 ms at 15.6 ms ticks
    Start(10, true);
    Exit();
    ASSERT_TRUE(WaitForRow(kHibernating, 1, 60000));
    long long first = 0, last = 0;
    for (const auto& e : transcript->Entries()) {
        if (e.text == "スタンバイへ移行まで 300 秒" && e.inserted) first = e.us;
        if (e.text == kHibernating) last = e.us;
    }
    ASSERT_TRUE(first && last);
    double seconds = (last - first) * 10 / 1e6;  // back to the program's own time
    EXPECT_NEAR(300.0, seconds, 0.5);
    RecordProperty("countdown_seconds", std::to_string(seconds));
    EXPECT_TRUE(WaitFor([] { return hibernations == 1; })) << "hibernation follows the message";
}
