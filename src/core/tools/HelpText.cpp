#include "core/tools/HelpText.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"
#include "core/project/ParseInteger.h"
#include "core/project/Workspace.h"
#include "core/tools/XmlTool.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Windows-1252, the code page RTF files of the help name by \ansi.
unsigned long Cp1252(unsigned char c) {
    static const std::array<unsigned short, 32> high = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (c >= 0x80 && c < 0xA0) return high[c - 0x80];
    return c;
}

bool IsSkippedDestination(std::string_view w) {
    static const std::string_view names[] = {"fonttbl",
                                             "colortbl",
                                             "stylesheet",
                                             "info",
                                             "pict",
                                             "header",
                                             "headerl",
                                             "headerr",
                                             "headerf",
                                             "footer",
                                             "footerl",
                                             "footerr",
                                             "footerf",
                                             "footnote",
                                             "object",
                                             "listtable",
                                             "listoverridetable",
                                             "revtbl",
                                             "rsidtbl",
                                             "generator",
                                             "themedata",
                                             "colorschememapping",
                                             "latentstyles",
                                             "datastore",
                                             "fldinst",
                                             "filetbl",
                                             "xmlnstbl"};
    return std::find(std::begin(names), std::end(names), w) != std::end(names);
}

struct State {
    bool bold = false;
    bool italic = false;
    int uc = 1;
};

class RtfParser {
public:
    explicit RtfParser(std::string_view s) : s_(s) {}

    std::vector<HelpParagraph> run() {
        paras_.emplace_back();
        std::vector<State> stack;
        State st;
        bool groupStart = false;
        while (p_ < s_.size()) {
            char c = s_[p_];
            if (c == '{') {
                stack.push_back(st);
                ++p_;
                groupStart = true;
                continue;
            }
            if (c == '}') {
                if (stack.empty()) throw TessaroError("Unbalanced groups in rich text");
                st = stack.back();
                stack.pop_back();
                ++p_;
                groupStart = false;
                if (stack.empty()) break; // end of the document group
                continue;
            }
            bool atGroupStart = groupStart;
            groupStart = false;
            if (c == '\\') {
                ++p_;
                if (p_ >= s_.size()) break;
                char d = s_[p_];
                if (std::isalpha(static_cast<unsigned char>(d))) {
                    size_t b = p_;
                    while (p_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[p_])))
                        ++p_;
                    std::string_view word = s_.substr(b, p_ - b);
                    bool hasParam = false;
                    long param = 0;
                    bool neg = false;
                    if (p_ < s_.size() && s_[p_] == '-') {
                        neg = true;
                        ++p_;
                    }
                    while (p_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p_]))) {
                        hasParam = true;
                        if (param < 100000000) param = param * 10 + (s_[p_] - '0');
                        ++p_;
                    }
                    if (neg) param = -param;
                    if (p_ < s_.size() && s_[p_] == ' ') ++p_;
                    if (atGroupStart && IsSkippedDestination(word)) {
                        skipGroup(stack, st);
                        continue;
                    }
                    controlWord(word, hasParam, param, st);
                } else {
                    ++p_;
                    switch (d) {
                    case '\\':
                    case '{':
                    case '}':
                        text(st, d);
                        break;
                    case '~':
                        unicode(st, 0xA0);
                        break;
                    case '_':
                        text(st, '-');
                        break;
                    case '\n':
                    case '\r':
                        newParagraph();
                        break;
                    case '*':
                        if (atGroupStart) skipGroup(stack, st);
                        break;
                    case '\'': {
                        int h = p_ + 1 < s_.size() ? HexDigit(s_[p_]) : -1;
                        int l = h >= 0 ? HexDigit(s_[p_ + 1]) : -1;
                        if (l >= 0) {
                            p_ += 2;
                            unicode(st, Cp1252(static_cast<unsigned char>(h * 16 + l)));
                        }
                        break;
                    }
                    default:
                        break; // \- and other symbols show nothing
                    }
                }
                continue;
            }
            ++p_;
            if (c == '\r' || c == '\n') continue;
            text(st, c);
        }
        if (!stack.empty()) throw TessaroError("Unbalanced groups in rich text");
        if (paras_.back().runs.empty()) paras_.pop_back();
        return std::move(paras_);
    }

private:
    // Drops the rest of the current group (its '{' was already read).
    void skipGroup(std::vector<State>& stack, State& st) {
        int depth = 1;
        while (p_ < s_.size() && depth > 0) {
            char c = s_[p_++];
            if (c == '\\')
                ++p_;
            else if (c == '{')
                ++depth;
            else if (c == '}')
                --depth;
        }
        if (depth > 0) throw TessaroError("Unbalanced groups in rich text");
        st = stack.back();
        stack.pop_back();
    }

    void controlWord(std::string_view w, bool hasParam, long param, State& st) {
        // Control words that stand for one character.
        static const std::pair<std::string_view, unsigned long> symbols[] = {
            {"line", '\n'},     {"tab", '\t'},         {"emdash", 0x2014},
            {"endash", 0x2013}, {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}};
        for (const auto& [name, cp] : symbols)
            if (w == name) {
                unicode(st, cp);
                return;
            }
        if (w == "par")
            newParagraph();
        else if (w == "b")
            st.bold = !hasParam || param != 0;
        else if (w == "i")
            st.italic = !hasParam || param != 0;
        else if (w == "plain")
            st.bold = st.italic = false;
        else if (w == "uc")
            st.uc = hasParam && param >= 0 ? int(param) : 1;
        else if (w == "u") {
            unicode(st, static_cast<unsigned long>(param < 0 ? param + 65536 : param));
            skip_ = st.uc;
        }
    }

    void newParagraph() {
        skip_ = 0;
        paras_.emplace_back();
    }

    void text(const State& st, char c) { unicode(st, Cp1252(static_cast<unsigned char>(c))); }

    void unicode(const State& st, unsigned long cp) {
        if (skip_ > 0) { // the fallback characters after \u
            --skip_;
            return;
        }
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        auto& runs = paras_.back().runs;
        if (runs.empty() || runs.back().bold != st.bold || runs.back().italic != st.italic)
            runs.push_back({{}, st.bold, st.italic});
        AppendUtf8(runs.back().text, cp);
    }

    std::string_view s_;
    size_t p_ = 0;
    int skip_ = 0;
    std::vector<HelpParagraph> paras_;
};

} // namespace

std::string HelpFilePath(const std::string& exeFolder) {
    return exeFolder + PathSep + "help" + std::to_string(ProductVariant) + ".dat";
}

bool IsRtf(std::string_view bytes) {
    return bytes.starts_with("{\\rtf");
}

std::vector<HelpParagraph> ParseRtf(std::string_view rtf) {
    return RtfParser(rtf).run();
}

HelpText LoadHelpText(const std::string& path) {
    HelpText h;
    // Held to the documents' bound: a help file is a few hundred KB.
    std::string bytes = ReadFileBytes(path, MaxDocumentBytes);
    if (IsRtf(bytes)) {
        h.rich = true;
        h.paragraphs = ParseRtf(bytes);
    } else {
        h.plain = DisplayText(bytes);
    }
    return h;
}
