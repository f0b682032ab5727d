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

// Reads cells of a list view that may belong to another process: the item record and the text
// must then live in that process, in memory kept for the reader's life.
class RemoteListView {
public:
    explicit RemoteListView(HWND listView);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    bool Readable() const { return remote != nullptr; }
    int Count() const;
    std::string Cell(int row, int column) const;

private:
    static const SIZE_T kTextSize = 1024;

    HWND listView;
    HANDLE process = nullptr;
    char* remote = nullptr;
};

int CountRows(HWND listView);
// Row 0 first, that is the newest entry first.
std::vector<LogRow> ReadRows(HWND listView);
// The messages only, oldest first: the order in which they were written.
std::vector<std::string> MessagesOldestFirst(HWND listView);
// How many rows carry exactly this message.
int CountMessage(HWND listView, const std::string& text);
