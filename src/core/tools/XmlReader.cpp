#include "core/tools/XmlReader.h"

#include "core/project/Errors.h"

#include <cstdint>
#include <iterator>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Digits of a numeric reference, kept to their low eight bits (the reader
// works on bytes), so any length of digits names a byte; false when empty or
// not digits of the base.
bool ParseRefByte(std::string_view digits, int base, unsigned char& value) {
    if (digits.empty()) return false;
    unsigned v = 0;
    for (char c : digits) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return false;
        v = (v * unsigned(base) + d) & 0xFF;
    }
    value = static_cast<unsigned char>(v);
    return true;
}

constexpr bool NameStartRule(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ':' || c == '_';
}

constexpr bool NameCharRule(unsigned char c) {
    return NameStartRule(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 183;
}

// Character classes as a table: names, blanks and the stops of text runs
// are most of what the reader scans.
enum : unsigned char {
    NameClass = 1,
    NameStartClass = 2,
    BlankClass = 4,
    TextStop = 8,
    DoubleQuote = 16,
    SingleQuote = 32
};
struct CharTable {
    unsigned char of[256];
    constexpr CharTable() : of() {
        for (int c = 0; c < 256; ++c) {
            const auto u = static_cast<unsigned char>(c);
            of[c] = static_cast<unsigned char>(
                (NameCharRule(u) ? NameClass : 0) | (NameStartRule(u) ? NameStartClass : 0) |
                (c == ' ' || c == '\t' || c == '\n' || c == '\r' ? BlankClass : 0) |
                (c == '<' || c == '&' ? TextStop : 0) | (c == '"' ? DoubleQuote : 0) |
                (c == '\'' ? SingleQuote : 0));
        }
    }
    bool is(char c, unsigned char cls) const { return of[static_cast<unsigned char>(c)] & cls; }
};
constexpr CharTable Chars;

bool IsWs(char c) {
    return Chars.is(c, BlankClass);
}

// Position of the first character of class `stop` from `p`, or the end.
size_t FindStop(std::string_view s, size_t p, unsigned char stop) {
    const char* d = s.data();
    const size_t n = s.size();
    while (p < n && !Chars.is(d[p], stop))
        ++p;
    return p;
}

constexpr size_t PrefaultBytes = size_t(256) << 10;

// Asks the system for the whole pages of [p, p + bytes) at once; a system
// without that request faults them in as they are written.
void Prefault(void* p, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t b = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
    const uintptr_t e = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(page - 1);
    if (e > b) ::madvise(reinterpret_cast<void*>(b), e - b, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)bytes;
#endif
}

// Most elements hold as many children as the element before them; a list
// sized so is not moved while read. Wider elements grow as usual.
constexpr size_t MaxSiblingHint = 64;

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    XmlReaderDocument document() {
        XmlReaderDocument doc;
        doc.kind = XmlNodeKind::Document;
        // A UTF-8 byte order mark is not part of the markup.
        if (startsWith("\xEF\xBB\xBF")) p_ += 3;
        if (startsWith("<?xml") && (p_ + 5 >= s_.size() || !IsXmlNameChar(s_[p_ + 5])))
            declaration(newChild(doc.children));
        misc(doc);
        if (startsWith("<!DOCTYPE")) fail("DocTypeDecl parsing not yet implemented");
        misc(doc);
        if (!startsWith("<")) fail("Missing element");
        if (p_ + 1 >= s_.size()) endOfData();
        if (!Chars.is(s_[p_ + 1], NameStartClass)) fail("Missing element");
        element(newChild(doc.children), 0);
        misc(doc);
        return doc;
    }

private:
    [[noreturn]] static void fail(const std::string& message) { throw XmlError(message); }
    [[noreturn]] static void endOfData() { fail("Unexpected end of data"); }

    bool eof() const { return p_ >= s_.size(); }
    bool startsWith(std::string_view t) const { return s_.substr(p_).starts_with(t); }
    void skipWs() {
        while (p_ < s_.size() && IsWs(s_[p_]))
            ++p_;
    }
    // A node read in place at the end of `list`: nothing is moved after it
    // is read. A list starts with room for a usual element's children.
    static XmlReaderNode& newChild(std::vector<XmlReaderNode>& list) {
        if (list.size() == list.capacity()) grow(list, list.size() < 4 ? 8 : 2 * list.size());
        return list.emplace_back();
    }
    // A large list's new storage is faulted in with one call before it is
    // filled: a page fault for every 4 KB was most of the time of reading
    // a large document.
    static void grow(std::vector<XmlReaderNode>& list, size_t capacity) {
        const size_t bytes = capacity * sizeof(XmlReaderNode);
        if (bytes < PrefaultBytes) {
            list.reserve(capacity);
            return;
        }
        std::vector<XmlReaderNode> bigger;
        bigger.reserve(capacity);
        Prefault(bigger.data(), bytes);
        bigger.insert(bigger.end(), std::make_move_iterator(list.begin()),
                      std::make_move_iterator(list.end()));
        list.swap(bigger);
    }
    std::string_view readNameView() {
        size_t b = p_;
        if (p_ < s_.size() && Chars.is(s_[p_], NameStartClass)) {
            ++p_;
            // The middle dot also in UTF-8, as the tool's own Write saves it.
            for (;;) {
                if (p_ < s_.size() && Chars.is(s_[p_], NameClass))
                    ++p_;
                else if (p_ < s_.size() && s_[p_] == '\xC2' && startsWith("\xC2\xB7"))
                    p_ += 2;
                else
                    break;
            }
        }
        return s_.substr(b, p_ - b);
    }

    // Whitespace, comments and processing instructions outside the root.
    void misc(XmlReaderNode& parent) {
        for (;;) {
            skipWs();
            if (startsWith("<!--"))
                comment();
            else if (startsWith("<?"))
                pi(newChild(parent.children));
            else
                return;
        }
    }

    void comment() {
        p_ += 4;
        size_t q = s_.find("-->", p_);
        if (q == std::string_view::npos) endOfData();
        if (q > p_ && s_[q - 1] == '-') fail("Comments cannot end in \"--->\"");
        p_ = q + 3;
    }

    // A read that fails leaves the tree half built; it is thrown away whole.
    void pi(XmlReaderNode& n) {
        p_ += 2;
        if (eof()) endOfData();
        n.kind = XmlNodeKind::ProcessingInstruction;
        const std::string_view name = readNameView();
        if (name.empty()) fail("Processing instruction does not contain valid name");
        if (name == "xml") fail("Processing instruction cannot have the reserved name \"xml\"");
        n.name.append(name);
        if (startsWith("?>")) {
            p_ += 2;
            return;
        }
        if (eof()) fail("Unterminated processing instruction");
        if (!IsWs(s_[p_])) fail("Processing instruction does not contain valid name");
        skipWs();
        size_t q = s_.find("?>", p_);
        if (q == std::string_view::npos) fail("Unterminated processing instruction");
        n.value.append(s_.substr(p_, q - p_));
        p_ = q + 2;
    }

    void declaration(XmlReaderNode& n) {
        p_ += 5;
        n.kind = XmlNodeKind::Declaration;
        attributes(n.children);
        skipWs();
        if (startsWith("?>")) {
            p_ += 2;
            return;
        }
        if (eof()) endOfData();
        fail("XML declaration not terminated with \"?>\"");
    }

    void attributes(std::vector<XmlReaderNode>& into) {
        for (;;) {
            skipWs();
            if (eof() || !Chars.is(s_[p_], NameStartClass)) return;
            attribute(newChild(into));
        }
    }

    void attribute(XmlReaderNode& a) {
        a.kind = XmlNodeKind::Attribute;
        a.name.append(readNameView());
        skipWs();
        if (eof()) endOfData();
        if (s_[p_] != '=') fail("Equals sign missing in attribute");
        ++p_;
        skipWs();
        if (eof()) endOfData();
        char quote = s_[p_];
        if (quote != '"' && quote != '\'') fail("Attribute \"" + a.name + "\" missing value");
        ++p_;
        // A value without references is copied once, straight from the text.
        const unsigned char stop = TextStop | (quote == '"' ? DoubleQuote : SingleQuote);
        size_t q = FindStop(s_, p_, stop);
        if (q < s_.size() && s_[q] == quote) {
            a.value.append(s_.data() + p_, q - p_);
            p_ = q + 1;
            return;
        }
        // Otherwise its pieces are gathered above the texts being read.
        const size_t base = text_.size();
        for (;;) {
            if (eof()) endOfData();
            char c = s_[p_];
            if (c == quote) {
                ++p_;
                break;
            }
            if (c == '<') fail("Invalid character \"<\" in attribute value");
            if (c == '&') {
                reference(text_);
                continue;
            }
            q = FindStop(s_, p_, stop);
            text_.append(s_.data() + p_, q - p_);
            p_ = q;
        }
        a.value.append(text_, base);
        text_.resize(base);
    }

    // From '&' to the next ';'; the decoded character is appended to out.
    void reference(std::string& out) {
        ++p_;
        size_t q = s_.find(';', p_);
        if (q == std::string_view::npos) endOfData();
        std::string_view ref = s_.substr(p_, q - p_);
        p_ = q + 1;
        if (ref == "amp")
            out += '&';
        else if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (ref.starts_with('#')) {
            unsigned char v = 0;
            bool ok = ref.starts_with("#x") ? ParseRefByte(ref.substr(2), 16, v)
                                            : ParseRefByte(ref.substr(1), 10, v);
            if (!ok) fail("Invalid integer in reference &" + std::string(ref) + ";");
            out += char(v);
        } else {
            fail("Unrecognized reference");
        }
    }

    // `hint`: the number of children of the element before, 0 if none.
    void element(XmlReaderNode& n, size_t hint) {
        if (++depth_ > XmlMaxDepth) fail("Elements nested too deeply");
        ++p_;
        n.kind = XmlNodeKind::Element;
        n.name.append(readNameView());
        if (hint > 0 && hint <= MaxSiblingHint) n.children.reserve(hint);
        attributes(n.children);
        if (eof()) endOfData();
        if (startsWith("/>")) {
            p_ += 2;
        } else if (s_[p_] == '>') {
            ++p_;
            content(n);
        } else {
            fail("Tag not terminated properly");
        }
        --depth_;
    }

    // True when the name at p_ is `name` and ends there, as readNameView
    // would read it.
    bool atName(std::string_view name) const {
        if (s_.size() - p_ < name.size() || s_.compare(p_, name.size(), name) != 0) return false;
        const size_t e = p_ + name.size();
        return e >= s_.size() || (!Chars.is(s_[e], NameClass) &&
                                  !(s_[e] == '\xC2' && s_.substr(e).starts_with("\xC2\xB7")));
    }

    void content(XmlReaderNode& n) {
        // The element's text is gathered at the end of text_, above that of
        // the elements around it, unless it is one run right before the end
        // tag: that is copied straight from the document.
        const size_t base = text_.size();
        std::string_view direct;
        size_t hint = 0;
        const char* d = s_.data();
        const size_t size = s_.size();
        for (;;) {
            if (p_ >= size) fail("No ending tag for " + n.name);
            const char c = d[p_];
            if (c == '<') {
                const char next = p_ + 1 < size ? d[p_ + 1] : '\0';
                if (next == '/') {
                    p_ += 2;
                    if (eof()) endOfData();
                    if (atName(n.name)) {
                        p_ += n.name.size();
                    } else {
                        const std::string_view end = readNameView();
                        if (end != n.name)
                            fail("End tag name \"" + std::string(end) +
                                 "\" does not match start tag name \"" + n.name + "\"");
                    }
                    skipWs();
                    if (eof()) endOfData();
                    if (d[p_] != '>') fail("End tag missing \">\"");
                    ++p_;
                    break;
                } else if (next == '!' && startsWith("<![CDATA[")) {
                    p_ += 9;
                    size_t q = s_.find("]]>", p_);
                    if (q == std::string_view::npos) endOfData();
                    text_.append(d + p_, q - p_);
                    p_ = q + 3;
                } else if (next == '?') {
                    pi(newChild(n.children));
                } else if (next == '!' && startsWith("<!--")) {
                    comment();
                } else {
                    if (p_ + 1 >= size) endOfData();
                    if (!Chars.is(next, NameStartClass)) fail("Missing element");
                    XmlReaderNode& child = newChild(n.children);
                    element(child, hint);
                    hint = child.children.size();
                }
            } else if (c == '&') {
                reference(text_);
            } else {
                // Leading blanks are trimmed anyway: the indentation between
                // child elements is never copied.
                size_t from = p_;
                if (text_.size() == base)
                    while (from < size && IsWs(d[from]))
                        ++from;
                const size_t q = FindStop(s_, from, TextStop);
                if (q > from) {
                    // "]]>" is refused in the whole run, blanks included.
                    const std::string_view run = s_.substr(p_, q - p_);
                    if (run.find("]]>") != std::string_view::npos)
                        fail("Character data cannot contain \"]]>\"");
                    if (text_.size() == base && q + 1 < size && d[q] == '<' && d[q + 1] == '/')
                        direct = s_.substr(from, q - from);
                    else
                        text_.append(d + from, q - from);
                }
                p_ = q;
            }
        }
        // Blanks at the ends go, also those from references or CDATA.
        std::string_view v = direct.empty() ? std::string_view(text_).substr(base) : direct;
        size_t b = 0, e = v.size();
        while (b < e && IsWs(v[b]))
            ++b;
        while (e > b && IsWs(v[e - 1]))
            --e;
        n.value.append(v.substr(b, e - b));
        text_.resize(base);
    }

    std::string_view s_;
    size_t p_ = 0;
    int depth_ = 0;
    std::string text_; // texts of the elements being read, innermost last
};

} // namespace

bool IsXmlNameStart(unsigned char c) {
    return NameStartRule(c);
}

bool IsXmlNameChar(unsigned char c) {
    return NameCharRule(c);
}

XmlReaderDocument ReadXml(std::string_view text) {
    return Reader(text).document();
}
