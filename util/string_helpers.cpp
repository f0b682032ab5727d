// String helpers over NUL-terminated Shift-JIS texts.
#include "string_helpers.h"

#include <windows.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "paths.h"

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

char* ToLowerCopy(const char* source, char* destination) {
    int length = lstrlenA(source);
    destination[0] = '\0';
    int i = 0;
    while (i < length) {
        destination[i] = ToLowerAscii(source[i]);
        if (IsLeadByte(static_cast<unsigned char>(source[i])) && i + 1 < length) {
            destination[i + 1] = source[i + 1];
            i += 2;
        } else {
            ++i;
        }
    }
    destination[i] = '\0';
    return destination;
}

char* ToLowerInPlace(char* text) {
    for (int i = 0; text[i] != '\0';) {
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') {
            i += 2;
        } else {
            text[i] = ToLowerAscii(text[i]);
            ++i;
        }
    }
    return text;
}

int AssignOwnedString(char** slot, const char* source) {
    // The copy is made before the old text goes, so that a source inside it stays readable.
    int size = lstrlenA(source) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy) CopyMemory(copy, source, size);
    free(*slot);
    *slot = copy;
    return copy ? 1 : 0;
}

int CompareText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<signed char>(*a) - static_cast<signed char>(*b);
}

int StripTrailingNewline(char* text) {
    int length = lstrlenA(text);
    if (length == 0 || text[length - 1] != '\n') return 0;
    text[length - 1] = '\0';
    return 1;
}

char* RemoveCharAt(char* text, int position) {
    int length = lstrlenA(text);
    if (position < 0 || position >= length) return text;
    MoveMemory(text + position, text + position + 1, length - position);
    return text;
}

int RemoveAllChars(char* text, char c) {
    int count = 0;
    for (int i = 0; text[i] != '\0';) {
        if (text[i] == c) {
            RemoveCharAt(text, i);
            ++count;
        } else {
            ++i;
        }
    }
    return count;
}

int ReplaceChar(char* text, char from, char to) {
    int length = lstrlenA(text);
    int count = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == from) {
            text[i] = to;
            ++count;
        }
    }
    return count;
}

char LastChar(const char* text) {
    int length = lstrlenA(text);
    return length > 0 ? text[length - 1] : '\0';
}

char ChopLastChar(char* text) {
    int length = lstrlenA(text);
    if (length == 0) return '\0';
    char last = text[length - 1];
    text[length - 1] = '\0';
    return last;
}

char* GroupDigits(const char* source, char* output, unsigned short capacity, unsigned groupSize) {
    unsigned length = lstrlenA(source);
    unsigned separators = length > 0 && groupSize > 0 ? (length - 1) / groupSize : 0;
    // Also the empty result needs room for its terminator.
    if (length + separators >= capacity) return nullptr;
    char* out = output;
    for (unsigned i = 0; i < length; ++i) {
        if (i > 0 && groupSize > 0 && (length - i) % groupSize == 0) *out++ = ',';
        *out++ = source[i];
    }
    *out = '\0';
    return out;
}

char* BytesToHex(const unsigned char* bytes, unsigned count, char* output, unsigned capacity) {
    static const char kDigits[] = "0123456789ABCDEF";
    // Reckoned in 64 bits: a count of 2^31 or more must not wrap the room needed to a small one.
    if (capacity <= 2ull * count + 1) return nullptr;
    for (unsigned i = 0; i < count; ++i) {
        output[2 * i] = kDigits[bytes[i] >> 4];
        output[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    output[2 * count] = '\0';
    return output;
}

int IsTrueText(const char* text) { return _stricmp(text, "true") == 0 ? 1 : 0; }

const char* BoolToText(int flag) { return flag ? "true" : "false"; }

int HexToInt(const char* text) {
    uint32_t value = 0;
    for (; *text != '\0'; ++text) {
        char c = *text;
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
        if (digit >= 0) value = value * 16 + digit;
    }
    return static_cast<int32_t>(value);
}
