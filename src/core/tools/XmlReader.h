#pragma once
#include <string>
#include <string_view>
#include <vector>

// Node kinds of the XML tool's reader; the code also picks the tree picture.
enum class XmlNodeKind {
    Document = 0,
    Element = 1,
    Attribute = 2,
    ProcessingInstruction = 3,
    Declaration = 4
};

// One node of the reader's tree. Elements hold their attributes first, then
// processing instructions and child elements in source order.
struct XmlReaderNode {
    XmlNodeKind kind = XmlNodeKind::Document;
    std::string name;
    std::string value;
    std::vector<XmlReaderNode> children;
};

// The document node (kind Document) with the name of the file it was read
// from, without folder.
struct XmlReaderDocument : XmlReaderNode {
    std::string fileName;
};

// Deepest element nesting the reader accepts; deeper documents are refused
// instead of exhausting the stack.
inline constexpr int XmlMaxDepth = 1000;

// Reads a whole document given as bytes (no character-set conversion).
// Throws XmlError with the reader's message on malformed input.
XmlReaderDocument ReadXml(std::string_view text);

// Name rule of the reader: first a letter, ':' or '_', then also digits, '-',
// '.' and the middle dot (byte 183).
bool IsXmlNameStart(unsigned char c);
bool IsXmlNameChar(unsigned char c);
