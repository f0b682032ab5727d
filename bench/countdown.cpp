// Countdown: how long the 300-second countdown lasts, run by the bench build on a clock ten times
// faster, with exact sleeps and with sleeps that overshoot as a coarse timer's do, and scaled
// back to seconds of the real clock.
#include <cmath>

#include "figures.h"

void CountdownFigures(FakeViewer& viewer, const Options&) {
    const unsigned scale = 10;
    for (unsigned overshootPermille : {0u, 94u}) {
        Progress(Format("countdown: clock x%u, sleeps +%.1f %%", scale, overshootPermille / 10.0));
        viewer.Shut();
        ProbeRun run(scale, overshootPermille);
        std::unique_ptr<LogFollower> log = StartAndWatch(run);
        viewer.Open();
        log->WaitFor(0, kExitWatch, 10000);
        size_t mark = log->Mark();
        viewer.Shut();
        size_t first = log->WaitFor(mark, kTickPrefix, 10000);
        size_t end = log->WaitFor(first, kHibernating, 2 * 300000 / scale + 10000);
        double realMs = (*log)[end].seenMs - (*log)[first].seenMs;
        double seconds = realMs * scale / 1000.0;
        run.Close();

        double error = seconds - 300.0;
        Add(Format(
                "Countdown, sleeps %s (probe, clock x%u), scaled back",
                overshootPermille ? Format("+%.1f %%", overshootPermille / 10.0).c_str() : "exact",
                scale),
            Format("%.3f s (%+.3f s; %.3f s real)", seconds, error, realMs / 1000.0),
            "300 s +- 0.5 s",
            Verdict(std::fabs(error) <= 0.5, Format("%.3f s", std::fabs(error) - 0.5)));
    }
}
