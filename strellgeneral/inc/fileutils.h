#pragma once
// File operations of the library: tests, the current folder, locating files by the library's rules,
// opening with a fallback to the program's folder, a safe byte copy and a delete.

#include <cstdio>
#include <memory>
#include <string>

namespace strell {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open C runtime stream, closed when the owner goes.
using unique_file = std::unique_ptr<std::FILE, FileCloser>;

// True when the file can be opened for reading ("/" counts as "\").
bool fileExists(std::string path);
// True when the path names an existing directory.
bool isDirectory(std::string path);
// The process's current folder; empty when the query fails.
std::string getCurrentFolder();

// The path made absolute against the base folder: a bare name is joined to it, a leading "." is
// replaced by it, a leading ".." is kept after it; a path with a folder part stays as it is.
std::string makeFullPath(std::string path, std::string baseFolder);
// The path under which the file is found: the current folder first, then the program's folder;
// when neither holds it, the current-folder candidate.
std::string locateFile(std::string path);
// Resolves leading "..\" (or "../") references of the relative path against the base folder.
std::string resolveParentReferences(std::string baseFolder, std::string relativePath);

// Opens the path ("/" turned into "\"); a bare name that cannot be opened is tried again in the
// program's folder. usedPath receives the path of the successful open (or the path tried first).
unique_file openFileWithFallback(std::string path, const char* mode, std::string* usedPath = nullptr);

// Copies the source byte for byte. The new content is written to a temporary file in the destination's
// folder that then replaces the destination, so a failed copy leaves the destination as it was.
void copyFile(std::string source, std::string destination);
// Deletes the file.
void deleteFileSys(std::string filename);

} // namespace strell
