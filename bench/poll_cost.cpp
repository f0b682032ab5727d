// Poll cost: what an hour of the watcher's polls costs beside a bare FindWindowA (the floor) and
// a walk of the process list, with the viewer absent and shown; the kinds of poll take turns on
// this thread, each timed over its own batches.
#include <windows.h>

#include <tlhelp32.h>

#include <functional>
#include <stdexcept>

#include "figures.h"
#include "monitor.h"

namespace {

const int kPolls = 3600;  // an hour of watching at one poll a second

// This thread's user and kernel time. Under Wine it comes from Linux's accounting in 10 ms
// ticks, which the rounds average out.
double ThreadCpuMs() {
    FILETIME creation, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return (k.QuadPart + u.QuadPart) / 1e4;
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

// Per kPolls polls: the CPU clock is coarse, so its figure is the mean over the rounds; the wall
// clock is fine but suffers from other programs, so its figure is the median round.
struct PollKind {
    std::function<bool()> poll;
    int rounds;
    double cpuMs = 0;  // of all rounds
    std::vector<double> wallMs = {};
    long long found = 0;

    double Cpu() const { return cpuMs / rounds; }
    double Wall() const { return Summarise(wallMs).median; }
};

// The kinds take turns in rounds, in reverse order every other round, so that a change of the
// machine's load and any advantage of going first fall on all of them alike.
void MeasurePolls(std::vector<PollKind>& kinds, int rounds) {
    for (int round = 0; round < rounds; ++round)
        for (size_t turn = 0; turn < kinds.size(); ++turn) {
            PollKind& kind = kinds[round % 2 ? kinds.size() - 1 - turn : turn];
            if (round >= kind.rounds) continue;
            double cpu = ThreadCpuMs();
            double wall = NowMs();
            for (int i = 0; i < kPolls; ++i)
                kind.found += kind.poll();
            kind.wallMs.push_back(NowMs() - wall);
            kind.cpuMs += ThreadCpuMs() - cpu;
        }
}

}  // namespace

// The window polls run `rounds` times, to average out the coarse CPU clock; the process-list
// poll, a hundred times dearer, once.
void PollCostFigures(FakeViewer& viewer, const Options& options) {
    const int rounds = options.quick ? 4 : 20;
    for (bool shown : {false, true}) {
        const char* state = shown ? "viewer shown" : "viewer absent";
        Progress(Format("poll cost, %s: %d rounds of %d window polls, %d process-list polls", state,
                        rounds, kPolls, kPolls));
        if (shown)
            viewer.Open();
        else
            viewer.Shut();
        // Looked for by name: a program that is not running (a whole walk), or the running
        // viewer's own executable.
        const char* exeName = shown ? "fake_viewer.exe" : "Quillomatic.exe";
        std::vector<PollKind> kinds = {{FloorPoll, rounds},
                                       {IsViewerRunning, rounds},
                                       {[exeName] { return ProcessListPoll(exeName); }, 1}};
        MeasurePolls(kinds, rounds);
        for (const PollKind& kind : kinds)
            if (kind.found != (shown ? static_cast<long long>(kind.rounds) * kPolls : 0))
                throw std::runtime_error("a poll did not see the viewer's state as it was");
        const PollKind& floor = kinds[0];
        auto ratio = [&](const PollKind& kind) {
            return Format("CPU %.1f ms (%.2fx floor), wall %.1f ms (%.2fx floor)", kind.Cpu(),
                          kind.Cpu() / floor.Cpu(), kind.Wall(), kind.Wall() / floor.Wall());
        };
        double watcherRatio = kinds[1].Cpu() / floor.Cpu();
        Add(Format("Poll cost, %s: bare `FindWindowA` (the floor), per %d", state, kPolls),
            Format("CPU %.1f ms, wall %.1f ms", floor.Cpu(), floor.Wall()));
        Add(Format("Poll cost, %s: the watcher's poll (`IsViewerRunning`), per %d", state, kPolls),
            ratio(kinds[1]), "CPU within 1.5x floor",
            Verdict(watcherRatio <= 1.5, Format("%.2fx", watcherRatio - 1.5)));
        Add(Format("Poll cost, %s: process list (Toolhelp32 snapshot and walk), per %d", state,
                   kPolls),
            ratio(kinds[2]));
    }
    viewer.Shut();
}
