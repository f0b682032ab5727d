// String helpers over NUL-terminated Shift-JIS texts: case, removal, grouping, hexadecimal.
#pragma once

// "A" to "Z" lower-cased; every other byte unchanged.
char ToLowerAscii(char c);
// Lower-cases single-byte letters, never the second byte of a double-byte character. The
// destination holds the source's length plus 1 bytes; returns it.
char* ToLowerCopy(const char* source, char* destination);
char* ToLowerInPlace(char* text);
// Replaces the text in *slot (null, or a block from malloc that this frees) with a malloc'd
// copy of source; 0 with *slot null when the copy cannot be allocated.
int AssignOwnedString(char** slot, const char* source);
// The first differing bytes' difference, both taken as signed: 0x80 to 0xFF order first.
int CompareText(const char* a, const char* b);
// 1 when a final line feed was removed; 0 for any other text, the empty one included.
int StripTrailingNewline(char* text);
// Removes the byte at position; a position outside the text changes nothing.
char* RemoveCharAt(char* text, int position);
// Removes every byte equal to c; the number removed.
int RemoveAllChars(char* text, char c);
// Overwrites every byte equal to from with to; the number replaced.
int ReplaceChar(char* text, char from, char to);
// The byte before the terminator; NUL for the empty text.
char LastChar(const char* text);
// Removes the byte before the terminator and returns it; NUL without a change for the empty text.
char ChopLastChar(char* text);
// Commas between groups of groupSize bytes counted from the right; a groupSize of 0 copies the
// text without commas. Returns the output's terminating NUL, or null without writing when the
// result and its terminator do not fit in capacity bytes.
char* GroupDigits(const char* source, char* output, unsigned short capacity, unsigned groupSize);
// Two upper-case hexadecimal digits per byte. Null without writing unless capacity exceeds
// 2 * count + 1.
char* BytesToHex(const unsigned char* bytes, unsigned count, char* output, unsigned capacity);
// 1 for "true" in any letter case and nothing around it, else 0.
int IsTrueText(const char* text);
// The shared constant "true" or "false".
const char* BoolToText(int flag);
// The hexadecimal digits of text, every other byte skipped; only the last eight digits count.
int HexToInt(const char* text);
