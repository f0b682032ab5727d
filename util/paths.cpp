// Directory helpers over Shift-JIS paths.
#include "paths.h"

int GetModuleDirectory(char* buffer, unsigned capacity) {
    char modulePath[360];
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    // A path that fills the buffer was cut short: its directory would name some other folder.
    if (length == 0 || length >= sizeof modulePath) return 0;
    return ExtractDirectory(modulePath, buffer, capacity);
}

int ExtractDirectory(const char* path, char* buffer, unsigned capacity) {
    int n = lstrlenA(path);
    if (n <= 0) return 0;
    int last = 0;
    for (int i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c == '\\') last = i;
        i += IsLeadByte(c) ? 2 : 1;
    }
    if (last == 0) return 0;
    if (static_cast<unsigned>(last) >= capacity) return 0;
    CopyMemory(buffer, path, last);
    buffer[last] = '\0';
    return last;
}
