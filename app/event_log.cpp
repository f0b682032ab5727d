// Writing the event log from any thread.
//
// Each entry is one message to the list view, carried out whole on the thread that owns it, so
// entries from different threads never interleave. The writer waits only for the owning thread,
// which itself never waits for anyone: no lock, so no deadlock.
#include "event_log.h"

#include <atomic>

#include "resource.h"

// First of the program's globals, so the last to go.
ListView EventLog __attribute__((init_priority(1001)));

namespace {

const UINT kWriteEntry = WM_APP + 0x4C;

struct Entry {
    const char* text;
    int mode;
    unsigned mark;
};

// The list view while it exists; cleared as it is destroyed, so later entries do nothing.
std::atomic<HWND> logWindow{nullptr};
WNDPROC listViewProc = nullptr;

void WriteEntry(const Entry& entry) {
    if (entry.mode != 1 && entry.mark != 0) {
        LVITEMA top = {};
        top.mask = LVIF_PARAM;
        if (!EventLog.GetItem(&top) || top.lParam != static_cast<LPARAM>(entry.mark)) return;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[1024];
    wsprintfA(stamp, "%.4u/%.2u/%.2u %.2u:%.2u:%.2u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);

    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = stamp;
    // The message goes only where its own time stamp went: after a failed insert or rewrite,
    // row 0 still belongs to another entry.
    if (entry.mode == 1) {
        if (entry.mark) {
            item.mask |= LVIF_PARAM;
            item.lParam = entry.mark;
        }
        item.iItem = EventLog.InsertItem(&item);
        if (item.iItem < 0) return;
        item.mask = LVIF_TEXT;
    } else if (!EventLog.SetItem(&item)) {
        return;
    }
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(entry.text);
    EventLog.SetItem(&item);
}

LRESULT CALLBACK LogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWriteEntry) {
        WriteEntry(*reinterpret_cast<const Entry*>(lParam));
        return 1;
    }
    if (message == WM_NCDESTROY) {
        HWND ending = window;
        logWindow.compare_exchange_strong(ending, nullptr);
    }
    return CallWindowProcA(listViewProc, window, message, wParam, lParam);
}

void Send(const Entry& entry) {
    HWND window = logWindow;
    if (window) SendMessageA(window, kWriteEntry, 0, reinterpret_cast<LPARAM>(&entry));
}

}  // namespace

void SetUpEventLog(Dialog& dialog) {
    EventLog.AttachDlgItem(dialog.GetHandle(), IDC_EVENT_LOG);
    EventLog.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);

    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = 112;
    column.pszText = const_cast<char*>("");
    column.iSubItem = 0;
    EventLog.InsertColumn(&column);
    column.cx = 256;
    column.iSubItem = 1;
    EventLog.InsertColumn(&column);

    HWND window = EventLog.GetHandle();
    listViewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogWindowProc)));
    logWindow = window;
}

int AddLogEntry(const char* text, int mode) {
    Send(Entry{text, mode, 0});
    return 1;
}

int AddLogEntryInRow(const char* text, int mode, unsigned mark) {
    Send(Entry{text, mode, mark});
    return 1;
}
