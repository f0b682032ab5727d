// The text splitter: one program-wide copy of the last text split and where its tokens begin.
#pragma once

#include <string>
#include <vector>

struct TextSplitterState {
    // Declared first: built before the tokens that point into it, released after them.
    std::string text;
    std::vector<char*> tokens;
};

extern TextSplitterState TextSplitter;

// The number of tokens, at least 1; 0, with the splitter left empty, when memory for the copy
// or the token list cannot be had.
int SplitAtChar(const char* source, char separator);
// As SplitAtChar. An empty separator, like a NUL byte, never matches: the whole text is the one
// token.
int SplitAtString(const char* source, const char* separator);
// Copies token index with its NUL into destination, which must hold it; the index, or -1
// without writing when nothing was split, the text was empty or no such token exists.
int GetToken(int index, char* destination);
