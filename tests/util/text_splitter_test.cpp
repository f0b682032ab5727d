// The text splitter: tokens at a byte or a string, replaced state, and splits without memory.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <new>
#include <string>
#include <vector>

#include "text_splitter.h"

namespace {

// While set, every allocation of this program fails as the standard library reports it.
bool failAllocations = false;

struct FailingAllocations {
    FailingAllocations() { failAllocations = true; }
    ~FailingAllocations() { failAllocations = false; }
};

// The tokens of the last split as GetToken hands them out, up to the first index it refuses.
std::vector<std::string> Tokens() {
    std::vector<std::string> tokens;
    char buffer[256];
    while (GetToken(static_cast<int>(tokens.size()), buffer) == static_cast<int>(tokens.size())) {
        tokens.push_back(buffer);
    }
    return tokens;
}

using Texts = std::vector<std::string>;

}  // namespace

void* operator new(size_t size) {
    void* block = failAllocations ? nullptr : malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }

namespace {

TEST(TextSplitter, StartsEmptyAndGivesNoTokenBeforeASplit) {
    EXPECT_TRUE(TextSplitter.text.empty());
    EXPECT_TRUE(TextSplitter.tokens.empty());
    EXPECT_EQ(0u, TextSplitter.tokens.capacity());
    char buffer[8] = "#";
    EXPECT_EQ(-1, GetToken(0, buffer));
    EXPECT_STREQ("#", buffer);
}

TEST(SplitAtChar, KeepsEmptyTokensAndRefusesIndexesOutside) {
    EXPECT_EQ(3, SplitAtChar("a,b,c", ','));
    EXPECT_EQ((Texts{"a", "b", "c"}), Tokens());
    char buffer[8] = "#";
    EXPECT_EQ(-1, GetToken(3, buffer));
    EXPECT_EQ(-1, GetToken(-1, buffer));
    EXPECT_STREQ("#", buffer);
    EXPECT_EQ(2, GetToken(2, buffer));

    EXPECT_EQ(3, SplitAtChar("a,,b", ','));
    EXPECT_EQ((Texts{"a", "", "b"}), Tokens());
    EXPECT_EQ(3, SplitAtChar(",a,", ','));
    EXPECT_EQ((Texts{"", "a", ""}), Tokens());
    EXPECT_EQ(1, SplitAtChar("abc", ';'));
    EXPECT_EQ((Texts{"abc"}), Tokens());
    EXPECT_EQ(1, SplitAtChar("abc", '\0'));
    EXPECT_EQ((Texts{"abc"}), Tokens());
}

TEST(SplitAtChar, AnEmptySourceCountsOneTokenThatCannotBeRead) {
    EXPECT_EQ(1, SplitAtChar("", ','));
    char buffer[8] = "#";
    EXPECT_EQ(-1, GetToken(0, buffer));
    EXPECT_STREQ("#", buffer);
}

TEST(SplitAtChar, EachSplitReplacesTheLast) {
    char source[] = "a,b,c";
    EXPECT_EQ(3, SplitAtChar(source, ','));
    // The splitter works on its own copy.
    EXPECT_STREQ("a,b,c", source);
    EXPECT_EQ(1, SplitAtChar("d", ','));
    EXPECT_EQ((Texts{"d"}), Tokens());
    EXPECT_EQ(1, SplitAtString("e::f", ";"));
    EXPECT_EQ((Texts{"e::f"}), Tokens());
}

TEST(SplitAtChar, CutsADoubleByteCharacterWhoseSecondByteIsTheSeparator) {
    EXPECT_EQ(2, SplitAtChar("表x", '\\'));
    EXPECT_EQ((Texts{"\x95", "x"}), Tokens());
}

TEST(SplitAtString, FindsSeparatorsLeftToRightWithoutOverlap) {
    struct Case {
        const char* source;
        const char* separator;
        Texts tokens;
    } cases[] = {
        {"a::b::c", "::", {"a", "b", "c"}},
        {"a:::b", "::", {"a", ":b"}},
        {"ab::", "::", {"ab", ""}},
        {"::", "::", {"", ""}},
        {"x", "xx", {"x"}},
        {"表\\表", "\\\x95", {"表", "\\"}},  // a match across two characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(static_cast<int>(c.tokens.size()), SplitAtString(c.source, c.separator));
        EXPECT_EQ(c.tokens, Tokens());
    }
}

TEST(SplitAtString, AnEmptySeparatorNeverMatches) {
    EXPECT_EQ(1, SplitAtString("a,b", ""));
    EXPECT_EQ((Texts{"a,b"}), Tokens());
    EXPECT_EQ(1, SplitAtString("", ""));
}

TEST(TextSplitter, ASplitWithoutMemoryReportsZeroAndLeavesNoTokens) {
    const std::string longText = std::string(100, 'a') + ",b";
    ASSERT_EQ(2, SplitAtChar("a,b", ','));
    int result;
    {
        FailingAllocations failing;
        result = SplitAtChar(longText.c_str(), ',');
    }
    EXPECT_EQ(0, result);
    char buffer[8] = "#";
    EXPECT_EQ(-1, GetToken(0, buffer));
    EXPECT_STREQ("#", buffer);
    EXPECT_EQ(2, SplitAtChar("x,y", ','));
    EXPECT_EQ((Texts{"x", "y"}), Tokens());
}

TEST(TextSplitter, ATokenListThatCannotGrowReportsZeroAndLeavesNoTokens) {
    // The copy's room is kept from the first split, so only the token list must grow.
    const std::string longText(100, 'a');
    ASSERT_EQ(1, SplitAtChar(longText.c_str(), ','));
    std::string separated = longText;
    separated[10] = separated[20] = ',';
    std::string doubled = longText;
    doubled[10] = doubled[11] = doubled[20] = doubled[21] = ':';
    int byChar, byString;
    {
        FailingAllocations failing;
        byChar = SplitAtChar(separated.c_str(), ',');
        byString = SplitAtString(doubled.c_str(), "::");
    }
    EXPECT_EQ(0, byChar);
    EXPECT_EQ(0, byString);
    EXPECT_TRUE(TextSplitter.text.empty());
    EXPECT_TRUE(TextSplitter.tokens.empty());
    EXPECT_EQ(3, SplitAtString(doubled.c_str(), "::"));
    EXPECT_EQ((Texts{longText.substr(0, 10), longText.substr(12, 8), longText.substr(22)}),
              Tokens());
}

}  // namespace
