#include "core/project/XmlDoc.h"

#include "core/project/Errors.h"
#include "core/project/FileSystem.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace {
std::string Quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

// Text of every character-data node below n, in document order; a walk
// without recursion, so nesting costs no stack.
void AppendText(pugi::xml_node n, std::string& out) {
    pugi::xml_node c = n.first_child();
    while (c) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
        if (c.type() == pugi::node_element && c.first_child()) {
            c = c.first_child();
            continue;
        }
        while (c != n && !c.next_sibling())
            c = c.parent();
        if (c == n) break;
        c = c.next_sibling();
    }
}

} // namespace

bool HasDuplicateAttribute(pugi::xml_node n) {
    const char* names[16];
    std::vector<const char*> more;
    size_t count = 0;
    for (auto a = n.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        for (size_t i = 0; i < count; ++i) {
            const char* seen = i < std::size(names) ? names[i] : more[i - std::size(names)];
            if (seen[0] == name[0] && std::strcmp(seen, name) == 0) return true;
        }
        if (count < std::size(names))
            names[count] = name;
        else
            more.push_back(name);
        ++count;
    }
    return false;
}

std::string StructureFault(pugi::xml_node top, int depth) {
    for (pugi::xml_node n = top; n;) {
        if (n.type() == pugi::node_element && depth > MaxDocumentDepth)
            return "elements nested deeper than " + std::to_string(MaxDocumentDepth) + " levels";
        if (HasDuplicateAttribute(n)) return "duplicate attribute";
        if (n.first_child()) {
            n = n.first_child();
            ++depth;
        } else {
            while (n && !n.next_sibling() && n != top) {
                n = n.parent();
                --depth;
            }
            if (!n || n == top) break;
            n = n.next_sibling();
        }
    }
    return {};
}

namespace {} // namespace

size_t XmlNode::childCount() const {
    size_t n = 0;
    for (auto c = node_.first_child(); c; c = c.next_sibling())
        ++n;
    return n;
}

XmlNode XmlNode::child(size_t index) const {
    size_t i = 0;
    for (auto c = node_.first_child(); c; c = c.next_sibling(), ++i)
        if (i == index) return XmlNode(c);
    throw XmlError("Element " + Quoted(node_.name()) + " has no child at position " +
                   std::to_string(index));
}

std::optional<XmlNode> XmlNode::findChild(std::string_view name) const {
    for (auto c = node_.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && name == c.name()) return XmlNode(c);
    return std::nullopt;
}

XmlNode XmlNode::child(std::string_view name) const {
    if (auto c = findChild(name)) return *c;
    throw XmlError("Element " + Quoted(name) + " not found in " + Quoted(node_.name()));
}

std::string XmlNode::text() const {
    std::string out;
    if (node_.type() == pugi::node_pcdata || node_.type() == pugi::node_cdata) return node_.value();
    AppendText(node_, out);
    return out;
}

void XmlNode::setText(std::string_view value) {
    while (node_.first_child())
        node_.remove_child(node_.first_child());
    if (!value.empty()) node_.append_child(pugi::node_pcdata).set_value(std::string(value).c_str());
}

std::optional<std::string> XmlNode::findAttr(std::string_view name) const {
    // pugixml wants a terminated name; attribute names are short.
    if (name.find('\0') != std::string_view::npos) return std::nullopt;
    char buf[64];
    std::string longName;
    const char* n = buf;
    if (name.size() < sizeof buf) {
        std::memcpy(buf, name.data(), name.size());
        buf[name.size()] = '\0';
    } else {
        longName = name;
        n = longName.c_str();
    }
    pugi::xml_attribute a = node_.attribute(n, hint_);
    if (!a) return std::nullopt;
    return std::string(a.value());
}

std::string XmlNode::attr(std::string_view name) const {
    if (auto a = findAttr(name)) return *a;
    throw XmlError("Attribute " + Quoted(name) + " not found in element " + Quoted(node_.name()));
}

void XmlNode::setAttr(std::string_view name, std::string_view value) {
    std::string n(name);
    pugi::xml_attribute a = node_.attribute(n.c_str());
    if (!a) a = node_.append_attribute(n.c_str());
    a.set_value(std::string(value).c_str());
}

XmlNode XmlNode::append(std::string_view name) {
    return XmlNode(node_.append_child(std::string(name).c_str()));
}

void XmlDocument::load(const std::string& path) {
    if (!FileExists(path)) throw XmlError("File \"" + path + "\" not found");
    std::string bytes;
    try {
        bytes = ReadFileBytes(path, MaxDocumentBytes);
    } catch (const FileError& e) {
        throw XmlError(e.what());
    }
    loadString(bytes, path);
}

void XmlDocument::loadString(std::string_view xml, const std::string& origin) {
    loadUnchecked(xml, origin);
    if (std::string fault = StructureFault(doc_.document_element()); !fault.empty()) {
        doc_.reset();
        throw XmlError(StructureError(origin, fault));
    }
}

void XmlDocument::loadUnchecked(std::string_view xml, const std::string& origin) {
    doc_.reset();
    pugi::xml_parse_result r =
        doc_.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
    if (!r) {
        doc_.reset();
        throw XmlError("Error in reading \"" + origin + "\": " + r.description() + " at offset " +
                       std::to_string(r.offset));
    }
    if (!doc_.document_element())
        throw XmlError("Error in reading \"" + origin + "\": no root element");
}

std::string XmlDocument::StructureError(const std::string& origin, const std::string& fault) {
    return "Error in reading \"" + origin + "\": " + fault;
}

XmlNode XmlDocument::root() const {
    pugi::xml_node r = doc_.document_element();
    if (!r) throw XmlError("The document has no root element");
    return XmlNode(r);
}

XmlNode XmlDocument::createRoot(std::string_view name) {
    doc_.reset();
    return XmlNode(doc_.append_child(std::string(name).c_str()));
}

std::string XmlDocument::toString() const {
    std::ostringstream os;
    doc_.save(os, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return os.str();
}

void XmlDocument::save(const std::string& path) const {
    try {
        WriteFileAtomic(path, toString());
    } catch (const FileError& e) {
        throw XmlError(e.what());
    }
}
