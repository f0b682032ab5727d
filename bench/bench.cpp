// Figures of the real program under Wine, printed as one Markdown table: poll cost, detection
// latency, countdown accuracy, endurance and start-up.
//
//   bench.exe [--quick] [--only PART]
//
// --quick runs fewer cycles, to check the bench itself; --only runs one part of the table.
//
// A benchmark, not a test: it never fails on a time. It exits non-zero only when a step could not
// be carried out at all (a program did not start, an expected log entry never came).
#include <windows.h>

#include <psapi.h>
#include <winternl.h>
#include <tlhelp32.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "monitor.h"
#include "program.h"
#include "wait.h"

namespace {

const char kViewerClass[] = "Quillomatic BS MainWindow";
const char kViewerTitle[] = "Quillomatic";

const int kPolls = 3600;  // an hour of watching at one poll a second
const char kParts[] = "polls|latency|countdown|endurance|startup";

// A top-level window of the process with this class.
HWND FindProcessWindow(DWORD processId, const char* className) {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        char name[256];
        GetWindowThreadProcessId(window, &owner);
        GetClassNameA(window, name, sizeof name);
        if (owner == processId && !lstrcmpA(name, className)) return window;
    }
    return nullptr;
}

std::wstring FakeViewerPath() { return Widen(TestDirectory() + "\\fake_viewer.exe"); }

// The bench's build of the program: its clock `scale` times faster, each sleep longer by
// `overshootPermille`, and its power calls skipped; in this process's environment while it
// exists, for the program to take as it starts (the shipped one ignores it).
class ProbeRun : public MonitorRun {
public:
    ProbeRun(unsigned scale, unsigned overshootPermille = 0)
        : MonitorRun(TestDirectory() + "\\QuillomaticMonitorProbe.exe") {
        SetEnvironmentVariableA("QM_CLOCK_SCALE", std::to_string(scale).c_str());
        SetEnvironmentVariableA("QM_OVERSHOOT_PERMILLE", std::to_string(overshootPermille).c_str());
    }
    ~ProbeRun() {
        SetEnvironmentVariableA("QM_CLOCK_SCALE", nullptr);
        SetEnvironmentVariableA("QM_OVERSHOOT_PERMILLE", nullptr);
    }
};

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

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

void Progress(const std::string& text) {
    fprintf(stderr, "bench: %s\n", text.c_str());
    fflush(stderr);
}

// The same sequence of delays on every run, so that runs can be compared.
class Random {
public:
    unsigned Next(unsigned below) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % below;
    }

private:
    unsigned state = 20240601u;
};

// --- Reading the program's event log as rows are added ---------------------------------------

// Reads cells of the program's list view through memory in its process: a list view of another
// process cannot take this one's buffer.
class RemoteListView {
public:
    explicit RemoteListView(HWND listView) : listView(listView) {
        DWORD id = 0;
        GetWindowThreadProcessId(listView, &id);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process)
            remote = static_cast<char*>(VirtualAllocEx(
                process, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteListView() {
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        if (process) CloseHandle(process);
    }
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    bool Readable() const { return remote != nullptr; }
    int Count() const { return CountRows(listView); }
    std::string Cell(int row, int column) const {
        char text[kTextSize] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = remote + sizeof item;
        item.cchTextMax = kTextSize;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        LRESULT length =
            SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, item.pszText, text, kTextSize, nullptr);
        return std::string(text, std::min<size_t>(length, kTextSize - 1));
    }

private:
    static const SIZE_T kTextSize = 1024;
    HWND listView;
    HANDLE process;
    char* remote = nullptr;
};

struct SeenEntry {
    std::string text;
    double seenMs;  // when the row count first showed it
};

class LogFollower {
public:
    explicit LogFollower(HWND listView) : listView(listView), reader(listView) {
        if (!reader.Readable())
            throw std::runtime_error("cannot read the event log of the program");
    }
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    int Count() const { return reader.Count(); }

    // Takes in the rows added since the last look, oldest first. Rows are added at the top, so
    // the new ones are rows 0 to added - 1; when more come in while they are read, the indices
    // have moved and they are read again.
    void Poll() {
        double seen = -1;
        for (;;) {
            int count = Count();
            if (count <= known) return;
            if (seen < 0) seen = NowMs();
            std::vector<std::string> added;
            for (int row = count - known - 1; row >= 0; --row)
                added.push_back(reader.Cell(row, 1));
            if (Count() != count) continue;
            for (std::string& text : added)
                entries.push_back({text, seen});
            known = count;
            return;
        }
    }

    // How often to look, in milliseconds: every look wakes the program's main thread.
    void SetPollInterval(DWORD ms) { pollMs = ms; }

    size_t Mark() {
        Poll();
        return entries.size();
    }
    const SeenEntry& operator[](size_t index) const { return entries[index]; }

    // The first entry from `from` on that `match` accepts; throws when none came in time.
    size_t WaitFor(size_t from, const std::function<bool(const std::string&)>& match,
                   DWORD timeoutMs, const char* what) {
        double deadline = NowMs() + timeoutMs;
        for (size_t next = from;;) {
            Poll();
            for (; next < entries.size(); ++next)
                if (match(entries[next].text)) return next;
            if (NowMs() > deadline) throw std::runtime_error(std::string("no log entry: ") + what);
            Sleep(pollMs);
        }
    }
    size_t WaitFor(size_t from, const std::string& text, DWORD timeoutMs) {
        return WaitFor(
            from, [&text](const std::string& entry) { return entry == text; }, timeoutMs,
            text.c_str());
    }

    // Empties the log; the rows seen so far stay in `entries`.
    void DeleteAllRows() {
        Poll();
        SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
        known = 0;
    }

private:
    HWND listView;
    RemoteListView reader;
    int known = 0;
    DWORD pollMs = 1;
    std::vector<SeenEntry> entries;
};

// --- The fake viewer, opened and closed through its control window -----------------------------

class FakeViewer {
public:
    FakeViewer() {
        if (!process.Start(FakeViewerPath(), L"--hidden"))
            throw std::runtime_error("the fake viewer did not start");
        WaitFor(
            [this] {
                control = FindWindowExA(HWND_MESSAGE, nullptr, "QmFakeViewerControl", nullptr);
                return control != nullptr;
            },
            15000);
        if (!control) throw std::runtime_error("the fake viewer has no control window");
    }
    ~FakeViewer() {
        PostMessageA(control, WM_CLOSE, 0, 0);
        process.Wait(5000);
    }
    FakeViewer(const FakeViewer&) = delete;
    FakeViewer& operator=(const FakeViewer&) = delete;

    // Each returns the time just before the request, the latest moment the window was not yet
    // there (or still there).
    double Open() { return Request(WM_APP + 1); }
    double Shut() { return Request(WM_APP + 2); }

private:
    double Request(UINT message) {
        double before = NowMs();
        SendMessageA(control, message, 0, 0);
        return before;
    }

    Process process;
    HWND control = nullptr;
};

void StartAndWatch(MonitorRun& run, std::unique_ptr<LogFollower>& log) {
    if (!run.Start()) throw std::runtime_error("the program's dialog was not shown");
    log.reset(new LogFollower(run.Log()));
    log->WaitFor(0, kWatchStart, 10000);
}

// --- Statistics -------------------------------------------------------------------------------

struct Summary {
    double median;
    double p99;  // nearest rank
    double max;
};

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    size_t rank = static_cast<size_t>(std::ceil(0.99 * n));
    return {median, values[std::max<size_t>(rank, 1) - 1], values.back()};
}

double Median(std::vector<double> values) { return Summarise(std::move(values)).median; }

// --- Poll cost --------------------------------------------------------------------------------

struct PollCost {
    double cpuMs = 0;   // per kPolls polls
    double wallMs = 0;  // per kPolls polls
    long long found = 0;
};

int64_t ThreadCpu() {
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    auto value = [](const FILETIME& time) {
        return (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

bool FloorPoll() { return FindWindowA(kViewerClass, kViewerTitle) != nullptr; }

// The way process-watching tools look for a program: a snapshot of all processes, walked
// comparing executable names.
bool ProcessListPoll(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

// One thread per kind of poll, so that each thread's CPU time is that kind's alone. The kinds
// take turns in rounds, in reverse order every other round, so that a change of the machine's
// load and any advantage of going first fall on all of them alike.
struct PollRunner {
    std::function<bool()> poll;
    int rounds;
    HANDLE go;
    HANDLE done;
    PollCost cost;

    static DWORD WINAPI Run(void* parameter) {
        auto* self = static_cast<PollRunner*>(parameter);
        int64_t cpuStart = ThreadCpu();
        std::vector<double> walls;
        for (int round = 0; round < self->rounds; ++round) {
            WaitForSingleObject(self->go, INFINITE);
            double start = NowMs();
            for (int i = 0; i < kPolls; ++i)
                self->cost.found += self->poll();
            walls.push_back(NowMs() - start);
            SetEvent(self->done);
        }
        // Read here: an ended thread's CPU time is no longer known under Wine. The CPU clock
        // is coarse, so its figure is the mean over the rounds; the wall clock is fine but
        // suffers from other programs, so its figure is the median round.
        self->cost.cpuMs = (ThreadCpu() - cpuStart) / 1e4 / self->rounds;
        self->cost.wallMs = Median(walls);
        return 0;
    }
};

struct PollKind {
    std::function<bool()> poll;
    int rounds;
};

std::vector<PollCost> MeasurePolls(const std::vector<PollKind>& kinds) {
    std::vector<PollRunner> runners(kinds.size());
    std::vector<HANDLE> threads;
    int rounds = 0;
    for (size_t i = 0; i < kinds.size(); ++i) {
        runners[i].poll = kinds[i].poll;
        runners[i].rounds = kinds[i].rounds;
        rounds = std::max(rounds, kinds[i].rounds);
        runners[i].go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        runners[i].done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        threads.push_back(CreateThread(nullptr, 0, PollRunner::Run, &runners[i], 0, nullptr));
    }
    for (int round = 0; round < rounds; ++round)
        for (size_t turn = 0; turn < runners.size(); ++turn) {
            PollRunner& runner = runners[round % 2 ? runners.size() - 1 - turn : turn];
            if (round >= runner.rounds) continue;
            SetEvent(runner.go);
            WaitForSingleObject(runner.done, INFINITE);
        }
    std::vector<PollCost> costs;
    for (size_t i = 0; i < runners.size(); ++i) {
        WaitForSingleObject(threads[i], INFINITE);
        CloseHandle(threads[i]);
        CloseHandle(runners[i].go);
        CloseHandle(runners[i].done);
        costs.push_back(runners[i].cost);
    }
    return costs;
}

// --- Endurance --------------------------------------------------------------------------------

typedef NTSTATUS(NTAPI* QuerySystemInformation)(ULONG, void*, ULONG, ULONG*);

const ULONG kSystemExtendedHandleInformation = 64;

struct HandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};

struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry handles[1];
};

bool wineHandleCount = false;
bool winePrivateBytes = false;

// GetProcessHandleCount; Wine answers it with 0 for every process, and then the process's
// entries in the system's list of open handles are counted instead.
DWORD HandleCount(HANDLE process) {
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0) return count;
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    while (query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                 &length) < 0) {
        if (buffer.size() >= (1u << 28)) return 0;
        buffer.resize(buffer.size() * 2);
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    ULONG_PTR processId = GetProcessId(process);
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->handles[i].processId == processId;
    wineHandleCount = true;
    return count;
}

// PrivateUsage: the process's private committed memory. Wine leaves it 0; then the same is
// summed from the process's address space, region by region.
SIZE_T PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    if (memory.PrivateUsage) return memory.PrivateUsage;
    winePrivateBytes = true;
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr;
         VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return committed;
}

// --- The table --------------------------------------------------------------------------------

struct Row {
    std::string figure;
    std::string measured;
    std::string goal;
    std::string verdict;
};

std::vector<Row> table;

void Add(const std::string& figure, const std::string& measured, const std::string& goal = "",
         const std::string& verdict = "") {
    table.push_back({figure, measured, goal, verdict});
}

std::string Verdict(bool met, const std::string& missedBy) {
    return met ? "met" : "missed by " + missedBy;
}

std::string Mib(SIZE_T bytes) { return Format("%.2f MiB", bytes / 1048576.0); }

// --- The figures ------------------------------------------------------------------------------

// The window polls run `rounds` times, to average out the coarse CPU clock; the process-list
// poll, a hundred times dearer, once.
void PollCostFigures(FakeViewer& viewer, int rounds) {
    for (int present = 0; present < 2; ++present) {
        const char* state = present ? "viewer shown" : "viewer absent";
        Progress(Format("poll cost, %s: %d rounds of %d window polls, %d process-list polls", state,
                        rounds, kPolls, kPolls));
        if (present)
            viewer.Open();
        else
            viewer.Shut();
        // Looked for by name: a program that is not running (a whole walk), or the running
        // viewer's own executable.
        const char* exeName = present ? "fake_viewer.exe" : "Quillomatic.exe";
        std::vector<PollKind> kinds = {{FloorPoll, rounds},
                                       {IsViewerRunning, rounds},
                                       {[exeName] { return ProcessListPoll(exeName); }, 1}};
        std::vector<PollCost> cost = MeasurePolls(kinds);
        for (size_t i = 0; i < kinds.size(); ++i)
            if (cost[i].found != (present ? static_cast<long long>(kinds[i].rounds) * kPolls : 0))
                throw std::runtime_error("a poll did not see the viewer's state as it was");
        const PollCost& floor = cost[0];
        auto ratio = [&](const PollCost& c) {
            return Format("CPU %.1f ms (%.2fx floor), wall %.1f ms (%.2fx floor)", c.cpuMs,
                          c.cpuMs / floor.cpuMs, c.wallMs, c.wallMs / floor.wallMs);
        };
        double watcherRatio = cost[1].cpuMs / floor.cpuMs;
        Add(Format("Poll cost, %s: bare `FindWindowA` (the floor), per %d", state, kPolls),
            Format("CPU %.1f ms, wall %.1f ms", floor.cpuMs, floor.wallMs));
        Add(Format("Poll cost, %s: the watcher's poll (`IsViewerRunning`), per %d", state, kPolls),
            ratio(cost[1]), "CPU within 1.5x floor",
            Verdict(watcherRatio <= 1.5, Format("%.2fx", watcherRatio - 1.5)));
        Add(Format("Poll cost, %s: process list (Toolhelp32 snapshot and walk), per %d", state,
                   kPolls),
            ratio(cost[2]));
    }
    viewer.Shut();
}

void LatencyFigures(FakeViewer& viewer, int cycles) {
    Progress(
        Format("detection latency: %d start and exit cycles at the real 1000 ms poll", cycles));
    viewer.Shut();
    MonitorRun run;
    std::unique_ptr<LogFollower> log;
    StartAndWatch(run, log);
    Random random;
    std::vector<double> starts, exits;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        // A delay spread over a whole poll interval, so that every phase against the poll is met.
        Sleep(random.Next(1000));
        size_t mark = log->Mark();
        double shown = viewer.Open();
        size_t at = log->WaitFor(mark, kStarted, 5000);
        starts.push_back((*log)[at].seenMs - shown);
        log->WaitFor(at, kExitWatch, 5000);

        Sleep(random.Next(1000));
        mark = log->Mark();
        double gone = viewer.Shut();
        at = log->WaitFor(mark, kExited, 5000);
        exits.push_back((*log)[at].seenMs - gone);
        log->WaitFor(at, kWatchStart, 5000);
    }
    run.Close();

    std::vector<double> both = starts;
    both.insert(both.end(), exits.begin(), exits.end());
    auto text = [](const Summary& s) {
        return Format("median %.0f ms, p99 %.0f ms, max %.0f ms", s.median, s.p99, s.max);
    };
    Summary all = Summarise(both);
    Add(Format("Detection latency, viewer start (n=%d)", static_cast<int>(starts.size())),
        text(Summarise(starts)), "bound: one 1000 ms poll");
    Add(Format("Detection latency, viewer exit (n=%d)", static_cast<int>(exits.size())),
        text(Summarise(exits)), "bound: one 1000 ms poll");
    Add(Format("Detection latency, both (n=%d)", static_cast<int>(both.size())), text(all),
        "p99 within 1100 ms", Verdict(all.p99 <= 1100, Format("%.0f ms", all.p99 - 1100)));
}

void CountdownFigure(FakeViewer& viewer, unsigned scale, unsigned overshootPermille) {
    Progress(Format("countdown: clock x%u, sleeps +%.1f %%", scale, overshootPermille / 10.0));
    viewer.Shut();
    ProbeRun run(scale, overshootPermille);
    std::unique_ptr<LogFollower> log;
    StartAndWatch(run, log);
    viewer.Open();
    log->WaitFor(0, kExitWatch, 10000);
    size_t mark = log->Mark();
    viewer.Shut();
    size_t first = log->WaitFor(mark, IsTick, 10000, "countdown row");
    size_t end = log->WaitFor(first, kHibernating, 2 * 300000 / scale + 10000);
    double realMs = (*log)[end].seenMs - (*log)[first].seenMs;
    double seconds = realMs * scale / 1000.0;
    run.Close();

    double error = seconds - 300.0;
    Add(Format("Countdown, sleeps %s (probe, clock x%u), scaled back",
               overshootPermille ? Format("+%.1f %%", overshootPermille / 10.0).c_str() : "exact",
               scale),
        Format("%.3f s (%+.3f s; %.3f s real)", seconds, error, realMs / 1000.0), "300 s +- 0.5 s",
        Verdict(std::fabs(error) <= 0.5, Format("%.3f s", std::fabs(error) - 0.5)));
}

struct EnduranceRun {
    struct Sample {
        int threads;
        DWORD handles;
        SIZE_T privateBytes;
    };
    int idleThreads = 0;
    int maxThreads = 0;
    Sample at10 = {};
    Sample atEnd = {};
    int rows = 0;
    double seconds = 0;
};

// `cycles` viewer sessions, each ending in a cancelled countdown. With `emptyLog` the bench
// deletes the log's rows after every cycle, at a moment when no worker is writing.
EnduranceRun RunCycles(FakeViewer& viewer, int cycles, unsigned scale, bool emptyLog) {
    EnduranceRun result;
    viewer.Shut();
    ProbeRun run(scale);
    std::unique_ptr<LogFollower> log;
    StartAndWatch(run, log);
    // Exact times do not matter here; looking less often leaves the machine to the program.
    log->SetPollInterval(5);
    DWORD id = run.Program().dwProcessId;
    HANDLE process = run.Program().hProcess;
    // Idle: the main thread and a StartupWatcher, with Wine's own threads; settled for a while.
    for (int i = 0; i < 10; ++i) {
        Sleep(100);
        result.idleThreads = std::max(result.idleThreads, CountThreads(id));
    }
    auto sample = [&] {
        return EnduranceRun::Sample{CountThreads(id), HandleCount(process), PrivateBytes(process)};
    };
    double start = NowMs();

    size_t mark = log->Mark();
    viewer.Open();
    log->WaitFor(mark, kExitWatch, 10000);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        mark = log->Mark();
        viewer.Shut();
        log->WaitFor(mark, IsTick, 10000, "countdown row");
        // The busiest moment: a StartupWatcher beside the countdown, the ExitWatcher ending.
        result.maxThreads = std::max(result.maxThreads, CountThreads(id));

        mark = log->Mark();
        viewer.Open();
        log->WaitFor(mark, kStarted, 10000);
        log->WaitFor(mark, kExitWatch, 10000);
        log->WaitFor(mark, kCancelled, 10000);
        // Only the ExitWatcher runs now, and it writes nothing until the viewer exits.
        if (emptyLog) log->DeleteAllRows();
        result.maxThreads = std::max(result.maxThreads, CountThreads(id));
        if (cycle == std::min(10, cycles)) result.at10 = sample();
        if (cycle == cycles) result.atEnd = sample();
        if (cycle % 100 == 0) Progress(Format("endurance: %d cycles", cycle));
    }
    result.seconds = (NowMs() - start) / 1000.0;
    result.rows = log->Count();
    run.Close();
    return result;
}

double Growth(double first, double last) { return (last - first) * 100.0 / first; }

void EnduranceFigures(FakeViewer& viewer, int cycles, unsigned scale) {
    Progress(Format("endurance: %d cycles, clock x%u", cycles, scale));
    EnduranceRun kept = RunCycles(viewer, cycles, scale, false);
    // The log keeps every row, by design, and its rows take memory; the same cycles with the log
    // emptied show what the rest of the program does.
    Progress(Format("endurance: %d cycles, clock x%u, the log emptied after each", cycles, scale));
    EnduranceRun emptied = RunCycles(viewer, cycles, scale, true);

    int allowed = kept.idleThreads + 2;
    Add(Format("Endurance (%d cycles, clock x%u, %.0f s): threads", cycles, scale, kept.seconds),
        Format("idle %d; max %d; after cycle 10: %d, after cycle %d: %d", kept.idleThreads,
               kept.maxThreads, kept.at10.threads, cycles, kept.atEnd.threads),
        Format("at most idle + 2 = %d", allowed),
        Verdict(kept.maxThreads <= allowed && kept.atEnd.threads <= kept.at10.threads,
                Format("%d threads", std::max(kept.maxThreads - allowed,
                                              kept.atEnd.threads - kept.at10.threads))));
    double handleGrowth = Growth(kept.at10.handles, kept.atEnd.handles);
    Add(wineHandleCount ? "Endurance: handle count (open handles in the system's handle list)"
                        : "Endurance: handle count (`GetProcessHandleCount`)",
        Format("cycle 10: %lu, cycle %d: %lu (%+.1f %%)", kept.at10.handles, cycles,
               kept.atEnd.handles, handleGrowth),
        "within 5 % of cycle 10",
        Verdict(std::fabs(handleGrowth) <= 5, Format("%.1f points", std::fabs(handleGrowth) - 5)));
    int expectedRows = 3 + 7 * cycles;
    Add("Endurance: rows in the log",
        Format("%d, expected 3 + 7 x %d = %d", kept.rows, cycles, expectedRows), "exact",
        Verdict(kept.rows == expectedRows, Format("%d rows", kept.rows - expectedRows)));
    std::string privateBytes = winePrivateBytes ? "private bytes (committed private memory)"
                                                : "private bytes (`PrivateUsage`)";
    double privateGrowth = Growth(kept.at10.privateBytes, kept.atEnd.privateBytes);
    Add("Endurance: " + privateBytes,
        Format("cycle 10: %s, cycle %d: %s (%+.1f %%)", Mib(kept.at10.privateBytes).c_str(), cycles,
               Mib(kept.atEnd.privateBytes).c_str(), privateGrowth),
        "within 5 % of cycle 10",
        Verdict(std::fabs(privateGrowth) <= 5,
                Format("%.1f points", std::fabs(privateGrowth) - 5)));

    double emptiedGrowth = Growth(emptied.at10.privateBytes, emptied.atEnd.privateBytes);
    int rowsAt10 = 3 + 7 * std::min(10, cycles);
    double rowBytes = (static_cast<double>(kept.atEnd.privateBytes) - kept.at10.privateBytes) -
                      (static_cast<double>(emptied.atEnd.privateBytes) - emptied.at10.privateBytes);
    Add(Format("Endurance, the same %d cycles with the log emptied by the bench after each: ",
               cycles) +
            privateBytes,
        Format("cycle 10: %s, cycle %d: %s (%+.1f %%); so the %d rows kept took %.0f bytes a row",
               Mib(emptied.at10.privateBytes).c_str(), cycles,
               Mib(emptied.atEnd.privateBytes).c_str(), emptiedGrowth, expectedRows - rowsAt10,
               rowBytes / (expectedRows - rowsAt10)),
        "within 5 % of cycle 10",
        Verdict(std::fabs(emptiedGrowth) <= 5,
                Format("%.1f points", std::fabs(emptiedGrowth) - 5)));
    Add("Endurance, the same with the log emptied: threads and handles",
        Format("threads max %d, after cycle %d: %d; handles cycle 10: %lu, cycle %d: %lu",
               emptied.maxThreads, cycles, emptied.atEnd.threads, emptied.at10.handles, cycles,
               emptied.atEnd.handles));
}

std::string MinimalDialogPath() { return TestDirectory() + "\\minimal_dialog.exe"; }

// Milliseconds from starting `exe` to its dialog being visible; the dialog is closed again.
double StartUp(const std::string& exe, DWORD timeoutMs = 30000) {
    Process program;
    double start = NowMs();
    if (!program.Start(Widen(exe))) throw std::runtime_error("cannot start " + exe);
    HWND dialog = nullptr;
    bool shown = WaitFor(
        [&] {
            dialog = FindProcessWindow(program.dwProcessId, "#32770");
            return dialog && IsWindowVisible(dialog);
        },
        timeoutMs);
    double took = NowMs() - start;
    if (!shown) throw std::runtime_error("no dialog shown by " + exe);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    program.Wait(10000);
    return took;
}

void StartupFigures(int runs) {
    Progress(Format("start-up: %d runs of each program", runs));
    TempDirectory directory;
    // The monitor, a bare dialog, and a bare dialog with a list view, which loads the common
    // controls as the monitor does: the last shows how much of the difference is the platform's.
    std::vector<std::string> programs;
    for (const std::string& source :
         {MonitorExePath(), MinimalDialogPath(), TestDirectory() + "\\minimal_list_dialog.exe"}) {
        programs.push_back(directory.File(source.substr(source.find_last_of('\\') + 1)));
        CopyFileA(source.c_str(), programs.back().c_str(), FALSE);
    }
    // One start of each first, so that all find their files in the cache; then they take turns.
    for (const std::string& program : programs)
        StartUp(program);
    std::vector<std::vector<double>> times(programs.size());
    for (int i = 0; i < runs; ++i)
        for (size_t p = 0; p < programs.size(); ++p)
            times[p].push_back(StartUp(programs[p]));
    double monitorMs = Median(times[0]);
    double minimalMs = Median(times[1]);
    double listViewMs = Median(times[2]);
    double ratio = monitorMs / minimalMs;
    Add(Format("Start-up to the dialog shown: the monitor (median of %d)", runs),
        Format("%.0f ms", monitorMs));
    Add(Format("Start-up to the dialog shown: a minimal dialog program (median of %d)", runs),
        Format("%.0f ms", minimalMs));
    Add(Format("Start-up to the dialog shown: a minimal dialog with the monitor's list view "
               "(median of %d)",
               runs),
        Format("%.0f ms", listViewMs));
    Add("Start-up ratio, monitor to minimal dialog", Format("%.2fx", ratio), "within 1.5x",
        Verdict(ratio <= 1.5, Format("%.2fx", ratio - 1.5)));
    Add("Start-up ratio, monitor to minimal dialog with a list view",
        Format("%.2fx", monitorMs / listViewMs));
}

void PrintTable() {
    printf("| Figure | Measured | Goal | Result |\n|---|---|---|---|\n");
    for (const Row& row : table)
        printf("| %s | %s | %s | %s |\n", row.figure.c_str(), row.measured.c_str(),
               row.goal.c_str(), row.verdict.c_str());
    fflush(stdout);
}

const char kNotes[] = R"(
Notes:
- Poll cost: each kind of poll runs on a thread of its own inside this bench; the two window polls
  take turns in 20 rounds of 3600 (an hour of watching at one poll a second), the process-list
  poll runs one round of 3600. "CPU" is the polling thread's own user and kernel time
  (GetThreadTimes), the mean per round: under Wine it comes from Linux's accounting in 10 ms
  ticks, which the rounds average out. It covers the work in the calling process only; under Wine
  a window search is a request to the wineserver process, whose CPU time is not in it. "Wall" is
  the elapsed time of a round (QueryPerformanceCounter), the median round: it covers the round
  trips to the wineserver and the wineserver's work, and also any wait for a CPU on a loaded
  machine. The process-list poll looks for a program by its executable's name: one that is not
  running (a whole walk) when the viewer is absent, the fake viewer's own when it is shown.
- Detection latency: the shipped program at its real 1000 ms poll. The clock starts just before
  the fake viewer is asked to open or close its window and stops when this bench first sees the
  matching row in the program's log (it reads the row count about every millisecond). Opens and
  closes come after a delay spread over 0..999 ms, so every phase against the poll is met. p99 is
  the nearest-rank 99th percentile.
- Countdown: the test build of the program on a clock 10 times faster, from the first countdown
  row to the entry that announces the hibernation, times 10. With "+9.4 %" every sleep lasts
  9.4 % longer than asked (at least 1 ms longer), as Sleep(100) does at the default timer
  resolution.
- Endurance: the test build on a clock 100 times faster. A cycle: close the viewer, wait for the
  countdown row, open the viewer again and wait for its start, the new exit watch and the
  countdown's cancellation. Threads are counted with a Toolhelp32 snapshot after the countdown
  row (the busiest moment) and after each cycle; handles and private bytes are read after cycle
  10 and the last. "Idle" is the program before the first cycle: its main thread, a
  StartupWatcher, and any threads Wine adds to the process. The design allows the main thread,
  at most two workers, and a short overlap while a worker that has started its successor ends:
  idle + 2. Rows: 3 before the first cycle (start watch, start, exit watch), then 7 a cycle
  (exit, start watch, preparing, the countdown row, start, exit watch, cancelled). The log
  keeps every row, by design, so its memory grows with the rows; a second run of the same
  cycles, in which the bench deletes the log's rows (LVM_DELETEALLITEMS) after every cycle while
  only the ExitWatcher runs, shows the memory of everything else, and the difference between
  the two runs is what the kept rows take.
- Start-up: from CreateProcess to the dialog being visible, seen by this bench's own polling
  (about every 2 ms). The minimal dialog has the monitor's size and font and one button; the
  second one also has the monitor's list view, so it loads the common controls at start as the
  monitor does. The programs are copied into one temporary directory and each started once
  before the runs that count; the runs take turns.
)";

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else
            return fprintf(stderr, "usage: bench [--quick] [--only %s]\n", kParts), 2;
    }
    auto wanted = [&](const char* part) { return only.empty() || only == part; };
    const int pollRounds = quick ? 4 : 20;
    const int latencyCycles = quick ? 10 : 50;
    const int enduranceCycles = quick ? 50 : 1000;
    const int startupRuns = quick ? 5 : 15;
    try {
        // The first window shown brings up Wine's desktop, which can take long on a busy machine.
        StartUp(MinimalDialogPath(), 120000);
        FakeViewer viewer;
        if (wanted("polls")) PollCostFigures(viewer, pollRounds);
        if (wanted("latency")) LatencyFigures(viewer, latencyCycles);
        if (wanted("countdown")) {
            CountdownFigure(viewer, 10, 0);
            CountdownFigure(viewer, 10, 94);
        }
        if (wanted("endurance")) EnduranceFigures(viewer, enduranceCycles, 100);
        if (wanted("startup")) {
            // Started while no viewer runs, as the monitor mostly is.
            viewer.Shut();
            StartupFigures(startupRuns);
        }
    } catch (const std::exception& failure) {
        PrintTable();
        fprintf(stderr, "bench: stopped: %s\n", failure.what());
        return 1;
    }
    PrintTable();
    fputs(kNotes, stdout);
    if (wineHandleCount)
        puts(
            "- Handle count: GetProcessHandleCount answered 0 (a stub under Wine), so the handles\n"
            "  are the program's entries in the system's list of open handles\n"
            "  (NtQuerySystemInformation, SystemExtendedHandleInformation).");
    if (winePrivateBytes)
        puts(
            "- Private bytes: PrivateUsage read 0 (Wine does not fill it), so the figure is\n"
            "  what Windows counts there, the process's committed private memory, summed from\n"
            "  its address space with VirtualQueryEx (MEM_COMMIT regions of MEM_PRIVATE type).\n"
            "  Wine's PagefileUsage is no stand-in: it is Linux's resident anonymous memory,\n"
            "  which changes with what the system pages in and out.");
    return 0;
}
