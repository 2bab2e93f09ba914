#pragma once
// Utilities shared by the test programs: private temporary folders, file contents,
// captured standard output and captured debugger output.

#include <string>
#include <vector>

namespace testsupport {

// A fresh folder below the Windows temporary folder, removed with its content at the end.
class TempDir {
public:
    explicit TempDir(const std::string& hint = "t");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_Path; }
    std::string file(const std::string& name) const { return m_Path + "\\" + name; }

private:
    std::string m_Path;
};

void removeTree(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// The text as Notepad saves it as "Unicode": UTF-16 little-endian after the mark FF FE.
std::string utf16File(const std::u16string& text);
bool exists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);

// Changes the current folder for the lifetime of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();

private:
    std::string m_Previous;
};

// Redirects the C runtime's standard output into a file while alive; text() returns what was written.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    std::string text();

private:
    int m_SavedFd;
    std::string m_File;
    bool m_Restored = false;
    std::string m_Text;
    void restore();
};

// Records every OutputDebugStringA text of the process while alive.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    std::vector<std::string> messages() const;
    std::string joined() const;

private:
    void* m_Handler;
};

// Folder of the running test program.
std::string programFolder();
// A build-tree path (as CMake writes it, "/work/...") in the form Windows programs use ("Z:\work\...").
std::string winPath(const std::string& path);

} // namespace testsupport
