#include "files.h"

#include <windows.h>

#include <fstream>
#include <sstream>

TempDirectory::TempDirectory() {
    static LONG counter = 0;
    char base[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof base, base);
    do
        wsprintfA(name, "%sqm-%lu-%ld", base, GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
    while (!CreateDirectoryA(name, nullptr));
    path = name;
}

// Links are removed, never followed: a link may point back up the tree.
static void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry)) {
        std::string name = entry.cFileName, full = directory + "\\" + name;
        DWORD kind =
            entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
        if (name == "." || name == "..") continue;
        if (kind == FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(full);
        else if (!RemoveDirectoryA(full.c_str()) &&
                 SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL))
            DeleteFileA(full.c_str());
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    RemoveDirectoryA(directory.c_str());
}

TempDirectory::~TempDirectory() { RemoveTree(path); }

std::string ReadFile(const std::string& path) {
    std::stringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string TestDirectory() {
    char path[MAX_PATH];
    std::string text(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return text.substr(0, text.find_last_of('\\'));
}

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), text.size(), &wide[0], text.size()));
    return wide;
}
