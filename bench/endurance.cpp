// Endurance: whether the program stays the same size over many viewer sessions on the bench
// build's clock a hundred times faster: its threads, handles, log rows and private bytes, read
// from outside, with the log kept and emptied.
#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "figures.h"

namespace {

int CountThreads(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    // Counting none would pass for a program that keeps its threads.
    if (snapshot == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list the threads");
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) ++count;
    CloseHandle(snapshot);
    return count;
}

typedef NTSTATUS(NTAPI* QuerySystemInformation)(ULONG, void*, ULONG, ULONG*);
const ULONG kSystemExtendedHandleInformation = 64;

struct HandleList {
    ULONG_PTR count, reserved;
    struct {
        void* object;
        ULONG_PTR processId, handle;
        ULONG access;
        USHORT backTrace, type;
        ULONG attributes, reserved;
    } handles[1];
};

// The process's entries in the system's list of open handles: what GetProcessHandleCount
// counts, which Wine answers with 0 for every process. 0 when the list cannot be read.
DWORD HandleCount(DWORD processId) {
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
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        count += list->handles[i].processId == processId;
    return count;
}

// The process's committed private memory, summed from its address space region by region: what
// Windows counts as PrivateUsage, which Wine leaves 0.
SIZE_T PrivateBytes(HANDLE process) {
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

struct Sample {
    int threads;
    DWORD handles;
    SIZE_T privateBytes;
};

struct EnduranceRun {
    int idleThreads = 0, maxThreads = 0;
    Sample at10 = {}, atEnd = {};
    int rows = 0;
    double seconds = 0;
};

// With `emptyLog` the bench deletes the log's rows after every cycle, at a moment when no worker
// is writing.
EnduranceRun RunCycles(FakeViewer& viewer, int cycles, unsigned scale, bool emptyLog) {
    EnduranceRun result;
    viewer.Shut();
    ProbeRun run(scale);
    std::unique_ptr<LogFollower> log = StartAndWatch(run);
    // Exact times do not matter here; looking less often leaves the machine to the program.
    log->SetPollInterval(5);
    DWORD id = run.Program().dwProcessId;
    // Idle: the main thread and a StartupWatcher, with Wine's own threads; settled for a while.
    for (int i = 0; i < 10; ++i) {
        Sleep(100);
        result.idleThreads = std::max(result.idleThreads, CountThreads(id));
    }
    auto sample = [&] {
        return Sample{CountThreads(id), HandleCount(id), PrivateBytes(run.Program().hProcess)};
    };
    double start = NowMs();

    size_t mark = log->Mark();
    viewer.Open();
    log->WaitFor(mark, kExitWatch, 10000);
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        mark = log->Mark();
        viewer.Shut();
        log->WaitFor(mark, kTickPrefix, 10000);
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

std::string WithinFivePercent(double growth) {
    return Verdict(std::fabs(growth) <= 5, Format("%.1f points", std::fabs(growth) - 5));
}

std::string Mib(SIZE_T bytes) { return Format("%.2f MiB", bytes / 1048576.0); }

}  // namespace

void EnduranceFigures(FakeViewer& viewer, const Options& options) {
    const int cycles = options.quick ? 50 : 1000;
    const unsigned scale = 100;
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
    Add("Endurance: handle count (open handles in the system's handle list)",
        Format("cycle 10: %lu, cycle %d: %lu (%+.1f %%)", kept.at10.handles, cycles,
               kept.atEnd.handles, handleGrowth),
        "within 5 % of cycle 10", WithinFivePercent(handleGrowth));
    int expectedRows = 3 + 7 * cycles;
    Add("Endurance: rows in the log",
        Format("%d, expected 3 + 7 x %d = %d", kept.rows, cycles, expectedRows), "exact",
        Verdict(kept.rows == expectedRows, Format("%d rows", kept.rows - expectedRows)));
    double privateGrowth = Growth(kept.at10.privateBytes, kept.atEnd.privateBytes);
    Add("Endurance: private bytes (committed private memory)",
        Format("cycle 10: %s, cycle %d: %s (%+.1f %%)", Mib(kept.at10.privateBytes).c_str(), cycles,
               Mib(kept.atEnd.privateBytes).c_str(), privateGrowth),
        "within 5 % of cycle 10", WithinFivePercent(privateGrowth));

    double emptiedGrowth = Growth(emptied.at10.privateBytes, emptied.atEnd.privateBytes);
    int keptRows = expectedRows - (3 + 7 * std::min(10, cycles));
    double rowBytes = (static_cast<double>(kept.atEnd.privateBytes) - kept.at10.privateBytes) -
                      (static_cast<double>(emptied.atEnd.privateBytes) - emptied.at10.privateBytes);
    Add(Format("Endurance, the same %d cycles with the log emptied by the bench after each: "
               "private bytes (committed private memory)",
               cycles),
        Format("cycle 10: %s, cycle %d: %s (%+.1f %%); so the %d rows kept took %.0f bytes a row",
               Mib(emptied.at10.privateBytes).c_str(), cycles,
               Mib(emptied.atEnd.privateBytes).c_str(), emptiedGrowth, keptRows,
               rowBytes / keptRows),
        "within 5 % of cycle 10", WithinFivePercent(emptiedGrowth));
    Add("Endurance, the same with the log emptied: threads and handles",
        Format("threads max %d, after cycle %d: %d; handles cycle 10: %lu, cycle %d: %lu",
               emptied.maxThreads, cycles, emptied.atEnd.threads, emptied.at10.handles, cycles,
               emptied.atEnd.handles));
}
