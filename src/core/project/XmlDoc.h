#pragma once
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

// One node of a project document. Lookups that the project file rules treat as
// errors (a missing named child or attribute, a position out of range) throw
// XmlError; the find* forms answer with an empty optional instead.
class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(pugi::xml_node n) : node_(n) {}

    bool valid() const { return bool(node_); }
    std::string name() const { return node_.name(); }

    size_t childCount() const;
    XmlNode child(size_t index) const;
    XmlNode child(std::string_view name) const;
    std::optional<XmlNode> findChild(std::string_view name) const;

    // Text of the node and its descendants.
    std::string text() const;
    void setText(std::string_view value);

    std::string attr(std::string_view name) const;
    std::optional<std::string> findAttr(std::string_view name) const;
    void setAttr(std::string_view name, std::string_view value);

    // Appends a child element at the end.
    XmlNode append(std::string_view name);

    pugi::xml_node raw() const { return node_; }

private:
    pugi::xml_node node_;
    // The attribute after the one found last: lookups start there, so
    // reading an element's attributes in document order costs a step each.
    mutable pugi::xml_attribute hint_;
};

// Deepest nesting a project document may have (the root element is level 1);
// a deeper one is refused on load, as the XML tool refuses it.
inline constexpr int MaxDocumentDepth = 1000;

// What a loaded document must not hold beyond what pugixml checks: nesting
// deeper than the program's readers take (every later walk stays bounded),
// and repeated attribute names, which pugixml accepts though the document
// would be malformed for any other reader. `top` is at level `depth`; the
// first fault in document order is named, empty when there is none.
std::string StructureFault(pugi::xml_node top, int depth = 1);
bool HasDuplicateAttribute(pugi::xml_node n);

// A project document: load from a file, navigate, rebuild from empty, save.
class XmlDocument {
public:
    // Replaces the content with the file's; throws XmlError naming the file when
    // it is missing, malformed or nested deeper than MaxDocumentDepth.
    void load(const std::string& path);
    void loadString(std::string_view xml, const std::string& origin = "document");
    // The same without the walk for StructureFault: for a reader that walks
    // the document itself and checks, in document order, every node it passes
    // (HasDuplicateAttribute) and every subtree it skips (StructureFault).
    void loadUnchecked(std::string_view xml, const std::string& origin);
    // The message a fault of StructureFault is given.
    static std::string StructureError(const std::string& origin, const std::string& fault);

    // The root: the document's first element (a declaration, comment or
    // processing instruction before it is skipped).
    XmlNode root() const;

    void clear() { doc_.reset(); }
    // Starts an empty document with the given root element.
    XmlNode createRoot(std::string_view name);

    // No declaration, no whitespace between elements, UTF-8, written atomically.
    void save(const std::string& path) const;
    std::string toString() const;

    pugi::xml_document& raw() { return doc_; }

private:
    pugi::xml_document doc_;
};
