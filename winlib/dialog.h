// Dialog: runs a dialog template with the caller's procedure and hands out control wrappers.
#pragma once

#include <map>

#include "window.h"

class Dialog : public LayeredWindow {
public:
    Dialog() : userValue(0), dialogProc(nullptr) {}
    explicit Dialog(HWND window) : LayeredWindow(window), userValue(0), dialogProc(nullptr) {}
    // Deletes the control wrappers and destroys the dialog window if one is still wrapped.
    ~Dialog();

    // Only the low 16 bits of the template ID name the template. The procedure's first message
    // is WM_INITDIALOG with this object's address in lParam.
    INT_PTR DialogBox(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure);
    HWND CreateDialog(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure);
    INT_PTR DialogBoxParam(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure,
                           int userValue);
    HWND CreateDialogParam(int templateId, HINSTANCE instance, HWND owner, DLGPROC procedure,
                           int userValue);

    int GetUserValue() const { return userValue; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(handle, id); }
    BOOL EndDialog(INT_PTR result) { return ::EndDialog(handle, result); }
    BOOL SetDlgItemText(int id, const char* text) {
        return ::SetWindowTextA(::GetDlgItem(handle, id), text);
    }
    int GetDlgItemText(int id, char* buffer, int capacity) const {
        return ::GetWindowTextA(::GetDlgItem(handle, id), buffer, capacity);
    }
    BOOL EnableDlgItem(int id, BOOL enable) {
        return ::EnableWindow(::GetDlgItem(handle, id), enable);
    }

    // The same wrapper for the same ID until the next run; owned by the dialog. An ID without a
    // control gets a wrapper of a null handle. Null only when no memory is left for a wrapper.
    Window* GetControl(unsigned controlId);
    void ClearControls();

    // Given to the platform by every run: answers 0 until WM_INITDIALOG, then installs the
    // caller's procedure as the dialog's own and lets it handle WM_INITDIALOG.
    static INT_PTR CALLBACK InitialDialogProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam);

private:
    void Prepare(HINSTANCE instance, HWND owner, DLGPROC procedure, int userValue);

    int userValue;
    DLGPROC dialogProc;
    std::map<unsigned, Window*> controls;
};
