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
        doc.children.push_back(element());
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
    std::string readName() {
        size_t b = p_;
        if (p_ < s_.size() && IsXmlNameStart(s_[p_])) {
            ++p_;
            // The middle dot also in UTF-8, as the tool's own Write saves it.
            for (;;) {
                if (p_ < s_.size() && IsXmlNameChar(s_[p_]))
                    ++p_;
                else if (startsWith("\xC2\xB7"))
                    p_ += 2;
                else
                    break;
            }
        }
        return std::string(s_.substr(b, p_ - b));
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
        attributes(n);
        skipWs();
        if (startsWith("?>")) {
            p_ += 2;
            return n;
        }
        if (eof()) endOfData();
        fail("XML declaration not terminated with \"?>\"");
    }

    void attributes(XmlReaderNode& owner) {
        for (;;) {
            skipWs();
            if (eof() || !IsXmlNameStart(s_[p_])) return;
            owner.children.push_back(attribute());
        }
    }

    XmlReaderNode attribute() {
        XmlReaderNode a;
        a.kind = XmlNodeKind::Attribute;
        a.name = readName();
        skipWs();
        if (eof()) endOfData();
        if (s_[p_] != '=') fail("Equals sign missing in attribute");
        ++p_;
        skipWs();
        if (eof()) endOfData();
        char quote = s_[p_];
        if (quote != '"' && quote != '\'') fail("Attribute \"" + a.name + "\" missing value");
        ++p_;
        const char stops[] = {quote, '<', '&', '\0'};
        for (;;) {
            if (eof()) endOfData();
            char c = s_[p_];
            if (c == quote) {
                ++p_;
                return a;
            }
            if (c == '<') fail("Invalid character \"<\" in attribute value");
            if (c == '&') {
                reference(a.value);
                continue;
            }
            size_t q = s_.find_first_of(stops, p_);
            if (q == std::string_view::npos) q = s_.size();
            a.value.append(s_.substr(p_, q - p_));
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

    XmlReaderNode element() {
        if (++depth_ > XmlMaxDepth) fail("Elements nested too deeply");
        ++p_;
        XmlReaderNode n;
        n.kind = XmlNodeKind::Element;
        n.name = readName();
        attributes(n);
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
        return n;
    }

    void content(XmlReaderNode& n) {
        std::string& v = n.value;
        for (;;) {
            if (eof()) fail("No ending tag for " + n.name);
            char c = s_[p_];
            if (c == '<') {
                if (startsWith("<![CDATA[")) {
                    p_ += 9;
                    size_t q = s_.find("]]>", p_);
                    if (q == std::string_view::npos) endOfData();
                    v.append(s_.substr(p_, q - p_));
                    p_ = q + 3;
                } else if (startsWith("<?")) {
                    n.children.push_back(pi());
                } else if (startsWith("<!--")) {
                    comment();
                } else if (startsWith("</")) {
                    p_ += 2;
                    if (eof()) endOfData();
                    std::string end = readName();
                    if (end != n.name)
                        fail("End tag name \"" + end + "\" does not match start tag name \"" +
                             n.name + "\"");
                    skipWs();
                    if (eof()) endOfData();
                    if (s_[p_] != '>') fail("End tag missing \">\"");
                    ++p_;
                    break;
                } else {
                    if (p_ + 1 >= s_.size()) endOfData();
                    if (!IsXmlNameStart(s_[p_ + 1])) fail("Missing element");
                    n.children.push_back(element());
                }
            } else if (c == '&') {
                reference(v);
            } else {
                size_t q = s_.find_first_of("<&", p_);
                if (q == std::string_view::npos) q = s_.size();
                std::string_view run = s_.substr(p_, q - p_);
                if (run.find("]]>") != std::string_view::npos)
                    fail("Character data cannot contain \"]]>\"");
                v.append(run);
                p_ = q;
            }
        }
        size_t b = 0, e = v.size();
        while (b < e && IsWs(v[b]))
            ++b;
        while (e > b && IsWs(v[e - 1]))
            --e;
        if (b > 0 || e < v.size()) v = v.substr(b, e - b);
    }

    std::string_view s_;
    size_t p_ = 0;
    int depth_ = 0;
};

} // namespace

bool IsXmlNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ':' || c == '_';
}

bool IsXmlNameChar(unsigned char c) {
    return IsXmlNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 183;
}

XmlReaderDocument ReadXml(std::string_view text) {
    return Reader(text).document();
}
