#pragma once
// Replacing a file safely: the new content goes into a uniquely named file in the target's folder,
// which then replaces the target in one step. Until then the target stays as it was; a temporary
// file that is not handed over is deleted.

#include <string>

namespace strell {

class CTemporaryFile {
public:
    CTemporaryFile() = default;
    ~CTemporaryFile();
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    // Creates an empty file with a unique name in the folder (empty folder: the current folder).
    // False when that fails; GetLastError() tells why.
    bool Create(const std::string& folder);
    const std::string& GetPath() const { return m_Path; }

    // Moves the file over the target (replacing it). On failure the file is kept for a retry and
    // deleted with this object; GetLastError() tells why.
    bool ReplaceTarget(const std::string& target);

    // Deletes the file now. On failure the path is forgotten all the same (nothing is retried);
    // GetLastError() tells why.
    bool Remove();

private:
    std::string m_Path;
};

// False when the path names an existing file that cannot be opened for writing (read-only, in use,
// a directory; GetLastError() tells why); true for a path where nothing exists yet.
bool canOverwrite(const std::string& path);

} // namespace strell
