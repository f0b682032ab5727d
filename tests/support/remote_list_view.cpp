#include "remote_list_view.h"

#include <commctrl.h>

#include <algorithm>

std::ostream& operator<<(std::ostream& out, const LogRow& row) {
    return out << "[" << row.time << " | " << row.text << "]";
}

int CountRows(HWND listView) {
    return static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<LogRow> ReadRows(HWND listView) {
    std::vector<LogRow> rows;
    DWORD processId = 0;
    GetWindowThreadProcessId(listView, &processId);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return rows;
    // The record and the text must live in the list view's own process.
    const SIZE_T textSize = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
    char* remoteText = remote + sizeof(LVITEMA);
    int count = CountRows(listView);
    for (int row = 0; row < count; ++row) {
        std::string cells[2];
        for (int column = 0; column < 2; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = textSize;
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            LRESULT length =
                SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
            char text[textSize] = "";
            ReadProcessMemory(process, remoteText, text, textSize, nullptr);
            cells[column].assign(text, std::min<size_t>(length, textSize - 1));
        }
        rows.push_back({cells[0], cells[1]});
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
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
