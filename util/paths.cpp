// Directory helpers over Shift-JIS paths, and over the system's own.
#include "paths.h"

namespace {

// The paths the system hands out are in its ANSI code page, which is not 932 on every machine.
bool IsSystemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

int ExtractDirectoryWith(bool (*isLeadByte)(unsigned char), const char* path, char* buffer,
                         unsigned capacity) {
    int n = lstrlenA(path);
    if (n <= 0) return 0;
    int last = 0;
    for (int i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c == '\\') last = i;
        i += isLeadByte(c) ? 2 : 1;
    }
    if (last == 0) return 0;
    if (static_cast<unsigned>(last) >= capacity) return 0;
    CopyMemory(buffer, path, last);
    buffer[last] = '\0';
    return last;
}

}  // namespace

int GetModuleDirectory(char* buffer, unsigned capacity) {
    char modulePath[360];
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    // A path cut short would name some other folder. A cut one fills the buffer, or all but its
    // last byte when the next character has two; so 359 bytes may be a cut path, too.
    if (length == 0 || length >= sizeof modulePath - 1) return 0;
    return ExtractDirectoryWith(IsSystemLeadByte, modulePath, buffer, capacity);
}

int ExtractDirectory(const char* path, char* buffer, unsigned capacity) {
    return ExtractDirectoryWith(IsLeadByte, path, buffer, capacity);
}

// Special folders

#define QM_TABLE_ROW(id, name, ...) {"CSIDL_" #name, id},
const SpecialFolderEntry SpecialFolderTable[58] = {
    QM_SPECIAL_FOLDERS(QM_TABLE_ROW, QM_TABLE_ROW)  // then the program's own
    {"APPLICATION_PATH", kApplicationPathId},
};
#undef QM_TABLE_ROW

// A row missing from the list would otherwise leave a zero row at the end of the table.
#define QM_ONE_ROW(...) +1
static_assert(QM_SPECIAL_FOLDERS(QM_ONE_ROW, QM_ONE_ROW) + 1 == 58, "58 rows");
#undef QM_ONE_ROW

int GetSpecialFolderPath(HWND owner, int id, char* path, unsigned capacity) {
    if (capacity < MAX_PATH) return 0;
    if (id == kApplicationPathId) return GetModuleDirectory(path, capacity) > 0 ? 1 : 0;
    return SHGetSpecialFolderPathA(owner, path, id, FALSE);
}

int GetSpecialFolderPathByName(HWND owner, const char* name, char* path, unsigned capacity) {
    for (const SpecialFolderEntry& row : SpecialFolderTable) {
        if (lstrcmpA(name, row.name) == 0) {
            return GetSpecialFolderPath(owner, row.id, path, capacity);
        }
    }
    return 0;
}

#define QM_DEFINE_ACCESSOR(id, name, word)                           \
    int Get##word##Path(HWND owner, char* path, unsigned capacity) { \
        return GetSpecialFolderPath(owner, id, path, capacity);      \
    }
#define QM_NO_ACCESSOR(id, name)
QM_SPECIAL_FOLDERS(QM_DEFINE_ACCESSOR, QM_NO_ACCESSOR)
#undef QM_DEFINE_ACCESSOR
#undef QM_NO_ACCESSOR

// Folder browsing

// Built with the other seam tables before any other global, so that a test's own initialisation
// could already replace entries.
ShellBrowseApi ShellBrowseCalls __attribute__((init_priority(1000))) = {
    ::SHBrowseForFolderA,
    ::SHGetPathFromIDListA,
    ::CoTaskMemFree,
};

int BrowseForFolder(HWND owner, const char* title, char* path, unsigned capacity) {
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE list = ShellBrowseCalls.SHBrowseForFolderA(&info);
    if (!list) return 0;
    char chosen[1024] = "";
    BOOL converted = ShellBrowseCalls.SHGetPathFromIDListA(list, chosen);
    ShellBrowseCalls.CoTaskMemFree(list);
    // A choice without a file-system path leaves nothing to hand back.
    if (!converted || chosen[0] == '\0') return 0;
    int length = lstrlenA(chosen);
    if (static_cast<unsigned>(length) >= capacity) return 0;
    CopyMemory(path, chosen, length + 1);
    return 1;
}

// Path helpers

int RemoveTrailingBackslash(char* path) {
    for (int i = 0; path[i] != '\0';) {
        if (IsSystemLeadByte(static_cast<unsigned char>(path[i]))) {
            // A lead byte standing last has no second byte to step over.
            if (path[i + 1] == '\0') return 0;
            i += 2;
        } else if (path[i + 1] == '\0') {
            if (path[i] != '\\') return 0;
            path[i] = '\0';
            return 1;
        } else {
            ++i;
        }
    }
    return 0;
}

int CountFiles(const char* path, int recurse) {
    char copy[MAX_PATH];
    int length = lstrlenA(path);
    if (length >= static_cast<int>(sizeof copy)) return 0;
    CopyMemory(copy, path, length + 1);
    RemoveTrailingBackslash(copy);
    return CountFilesInDirectory(copy, recurse);
}

int CountFilesInDirectory(const char* dir, int recurse) {
    char buffer[1024];
    // wsprintfA cuts its output at 1024 bytes: a cut path would name some other folder.
    const int room = sizeof buffer - 1;
    int dirLength = lstrlenA(dir);
    if (dirLength + 2 > room) return 0;
    wsprintfA(buffer, "%s\\*", dir);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(buffer, &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++count;
        } else if (recurse &&
                   // A junction or directory link may lead back up the tree: never followed.
                   !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                   lstrcmpA(entry.cFileName, ".") != 0 && lstrcmpA(entry.cFileName, "..") != 0 &&
                   dirLength + 1 + lstrlenA(entry.cFileName) <= room) {
            wsprintfA(buffer, "%s\\%s", dir, entry.cFileName);
            count += CountFilesInDirectory(buffer, recurse);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}
