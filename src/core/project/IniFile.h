#pragma once
#include <string>

// Sectioned key=value text file. Values are kept raw (no quoting); writing one
// key keeps every other section and key of the file.
std::string IniReadString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& def);
// False when the file cannot be written or a text holds a line break (the file
// is then left as it was); the caller decides whether that matters.
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
