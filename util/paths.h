// Paths: the executable's directory, special folders, the folder-browse dialog, trailing
// backslashes and file counts.
#pragma once

#include <windows.h>
#include <shlobj.h>

// The executable's directory without a trailing backslash, found by the lead bytes of the
// system's ANSI code page; its length, or 0 with the buffer untouched when the path cannot be
// had whole (359 bytes or more) or does not fit.
int GetModuleDirectory(char* buffer, unsigned capacity);
// What stands before the path's last backslash, found by a Shift-JIS aware scan; its length, or
// 0 with the buffer untouched when there is no such directory or it does not fit.
int ExtractDirectory(const char* path, char* buffer, unsigned capacity);

// A Shift-JIS lead byte: the byte after it belongs to the same character.
inline bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Special folders

struct SpecialFolderEntry {
    const char* name;
    int id;
};

// The platform's folders in ascending order of identifier: FOLDER(id, name after "CSIDL_",
// accessor word) for those with an accessor Get<word>Path, FOLDER_WITHOUT_ACCESSOR(id, name)
// for those reached only by identifier or name. The values are the platform's own; the headers
// have since made CSIDL_MYDOCUMENTS an alias of CSIDL_PERSONAL, so they are written out here.
#define QM_SPECIAL_FOLDERS(FOLDER, FOLDER_WITHOUT_ACCESSOR)     \
    FOLDER(0, DESKTOP, Desktop)                                 \
    FOLDER(1, INTERNET, Internet)                               \
    FOLDER(2, PROGRAMS, Programs)                               \
    FOLDER(3, CONTROLS, Controls)                               \
    FOLDER(4, PRINTERS, Printers)                               \
    FOLDER(5, PERSONAL, Personal)                               \
    FOLDER(6, FAVORITES, Favorites)                             \
    FOLDER(7, STARTUP, Startup)                                 \
    FOLDER(8, RECENT, Recent)                                   \
    FOLDER(9, SENDTO, Sendto)                                   \
    FOLDER(10, BITBUCKET, Bitbucket)                            \
    FOLDER(11, STARTMENU, Startmenu)                            \
    FOLDER_WITHOUT_ACCESSOR(12, MYDOCUMENTS)                    \
    FOLDER_WITHOUT_ACCESSOR(13, MYMUSIC)                        \
    FOLDER_WITHOUT_ACCESSOR(14, MYVIDEO)                        \
    FOLDER(16, DESKTOPDIRECTORY, Desktopdirectory)              \
    FOLDER(17, DRIVES, Drives)                                  \
    FOLDER(18, NETWORK, Network)                                \
    FOLDER(19, NETHOOD, Nethood)                                \
    FOLDER(20, FONTS, Fonts)                                    \
    FOLDER(21, TEMPLATES, Templates)                            \
    FOLDER(22, COMMON_STARTMENU, CommonStartmenu)               \
    FOLDER(23, COMMON_PROGRAMS, CommonPrograms)                 \
    FOLDER(24, COMMON_STARTUP, CommonStartup)                   \
    FOLDER(25, COMMON_DESKTOPDIRECTORY, CommonDesktopdirectory) \
    FOLDER(26, APPDATA, Appdata)                                \
    FOLDER(27, PRINTHOOD, Printhood)                            \
    FOLDER_WITHOUT_ACCESSOR(28, LOCAL_APPDATA)                  \
    FOLDER(29, ALTSTARTUP, Altstartup)                          \
    FOLDER(30, COMMON_ALTSTARTUP, CommonAltstartup)             \
    FOLDER(31, COMMON_FAVORITES, CommonFavorites)               \
    FOLDER(32, INTERNET_CACHE, InternetCache)                   \
    FOLDER(33, COOKIES, Cookies)                                \
    FOLDER(34, HISTORY, History)                                \
    FOLDER(35, COMMON_APPDATA, CommonAppdata)                   \
    FOLDER(36, WINDOWS, Windows)                                \
    FOLDER(37, SYSTEM, System)                                  \
    FOLDER(38, PROGRAM_FILES, ProgramFiles)                     \
    FOLDER(39, MYPICTURES, Mypictures)                          \
    FOLDER(40, PROFILE, Profile)                                \
    FOLDER(41, SYSTEMX86, Systemx86)                            \
    FOLDER(42, PROGRAM_FILESX86, ProgramFilesx86)               \
    FOLDER(43, PROGRAM_FILES_COMMON, ProgramFilesCommon)        \
    FOLDER(44, PROGRAM_FILES_COMMONX86, ProgramFilesCommonx86)  \
    FOLDER(45, COMMON_TEMPLATES, CommonTemplates)               \
    FOLDER(46, COMMON_DOCUMENTS, CommonDocuments)               \
    FOLDER(47, COMMON_ADMINTOOLS, CommonAdmintools)             \
    FOLDER(48, ADMINTOOLS, Admintools)                          \
    FOLDER(49, CONNECTIONS, Connections)                        \
    FOLDER(53, COMMON_MUSIC, CommonMusic)                       \
    FOLDER(54, COMMON_PICTURES, CommonPictures)                 \
    FOLDER(55, COMMON_VIDEO, CommonVideo)                       \
    FOLDER(56, RESOURCES, Resources)                            \
    FOLDER(57, RESOURCES_LOCALIZED, ResourcesLocalized)         \
    FOLDER(58, COMMON_OEM_LINKS, CommonOemLinks)                \
    FOLDER(59, CDBURN_AREA, CdburnArea)                         \
    FOLDER(61, COMPUTERSNEARME, Computersnearme)

// The program's own folder: the directory of the running executable.
const int kApplicationPathId = 128;

// Every folder of the list, then "APPLICATION_PATH" (128).
extern const SpecialFolderEntry SpecialFolderTable[58];

// 0 without touching the buffer when capacity is below 260; otherwise non-zero when the folder's
// path was written.
int GetSpecialFolderPath(HWND owner, int id, char* path, unsigned capacity);
// As GetSpecialFolderPath for the row of that exact name (case-sensitive, "CSIDL_" included);
// 0 for a name not in the table.
int GetSpecialFolderPathByName(HWND owner, const char* name, char* path, unsigned capacity);

#define QM_DECLARE_ACCESSOR(id, name, word) \
    int Get##word##Path(HWND owner, char* path, unsigned capacity);
#define QM_NO_ACCESSOR(id, name)
QM_SPECIAL_FOLDERS(QM_DECLARE_ACCESSOR, QM_NO_ACCESSOR)
#undef QM_DECLARE_ACCESSOR
#undef QM_NO_ACCESSOR

// Folder browsing

// 1 when a folder was chosen and its path copied; 0 with the buffer untouched when the dialog
// was cancelled, the choice has no file-system path or the path does not fit.
int BrowseForFolder(HWND owner, const char* title, char* path, unsigned capacity);

// The shell calls of BrowseForFolder, so that tests can answer the dialog in place of a person.
// The program never changes it.
struct ShellBrowseApi {
    PIDLIST_ABSOLUTE(WINAPI* SHBrowseForFolderA)(BROWSEINFOA* info);
    BOOL(WINAPI* SHGetPathFromIDListA)(PCIDLIST_ABSOLUTE list, char* path);
    void(WINAPI* CoTaskMemFree)(void* block);
};

extern ShellBrowseApi ShellBrowseCalls;

// Path helpers

// Removes one final backslash that is a character of its own, never the second byte of a
// double-byte character of the system's ANSI code page; 1 when one was removed.
int RemoveTrailingBackslash(char* path);
// Files under a directory given with or without a trailing backslash; 0 for a path of 260 bytes
// or more, which the platform's 8-bit search calls cannot take.
int CountFiles(const char* path, int recurse);
// Files in a directory given without a trailing backslash, and with recurse in all directories
// below it except those that are reparse points (junctions, directory links), which may lead back
// into the tree. A path that would not fit the 1024-byte search buffer contributes 0.
int CountFilesInDirectory(const char* dir, int recurse);
