// The part of the shared test support that the natively built unit tests use, on POSIX.
#include "test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

TempDir::TempDir(const std::string& hint)
{
    std::string pattern = "/tmp/native_" + hint + ".XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr)
        std::abort();
    m_Path = pattern;
}

TempDir::~TempDir()
{
    removeTree(m_Path);
}

void removeTree(const std::string& path)
{
    const std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path.c_str());
}

std::string readFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

StdoutCapture::StdoutCapture()
{
    static TempDir folder("stdout");
    static int counter = 0;
    m_File = folder.path() + "/capture" + std::to_string(++counter) + ".txt";
    std::fflush(stdout);
    m_SavedFd = dup(fileno(stdout));
    const int fd = open(m_File.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    dup2(fd, fileno(stdout));
    close(fd);
}

void StdoutCapture::restore()
{
    if (m_Restored)
        return;
    std::fflush(stdout);
    dup2(m_SavedFd, fileno(stdout));
    close(m_SavedFd);
    m_Restored = true;
    m_Text = readFile(m_File);
    std::remove(m_File.c_str());
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

} // namespace testsupport
