// The programs as the bench drives them from outside: the stand-in viewer, the monitor's bench
// build, and the monitor's event log followed from this process; and the bench's clock and what
// it makes of a set of samples.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_viewer.h"
#include "program.h"

double NowMs();  // the performance counter, in milliseconds

struct Summary {
    double median;
    double p99;  // nearest rank
    double max;
};

// Of at least one value.
Summary Summarise(std::vector<double> values);

// The stand-in viewer, one process for the whole run, started without its window.
class FakeViewer {
public:
    FakeViewer();  // throws when it does not come up
    ~FakeViewer() { PostMessageA(control, WM_CLOSE, 0, 0), process.Wait(5000); }
    FakeViewer(const FakeViewer&) = delete;
    FakeViewer& operator=(const FakeViewer&) = delete;

    // Each returns the time just before the request, the latest moment the window was not yet
    // there (or still there).
    double Open() { return Request(kOpenViewer); }
    double Shut() { return Request(kShutViewer); }

private:
    double Request(UINT message);

    Process process;
    HWND control = nullptr;
};

// The bench's build of the program: its clock `scale` times faster, each sleep longer by
// `overshootPermille`, and its power calls skipped; in this process's environment while it
// exists, for the program to take as it starts (the shipped one ignores it).
class ProbeRun : public MonitorRun {
public:
    explicit ProbeRun(unsigned scale, unsigned overshootPermille = 0);
    ~ProbeRun();
};

struct SeenEntry {
    std::string text;
    double seenMs;  // when the row count first showed it
};

// The log's messages in the order written, each with when it was first seen.
class LogFollower {
public:
    explicit LogFollower(HWND listView) : listView(listView) {}
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    int Count() const { return CountRows(listView); }
    size_t Mark() { return Poll(), entries.size(); }  // where the entries from now on begin
    const SeenEntry& operator[](size_t index) const { return entries[index]; }
    // How often to look, in milliseconds: every look wakes the program's main thread.
    void SetPollInterval(DWORD ms) { pollMs = ms; }

    // The first entry from `from` on that begins with `text` (a whole message, or the start of
    // a countdown row); throws when none came in time.
    size_t WaitFor(size_t from, const std::string& text, DWORD timeoutMs);
    void DeleteAllRows();  // the entries seen so far stay

private:
    void Poll();  // takes in the rows added since the last look

    HWND listView;
    int known = 0;
    DWORD pollMs = 1;
    std::vector<SeenEntry> entries;
};

// Starts the program and follows its log from the first watch on; throws when either fails.
std::unique_ptr<LogFollower> StartAndWatch(MonitorRun& run);
