// Finding, loading and saving the dialog's position.
#include "settings.h"

#include <windows.h>

#include <stdlib.h>

#include "paths.h"

// Second of the program's globals, after the event log's list view.
WindowPosition SavedWindowPosition __attribute__((init_priority(1002)));

char SettingsPath[1024];

int FindSettingsFile() {
    // Without a whole directory there is no settings file: the dialog runs at the defaults and
    // nothing is written to a path that might name some other file.
    char directory[1024];
    if (GetModuleDirectory(directory, sizeof directory) == 0) return 0;
    wsprintfA(SettingsPath, "%s\\%s", directory, "QuillomaticMonitor.ini");
    return 1;
}

int LoadSettings(const char* path, WindowPosition& position) {
    position.x = GetPrivateProfileIntA("General", "WindowPosX", position.x, path);
    position.y = GetPrivateProfileIntA("General", "WindowPosY", position.y, path);
    return 1;
}

int SaveSettings(const char* path, const WindowPosition& position) {
    char text[1024];
    _itoa(position.x, text, 10);
    WritePrivateProfileStringA("General", "WindowPosX", text, path);
    _itoa(position.y, text, 10);
    WritePrivateProfileStringA("General", "WindowPosY", text, path);
    return 1;
}

// Once the session ends the process may be ended at any moment, also in the middle of a second
// write, which would leave a file cut short instead of the one already written.
int WriteSettingsFileOnce() {
    static bool written = false;
    if (written || !SettingsPath[0]) return 0;
    written = true;
    return SaveSettings(SettingsPath, SavedWindowPosition);
}
