// Start-up: how long the monitor takes from CreateProcess to its dialog being visible, beside a
// dialog program with nothing in it and one with only the monitor's list view, seen by this
// bench's own polling. Size: the shipped exe beside the empty dialog program built the same way.
#include <stdexcept>

#include "figures.h"
#include "wait.h"

namespace {

std::string MinimalDialogPath() { return TestDirectory() + "\\minimal_dialog.exe"; }

// Milliseconds from starting `exe` to its dialog being visible; the dialog is closed again.
double StartUp(const std::string& exe, DWORD timeoutMs = 30000) {
    Process program;
    double start = NowMs();
    if (!program.Start(Widen(exe))) throw std::runtime_error("cannot start " + exe);
    HWND dialog = nullptr;
    auto shown = [&] {
        for (dialog = nullptr; (dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(dialog, &owner);
            if (owner == program.dwProcessId) return IsWindowVisible(dialog) != FALSE;
        }
        return false;
    };
    bool seen = WaitFor(shown, timeoutMs);
    double took = NowMs() - start;
    if (!seen) throw std::runtime_error("no dialog shown by " + exe);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    program.Wait(10000);
    return took;
}

}  // namespace

void ShowFirstWindow() { StartUp(MinimalDialogPath(), 120000); }

void StartupFigures(FakeViewer& viewer, const Options& options) {
    const int runs = options.quick ? 5 : 15;
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
        medians.push_back(Summarise(times[p]).median);
        Add(Format("Start-up to the dialog shown: %s (median of %d)", sources[p].second, runs),
            Format("%.0f ms", medians[p]));
    }
    double ratio = medians[0] / medians[1];
    Add("Start-up ratio, monitor to minimal dialog", Format("%.2fx", ratio), "within 1.5x",
        Verdict(ratio <= 1.5, Format("%.2fx", ratio - 1.5)));
    Add("Start-up ratio, monitor to minimal dialog with a list view",
        Format("%.2fx", medians[0] / medians[2]));
}

// Of the files as they are, not of anything run: the 32-bit programs do not run under this
// 64-bit bench.
void SizeFigures(FakeViewer&, const Options& options) {
    auto size = [](const std::string& exe) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (exe.empty() || !GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data))
            throw std::runtime_error("cannot read the size of '" + exe +
                                     "' (--shipped-monitor, --shipped-minimal)");
        return static_cast<double>(data.nFileSizeLow);
    };
    double monitor = size(options.shippedMonitor);
    double minimal = size(options.shippedMinimal);
    Add("Exe size, 32-bit and stripped as shipped: the monitor, against a minimal dialog program "
        "built the same way",
        Format("%.0f bytes against %.0f bytes (%.1fx)", monitor, minimal, monitor / minimal));
}
