// The program's entry: load the dialog's position, run the dialog, save the position.
#include <windows.h>

#include "main_dialog.h"
#include "resource.h"
#include "settings.h"

// DLLs loaded from now on come from the system folder only, never from the exe's folder, where
// anything may have been unpacked beside it. Bound, since older systems lack the call.
static void LoadLaterDllsFromTheSystemFolderOnly() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    auto restrictLoads = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (restrictLoads) restrictLoads(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

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
