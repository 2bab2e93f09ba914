#include "fileutils.h"
#include "folder_contents.h"
#include "report_text.h"
#include "strell_exception.h"
#include "stringex.h"
#include "test_support.h"
#include "win32_handles.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace strell;
using testsupport::CurrentFolder;
using testsupport::folderContents;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::string raisedText(void (*operation)(std::string, std::string), const std::string& a, const std::string& b)
{
    try {
        operation(a, b);
    } catch (const strell::exception& e) {
        return e.text();
    }
    return "<nothing raised>";
}

std::string binaryContent(size_t size)
{
    std::string content;
    for (size_t i = 0; i < size; ++i)
        content += static_cast<char>((i * 37 + 11) % 256);
    return content + "\r\n\x1a\0tail";
}

// A file in the program's folder for the fallback rules, removed at the end.
class ProgramFolderFile {
public:
    explicit ProgramFolderFile(const std::string& name)
        : m_Name(name), m_Path(testsupport::programFolder() + "\\" + name)
    {
        writeFile(m_Path, "program folder");
    }
    ~ProgramFolderFile() { DeleteFileA(m_Path.c_str()); }
    const std::string& name() const { return m_Name; }
    const std::string& path() const { return m_Path; }

private:
    std::string m_Name;
    std::string m_Path;
};

} // namespace

TEST(FileTests, ExistsAcceptsSlashesDirectoryTakesTextAsIs)
{
    TempDir dir;
    writeFile(dir.file("a.txt"), "x");
    std::string slashed = dir.file("a.txt");
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    EXPECT_TRUE(fileExists(dir.file("a.txt")));
    EXPECT_TRUE(fileExists(slashed));
    EXPECT_FALSE(fileExists(dir.file("missing.txt")));
    EXPECT_FALSE(fileExists(dir.path())); // a directory cannot be opened for reading

    EXPECT_TRUE(isDirectory(dir.path()));
    EXPECT_FALSE(isDirectory(dir.file("a.txt")));
    EXPECT_FALSE(isDirectory(dir.file("missing")));
}

TEST(FileTests, CurrentFolder)
{
    TempDir dir;
    CurrentFolder current(dir.path());
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_EQ(getCurrentFolder(), buffer);
}

TEST(FilePaths, MakeFullPath)
{
    EXPECT_EQ(makeFullPath("a.ini", "C:\\cfg"), "C:\\cfg\\a.ini");
    EXPECT_EQ(makeFullPath(".\\a.ini", "C:\\cfg"), "C:\\cfg\\a.ini");
    EXPECT_EQ(makeFullPath("..\\a.ini", "C:\\cfg"), "C:\\cfg\\..\\a.ini");
    EXPECT_EQ(makeFullPath("sub\\a.ini", "C:\\cfg"), "sub\\a.ini");
    EXPECT_EQ(makeFullPath("D:\\x\\a.ini", "C:\\cfg"), "D:\\x\\a.ini");
    EXPECT_EQ(makeFullPath("sub/a.ini", "C:\\cfg"), "C:\\cfg\\sub/a.ini"); // only "\" makes a folder part
}

TEST(FilePaths, ResolveParentReferences)
{
    testsupport::StdoutCapture out;
    EXPECT_EQ(resolveParentReferences("C:\\a\\b", "..\\..\\x.ini"), "C:\\x.ini");
    EXPECT_EQ(resolveParentReferences("C:\\a\\b", "../x.ini"), "C:\\a\\x.ini");
    EXPECT_EQ(resolveParentReferences("C:\\a\\b", "..\\"), "..\\");
    EXPECT_EQ(resolveParentReferences("C:\\a\\b", "sub\\..\\x.ini"), "sub\\..\\x.ini");
    EXPECT_EQ(out.text(), "ref: C:\\a\nref: C:\nref: C:\\a\n");
}

TEST(FilePaths, LocateFileCurrentFolderThenProgramFolder)
{
    TempDir dir;
    CurrentFolder current(dir.path());
    const ProgramFolderFile inProgram("strell_locate_test.ini");

    EXPECT_EQ(locateFile(inProgram.name()), inProgram.path());
    writeFile(dir.file(inProgram.name()), "current");
    EXPECT_EQ(locateFile(inProgram.name()), dir.file(inProgram.name()));
    EXPECT_EQ(locateFile("nowhere.ini"), dir.file("nowhere.ini"));
}

TEST(FilePaths, OpenWithFallbackToProgramFolderForBareNames)
{
    TempDir dir;
    CurrentFolder current(dir.path());
    const ProgramFolderFile inProgram("strell_open_test.ini");

    std::string used;
    unique_file file = openFileWithFallback(inProgram.name(), "r", &used);
    ASSERT_TRUE(file);
    EXPECT_EQ(used, inProgram.path());

    // A name with a folder part gets no fallback; "/" counts as "\".
    EXPECT_FALSE(openFileWithFallback(".\\" + inProgram.name(), "r", &used));
    EXPECT_EQ(used, ".\\" + inProgram.name());
    writeFile(dir.file("here.ini"), "x");
    EXPECT_TRUE(openFileWithFallback("./here.ini", "r", &used));
    EXPECT_EQ(used, ".\\here.ini");
    EXPECT_FALSE(openFileWithFallback("missing.ini", "r"));
}

TEST(FileCopy, ByteExactAndReplacesExistingContent)
{
    TempDir dir;
    const std::string content = binaryContent(5000);
    writeFile(dir.file("src.bin"), content);
    writeFile(dir.file("dst.bin"), std::string(20000, 'o'));

    copyFile(dir.file("src.bin"), dir.file("dst.bin"));
    EXPECT_EQ(readFile(dir.file("dst.bin")), content);

    writeFile(dir.file("empty"), "");
    copyFile(dir.file("empty"), dir.file("new"));
    EXPECT_TRUE(testsupport::exists(dir.file("new")));
    EXPECT_EQ(readFile(dir.file("new")), "");

    copyFile(dir.file("src.bin"), dir.file("src.bin")); // onto itself: content survives
    EXPECT_EQ(readFile(dir.file("src.bin")), content);

    EXPECT_EQ(folderContents(dir.path()), (std::vector<std::string>{"dst.bin", "empty", "new", "src.bin"}));
}

TEST(FileCopy, MissingSourceLeavesDestinationAlone)
{
    TempDir dir;
    writeFile(dir.file("dst"), "old");
    const std::string text = raisedText(copyFile, dir.file("nosrc"), dir.file("dst"));
    EXPECT_EQ(text.rfind("Assertion \"src_file != NULL\" failed \"copyFile: Unable to open source file [" +
                             dir.file("nosrc") + "]\n\" [\"./src/fileutils:",
                         0),
              0u)
        << text;
    EXPECT_TRUE(testsupport::endsWithReport(text, "./src/fileutils", "strell::copyFile")) << text;
    EXPECT_EQ(readFile(dir.file("dst")), "old");
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"dst"});
}

// The error names the destination and gives the system's text for the cause.
TEST(FileCopy, UnwritableDestinationKeepsItsContentAndTheNamedError)
{
    TempDir dir;
    writeFile(dir.file("src"), "new content");
    const auto openError = [](const std::string& path, unsigned long code) {
        return "copyFile: Unable to open destination file [" + path + "] " + strell::getWin32ErrorText(code) +
               " [\"./src/fileutils:";
    };

    // Folder missing.
    std::string text = raisedText(copyFile, dir.file("src"), dir.file("nofolder\\dst"));
    EXPECT_EQ(text.rfind(openError(dir.file("nofolder\\dst"), ERROR_DIRECTORY), 0), 0u) << text;

    // Read-only destination.
    writeFile(dir.file("readonly"), "keep me");
    SetFileAttributesA(dir.file("readonly").c_str(), FILE_ATTRIBUTE_READONLY);
    text = raisedText(copyFile, dir.file("src"), dir.file("readonly"));
    EXPECT_EQ(text.rfind(openError(dir.file("readonly"), ERROR_ACCESS_DENIED), 0), 0u) << text;
    EXPECT_EQ(readFile(dir.file("readonly")), "keep me");
    SetFileAttributesA(dir.file("readonly").c_str(), FILE_ATTRIBUTE_NORMAL);

    // Destination in use without sharing (a running program's file).
    writeFile(dir.file("locked"), "in use");
    strell::unique_hfile lock(
        CreateFileA(dir.file("locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    text = raisedText(copyFile, dir.file("src"), dir.file("locked"));
    lock.reset();
    EXPECT_EQ(text.rfind(openError(dir.file("locked"), ERROR_SHARING_VIOLATION), 0), 0u) << text;
    EXPECT_EQ(readFile(dir.file("locked")), "in use");

    // A directory as destination.
    CreateDirectoryA(dir.file("folder").c_str(), nullptr);
    text = raisedText(copyFile, dir.file("src"), dir.file("folder"));
    EXPECT_EQ(text.rfind(openError(dir.file("folder"), ERROR_ACCESS_DENIED), 0), 0u) << text;

    EXPECT_EQ(folderContents(dir.path()), (std::vector<std::string>{"folder", "locked", "readonly", "src"}));
}

TEST(FileCopy, ReplaceRefusedLeavesDestinationAndNoTemporaryFile)
{
    TempDir dir;
    writeFile(dir.file("src"), "new content");
    writeFile(dir.file("dst"), "old content");
    // Open for writing by someone else, but not shared for deletion: writable, yet not replaceable.
    strell::unique_hfile holder(CreateFileA(dir.file("dst").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);
    std::string text;
    bool win32 = false;
    try {
        copyFile(dir.file("src"), dir.file("dst"));
    } catch (const strell::win32exception& e) {
        win32 = true;
        text = e.text();
    } catch (const strell::exception& e) {
        text = e.text();
    }
    holder.reset();
    EXPECT_TRUE(win32) << text;
    EXPECT_EQ(text.rfind("copyFile: Unable to replace destination file [" + dir.file("dst") + "] ", 0), 0u) << text;
    EXPECT_NE(text.find(" (err: "), std::string::npos) << text;
    EXPECT_NE(text.find(") [\"./src/fileutils:"), std::string::npos) << text;
    EXPECT_EQ(readFile(dir.file("dst")), "old content");
    EXPECT_EQ(folderContents(dir.path()), (std::vector<std::string>{"dst", "src"}));
}

TEST(FileDelete, DeletesOrReportsTheNamedError)
{
    TempDir dir;
    writeFile(dir.file("a"), "x");
    deleteFileSys(dir.file("a"));
    EXPECT_FALSE(testsupport::exists(dir.file("a")));

    std::string text;
    try {
        deleteFileSys(dir.file("a"));
    } catch (const strell::exception& e) {
        text = e.text();
    }
    EXPECT_EQ(text.rfind("Assertion \"remove(filename.c_str()) != -1\" failed \"delFileSys: Failed to delete file " +
                             dir.file("a") + "\n\" [\"./src/fileutils:",
                         0),
              0u)
        << text;
    EXPECT_TRUE(testsupport::endsWithReport(text, "./src/fileutils", "strell::deleteFileSys")) << text;
}
