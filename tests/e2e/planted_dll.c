/* A comctl32.dll of the test's own, left beside the program as another download might leave one:
   loaded, it leaves "planted-dll-ran" in its folder. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void* reserved) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH) return TRUE;
    while (length && path[length - 1] != '\\')
        --length;
    lstrcpynA(path + length, "planted-dll-ran", MAX_PATH - length);
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}

void WINAPI InitCommonControls(void) {}
