// The main dialog's procedure and handlers.
#include "main_dialog.h"

#include "event_log.h"
#include "monitor.h"
#include "power.h"
#include "resource.h"
#include "settings.h"
#include "version.h"

// Third of the program's globals.
Dialog MainDialog __attribute__((init_priority(1003)));
Dialog* ActiveDialog = nullptr;

const char kMainCaption[] = "Quillomaticモニター Ver." QM_VERSION_TEXT;

INT_PTR CALLBACK MainDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            return OnClose(*ActiveDialog, wParam, lParam);
        case WM_INITDIALOG:
            ActiveDialog = reinterpret_cast<Dialog*>(lParam);
            return OnInitDialog(*ActiveDialog, wParam, lParam);
        case WM_COMMAND:
            return OnCommand(*ActiveDialog, wParam, lParam);
        case WM_POWERBROADCAST:
            return OnPowerBroadcast(*ActiveDialog, wParam, lParam);
        case WM_ENDSESSION:
            return OnEndSession(*ActiveDialog, wParam, lParam);
        default:
            return 0;
    }
}

int OnInitDialog(Dialog& dialog, WPARAM, LPARAM) {
    dialog.LoadIcons(IDI_MAIN, 0);
    dialog.SetWindowText(kMainCaption);
    dialog.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    dialog.SetWindowPos(HWND_TOP, SavedWindowPosition.x, SavedWindowPosition.y, 0, 0, SWP_NOSIZE);
    SetUpEventLog(dialog);
    SetMonitoring(dialog, 1);
    return 1;
}

int OnClose(Dialog& dialog, WPARAM, LPARAM) { return SavePositionAndEnd(dialog, 2); }

int SavePositionAndEnd(Dialog& dialog, INT_PTR result) {
    StorePosition(dialog);
    dialog.EndDialog(result);
    return 1;
}

void StorePosition(Dialog& dialog) {
    WINDOWPLACEMENT placement = {};
    dialog.GetWindowPlacement(&placement);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(dialog.GetHandle(), MONITOR_DEFAULTTONEAREST), &monitor);
    POINT corner = NormalPositionOnScreen(placement, monitor);
    SavedWindowPosition.x = corner.x;
    SavedWindowPosition.y = corner.y;
}

POINT NormalPositionOnScreen(const WINDOWPLACEMENT& placement, const MONITORINFO& monitor) {
    return {placement.rcNormalPosition.left + monitor.rcWork.left - monitor.rcMonitor.left,
            placement.rcNormalPosition.top + monitor.rcWork.top - monitor.rcMonitor.top};
}

// A log-off, shutdown or restart sends no WM_CLOSE, and once this returns the process may be
// ended at any moment: the position is written now, as a close would have it. Monitoring goes on
// until then. An installer that must replace a file in use asks with ENDSESSION_CLOSEAPP, and
// nothing ends the process after that: the dialog closes as at WM_CLOSE. The message's own
// result stays 0, as the platform asks of a handled one.
int OnEndSession(Dialog& dialog, WPARAM wParam, LPARAM lParam) {
    if (!wParam) return 0;  // another program refused, and the session goes on
    if (lParam & ENDSESSION_CLOSEAPP) return SavePositionAndEnd(dialog, 2);
    StorePosition(dialog);
    WriteSettingsFileOnce();
    return 1;
}

int OnCommand(Dialog& dialog, WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
        case IDC_MONITOR_TOGGLE:
            SetMonitoring(dialog, MonitorState.enabled ? 0 : 1);
            return 1;
        case IDC_HIBERNATE:
            // The call returns once the machine has woken, and this thread was too busy to take
            // the resume broadcast: a countdown that was pending then is over as after one.
            if (HibernateNow()) MonitorState.standbyPending = 0;
            return 1;
        default:
            return 0;
    }
}
