// The one setting the program keeps: where its dialog stood, in an INI file beside the exe.
#pragma once

struct WindowPosition {
    WindowPosition() : x(16), y(16) {}

    int x;
    int y;
};

extern WindowPosition SavedWindowPosition;

extern const char kSettingsFileName[];

// Missing keys leave the fields as they are. Both always answer 1.
int LoadSettings(const char* path, WindowPosition& position);
int SaveSettings(const char* path, const WindowPosition& position);
