// The program's entry: load the dialog's position, run the dialog, save the position.
#include <windows.h>

#include "main_dialog.h"
#include "resource.h"
#include "settings.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    LoadLaterDllsFromTheSystemFolderOnly();
    if (FindSettingsFile()) LoadSettings(SettingsPath, SavedWindowPosition);
    // Without the list view's class the dialog cannot be created.
    INT_PTR result = LoadCommonControls()
                         ? MainDialog.DialogBox(IDD_MAIN, instance, nullptr, MainDialogProc)
                         : -1;
    WriteSettingsFileOnce();
    return static_cast<int>(result);
}
