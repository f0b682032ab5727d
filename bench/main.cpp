// Figures of the real program under Wine, printed as one Markdown table: poll cost, detection
// latency, countdown accuracy, endurance, start-up and size, each family measured in a file of
// its own. docs/benchmarks.md says what each figure covers.
//
//   bench.exe [--quick] [--only PART] [--shipped-monitor EXE] [--shipped-minimal EXE]
//
// --quick runs fewer cycles, to check the bench itself; --only runs one part of the table; the
// size part reads the files of the 32-bit monitor and minimal dialog, built as the release is.
//
// A benchmark, not a test: it never fails on a time. It exits non-zero only when a step could not
// be carried out at all (a program did not start, an expected log entry never came).
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "figures.h"

namespace {

struct Family {
    const char* part;  // as --only names it
    void (*figures)(FakeViewer& viewer, const Options& options);
};

const Family kFamilies[] = {{"polls", PollCostFigures},      {"latency", LatencyFigures},
                            {"countdown", CountdownFigures}, {"endurance", EnduranceFigures},
                            {"startup", StartupFigures},     {"size", SizeFigures}};

std::string rows;  // of the table, as printed

void PrintTable() {
    printf("| Figure | Measured | Goal | Result |\n|---|---|---|---|\n%s", rows.c_str());
    fflush(stdout);
}

}  // namespace

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

void Add(const std::string& figure, const std::string& measured, const std::string& goal,
         const std::string& verdict) {
    rows += "| " + figure + " | " + measured + " | " + goal + " | " + verdict + " |\n";
}

std::string Verdict(bool met, const std::string& missedBy) {
    return met ? "met" : "missed by " + missedBy;
}

int main(int argc, char** argv) {
    Options options;
    bool understood = true;
    std::string only;
    for (int i = 1; i < argc && understood; ++i) {
        if (strcmp(argv[i], "--quick") == 0)
            options.quick = true;
        else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (strcmp(argv[i], "--shipped-monitor") == 0 && i + 1 < argc)
            options.shippedMonitor = argv[++i];
        else if (strcmp(argv[i], "--shipped-minimal") == 0 && i + 1 < argc)
            options.shippedMinimal = argv[++i];
        else
            understood = false;
    }
    auto wanted = [&](const Family& family) { return only.empty() || only == family.part; };
    // A part named wrongly would give an empty table that looks like a run.
    if (!understood || std::none_of(std::begin(kFamilies), std::end(kFamilies), wanted)) {
        std::string parts;
        for (const Family& family : kFamilies)
            parts += (parts.empty() ? "" : "|") + std::string(family.part);
        fprintf(stderr,
                "usage: bench [--quick] [--only %s] [--shipped-monitor EXE] "
                "[--shipped-minimal EXE]\n",
                parts.c_str());
        return 2;
    }
    try {
        ShowFirstWindow();
        FakeViewer viewer;
        for (const Family& family : kFamilies)
            if (wanted(family)) family.figures(viewer, options);
    } catch (const std::exception& failure) {
        PrintTable();
        fprintf(stderr, "bench: stopped: %s\n", failure.what());
        return 1;
    }
    PrintTable();
    return 0;
}
