// The reader serves FreeXL's workbook from memory (src/reader/WorkbookFile.cpp):
// every read, seek and tell must give what the file itself gives.
#include "TempDir.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

extern "C" FILE* __real_fopen(const char* path, const char* mode);

namespace {
struct Step {
    char op; // 'r' read n bytes, 's' seek, 't' tell, 'w' rewind
    long n = 0;
    int whence = SEEK_SET;
};

// What each step gave, as text.
std::string Transcript(FILE* f, const std::vector<Step>& steps) {
    std::string out;
    std::vector<char> buf;
    for (const Step& s : steps) {
        errno = 0;
        if (s.op == 'r') {
            buf.assign(size_t(s.n), '\0');
            const size_t got = std::fread(buf.data(), 1, buf.size(), f);
            out += "r" + std::to_string(got) + ":" + std::string(buf.data(), got);
        } else if (s.op == 's') {
            const int r = std::fseek(f, s.n, s.whence);
            out += "s" + std::to_string(r) + "/" + std::to_string(r ? errno : 0);
        } else if (s.op == 't') {
            out += "t" + std::to_string(std::ftell(f));
        } else {
            std::rewind(f);
        }
        out += std::string(" eof") + (std::feof(f) ? "1" : "0") + " err" +
               (std::ferror(f) ? "1" : "0") + "\n";
    }
    return out;
}

TEST(WorkbookFile, ReadsSeeksAndTellsAsTheFile) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += char((i * 131 + i / 7) & 0xFF);
    WriteText(dir / "book.xls", bytes);
    const long size = long(bytes.size());
    const std::vector<std::vector<Step>> cases = {
        {{'r', 30000}, {'t'}, {'r', 10}},
        {{'r', 512}, {'t'}, {'s', 4096}, {'r', 512}, {'s', -100, SEEK_CUR}, {'r', 200}, {'t'}},
        {{'s', -10, SEEK_END}, {'r', 100}, {'r', 1}, {'w'}, {'r', 5}, {'t'}},
        {{'s', size + 5000}, {'t'}, {'r', 10}, {'s', 5, SEEK_END}, {'t'}, {'s', 0}, {'r', 3}},
        {{'s', -1}, {'t'}, {'r', 4}, {'s', -5000, SEEK_CUR}, {'t'}, {'s', -size - 1, SEEK_END}},
        {{'s', 0, 7}, {'t'}, {'r', 8}},
        {{'r', 8191}, {'r', 2}, {'s', 1, SEEK_CUR}, {'r', 8193}, {'t'}, {'r', 20000}, {'t'}},
    };
    for (size_t k = 0; k < cases.size(); ++k) {
        FILE* real = __real_fopen((dir / "book.xls").c_str(), "rb");
        FILE* served = std::fopen((dir / "book.xls").c_str(), "rb");
        ASSERT_TRUE(real && served);
        EXPECT_EQ(Transcript(served, cases[k]), Transcript(real, cases[k])) << "case " << k;
        EXPECT_EQ(std::fclose(served), 0);
        std::fclose(real);
    }
}

TEST(WorkbookFile, FailsToOpenAsTheFile) {
    TempDir dir;
    for (const std::string& path : {dir / "missing.xls", dir.path()}) {
        errno = 0;
        FILE* real = __real_fopen(path.c_str(), "rb");
        const int realErr = errno;
        errno = 0;
        FILE* served = std::fopen(path.c_str(), "rb");
        EXPECT_EQ(served == nullptr, real == nullptr) << path;
        if (!real) {
            EXPECT_EQ(errno, realErr) << path;
        }
        if (real) std::fclose(real);
        if (served) std::fclose(served);
    }
}
} // namespace
