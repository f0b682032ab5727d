// The event log on the program's real main dialog: its set-up, rows and rewrites, time stamps,
// entries from many threads at once, and entries after the dialog has ended.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "event_log.h"
#include "log_writes.h"
#include "message_log.h"
#include "remote_list_view.h"
#include "running_dialog.h"
#include "wait.h"

namespace {

const char kStartMessage[] = "Quillomatic起動監視を開始しました。";
const char kStopMessage[] = "Quillomatic監視処理を中止しました。";

bool IsTimeStamp(const std::string& text) {
    static const std::regex form(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2})");
    return std::regex_match(text, form);
}

// The local time as the log must show it; zero-padded, so that text order is time order.
std::string Stamp(const SYSTEMTIME& time) {
    char text[32];
    snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string Now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return Stamp(time);
}

void SetCell(HWND log, int row, int subItem, const char* text) {
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text);
    SendMessageA(log, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// Read in this process: quicker than ReadRows for a long log.
std::string Cell(HWND log, int row, int subItem) {
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(log, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool SameRows(const std::vector<LogRow>& a, const std::vector<LogRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].time != b[i].time || a[i].text != b[i].text) return false;
    return true;
}

// Lets the dialog's own thread write entries, as its handlers do: each posted message writes
// the planned entry its wParam names.
class MainThreadWriter {
public:
    struct Entry {
        std::string text;
        int mode;
    };

    MainThreadWriter(HWND dialog, DWORD dialogThread, std::vector<Entry> plan)
        : dialog(dialog), dialogThread(dialogThread), plan(std::move(plan)) {
        active = this;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    }
    // Taken off on the dialog's own thread, so that no message is in the procedure meanwhile.
    ~MainThreadWriter() {
        SendMessageA(dialog, kDetach, 0, 0);
        active = nullptr;
    }
    MainThreadWriter(const MainThreadWriter&) = delete;
    MainThreadWriter& operator=(const MainThreadWriter&) = delete;

    void PostAll() {
        for (size_t n = 0; n < plan.size(); ++n)
            PostMessageA(dialog, kWrite, n, 0);
    }
    int Written() const { return written; }
    // Entries written off the dialog's thread or not answered with 1.
    int Failures() const { return failures; }

private:
    static const UINT kWrite = WM_APP + 0x177;
    static const UINT kDetach = WM_APP + 0x178;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        MainThreadWriter* self = active;
        if (message == kDetach) {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original));
            return 0;
        }
        if (message != kWrite)
            return CallWindowProcA(self->original, window, message, wParam, lParam);
        if (GetCurrentThreadId() != self->dialogThread) ++self->failures;
        const Entry& entry = self->plan[wParam];
        if (AddLogEntry(entry.text.c_str(), entry.mode) != 1) ++self->failures;
        ++self->written;
        return 0;
    }

    static MainThreadWriter* active;
    HWND dialog;
    DWORD dialogThread;
    std::vector<Entry> plan;
    WNDPROC original;
    std::atomic<int> written{0};
    std::atomic<int> failures{0};
};

MainThreadWriter* MainThreadWriter::active = nullptr;

// The real dialog with monitoring switched off again and its log emptied, so that every row
// is the test's own.
class EventLogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Started());
        log = dialog.Log();
        // The dialog switches monitoring on, whose watcher writes its start at once; switched
        // off, it writes its stop and ends, and nothing else writes.
        ASSERT_TRUE(WaitFor([&] { return CountMessage(log, kStartMessage) == 1; }));
        dialog.Click(1001);
        ASSERT_TRUE(WaitFor([&] { return CountMessage(log, kStopMessage) == 1; }));
        SendMessageA(log, LVM_DELETEALLITEMS, 0, 0);
        ASSERT_EQ(0, CountRows(log));
    }

    RunningMainDialog dialog;
    HWND log = nullptr;
};

// Entry n of a writer: every fourth rewrites the top row, with the modes 0, 2 and -1 in turn.
int PlannedMode(int n) {
    static const int rewrites[] = {0, 2, -1};
    return n % 4 == 3 ? rewrites[(n / 4) % 3] : 1;
}

std::string PlannedText(int writer, int n) {
    char text[32];
    snprintf(text, sizeof text, "w%d #%04d m%d", writer, n, PlannedMode(n));
    return text;
}

struct WorkerPlan {
    int writer;
    int count;
    HANDLE go;
    int failures;
};

DWORD WINAPI WriteWorkerEntries(void* parameter) {
    auto* plan = static_cast<WorkerPlan*>(parameter);
    WaitForSingleObject(plan->go, 10000);
    for (int n = 0; n < plan->count; ++n) {
        std::string text = PlannedText(plan->writer, n);
        if (AddLogEntry(text.c_str(), PlannedMode(n)) != 1) ++plan->failures;
    }
    return 0;
}

INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

struct LateWriter {
    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::atomic<int> failures{0};
};

DWORD WINAPI WriteUntilStopped(void* parameter) {
    auto* self = static_cast<LateWriter*>(parameter);
    for (int n = 0; !self->stop; ++n) {
        int mode = n % 3 == 2 ? 0 : 1;
        if (AddLogEntry(("late " + std::to_string(n)).c_str(), mode) != 1 ||
            AddLogEntryInRow("late row", mode, 9) != 1)
            ++self->failures;
        ++self->written;
    }
    return 0;
}

}  // namespace

TEST(EventLogSetUp, AddsTheExtendedStylesToWhatTheControlHadAndTwoColumnsByTheirSubItems) {
    // Template 101 with a procedure that does nothing, so the test sets the log up itself.
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr,
                                     IdleDialogProc, 0);
    ASSERT_TRUE(window);
    Dialog dialog(window);
    HWND control = GetDlgItem(window, 1000);
    SendMessageA(control, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    std::vector<Message> received;
    {
        MessageRecorder recorder(control);
        SetUpEventLog(dialog);
        received = recorder.Only(
            {LVM_GETEXTENDEDLISTVIEWSTYLE, LVM_SETEXTENDEDLISTVIEWSTYLE, LVM_INSERTCOLUMNA});
    }
    EXPECT_EQ(control, EventLog.GetHandle());
    EXPECT_EQ(window, EventLog.GetOwner());
    EXPECT_EQ(1000, EventLog.GetControlId());
    ASSERT_EQ(4u, received.size());
    EXPECT_EQ((Message{0x1037, 0, 0}), received[0]);
    EXPECT_EQ((Message{0x1036, 0, 0x0425}), received[1]);
    EXPECT_EQ(0x101Bu, received[2].message);
    EXPECT_EQ(0u, received[2].wParam);
    EXPECT_EQ(0x101Bu, received[3].message);
    EXPECT_EQ(1u, received[3].wParam);
    EXPECT_EQ(0x0425, SendMessageA(control, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

TEST_F(EventLogTest, TheDialogsLogHasTwoHeaderlessColumnsOf112And256Pixels) {
    EXPECT_EQ(0x0421, SendMessageA(log, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    const int widths[] = {112, 256};
    for (int column = 0; column < 2; ++column) {
        SCOPED_TRACE(column);
        char title[32] = "x";
        LVCOLUMNA record = {};
        record.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        record.pszText = title;
        record.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(log, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&record)));
        EXPECT_EQ(LVCFMT_LEFT, record.fmt & LVCFMT_JUSTIFYMASK);
        EXPECT_EQ(widths[column], record.cx);
        EXPECT_STREQ("", title);
    }
    LVCOLUMNA third = {};
    third.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageA(log, LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&third)));

    AddLogEntry("A", 1);  // a row does not bring the header out either
    EXPECT_TRUE(GetWindowLongA(log, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    HWND header = reinterpret_cast<HWND>(SendMessageA(log, LVM_GETHEADER, 0, 0));
    RECT headerRect = {};
    if (header) GetWindowRect(header, &headerRect);
    EXPECT_TRUE(!header || !IsWindowVisible(header) || headerRect.bottom == headerRect.top);
}

TEST_F(EventLogTest, OneEntryIsOneRowWithTheLocalTimeAndTheMessage) {
    std::string before = Now();
    EXPECT_EQ(1, AddLogEntry("Quillomaticの起動を検出しました。", 1));
    std::string after = Now();
    auto rows = ReadRows(log);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Quillomaticの起動を検出しました。", rows[0].text);
    EXPECT_EQ(19u, rows[0].time.size());
    EXPECT_TRUE(IsTimeStamp(rows[0].time)) << rows[0].time;
    EXPECT_LE(before, rows[0].time);
    EXPECT_LE(rows[0].time, after);
}

TEST_F(EventLogTest, NewestEntryIsOnTopAndAnEmptyMessageStillGetsItsTime) {
    AddLogEntry("A", 1);
    AddLogEntry("B", 1);
    AddLogEntry("C", 1);
    AddLogEntry("", 1);
    auto rows = ReadRows(log);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("", rows[0].text);
    EXPECT_EQ("C", rows[1].text);
    EXPECT_EQ("B", rows[2].text);
    EXPECT_EQ("A", rows[3].text);
    for (const LogRow& row : rows)
        EXPECT_TRUE(IsTimeStamp(row.time)) << row;
}

TEST_F(EventLogTest, EveryModeButOneRewritesBothColumnsOfTheTopRowOnly) {
    AddLogEntry("A", 1);
    AddLogEntry("B", 1);
    for (int mode : {0, 2, -1}) {
        SCOPED_TRACE(mode);
        SetCell(log, 0, 0, "old");
        auto before = ReadRows(log);
        ASSERT_EQ("old", before[0].time);
        std::string text = "rewritten by mode " + std::to_string(mode);
        EXPECT_EQ(1, AddLogEntry(text.c_str(), mode));
        auto rows = ReadRows(log);
        ASSERT_EQ(2u, rows.size());
        EXPECT_EQ(text, rows[0].text);
        EXPECT_TRUE(IsTimeStamp(rows[0].time)) << rows[0];
        EXPECT_EQ(before[1].time, rows[1].time);
        EXPECT_EQ("A", rows[1].text);
    }
}

TEST_F(EventLogTest, ARewriteOfAnEmptyLogLeavesItEmpty) {
    EXPECT_EQ(1, AddLogEntry("nothing to rewrite", 0));
    EXPECT_EQ(1, AddLogEntry("nothing to rewrite", -1));
    EXPECT_EQ(1, AddLogEntryInRow("nothing to rewrite", 0, 5));
    EXPECT_EQ(0, CountRows(log));
}

TEST_F(EventLogTest, TenThousandEntriesAreAllKept) {
    // Minimised, as a user may leave it: shown, every insert scrolls the rows on screen, which
    // under Wine takes tens of milliseconds.
    ShowWindow(dialog.Window(), SW_MINIMIZE);
    const int count = 10000;
    for (int n = 0; n < count; ++n)
        ASSERT_EQ(1, AddLogEntry(("entry " + std::to_string(n)).c_str(), 1));
    ASSERT_EQ(count, CountRows(log));
    for (int row = 0; row < count; ++row) {
        ASSERT_EQ("entry " + std::to_string(count - 1 - row), Cell(log, row, 1)) << "row " << row;
        if (row % 97 == 0) {
            ASSERT_TRUE(IsTimeStamp(Cell(log, row, 0))) << "row " << row;
        }
    }
}

TEST_F(EventLogTest, AMarkedRowIsRewrittenOnlyWhileItIsTheTopRow) {
    AddLogEntry("A", 1);
    EXPECT_EQ(1, AddLogEntryInRow("count 300", 1, 7));
    SetCell(log, 0, 0, "old");
    EXPECT_EQ(1, AddLogEntryInRow("count 299", 0, 7));
    auto rows = ReadRows(log);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("count 299", rows[0].text);
    EXPECT_TRUE(IsTimeStamp(rows[0].time)) << rows[0];
    EXPECT_EQ("A", rows[1].text);
    EXPECT_EQ(1, AddLogEntryInRow("count 298", 0, 7));
    EXPECT_EQ("count 298", ReadRows(log)[0].text) << "the rewrite kept the row's mark";

    // Another writer's mark, then another entry above the marked row: neither touches a row.
    auto before = ReadRows(log);
    EXPECT_EQ(1, AddLogEntryInRow("not my row", 0, 8));
    EXPECT_TRUE(SameRows(before, ReadRows(log)));
    AddLogEntry("B", 1);
    before = ReadRows(log);
    EXPECT_EQ(1, AddLogEntryInRow("count 297", 0, 7));
    EXPECT_EQ(1, AddLogEntryInRow("count 296", 2, 7));
    rows = ReadRows(log);
    EXPECT_TRUE(SameRows(before, rows));
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("B", rows[0].text);
    EXPECT_EQ("count 298", rows[1].text);
}

TEST_F(EventLogTest, ARefusedWriteLeavesEveryOtherEntrysRowWhole) {
    AddLogEntry("A", 1);
    auto before = ReadRows(log);
    {
        LogWriteRecorder refusing(log, LVM_INSERTITEMA, -1);
        AddLogEntry("B", 1);
        auto writes = refusing.Writes();
        EXPECT_EQ(1u, writes.size()) << "no message without its row";
        EXPECT_EQ(static_cast<UINT>(LVM_INSERTITEMA), writes.at(0).message);
    }
    EXPECT_TRUE(SameRows(before, ReadRows(log))) << "A's message stays beside A's time";
    {
        LogWriteRecorder refusing(log, LVM_SETITEMA, 0);
        AddLogEntry("C", 0);
        auto writes = refusing.Writes();
        EXPECT_EQ(1u, writes.size()) << "no message beside a time stamp that was not written";
        EXPECT_EQ(0, writes.at(0).subItem);
    }
    EXPECT_TRUE(SameRows(before, ReadRows(log)));
}

// Four threads and the dialog's own thread write 200 entries each at once, every fourth a
// rewrite. Each entry must arrive whole: its time stamp and then its message, with nothing of
// another entry between them, so that every row pairs a message with its own time.
TEST_F(EventLogTest, EntriesFromManyThreadsAtOnceEachKeepTheirOwnRow) {
    const int kWorkers = 4;
    const int kPerWriter = 200;
    LogWriteRecorder recorder(log);
    std::vector<MainThreadWriter::Entry> mainPlan;
    for (int n = 0; n < kPerWriter; ++n)
        mainPlan.push_back({PlannedText(0, n), PlannedMode(n)});
    MainThreadWriter mainWriter(dialog.Window(), dialog.ThreadId(), mainPlan);

    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WorkerPlan plans[kWorkers];
    HANDLE threads[kWorkers];
    for (int w = 0; w < kWorkers; ++w) {
        plans[w] = {w + 1, kPerWriter, go, 0};
        threads[w] = CreateThread(nullptr, 0, WriteWorkerEntries, &plans[w], 0, nullptr);
        ASSERT_TRUE(threads[w]);
    }
    SetEvent(go);
    mainWriter.PostAll();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(kWorkers, threads, TRUE, 60000))
        << "a writer hangs";
    ASSERT_TRUE(WaitFor([&] { return mainWriter.Written() == kPerWriter; }, 60000));
    for (int w = 0; w < kWorkers; ++w) {
        EXPECT_EQ(0, plans[w].failures);
        CloseHandle(threads[w]);
    }
    CloseHandle(go);
    EXPECT_EQ(0, mainWriter.Failures());

    // Replay the writes in the order the control received them.
    auto writes = recorder.Writes();
    std::vector<LogRow> model;
    std::map<int, int> next;
    int inserted = 0;
    ASSERT_EQ(2u * (kWorkers + 1) * kPerWriter, writes.size());
    for (size_t i = 0; i < writes.size(); i += 2) {
        const auto& stamp = writes[i];
        const auto& message = writes[i + 1];
        SCOPED_TRACE("write " + std::to_string(i) + ": " + message.text);
        ASSERT_EQ(0, stamp.item);
        ASSERT_EQ(0, stamp.subItem);
        ASSERT_TRUE(IsTimeStamp(stamp.text)) << stamp.text;
        ASSERT_EQ(static_cast<UINT>(LVM_SETITEMA), message.message);
        ASSERT_EQ(0, message.item);
        ASSERT_EQ(1, message.subItem) << "another entry's time stamp came between";
        int writer = -1, n = -1, mode = 0;
        ASSERT_EQ(3, sscanf(message.text.c_str(), "w%d #%d m%d", &writer, &n, &mode));
        ASSERT_EQ(next[writer]++, n) << "each writer's entries once each, in its own order";
        ASSERT_EQ(mode == 1, stamp.message == static_cast<UINT>(LVM_INSERTITEMA));
        if (mode == 1) {
            model.insert(model.begin(), LogRow{stamp.text, message.text});
            ++inserted;
        } else {
            ASSERT_FALSE(model.empty());
            model[0] = LogRow{stamp.text, message.text};
        }
    }
    for (int w = 0; w <= kWorkers; ++w) {
        EXPECT_EQ(kPerWriter, next[w]) << "writer " << w;
    }

    auto rows = ReadRows(log);
    ASSERT_EQ(static_cast<size_t>(inserted), rows.size());
    ASSERT_EQ(static_cast<size_t>((kWorkers + 1) * kPerWriter * 3 / 4), rows.size());
    EXPECT_TRUE(SameRows(model, rows));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NE("", rows[i].text) << "row " << i;
        // Each entry is stamped as it is carried out, so times never rise further down.
        if (i + 1 < rows.size()) {
            EXPECT_GE(rows[i].time, rows[i + 1].time) << "row " << i;
        }
    }
}

// A thread goes on writing while the dialog is closed and after it has ended.
TEST_F(EventLogTest, EntriesAfterTheDialogHasEndedDoNothingAndNeverHang) {
    LateWriter writer;
    HANDLE thread = CreateThread(nullptr, 0, WriteUntilStopped, &writer, 0, nullptr);
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WaitFor([&] { return CountRows(log) >= 100; }));

    EXPECT_EQ(2, dialog.Close());
    EXPECT_FALSE(IsWindow(log));
    int atEnd = writer.written;
    EXPECT_TRUE(WaitFor([&] { return writer.written >= atEnd + 1000; }))
        << "entries after the end return";
    EXPECT_EQ(1, AddLogEntry("from the test thread", 1));
    EXPECT_EQ(1, AddLogEntry("from the test thread", 0));
    writer.stop = true;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(0, writer.failures);
    EXPECT_FALSE(IsWindow(EventLog.GetHandle()));
}
