#pragma once
#include "core/tools/XmlReader.h"

#include <string>
#include <string_view>
#include <vector>

// One item of the XML tool's tree: its kind (which picks its picture) and its
// text as the user sees and edits it, in UTF-8.
struct XmlItem {
    XmlNodeKind kind = XmlNodeKind::Document;
    std::string text;
    std::vector<XmlItem> children;
};

// Picture numbers in the tool's image list: normal and selected.
inline int XmlPicture(XmlNodeKind k) {
    return 2 * static_cast<int>(k);
}
inline int XmlSelectedPicture(XmlNodeKind k) {
    return 2 * static_cast<int>(k) + 1;
}

// The reader works on bytes: text that is valid UTF-8 is kept, anything else
// is taken as Latin-1 so that every byte shows as a character.
std::string DisplayText(std::string_view bytes);

// Item text of one node, in the file's own bytes; a document node's text
// names fileName.
std::string XmlItemText(const XmlReaderNode& node, const std::string& fileName = {});

// The document node and everything below it as tree items.
XmlItem BuildXmlItems(const XmlReaderDocument& doc);

// Reads a file with the tool's reader and names the document after it.
// Throws XmlError (reader messages) or FileError.
XmlItem ReadXmlFile(const std::string& path);

// "name = value" split at the first "=", both parts trimmed; without "=" the
// whole trimmed text is the name and the value is empty.
struct XmlItemParts {
    std::string name;
    std::string value;
    bool hasValue = false;
};
XmlItemParts SplitXmlItemText(std::string_view text);

// File name Write takes from the document item: the text after its first
// ":", trimmed (the whole text when there is no ":").
std::string XmlWriteFileName(std::string_view documentText);

// A name that stays inside the project folder: not empty, no separator,
// not "." or "..", no control character.
bool IsPlainFileName(std::string_view name);

struct XmlWriteOutcome {
    bool written = false;
    // Shown to the user when not empty; other failures end silently.
    std::string message;
    std::string path;
};

// Write of the XML tool: builds the document from the items below the
// document item and saves it into projectFolder under the document item's
// file name. The root is the first element item (a declaration or processing
// instruction before it is left out); element and attribute items become
// elements and attributes, other items are left out.
XmlWriteOutcome WriteXmlItems(const XmlItem& doc, const std::string& projectFolder);
