// What a figure family works with: the table it adds its rows to, the programs it drives and the
// bench's clock and statistics; and what main takes from each family.
#pragma once

#include <string>

#include "programs.h"

struct Options {
    bool quick = false;          // fewer rounds, cycles and runs
    std::string shippedMonitor;  // the 32-bit programs as the release builds them, for their sizes
    std::string shippedMinimal;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Progress(const std::string& text);  // a line on stderr, to follow a long run

// A row of the table; a figure without a goal leaves the last two empty.
void Add(const std::string& figure, const std::string& measured, const std::string& goal = "",
         const std::string& verdict = "");
std::string Verdict(bool met, const std::string& missedBy);

// Each family adds its rows; it throws when a step could not be carried out.
void PollCostFigures(FakeViewer& viewer, const Options& options);
void LatencyFigures(FakeViewer& viewer, const Options& options);
void CountdownFigures(FakeViewer& viewer, const Options& options);
void EnduranceFigures(FakeViewer& viewer, const Options& options);
void StartupFigures(FakeViewer& viewer, const Options& options);
void SizeFigures(FakeViewer& viewer, const Options& options);

// Shows a first window, which brings up Wine's desktop: that can take long on a busy machine.
void ShowFirstWindow();
