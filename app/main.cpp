// The program's entry: load the dialog's position, run the dialog, save the position.
#include <windows.h>

#include "main_dialog.h"
#include "paths.h"
#include "resource.h"
#include "settings.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char directory[1024];
    char path[1024];
    // Without a whole directory there is no settings file: the dialog runs at the defaults and
    // nothing is written to a path that might name some other file.
    bool haveSettings = GetModuleDirectory(directory, sizeof directory) > 0;
    if (haveSettings) {
        wsprintfA(path, "%s\\%s", directory, kSettingsFileName);
        LoadSettings(path, SavedWindowPosition);
    }
    INT_PTR result = MainDialog.DialogBox(IDD_MAIN, instance, nullptr, MainDialogProc);
    if (haveSettings) SaveSettings(path, SavedWindowPosition);
    return static_cast<int>(result);
}
