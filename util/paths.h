// Paths: the executable's directory and the directory part of a path.
#pragma once

#include <windows.h>

// The executable's directory without a trailing backslash; its length, or 0 with the buffer
// untouched when the path cannot be had whole or does not fit.
int GetModuleDirectory(char* buffer, unsigned capacity);
// What stands before the path's last backslash, found by a Shift-JIS aware scan; its length, or
// 0 with the buffer untouched when there is no such directory or it does not fit.
int ExtractDirectory(const char* path, char* buffer, unsigned capacity);

// A Shift-JIS lead byte: the byte after it belongs to the same character.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
