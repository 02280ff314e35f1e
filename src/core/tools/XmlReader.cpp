#include "core/tools/XmlReader.h"

#include "core/project/Errors.h"

namespace {

bool IsWs(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

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

// The name rule as a table: names are most of what the reader scans.
struct NameTable {
    bool chars[256];
    constexpr NameTable() : chars() {
        for (int c = 0; c < 256; ++c)
            chars[c] = NameCharRule(static_cast<unsigned char>(c));
    }
    bool has(char c) const { return chars[static_cast<unsigned char>(c)]; }
};
constexpr NameTable NameChars;

// Position of the first of `a`, `b` or `c` from `p`, or the end.
size_t FindAny(std::string_view s, size_t p, char a, char b, char c) {
    const char* d = s.data();
    const size_t n = s.size();
    while (p < n && d[p] != a && d[p] != b && d[p] != c)
        ++p;
    return p;
}

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    XmlReaderDocument document() {
        XmlReaderDocument doc;
        doc.kind = XmlNodeKind::Document;
        // A UTF-8 byte order mark is not part of the markup.
        if (startsWith("\xEF\xBB\xBF")) p_ += 3;
        if (startsWith("<?xml") && (p_ + 5 >= s_.size() || !IsXmlNameChar(s_[p_ + 5])))
            doc.children.push_back(declaration());
        misc(doc);
        if (startsWith("<!DOCTYPE")) fail("DocTypeDecl parsing not yet implemented");
        misc(doc);
        if (!startsWith("<")) fail("Missing element");
        if (p_ + 1 >= s_.size()) endOfData();
        if (!IsXmlNameStart(s_[p_ + 1])) fail("Missing element");
        element(newChild(doc.children));
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
        if (list.capacity() == 0) list.reserve(8);
        return list.emplace_back();
    }
    std::string readName() { return std::string(readNameView()); }
    std::string_view readNameView() {
        size_t b = p_;
        if (p_ < s_.size() && IsXmlNameStart(s_[p_])) {
            ++p_;
            // The middle dot also in UTF-8, as the tool's own Write saves it.
            for (;;) {
                if (p_ < s_.size() && NameChars.has(s_[p_]))
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
                parent.children.push_back(pi());
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

    XmlReaderNode pi() {
        p_ += 2;
        if (eof()) endOfData();
        XmlReaderNode n;
        n.kind = XmlNodeKind::ProcessingInstruction;
        n.name = readName();
        if (n.name.empty()) fail("Processing instruction does not contain valid name");
        if (n.name == "xml") fail("Processing instruction cannot have the reserved name \"xml\"");
        if (startsWith("?>")) {
            p_ += 2;
            return n;
        }
        if (eof()) fail("Unterminated processing instruction");
        if (!IsWs(s_[p_])) fail("Processing instruction does not contain valid name");
        skipWs();
        size_t q = s_.find("?>", p_);
        if (q == std::string_view::npos) fail("Unterminated processing instruction");
        n.value = std::string(s_.substr(p_, q - p_));
        p_ = q + 2;
        return n;
    }

    XmlReaderNode declaration() {
        p_ += 5;
        XmlReaderNode n;
        n.kind = XmlNodeKind::Declaration;
        attributes(n.children);
        skipWs();
        if (startsWith("?>")) {
            p_ += 2;
            return n;
        }
        if (eof()) endOfData();
        fail("XML declaration not terminated with \"?>\"");
    }

    void attributes(std::vector<XmlReaderNode>& into) {
        for (;;) {
            skipWs();
            if (eof() || !IsXmlNameStart(s_[p_])) return;
            attribute(newChild(into));
        }
    }

    void attribute(XmlReaderNode& a) {
        a.kind = XmlNodeKind::Attribute;
        a.name.assign(readNameView());
        skipWs();
        if (eof()) endOfData();
        if (s_[p_] != '=') fail("Equals sign missing in attribute");
        ++p_;
        skipWs();
        if (eof()) endOfData();
        char quote = s_[p_];
        if (quote != '"' && quote != '\'') fail("Attribute \"" + a.name + "\" missing value");
        ++p_;
        for (;;) {
            if (eof()) endOfData();
            char c = s_[p_];
            if (c == quote) {
                ++p_;
                return;
            }
            if (c == '<') fail("Invalid character \"<\" in attribute value");
            if (c == '&') {
                reference(a.value);
                continue;
            }
            const size_t q = FindAny(s_, p_, quote, '<', '&');
            if (a.value.empty())
                a.value.assign(s_.data() + p_, q - p_);
            else
                a.value.append(s_.data() + p_, q - p_);
            p_ = q;
        }
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

    void element(XmlReaderNode& n) {
        if (++depth_ > XmlMaxDepth) fail("Elements nested too deeply");
        ++p_;
        n.kind = XmlNodeKind::Element;
        n.name.assign(readNameView());
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

    void content(XmlReaderNode& n) {
        std::string& v = n.value;
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
                    const std::string_view end = readNameView();
                    if (end != n.name)
                        fail("End tag name \"" + std::string(end) +
                             "\" does not match start tag name \"" + n.name + "\"");
                    skipWs();
                    if (eof()) endOfData();
                    if (d[p_] != '>') fail("End tag missing \">\"");
                    ++p_;
                    break;
                } else if (next == '!' && startsWith("<![CDATA[")) {
                    p_ += 9;
                    size_t q = s_.find("]]>", p_);
                    if (q == std::string_view::npos) endOfData();
                    v.append(s_.substr(p_, q - p_));
                    p_ = q + 3;
                } else if (next == '?') {
                    newChild(n.children) = pi();
                } else if (next == '!' && startsWith("<!--")) {
                    comment();
                } else {
                    if (p_ + 1 >= size) endOfData();
                    if (!IsXmlNameStart(static_cast<unsigned char>(next))) fail("Missing element");
                    element(newChild(n.children));
                }
            } else if (c == '&') {
                reference(v);
            } else {
                // Leading blanks are trimmed anyway: the indentation between
                // child elements is never copied.
                size_t from = p_;
                if (v.empty())
                    while (from < size && IsWs(d[from]))
                        ++from;
                const size_t q = FindAny(s_, from, '<', '&', '&');
                if (q > from) {
                    // "]]>" is refused in the whole run, blanks included.
                    const std::string_view run = s_.substr(p_, q - p_);
                    if (run.find("]]>") != std::string_view::npos)
                        fail("Character data cannot contain \"]]>\"");
                    v.append(d + from, q - from);
                }
                p_ = q;
            }
        }
        size_t b = 0, e = v.size();
        while (b < e && IsWs(v[b])) // blanks from references or CDATA
            ++b;
        while (e > b && IsWs(v[e - 1]))
            --e;
        v.resize(e);
        v.erase(0, b);
    }

    std::string_view s_;
    size_t p_ = 0;
    int depth_ = 0;
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
