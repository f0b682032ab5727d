// Detection latency: how long the shipped program, at its real 1000 ms poll, takes to log the
// viewer's start and exit, timed from just before the stand-in opens or closes its window to the
// first sight of the matching row.
#include "figures.h"

void LatencyFigures(FakeViewer& viewer, const Options& options) {
    const int cycles = options.quick ? 10 : 50;
    Progress(
        Format("detection latency: %d start and exit cycles at the real 1000 ms poll", cycles));
    viewer.Shut();
    MonitorRun run;
    std::unique_ptr<LogFollower> log = StartAndWatch(run);
    // The same delays on every run, so that runs can be compared; each spread over a whole poll
    // interval, so that every phase against the poll is met.
    unsigned state = 20240601u;
    auto delay = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % 1000;
    };
    std::vector<double> starts, exits;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        Sleep(delay());
        size_t mark = log->Mark();
        double shown = viewer.Open();
        size_t at = log->WaitFor(mark, kStarted, 5000);
        starts.push_back((*log)[at].seenMs - shown);
        log->WaitFor(at, kExitWatch, 5000);

        Sleep(delay());
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
