#pragma once
#include <string>
#include <string_view>

// Path separator of the platform; paths are built as folder + PathSep + name.
inline constexpr char PathSep = '/';

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
// One level only; false when it fails or already exists.
bool CreateDir(const std::string& path);
// With parents; false when it fails.
bool ForceDirectories(const std::string& path);

// True when a file can be created in the folder (tried, then removed):
// permission bits alone do not tell for root or read-only mounts.
bool IsWritableFolder(const std::string& path);

// Whole file as bytes; throws FileError with the system's reason.
std::string ReadFileBytes(const std::string& path);

// Largest project document the program reads: the biggest real one is a few
// MB, and a parsed tree takes several times its file size in memory.
inline constexpr size_t MaxDocumentBytes = size_t(32) << 20;

// As ReadFileBytes, but a file longer than maxBytes throws FileError
// "File "<path>" is too large (<n> bytes; at most <max>)" without being read.
std::string ReadFileBytes(const std::string& path, size_t maxBytes);

// Writes through a temporary file in the same folder, flushed to disk, then
// renamed over the target, so a failed write leaves the previous file whole.
// An existing file keeps its mode; one without a write bit, or that the user
// may not write, is left untouched and refused with EACCES (root included).
// Throws FileError with the path, the system's reason and its errno.
void WriteFileAtomic(const std::string& path, std::string_view data);

// Renames `from` over `path` under WriteFileAtomic's rules: an existing file
// keeps its mode, and one the user may not write is refused with EACCES.
void MoveFileOver(const std::string& from, const std::string& path);

// False for an existing file that WriteFileAtomic would refuse to replace;
// such a file is not removed either.
bool MayReplaceFile(const std::string& path);

// Text of errno as the system gives it.
std::string SystemErrorText(int err);
