// The event log: control 1000 of the main dialog, newest entry at the top.
#pragma once

#include "dialog.h"
#include "list_view.h"

extern ListView EventLog;

void SetUpEventLog(Dialog& dialog);

// From any thread. Mode 1 adds a row at the top; any other mode rewrites the top row.
// Always 1; after the dialog has ended an entry has no effect.
int AddLogEntry(const char* text, int mode);

// For a writer that keeps one row of its own, such as a countdown: mode 1 adds a row marked with
// `mark` (non-zero); any other mode rewrites the top row only while it is that marked row.
int AddLogEntryInRow(const char* text, int mode, unsigned mark);
