#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

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

// As ReadFileBytes with one open for what a reader asks of a file: nothing
// when FileExists would say there is none, else the bytes, with what fstat
// said of the opened file in `st`. A folder throws FileError.
std::optional<std::string> ReadFileIfThere(const std::string& path, size_t maxBytes,
                                           struct stat& st);

// Writes `data` to `path`, by what the path names:
// - a regular file (or none) through a temporary file in the same folder,
//   flushed to disk, then renamed over it, so a failed write leaves the
//   previous file whole; an existing file keeps its mode, and one without a
//   write bit, or that the user may not write, is left untouched and refused
//   with EACCES (root included);
// - a symbolic link is followed to its final target, which is written so in
//   its own folder; the link stays; a dangling link's target is created;
// - a FIFO or a character device is opened and written in place (a FIFO
//   without a reader fails with ENXIO at once);
// - a directory, a socket or a block device is refused, naming the kind.
// Throws FileError with the path, the reason and its errno.
void WriteFileAtomic(const std::string& path, std::string_view data);

// Renames `from` over `path` under WriteFileAtomic's rules (a link's target is
// replaced, a FIFO or a device gets the bytes written and `from` removed).
void MoveFileOver(const std::string& from, const std::string& path);

// False for an existing target that WriteFileAtomic would refuse to write.
bool MayReplaceFile(const std::string& path);

// Removes the regular file a write to `path` would replace (through links),
// when it may be replaced; a FIFO, a device or anything else is left alone.
// True when a file was removed.
bool RemoveOutputFile(const std::string& path);

// True for a regular file, links followed.
bool RegularFileExists(const std::string& path);

// Text of errno as the system gives it.
std::string SystemErrorText(int err);
