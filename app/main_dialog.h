// The main dialog: template 101 run modally, and its dialog procedure.
#pragma once

#include "dialog.h"

extern Dialog MainDialog;
// The dialog that came with WM_INITDIALOG; every handler works on it.
extern Dialog* ActiveDialog;

extern const char kMainCaption[];

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int OnInitDialog(Dialog& dialog, WPARAM wParam, LPARAM lParam);
int OnClose(Dialog& dialog, WPARAM wParam, LPARAM lParam);
// 1 for the two buttons, 0 for every other control.
int OnCommand(Dialog& dialog, WPARAM wParam, LPARAM lParam);
// 1 when the session really ends (wParam non-zero), after writing the settings file, or when an
// installer asks the program to close (ENDSESSION_CLOSEAPP), after ending the dialog; else 0.
int OnEndSession(Dialog& dialog, WPARAM wParam, LPARAM lParam);
int SavePositionAndEnd(Dialog& dialog, INT_PTR result);
// The dialog's normal position, so a minimised dialog gives where it stood before, into
// SavedWindowPosition, in screen coordinates as SetWindowPos takes them.
void StorePosition(Dialog& dialog);
// The top-left of the placement's normal rectangle on the screen. The platform gives that
// rectangle in workspace coordinates: from the corner of the work area of the window's monitor,
// which lies beside a taskbar docked at the left or top.
POINT NormalPositionOnScreen(const WINDOWPLACEMENT& placement, const MONITORINFO& monitor);
