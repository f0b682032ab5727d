#include "remote_list_view.h"

#include <commctrl.h>

#include <algorithm>

std::ostream& operator<<(std::ostream& out, const LogRow& row) {
    return out << "[" << row.time << " | " << row.text << "]";
}

RemoteListView::RemoteListView(HWND listView) : listView(listView) {
    DWORD processId = 0;
    GetWindowThreadProcessId(listView, &processId);
    process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process)
        remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextSize,
                                                   MEM_COMMIT, PAGE_READWRITE));
}

RemoteListView::~RemoteListView() {
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
}

int RemoteListView::Count() const { return CountRows(listView); }

std::string RemoteListView::Cell(int row, int column) const {
    if (!remote) return std::string();
    char* remoteText = remote + sizeof(LVITEMA);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kTextSize;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    LRESULT length =
        SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    char text[kTextSize] = "";
    ReadProcessMemory(process, remoteText, text, kTextSize, nullptr);
    return std::string(text, std::min<size_t>(length, kTextSize - 1));
}

int CountRows(HWND listView) {
    return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<LogRow> ReadRows(HWND listView) {
    RemoteListView reader(listView);
    std::vector<LogRow> rows;
    int count = reader.Count();
    for (int row = 0; reader.Readable() && row < count; ++row)
        rows.push_back({reader.Cell(row, 0), reader.Cell(row, 1)});
    return rows;
}

std::vector<std::string> MessagesOldestFirst(HWND listView) {
    std::vector<std::string> messages;
    for (const LogRow& row : ReadRows(listView))
        messages.insert(messages.begin(), row.text);
    return messages;
}

int CountMessage(HWND listView, const std::string& text) {
    auto messages = MessagesOldestFirst(listView);
    return static_cast<int>(std::count(messages.begin(), messages.end(), text));
}
