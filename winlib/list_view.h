// ListView: a list-view control made or attached, with the list-view messages as operations.
#pragma once

#include "window.h"

class ListView : public Window {
public:
    ListView() : controlId(0) {}
    explicit ListView(HWND window) : Window(window), controlId(0) {}

    HWND Create(DWORD exStyle, DWORD style, int x, int y, int width, int height,
                const char* windowName, HWND parent);
    // Returns the control's module instance, which is also kept.
    HINSTANCE Attach(HWND owner, HWND window);
    void AttachDlgItem(HWND dialog, int controlId);
    // Adds bits to the extended style; none already set is cleared.
    void AddExtendedStyle(DWORD bits);

    int GetControlId() const { return controlId; }

    BOOL DeleteColumn(int column) { return Send(LVM_DELETECOLUMN, column, 0); }
    // The record's own sub-item number is the position of the new column; a null record goes
    // to the control as position 0, for it to refuse.
    int InsertColumn(const LVCOLUMNA* column) {
        return Send(LVM_INSERTCOLUMNA, column ? column->iSubItem : 0,
                    reinterpret_cast<LPARAM>(column));
    }
    int InsertItem(const LVITEMA* item) {
        return Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item));
    }
    BOOL DeleteAllItems() { return Send(LVM_DELETEALLITEMS, 0, 0); }
    BOOL GetItem(LVITEMA* item) const {
        return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item));
    }
    BOOL SetItem(const LVITEMA* item) {
        return Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item));
    }
    // The platform's order: the sort value goes in wParam, the function in lParam.
    BOOL SortItems(PFNLVCOMPARE compare, LPARAM sortValue) {
        return Send(LVM_SORTITEMS, sortValue, reinterpret_cast<LPARAM>(compare));
    }
    int FindItem(int start, const LVFINDINFOA* find) const {
        return Send(LVM_FINDITEMA, start, reinterpret_cast<LPARAM>(find));
    }
    // The control is told only the low 16 bits of the capacity.
    int GetItemText(int item, int subItem, char* buffer, int capacity) const;
    int GetNextItem(int start, UINT flags) const {
        return Send(LVM_GETNEXTITEM, start, LOWORD(flags));
    }
    int GetColumnWidth(int column) const { return Send(LVM_GETCOLUMNWIDTH, column, 0); }
    BOOL DeleteItem(int item) { return Send(LVM_DELETEITEM, item, 0); }
    // The platform's order: the type goes in wParam, the list in lParam.
    HIMAGELIST SetImageList(HIMAGELIST list, int type) {
        return reinterpret_cast<HIMAGELIST>(
            ::SendMessageA(handle, LVM_SETIMAGELIST, type, reinterpret_cast<LPARAM>(list)));
    }
    BOOL Scroll(int dx, int dy) { return Send(LVM_SCROLL, dx, dy); }
    // Both answer 1 whatever the control did; item -1 addresses every item.
    int SelectItem(int item) { return SetSelected(item, LVIS_SELECTED); }
    int DeselectItem(int item) { return SetSelected(item, 0); }

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return static_cast<int>(::SendMessageA(handle, message, wParam, lParam));
    }
    int SetSelected(int item, UINT state);

    int controlId;
};
