// The text splitter: each split replaces the copy and its tokens.
#include "text_splitter.h"

#include <windows.h>

#include <exception>
#include <string.h>

// Built after the window library's globals, last of all; released first.
TextSplitterState TextSplitter __attribute__((init_priority(1005)));

namespace {

void StartSplit(const char* source) {
    TextSplitter.text.assign(source);
    TextSplitter.tokens.clear();
    TextSplitter.tokens.push_back(TextSplitter.text.data());
}

// Nothing may throw out of the library: without memory the splitter is left empty, and GetToken
// then answers -1.
int AbandonSplit() {
    TextSplitter.text.clear();
    TextSplitter.tokens.clear();
    return 0;
}

}  // namespace

int SplitAtChar(const char* source, char separator) {
    try {
        StartSplit(source);
        std::string& text = TextSplitter.text;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == separator) {
                text[i] = '\0';
                TextSplitter.tokens.push_back(&text[i + 1]);
            }
        }
        return static_cast<int>(TextSplitter.tokens.size());
    } catch (const std::exception&) {
        return AbandonSplit();
    }
}

int SplitAtString(const char* source, const char* separator) {
    int separatorLength = lstrlenA(separator);
    try {
        StartSplit(source);
        // An empty separator would be found at the same place for ever.
        if (separatorLength == 0) return 1;
        char* from = TextSplitter.text.data();
        while (char* hit = strstr(from, separator)) {
            *hit = '\0';
            from = hit + separatorLength;
            TextSplitter.tokens.push_back(from);
        }
        return static_cast<int>(TextSplitter.tokens.size());
    } catch (const std::exception&) {
        return AbandonSplit();
    }
}

int GetToken(int index, char* destination) {
    if (TextSplitter.text.empty()) return -1;
    if (index < 0 || static_cast<size_t>(index) >= TextSplitter.tokens.size()) return -1;
    lstrcpyA(destination, TextSplitter.tokens[index]);
    return index;
}
