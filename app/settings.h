// The one setting the program keeps: where its dialog stood, in an INI file beside the exe.
#pragma once

struct WindowPosition {
    WindowPosition() : x(16), y(16) {}

    int x;
    int y;
};

extern WindowPosition SavedWindowPosition;

// The settings file beside the exe, set once by FindSettingsFile: empty until then, and empty for
// good when the exe's directory cannot be read whole.
extern char SettingsPath[1024];
// 1 when SettingsPath names the file, 0 when there is none to use.
int FindSettingsFile();

// Missing keys leave the fields as they are. Both always answer 1.
int LoadSettings(const char* path, WindowPosition& position);
int SaveSettings(const char* path, const WindowPosition& position);

// SavedWindowPosition into the settings file, at most once in the process's life: when the
// dialog has ended or when the session ends, whichever comes first. 1 when it was written now.
int WriteSettingsFileOnce();
