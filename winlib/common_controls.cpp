// The common controls, loaded from the system folder at run time instead of imported, and the
// restriction of later loads to that folder.
#include "window.h"

#include <atomic>

namespace {

typedef void(WINAPI* InitCommonControlsProc)();

// By full path: the loader looks for an imported DLL that is not one of the system's known DLLs
// beside the exe first, and would run whatever comctl32.dll was left there. Its own imports are
// looked for in its folder, not the exe's. The library stays loaded for the life of the process.
InitCommonControlsProc Bind() {
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    lstrcpyA(path + length, "\\comctl32.dll");
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return nullptr;
    return reinterpret_cast<InitCommonControlsProc>(
        reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControls")));
}

}  // namespace

int LoadLaterDllsFromTheSystemFolderOnly() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    auto restrictLoads = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    return restrictLoads && restrictLoads(LOAD_LIBRARY_SEARCH_SYSTEM32) ? 1 : 0;
}

int LoadCommonControls() {
    // Two threads may both bind at first; each load only takes one more reference.
    static std::atomic<InitCommonControlsProc> bound{nullptr};
    InitCommonControlsProc init = bound;
    if (!init) bound = init = Bind();
    if (!init) return 0;
    init();
    return 1;
}
