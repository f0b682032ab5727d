// Start-up: how long the monitor takes from CreateProcess to its dialog being visible, beside a
// dialog program with nothing in it and one with only the monitor's list view, seen by this
// bench's own polling.
#include <stdexcept>

#include "figures.h"
#include "wait.h"

namespace {

std::string MinimalDialogPath() { return TestDirectory() + "\\minimal_dialog.exe"; }

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

}  // namespace

void ShowFirstWindow() { StartUp(MinimalDialogPath(), 120000); }

void StartupFigures(FakeViewer& viewer, bool quick) {
    const int runs = quick ? 5 : 15;
    // Started while no viewer runs, as the monitor mostly is.
    viewer.Shut();
    Progress(Format("start-up: %d runs of each program", runs));
    TempDirectory directory;
    // The monitor, a bare dialog, and a bare dialog with a list view, which loads the common
    // controls as the monitor does: the last shows how much of the difference is the platform's.
    const std::pair<std::string, const char*> sources[] = {
        {MonitorExePath(), "the monitor"},
        {MinimalDialogPath(), "a minimal dialog program"},
        {TestDirectory() + "\\minimal_list_dialog.exe",
         "a minimal dialog with the monitor's list view"}};
    std::vector<std::string> programs;
    for (const auto& source : sources) {
        programs.push_back(directory.File(source.first.substr(source.first.rfind('\\') + 1)));
        CopyFileA(source.first.c_str(), programs.back().c_str(), FALSE);
    }
    // One start of each first, so that all find their files in the cache; then they take turns.
    for (const std::string& program : programs)
        StartUp(program);
    std::vector<std::vector<double>> times(programs.size());
    for (int i = 0; i < runs; ++i)
        for (size_t p = 0; p < programs.size(); ++p)
            times[p].push_back(StartUp(programs[p]));
    std::vector<double> medians;
    for (size_t p = 0; p < programs.size(); ++p) {
        medians.push_back(Median(times[p]));
        Add(Format("Start-up to the dialog shown: %s (median of %d)", sources[p].second, runs),
            Format("%.0f ms", medians[p]));
    }
    double ratio = medians[0] / medians[1];
    Add("Start-up ratio, monitor to minimal dialog", Format("%.2fx", ratio), "within 1.5x",
        Verdict(ratio <= 1.5, Format("%.2fx", ratio - 1.5)));
    Add("Start-up ratio, monitor to minimal dialog with a list view",
        Format("%.2fx", medians[0] / medians[2]));
}

const char kStartupNote[] =
    R"(- Start-up: from CreateProcess to the dialog being visible, seen by this bench's own polling
  (about every 2 ms). The minimal dialog has the monitor's size and font and one button; the
  second one also has the monitor's list view, so it loads the common controls at start as the
  monitor does. The programs are copied into one temporary directory and each started once
  before the runs that count; the runs take turns.
)";
