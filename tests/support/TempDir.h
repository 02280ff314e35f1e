#pragma once
#include <string>

// A fresh folder below the system's temporary folder, removed with its content.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Small file helpers for tests.
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
