#pragma once
// Scratch folder of a fuzz process and a helper that writes raw bytes there.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

inline const std::string& FuzzScratchDir() {
    static const std::string dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("tessaro-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

inline std::string FuzzPut(const std::string& name, std::string_view bytes) {
    const std::string path = FuzzScratchDir() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Splits the input at every occurrence of `mark` into at most `parts` pieces
// (the last piece keeps any further marks); missing pieces are empty.
inline std::vector<std::string_view> FuzzSplit(std::string_view in, std::string_view mark,
                                               size_t parts) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < parts) {
        const size_t at = in.find(mark);
        if (at == std::string_view::npos) break;
        out.push_back(in.substr(0, at));
        in.remove_prefix(at + mark.size());
    }
    out.push_back(in);
    out.resize(parts);
    return out;
}
