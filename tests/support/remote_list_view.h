// Reading the rows of a list view, also one that belongs to another process.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

struct LogRow {
    std::string time;
    std::string text;
};

std::ostream& operator<<(std::ostream& out, const LogRow& row);

int CountRows(HWND listView);
// Row 0 first, that is the newest entry first.
std::vector<LogRow> ReadRows(HWND listView);
// The messages only, oldest first: the order in which they were written.
std::vector<std::string> MessagesOldestFirst(HWND listView);
// How many rows carry exactly this message.
int CountMessage(HWND listView, const std::string& text);
