#pragma once
#include <functional>
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

// Whole file as bytes; throws FileError with the system's reason.
std::string ReadFileBytes(const std::string& path);

// Writes through a temporary file in the same folder, flushed to disk, then
// renamed over the target, so a failed write leaves the previous file whole.
// Throws FileError with the path and the system's reason.
void WriteFileAtomic(const std::string& path, std::string_view data);

// Test hook: called with the number of bytes about to be written to the
// temporary file; returning false makes that write fail like a full disk.
using WriteFaultHook = std::function<bool(size_t offset, size_t length)>;
void SetWriteFaultHook(WriteFaultHook hook);

// Text of errno as the system gives it.
std::string SystemErrorText(int err);
