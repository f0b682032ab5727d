// Poll cost: what an hour of the watcher's polls costs beside a bare FindWindowA (the floor) and
// a walk of the process list, with the viewer absent and shown; each kind of poll runs on a
// thread of its own, whose CPU time is that kind's alone.
#include <windows.h>

#include <tlhelp32.h>

#include <stdint.h>

#include <algorithm>
#include <stdexcept>

#include "figures.h"
#include "monitor.h"

namespace {

const int kPolls = 3600;  // an hour of watching at one poll a second
const char kViewerClass[] = "Quillomatic BS MainWindow";
const char kViewerTitle[] = "Quillomatic";

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

// One thread per kind of poll. The kinds take turns in rounds, in reverse order every other
// round, so that a change of the machine's load and any advantage of going first fall on all of
// them alike.
struct PollRunner {
    std::function<bool()> poll;
    int rounds;
    double cpuMs = 0;   // per kPolls polls
    double wallMs = 0;  // per kPolls polls
    long long found = 0;
    HANDLE go = nullptr;
    HANDLE done = nullptr;

    static DWORD WINAPI Run(void* parameter) {
        auto* self = static_cast<PollRunner*>(parameter);
        int64_t cpuStart = ThreadCpu();
        std::vector<double> walls;
        for (int round = 0; round < self->rounds; ++round) {
            WaitForSingleObject(self->go, INFINITE);
            double start = NowMs();
            for (int i = 0; i < kPolls; ++i)
                self->found += self->poll();
            walls.push_back(NowMs() - start);
            SetEvent(self->done);
        }
        // Read here: an ended thread's CPU time is no longer known under Wine. The CPU clock
        // is coarse, so its figure is the mean over the rounds; the wall clock is fine but
        // suffers from other programs, so its figure is the median round.
        self->cpuMs = (ThreadCpu() - cpuStart) / 1e4 / self->rounds;
        self->wallMs = Median(walls);
        return 0;
    }
};

void MeasurePolls(std::vector<PollRunner>& runners) {
    std::vector<HANDLE> threads;
    int rounds = 0;
    for (PollRunner& runner : runners) {
        rounds = std::max(rounds, runner.rounds);
        runner.go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        runner.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        threads.push_back(CreateThread(nullptr, 0, PollRunner::Run, &runner, 0, nullptr));
    }
    for (int round = 0; round < rounds; ++round)
        for (size_t turn = 0; turn < runners.size(); ++turn) {
            PollRunner& runner = runners[round % 2 ? runners.size() - 1 - turn : turn];
            if (round >= runner.rounds) continue;
            SetEvent(runner.go);
            WaitForSingleObject(runner.done, INFINITE);
        }
    for (size_t i = 0; i < runners.size(); ++i) {
        WaitForSingleObject(threads[i], INFINITE);
        CloseHandle(threads[i]);
        CloseHandle(runners[i].go);
        CloseHandle(runners[i].done);
    }
}

}  // namespace

// The window polls run `rounds` times, to average out the coarse CPU clock; the process-list
// poll, a hundred times dearer, once.
void PollCostFigures(FakeViewer& viewer, bool quick) {
    const int rounds = quick ? 4 : 20;
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
        std::vector<PollRunner> kinds = {{FloorPoll, rounds},
                                         {IsViewerRunning, rounds},
                                         {[exeName] { return ProcessListPoll(exeName); }, 1}};
        MeasurePolls(kinds);
        for (const PollRunner& kind : kinds)
            if (kind.found != (present ? static_cast<long long>(kind.rounds) * kPolls : 0))
                throw std::runtime_error("a poll did not see the viewer's state as it was");
        const PollRunner& floor = kinds[0];
        auto ratio = [&](const PollRunner& c) {
            return Format("CPU %.1f ms (%.2fx floor), wall %.1f ms (%.2fx floor)", c.cpuMs,
                          c.cpuMs / floor.cpuMs, c.wallMs, c.wallMs / floor.wallMs);
        };
        double watcherRatio = kinds[1].cpuMs / floor.cpuMs;
        Add(Format("Poll cost, %s: bare `FindWindowA` (the floor), per %d", state, kPolls),
            Format("CPU %.1f ms, wall %.1f ms", floor.cpuMs, floor.wallMs));
        Add(Format("Poll cost, %s: the watcher's poll (`IsViewerRunning`), per %d", state, kPolls),
            ratio(kinds[1]), "CPU within 1.5x floor",
            Verdict(watcherRatio <= 1.5, Format("%.2fx", watcherRatio - 1.5)));
        Add(Format("Poll cost, %s: process list (Toolhelp32 snapshot and walk), per %d", state,
                   kPolls),
            ratio(kinds[2]));
    }
    viewer.Shut();
}

const char kPollCostNote[] =
    R"(- Poll cost: each kind of poll runs on a thread of its own inside this bench; the two window polls
  take turns in 20 rounds of 3600 (an hour of watching at one poll a second), the process-list
  poll runs one round of 3600. "CPU" is the polling thread's own user and kernel time
  (GetThreadTimes), the mean per round: under Wine it comes from Linux's accounting in 10 ms
  ticks, which the rounds average out. It covers the work in the calling process only; under Wine
  a window search is a request to the wineserver process, whose CPU time is not in it. "Wall" is
  the elapsed time of a round (QueryPerformanceCounter), the median round: it covers the round
  trips to the wineserver and the wineserver's work, and also any wait for a CPU on a loaded
  machine. The process-list poll looks for a program by its executable's name: one that is not
  running (a whole walk) when the viewer is absent, the fake viewer's own when it is shown.
)";
