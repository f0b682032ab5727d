// List-view operations that build a record of their own.
#include "list_view.h"

HWND ListView::Create(DWORD exStyle, DWORD style, int x, int y, int width, int height,
                      const char* windowName, HWND parent) {
    owner = parent;
    LoadCommonControls();
    handle = CreateWindowExA(exStyle, WC_LISTVIEWA, windowName, style, x, y, width, height, parent,
                             nullptr, nullptr, nullptr);
    ::ShowWindow(handle, SW_SHOW);
    ::UpdateWindow(handle);
    return handle;
}

HINSTANCE ListView::Attach(HWND owner, HWND window) {
    this->owner = owner;
    handle = window;
    instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    return instance;
}

void ListView::AttachDlgItem(HWND dialog, int controlId) {
    this->controlId = controlId;
    Attach(dialog, ::GetDlgItem(dialog, controlId));
}

void ListView::AddExtendedStyle(DWORD bits) {
    DWORD current = Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | bits);
}

int ListView::GetItemText(int item, int subItem, char* buffer, int capacity) const {
    // Members the message does not read are cleared rather than left as the stack held them.
    LVITEMA record = {};
    record.iSubItem = subItem;
    record.pszText = buffer;
    record.cchTextMax = LOWORD(capacity);
    return Send(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&record));
}

int ListView::SetSelected(int item, UINT state) {
    LVITEMA record = {};
    record.stateMask = LVIS_SELECTED;
    record.state = state;
    Send(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&record));
    return 1;
}
