// Running dialogs and the cache of control wrappers.
#include "dialog.h"

#include <new>

Dialog::~Dialog() {
    ClearControls();
    DestroyWindow();
}

void Dialog::Prepare(HINSTANCE instance, HWND owner, DLGPROC procedure, int userValue) {
    ClearControls();
    dialogProc = procedure;
    this->instance = instance;
    this->owner = owner;
    this->userValue = userValue;
}

INT_PTR Dialog::DialogBox(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure) {
    return DialogBoxParam(templateId, instance, owner, procedure, 0);
}

HWND Dialog::CreateDialog(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure) {
    return CreateDialogParam(templateId, instance, owner, procedure, 0);
}

INT_PTR Dialog::DialogBoxParam(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure,
                               int userValue) {
    Prepare(instance, owner, procedure, userValue);
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(LOWORD(templateId)), owner,
                             InitialDialogProc, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateDialogParam(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure,
                               int userValue) {
    Prepare(instance, owner, procedure, userValue);
    return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(LOWORD(templateId)), owner,
                                InitialDialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::InitialDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message != WM_INITDIALOG) return 0;
    Dialog* dialog = reinterpret_cast<Dialog*>(lParam);
    // Only a run passes the creation parameter; a stray WM_INITDIALOG carries no Dialog.
    if (!dialog) return 0;
    dialog->handle = window;
    SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(dialog->dialogProc));
    // Without a procedure of the caller's the dialog is left to the default dialog handling.
    if (!dialog->dialogProc) return 0;
    return dialog->dialogProc(window, WM_INITDIALOG, wParam, lParam);
}

Window* Dialog::GetControl(unsigned controlId) {
    auto found = controls.find(controlId);
    if (found != controls.end()) return found->second;
    Window* control = new (std::nothrow) Window(::GetDlgItem(handle, controlId));
    if (!control) return nullptr;
    // The map's own node may fail to allocate too; nothing here may throw into the platform.
    try {
        controls.emplace(controlId, control);
    } catch (const std::bad_alloc&) {
        delete control;
        return nullptr;
    }
    return control;
}

void Dialog::ClearControls() {
    for (auto& entry : controls)
        delete entry.second;
    controls.clear();
}
