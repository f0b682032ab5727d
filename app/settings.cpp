// Loading and saving the dialog's position.
#include "settings.h"

#include <windows.h>

#include <stdlib.h>

// Second of the program's globals, after the event log's list view.
WindowPosition SavedWindowPosition __attribute__((init_priority(1002)));

const char kSettingsFileName[] = "QuillomaticMonitor.ini";

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
