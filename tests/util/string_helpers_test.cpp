// String helpers: Shift-JIS aware case, signed comparison, removal, grouping and hexadecimal.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "string_helpers.h"

namespace {

TEST(ToLower, LowersSingleByteLettersButNeverASecondByte) {
    // 0x83 0x41 is one character whose second byte is the code of "A".
    const char source[] = "ABC\x83\x41Z\x95\x5Cq";
    const char expected[] = "abc\x83\x41z\x95\x5Cq";
    char copy[32];
    memset(copy, '#', sizeof copy);
    EXPECT_EQ(copy, ToLowerCopy(source, copy));
    EXPECT_STREQ(expected, copy);
    char text[32];
    lstrcpyA(text, source);
    EXPECT_EQ(text, ToLowerInPlace(text));
    EXPECT_STREQ(expected, text);

    // A lead byte standing last is copied alone; the terminator follows it.
    EXPECT_STREQ("a\x83", ToLowerCopy("A\x83", copy));
    memset(copy, '#', sizeof copy);
    EXPECT_STREQ("", ToLowerCopy("", copy));
    EXPECT_EQ('a', ToLowerAscii('A'));
    EXPECT_EQ('[', ToLowerAscii('['));
    EXPECT_EQ('\xC1', ToLowerAscii('\xC1'));
}

TEST(AssignOwnedString, ReplacesTheSlotsTextWithACopy) {
    char* slot = nullptr;
    EXPECT_EQ(1, AssignOwnedString(&slot, "first"));
    EXPECT_STREQ("first", slot);
    const char* source = "表示";
    EXPECT_EQ(1, AssignOwnedString(&slot, source));
    EXPECT_STREQ("表示", slot);
    EXPECT_NE(source, slot);
    // The slot's own text as the source survives its replacement.
    EXPECT_EQ(1, AssignOwnedString(&slot, slot + 2));
    EXPECT_STREQ("示", slot);
    free(slot);
}

TEST(CompareText, TakesBytesAsSigned) {
    EXPECT_EQ(0, CompareText("abc", "abc"));
    EXPECT_EQ(-1, CompareText("abc", "abd"));
    EXPECT_EQ(-99, CompareText("ab", "abc"));
    EXPECT_EQ(99, CompareText("abc", "ab"));
    EXPECT_EQ(127, CompareText("", "\x81"));
    EXPECT_EQ(-127 - 'a', CompareText("\x81", "a"));
    EXPECT_EQ(0, CompareText("", ""));
}

TEST(StripTrailingNewline, RemovesOnlyAFinalLineFeed) {
    char crlf[] = "line\r\n";
    EXPECT_EQ(1, StripTrailingNewline(crlf));
    EXPECT_STREQ("line\r", crlf);
    EXPECT_EQ(0, StripTrailingNewline(crlf));
    EXPECT_STREQ("line\r", crlf);
    char plain[] = "line";
    EXPECT_EQ(0, StripTrailingNewline(plain));
    EXPECT_STREQ("line", plain);
}

TEST(LastChar, EmptyTextsHaveNoLastByteToReadOrChange) {
    // Byte before the text: a read or write there would show in it.
    char memory[] = "\n\0";
    char* empty = memory + 1;
    EXPECT_EQ('\0', LastChar(empty));
    EXPECT_EQ('\0', ChopLastChar(empty));
    EXPECT_EQ(0, StripTrailingNewline(empty));
    EXPECT_EQ('\n', memory[0]);

    char text[] = "ab表";
    EXPECT_EQ('\x5C', LastChar(text));
    EXPECT_EQ('\x5C', ChopLastChar(text));
    EXPECT_STREQ("ab\x95", text);
}

TEST(RemoveChars, WorkByteByByteAlsoInsideDoubleByteCharacters) {
    char commas[] = "a,,b,";
    EXPECT_EQ(3, RemoveAllChars(commas, ','));
    EXPECT_STREQ("ab", commas);
    EXPECT_EQ(0, RemoveAllChars(commas, ';'));
    EXPECT_STREQ("ab", commas);

    char path[] = "C:\\表\\x";
    EXPECT_EQ(3, RemoveAllChars(path, '\\'));
    EXPECT_STREQ("C:\x95x", path);

    char replaced[] = "表\\";
    EXPECT_EQ(2, ReplaceChar(replaced, '\\', '/'));
    EXPECT_STREQ("\x95//", replaced);
    // With NUL as the replacement the whole original text is still walked.
    char cut[] = "a.b.c";
    EXPECT_EQ(2, ReplaceChar(cut, '.', '\0'));
    EXPECT_EQ(0, memcmp("a\0b\0c", cut, sizeof cut));

    char text[] = "abcd";
    EXPECT_EQ(text, RemoveCharAt(text, 1));
    EXPECT_STREQ("acd", text);
    RemoveCharAt(text, 2);
    EXPECT_STREQ("ac", text);
    // Positions outside the text change nothing.
    RemoveCharAt(text, 2);
    RemoveCharAt(text, -1);
    EXPECT_STREQ("ac", text);
}

TEST(GroupDigits, InsertsCommasFromTheRightWithinCapacity) {
    struct Case {
        const char* source;
        unsigned groupSize;
        const char* expected;
    } cases[] = {
        {"1234567", 3, "1,234,567"},
        {"123", 3, "123"},
        {"1234", 3, "1,234"},
        {"-123456", 3, "-,123,456"},
        {"12345678", 4, "1234,5678"},
        {"123", 1, "1,2,3"},
        {"1", 3, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        char output[32];
        memset(output, '#', sizeof output);
        char* end = GroupDigits(c.source, output, sizeof output, c.groupSize);
        EXPECT_STREQ(c.expected, output);
        EXPECT_EQ(output + strlen(c.expected), end);
    }
}

TEST(GroupDigits, NeedsRoomForTheTerminatorAndWritesNothingWithout) {
    char output[16];
    memset(output, '#', sizeof output);
    EXPECT_EQ(nullptr, GroupDigits("1234567", output, 9, 3));
    EXPECT_EQ('#', output[0]);
    EXPECT_EQ(output + 9, GroupDigits("1234567", output, 10, 3));
    EXPECT_STREQ("1,234,567", output);

    memset(output, '#', sizeof output);
    EXPECT_EQ(nullptr, GroupDigits("", output, 0, 3));
    EXPECT_EQ('#', output[0]);
    EXPECT_EQ(output, GroupDigits("", output, 1, 3));
    EXPECT_EQ('\0', output[0]);
}

TEST(GroupDigits, GroupSizeZeroCopiesWithoutCommas) {
    char output[16];
    memset(output, '#', sizeof output);
    EXPECT_EQ(output + 7, GroupDigits("1234567", output, 8, 0));
    EXPECT_STREQ("1234567", output);
    EXPECT_EQ(nullptr, GroupDigits("1234567", output, 7, 0));
}

TEST(BytesToHex, WritesUpperCaseDigitsWhenCapacityExceedsTwiceTheCountPlusOne) {
    const unsigned char bytes[] = {0x00, 0x9F, 0xA0, 0xFF};
    char output[16];
    memset(output, '#', sizeof output);
    EXPECT_EQ(nullptr, BytesToHex(bytes, 4, output, 9));
    EXPECT_EQ('#', output[0]);
    EXPECT_EQ(output, BytesToHex(bytes, 4, output, 10));
    EXPECT_STREQ("009FA0FF", output);

    memset(output, '#', sizeof output);
    EXPECT_EQ(nullptr, BytesToHex(bytes, 0, output, 1));
    EXPECT_EQ('#', output[0]);
    EXPECT_EQ(output, BytesToHex(bytes, 0, output, 2));
    EXPECT_STREQ("", output);

    // A count whose room would wrap around 32 bits to almost nothing is refused.
    EXPECT_EQ(nullptr, BytesToHex(bytes, 0x80000000u, output, sizeof output));
    EXPECT_EQ('\0', output[0]);
}

TEST(TrueText, MatchesTheWordInAnyCaseAndNothingElse) {
    for (const char* text : {"true", "TRUE", "True", "tRuE"}) {
        EXPECT_EQ(1, IsTrueText(text)) << text;
    }
    for (const char* text : {"1", "yes", "truex", "", " true", "true ", "false"}) {
        EXPECT_EQ(0, IsTrueText(text)) << text;
    }
    EXPECT_STREQ("true", BoolToText(1));
    EXPECT_STREQ("true", BoolToText(-5));
    EXPECT_STREQ("false", BoolToText(0));
    EXPECT_EQ(BoolToText(1), BoolToText(2));
}

TEST(HexToInt, SkipsNonDigitsAndKeepsTheLastEightDigits) {
    struct Case {
        const char* text;
        unsigned value;
    } cases[] = {
        {"1F", 31},
        {"1f", 31},
        {"0x1F", 31},
        {"1 F", 31},
        {"-1", 1},
        {"", 0},
        {"xyz", 0},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"123456789", 0x23456789},
        {"\x82\x60"
         "A",
         10},
        {"aBcDeF", 0xABCDEF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(c.value), HexToInt(c.text)) << c.text;
    }
    EXPECT_EQ(-1, HexToInt("FFFFFFFF"));
}

}  // namespace
