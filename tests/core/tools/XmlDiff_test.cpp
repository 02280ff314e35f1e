// The reader against pugixml on generated well-formed documents: element
// names, trimmed element values, attribute names and values must agree.
#include "core/tools/XmlReader.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <random>

namespace {

struct Flat {
    std::string name;
    std::string value;
    std::vector<std::pair<std::string, std::string>> attrs;
    std::vector<Flat> children;
    bool operator==(const Flat&) const = default;
};

std::string TrimWs(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

Flat FromReader(const XmlReaderNode& n) {
    Flat f{n.name, n.value, {}, {}};
    for (const auto& c : n.children) {
        if (c.kind == XmlNodeKind::Attribute)
            f.attrs.emplace_back(c.name, c.value);
        else if (c.kind == XmlNodeKind::Element)
            f.children.push_back(FromReader(c));
    }
    return f;
}

Flat FromPugi(pugi::xml_node n) {
    Flat f{n.name(), {}, {}, {}};
    for (auto a : n.attributes())
        f.attrs.emplace_back(a.name(), a.value());
    std::string text;
    for (auto c : n.children()) {
        if (c.type() == pugi::node_element)
            f.children.push_back(FromPugi(c));
        else if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += c.value();
    }
    f.value = TrimWs(text);
    return f;
}

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    std::string document() {
        std::string s;
        if (chance(3))
            s += "<?xml version=\"1.0\"" + std::string(chance(2) ? " encoding='UTF-8'" : "") + "?>";
        misc(s);
        element(s, 0);
        misc(s);
        return s;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int n) { return pick(n) == 0; }

    std::string ws() {
        static const char w[] = " \t\r\n";
        std::string s;
        for (int i = pick(3); i > 0; --i)
            s += w[pick(4)];
        return s;
    }

    std::string name() {
        static const std::string first = "abcXYZ_:";
        static const std::string rest = "abcXYZ_:019-.";
        std::string n(1, first[pick(int(first.size()))]);
        for (int i = pick(6); i > 0; --i)
            n += rest[pick(int(rest.size()))];
        return n;
    }

    std::string reference() {
        static const char* named[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
        switch (pick(3)) {
        case 0:
            return named[pick(5)];
        case 1:
            return "&#" + std::to_string(32 + pick(95)) + ";";
        default: {
            char buf[16];
            snprintf(buf, sizeof buf, "&#x%X;", 32 + pick(95));
            return buf;
        }
        }
    }

    // Text without markup characters, references mixed in.
    std::string text(char forbidden) {
        static const std::string chars = "abc xyz 0123 .,;!?=/>-\t\r\n\"'";
        std::string s;
        for (int i = pick(12); i > 0; --i) {
            if (chance(5))
                s += reference();
            else {
                char c = chars[pick(int(chars.size()))];
                if (c != forbidden) s += c;
            }
        }
        return s;
    }

    void misc(std::string& s) {
        for (int i = pick(3); i > 0; --i) {
            s += ws();
            if (chance(2))
                s += "<!-- " + std::string(chance(2) ? "note" : "a - b") + " -->";
            else
                s += "<?" + std::string(chance(2) ? "pi" : "tool-x") + " data ?>";
        }
        s += ws();
    }

    void element(std::string& s, int depth) {
        std::string n = name();
        s += "<" + n;
        int attrs = pick(4);
        for (int i = 0; i < attrs; ++i) {
            char q = chance(2) ? '"' : '\'';
            s += (i == 0 || chance(2) ? " " : "\n") + n.substr(0, 0) + "at" + std::to_string(i) +
                 name() + ws() + "=" + ws() + q + text(q) + q;
        }
        s += ws();
        if (depth > 4 || chance(4)) {
            s += "/>";
            return;
        }
        s += ">";
        for (int i = pick(6); i > 0; --i) {
            switch (pick(6)) {
            case 0:
                s += "<![CDATA[" + text('\0') + "<&>]]>";
                break;
            case 1:
                s += "<!-- c -->";
                break;
            case 2:
                s += "<?pi x?>";
                break;
            case 3:
                element(s, depth + 1);
                break;
            default:
                s += text('\0');
                break;
            }
        }
        s += "</" + n + ws() + ">";
    }

    std::mt19937 rng_;
};

TEST(XmlDifferential, AgreesWithPugixml) {
    const unsigned kDocuments = 3000;
    for (unsigned seed = 1; seed <= kDocuments; ++seed) {
        std::string xml = Generator(seed).document();
        pugi::xml_document pdoc;
        auto r = pdoc.load_buffer(xml.data(), xml.size(),
                                  pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata |
                                      pugi::parse_pi | pugi::parse_declaration,
                                  pugi::encoding_utf8);
        ASSERT_TRUE(r) << "generator made a malformed document (" << r.description() << "):\n"
                       << xml;
        XmlReaderNode doc;
        try {
            doc = ReadXml(xml);
        } catch (const std::exception& e) {
            FAIL() << "reader refused seed " << seed << ": " << e.what() << "\n" << xml;
        }
        const XmlReaderNode* root = nullptr;
        for (const auto& c : doc.children)
            if (c.kind == XmlNodeKind::Element) root = &c;
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(FromReader(*root), FromPugi(pdoc.document_element())) << "seed " << seed << "\n"
                                                                        << xml;
    }
}

} // namespace
