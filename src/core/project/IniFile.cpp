#include "core/project/IniFile.h"

#include "core/project/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {
std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Lines of the file; a UTF-8 byte order mark, as some editors save one, is not
// part of the first line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        start = nl + 1;
    }
    return out;
}

// Section name of a "[name]" line, or empty optional-like flag.
bool SectionOf(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = Trim(t.substr(1, t.size() - 2));
    return true;
}

bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    // Comment lines hold no key, even with an '=' in them.
    if (key.empty() || key[0] == ';' || key[0] == '#') return false;
    value = Trim(line.substr(eq + 1));
    return true;
}
} // namespace

std::string IniReadString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& def) {
    std::string text;
    try {
        text = ReadFileBytes(path, MaxDocumentBytes);
    } catch (...) {
        return def;
    }
    std::string current, k, v;
    bool inSection = false;
    for (const auto& line : Lines(text)) {
        if (SectionOf(line, current)) {
            inSection = SameText(current, section);
        } else if (inSection && KeyOf(line, k, v) && SameText(k, key)) {
            return v;
        }
    }
    return def;
}

bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    // A line break would end the entry early and let the rest of the value
    // pose as further keys or sections.
    for (const std::string* t : {&section, &key, &value})
        if (t->find_first_of("\r\n") != std::string::npos) return false;
    std::string text;
    if (FileExists(path)) {
        try {
            text = ReadFileBytes(path, MaxDocumentBytes);
        } catch (...) {
            return false;
        }
    }
    std::vector<std::string> lines = Lines(text);
    std::string current, k, v;
    int sectionLine = -1, keyLine = -1, sectionEnd = -1;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (SectionOf(lines[i], current)) {
            if (sectionLine >= 0 && sectionEnd < 0) sectionEnd = i;
            if (sectionLine < 0 && SameText(current, section)) sectionLine = i;
        } else if (sectionLine >= 0 && sectionEnd < 0 && keyLine < 0 && KeyOf(lines[i], k, v) &&
                   SameText(k, key)) {
            keyLine = i;
        }
    }
    const std::string entry = key + "=" + value;
    if (keyLine >= 0) {
        lines[keyLine] = entry;
    } else if (sectionLine >= 0) {
        int at = sectionEnd < 0 ? static_cast<int>(lines.size()) : sectionEnd;
        // Keep the entry next to its section, before any blank lines that end it.
        while (at > sectionLine + 1 && Trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + at, entry);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string out;
    for (const auto& l : lines)
        out += l + "\r\n";
    try {
        WriteFileAtomic(path, out);
    } catch (...) {
        return false;
    }
    return true;
}
