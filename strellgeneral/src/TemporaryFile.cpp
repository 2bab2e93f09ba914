#include "TemporaryFile.h"

#include "win32_handles.h"

#include <windows.h>

namespace strell {

bool CTemporaryFile::Create(const std::string& folder)
{
    char name[MAX_PATH + 1];
    if (m_Path.empty() && GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~qv", 0, name) != 0) {
        // Wine hands out a name even when the folder refused the file (read-only media).
        const DWORD error = GetLastError();
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) {
            SetLastError(error != ERROR_SUCCESS ? error : ERROR_ACCESS_DENIED);
            return false;
        }
        m_Path = name;
    }
    return !m_Path.empty();
}

CTemporaryFile::~CTemporaryFile()
{
    if (!m_Path.empty()) {
        const DWORD error = GetLastError();
        DeleteFileA(m_Path.c_str());
        SetLastError(error);
    }
}

bool CTemporaryFile::ReplaceTarget(const std::string& target)
{
    if (m_Path.empty() ||
        !MoveFileExA(m_Path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    m_Path.clear();
    return true;
}

bool CTemporaryFile::Remove()
{
    if (m_Path.empty())
        return true;
    const std::string path = m_Path;
    m_Path.clear();
    return DeleteFileA(path.c_str()) != FALSE;
}

bool canOverwrite(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    // Checked explicitly: a privileged account may open a read-only file for writing.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    unique_hfile probe(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(probe);
}

} // namespace strell
