// Files for tests: a directory of their own, and whole-file reads and writes.
#pragma once

#include <string>

// A fresh directory under the temporary folder, removed with everything in it.
class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "\\" + name; }

private:
    std::string path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
std::string TestDirectory();                  // of the running program
std::wstring Widen(const std::string& text);  // from the code page in use
