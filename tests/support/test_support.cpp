#include "test_support.h"

#include "win32_handles.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {
std::string tempRoot()
{
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    std::string root(buffer, n);
    while (!root.empty() && (root.back() == '\\' || root.back() == '/'))
        root.pop_back();
    return root;
}

std::atomic<int> g_Counter{0};
} // namespace

TempDir::TempDir(const std::string& hint)
{
    for (;;) {
        m_Path = tempRoot() + "\\strell_" + hint + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++g_Counter) + "_" + std::to_string(GetTickCount() % 100000);
        if (CreateDirectoryA(m_Path.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + m_Path);
    }
}

TempDir::~TempDir()
{
    removeTree(m_Path);
}

void removeTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    strell::unique_hfind find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (find) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find.get(), &data));
        find.reset(); // an open search would keep the folder
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string utf16File(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

CurrentFolder::CurrentFolder(const std::string& folder)
{
    char buffer[1024];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    m_Previous.assign(buffer, n);
    SetCurrentDirectoryA(folder.c_str());
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryA(m_Previous.c_str());
}

StdoutCapture::StdoutCapture()
{
    static TempDir folder("stdout");
    m_File = folder.file("capture" + std::to_string(++g_Counter) + ".txt");
    std::fflush(stdout);
    m_SavedFd = _dup(_fileno(stdout));
    int fd = _open(m_File.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0666);
    _dup2(fd, _fileno(stdout));
    _close(fd);
}

void StdoutCapture::restore()
{
    if (m_Restored)
        return;
    std::fflush(stdout);
    _dup2(m_SavedFd, _fileno(stdout));
    _close(m_SavedFd);
    m_Restored = true;
    m_Text = readFile(m_File);
    DeleteFileA(m_File.c_str());
}

std::string StdoutCapture::text()
{
    restore();
    return m_Text;
}

StdoutCapture::~StdoutCapture()
{
    restore();
}

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C; a vectored handler sees it first.
namespace {
std::mutex g_DebugMutex;
std::vector<std::string>* g_DebugSink = nullptr;

LONG CALLBACK debugHandler(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */ && record->NumberParameters >= 2) {
        std::lock_guard<std::mutex> lock(g_DebugMutex);
        if (g_DebugSink) {
            const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
            const size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
            std::string message(text, length);
            if (!message.empty() && message.back() == '\0')
                message.pop_back();
            g_DebugSink->push_back(message);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

DebugOutputCapture::DebugOutputCapture()
{
    std::lock_guard<std::mutex> lock(g_DebugMutex);
    g_DebugSink = new std::vector<std::string>();
    m_Handler = AddVectoredExceptionHandler(1, debugHandler);
}

DebugOutputCapture::~DebugOutputCapture()
{
    RemoveVectoredExceptionHandler(m_Handler);
    std::lock_guard<std::mutex> lock(g_DebugMutex);
    delete g_DebugSink;
    g_DebugSink = nullptr;
}

std::vector<std::string> DebugOutputCapture::messages() const
{
    std::lock_guard<std::mutex> lock(g_DebugMutex);
    return *g_DebugSink;
}

std::string DebugOutputCapture::joined() const
{
    std::string all;
    for (const std::string& m : messages())
        all += m;
    return all;
}

std::string programFolder()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of("\\/"));
}

std::string winPath(const std::string& path)
{
    std::string result = path;
    for (char& c : result)
        if (c == '/')
            c = '\\';
    if (!result.empty() && result[0] == '\\')
        result = "Z:" + result;
    return result;
}

} // namespace testsupport
