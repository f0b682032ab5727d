// What a figure family works with: the table it adds its rows to, the programs it drives and the
// bench's clock and statistics; and what main takes from each family.
#pragma once

#include <string>

#include "programs.h"

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Progress(const std::string& text);  // a line on stderr, to follow a long run

// A row of the table; a figure without a goal leaves the last two empty.
void Add(const std::string& figure, const std::string& measured, const std::string& goal = "",
         const std::string& verdict = "");
std::string Verdict(bool met, const std::string& missedBy);

// Each family adds its rows, with fewer rounds, cycles and runs when `quick`; it throws when a
// step could not be carried out. Its note, printed under the table, says how it measures.
void PollCostFigures(FakeViewer& viewer, bool quick);
void LatencyFigures(FakeViewer& viewer, bool quick);
void CountdownFigures(FakeViewer& viewer, bool quick);
void EnduranceFigures(FakeViewer& viewer, bool quick);
void StartupFigures(FakeViewer& viewer, bool quick);
extern const char kPollCostNote[], kLatencyNote[], kCountdownNote[], kEnduranceNote[],
    kStartupNote[];

// The notes on the ways round Wine's gaps that the endurance figures took, if any.
void PrintWineCounterNotes();
// Shows a first window, which brings up Wine's desktop: that can take long on a busy machine.
void ShowFirstWindow();
